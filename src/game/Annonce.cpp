#include "game/Annonce.h"

#include <cstring>

#include "game/Jeu.h"
#include "platform/Sync.h"

namespace {

platform::Lock annonceLock;
Annonce published;

} // namespace

void publishAnnonce(const Jeu& jeu) {
    Annonce a = {};
    a.hosting = 1;
    memcpy(a.pseudo, jeu.options.pseudo, sizeof a.pseudo);
    a.pseudo[sizeof a.pseudo - 1] = '\0';
    a.mapNumber = jeu.mapNumber;
    memcpy(a.mapName, jeu.mapName, sizeof a.mapName);
    a.mapName[sizeof a.mapName - 1] = '\0';
    a.players = countPresentPlayers(jeu) + (jeu.dedicated == 0 ? 1 : 0);
    platform::Guard g(annonceLock);
    published = a;
}

Annonce readAnnonce() {
    platform::Guard g(annonceLock);
    return published;
}
