// What a hosted game shows of itself to players looking for a game on the LAN: the host's
// pseudo, the map and the number of players. The host's game thread publishes it once per
// frame; any thread may read it.
#pragma once
#include <cstdint>

#include "options/Options.h"

struct Jeu;

struct Annonce {
    int32_t hosting; // 0 until a host's game has published
    char pseudo[PSEUDO_SIZE];
    int32_t mapNumber;
    char mapName[64];
    int32_t players; // present players, the host's own included when it plays
};

// Host's game thread: takes the figures from the game.
void publishAnnonce(const Jeu& jeu);
// A copy of the last figures published.
Annonce readAnnonce();
