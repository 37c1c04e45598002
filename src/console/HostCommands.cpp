#include "console/HostCommands.h"

#include <cstdio>
#include <cstring>

#include "console/Console.h"
#include "game/Protocole.h"
#include "platform/Clock.h"

namespace {

// loadMap reads the list afresh, so a map added since start can be chosen.
NameTable currentMaps;

void printNotHost() {
    printf("Erreur: vous n'etes pas le serveur\n");
}

// A client cannot kick anybody; it gets a joke instead, and waits for it.
void mockCountdown() {
    printf("tssssss...\n");
    printf("pour la peine vous allez etre expulse dans 5 sec\n");
    for (int32_t second = 5; second >= 1; --second) {
        printf("%d\n", second);
        platform::sleepMs(1000);
    }
    printf("BOOOOOM\nhinhin c'etait une blague^^\n\n>>>");
}

} // namespace

void showMap(Console& console, int32_t n) {
    if (console.started == 0) {
        printf("Erreur: Impossible d'afficher la map\n");
        printf("L'initialisation du jeu n'a pas ete faite ou a echoue\n");
        printf("Tapez start pour lancer l'initialisation\n");
        return;
    }
    if (n >= 0 && n < console.mapCount && n < LIST_MAX_ENTRIES) {
        console.displayMap.printElements(console.mapNames[n]);
        return;
    }
    printf("Erreur: La map %d est inexistante\n", n);
}

void say(Console& console, const char text[48]) {
    if (console.started == 1) console.reseau.post(MSG_SAY, 0, text);
}

void showScore(Console& console) {
    if (console.started == 1) console.reseau.post(MSG_SHOW_SCORES, 0, nullptr);
}

void loadMap(Console& console, int32_t n) {
    int32_t count = 0;
    // A file that cannot be read leaves count at 0: every number is then missing.
    readGameList("liste des maps.list", currentMaps, count);
    if (n < 0 || n >= count || n >= LIST_MAX_ENTRIES) {
        printf("Erreur: Map inexistante\n");
        return;
    }
    if (console.reseau.host != 1) {
        printNotHost();
        return;
    }
    // Names longer than 47 characters arrive cut.
    char payload[PAYLOAD_SIZE] = {};
    strncpy(payload, currentMaps[n], PAYLOAD_SIZE - 1);
    console.reseau.post(MSG_CHANGE_MAP, n, payload);
}

void kick(Console& console, int32_t n) {
    if (console.started == 0) return;
    if (console.reseau.host == 1)
        console.reseau.post(MSG_KICK, n, nullptr);
    else
        mockCountdown();
}

void resetScores(Console& console) {
    if (console.reseau.host == 1)
        console.reseau.post(MSG_RESET_SCORES, 0, nullptr);
    else
        printNotHost();
}
