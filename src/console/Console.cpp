#include "console/Console.h"

#include <cstdio>
#include <cstring>

#include "console/Commande.h"
#include "console/Help.h"
#include "console/HostCommands.h"
#include "console/Input.h"
#include "console/MapList.h"
#include "console/OptionsEditor.h"
#include "console/StartSequence.h"

namespace {

constexpr int32_t HIGHEST_PLAYER = 6;
// Answers on a LAN take milliseconds; the listing must show within about a second.
constexpr int32_t SEARCH_WAIT_MS = 800;

// Lives until the process ends: the game thread holds addresses into it.
Console theConsole;
ConsoleLoop theLoop;

void showStartResult(int32_t result) {
    if (result < 0) {
        printf("Erreur: l'initialisation a deja ete faite\n");
        printf("Veuillez relancer le jeu pour reinitialiser\n");
        return;
    }
    printf("\n\t%d erreurs lors de l'initialisation\n", result);
}

void runOption(Options& workingCopy, int32_t n) {
    if (n == 1)
        setDefaultOptions(workingCopy);
    else
        editOptions(workingCopy);
}

// The text is the line after the command line; the rest of an over-long line is dropped so
// that it is never taken for commands.
void runSay(Console& console, char text[TEXT_LINE_SIZE]) {
    printf("Votre texte:");
    memset(text, 0, TEXT_LINE_SIZE);
    if (readLine(text, TEXT_LINE_SIZE) != 0) return;
    say(console, text);
}

void runKick(Console& console, int32_t n) {
    if (n >= 0 && n <= HIGHEST_PLAYER)
        kick(console, n);
    else
        printf("Erreur: Le numero du joueur doit etre compris entre 0 et %d", HIGHEST_PLAYER);
}

void runSearch(ListeParties& parties) {
    printf("Recherche des parties sur le reseau local...\n");
    if (searchGames(parties, SEARCH_WAIT_MS) != 0) {
        printf("Erreur: la recherche n'a pas pu etre envoyee\n");
        return;
    }
    if (parties.count == 0) printf("Aucune partie trouvee\n");
    for (int32_t i = 0; i < parties.count; ++i) {
        const Partie& p = parties.games[i];
        printf("%d: %s:%d, hote %s, map %s, %d/%d joueurs\n", i + 1, p.address, p.annonce.tcpPort,
               p.annonce.pseudo, p.annonce.mapName, p.annonce.players, GAME_SEATS);
    }
}

void runJoin(Console& console, const ListeParties& parties, int32_t n) {
    if (console.started == 1) {
        showStartResult(-1);
    } else if (parties.count == 0) {
        printf("Erreur: aucune partie listee, tapez d'abord cherche\n");
    } else if (n < 1 || n > parties.count) {
        printf("Erreur: Le numero de la partie doit etre compris entre 1 et %d\n", parties.count);
    } else {
        const Partie& p = parties.games[n - 1];
        showStartResult(joinGame(console, p.address, p.annonce.tcpPort));
    }
}

} // namespace

int32_t runCommand(Console& console, ConsoleLoop& loop, const Commande& c) {
    const int32_t n = c.arguments[0];
    switch (c.number) {
    case CMD_QUITTER:
        return 1;
    case CMD_AIDE:
        showHelp();
        break;
    case CMD_START:
        showStartResult(startGame(console));
        break;
    case CMD_LISTEMAP:
        listMaps();
        break;
    case CMD_LISTETEXTURE:
        listTextures();
        break;
    case CMD_AFFICHEMAP:
        showMap(console, n);
        break;
    case CMD_OPTION:
        runOption(loop.workingCopy, n);
        break;
    case CMD_DIRE:
        runSay(console, loop.text);
        break;
    case CMD_EXPULSE:
        runKick(console, n);
        break;
    case CMD_SCORE:
        showScore(console);
        break;
    case CMD_CHARGEMAP:
        loadMap(console, n);
        break;
    case CMD_RESET:
        resetScores(console);
        break;
    case CMD_CHERCHE:
        runSearch(loop.parties);
        break;
    case CMD_REJOINDRE:
        runJoin(console, loop.parties, n);
        break;
    default:
        printf("Erreur: commande inconnue\n");
        break;
    }
    return 0;
}

Console& programConsole() {
    return theConsole;
}

int runCommands() {
    fillDefaultOptions(theLoop.workingCopy);
    // The end of standard input ends the program as quitter does.
    while (readCommand(theLoop.commande) == 0)
        if (runCommand(theConsole, theLoop, theLoop.commande) != 0) break;
    return 0;
}

int runConsole() {
    showBanner();
    return runCommands();
}
