#include "console/StartSequence.h"

#include "console/Console.h"
#include "console/Input.h"
#include "game/Jeu.h"
#include "platform/Socket.h"
#include "platform/Thread.h"

#include <cstdio>

namespace {

constexpr int32_t FIRST_PORT = 2302;
// How long the start waits for the host's listener before it answers discovery probes.
constexpr int32_t LISTENER_WAIT_MS = 2000;

// Handed to the game thread, which reads it once at its start.
ParametresJeu gameParameters;
char serverAddress[20];
const char EMPTY_NAME[] = "";

// Standard input ended in the middle of the dialogue: leave as quitter does.
void endOfInput() {
    platform::exitProcess(0);
}

// Throws away the rest of the line that held no number, so the prompt can be asked again.
// A whole line, not a word: a lone sign is already consumed, and the next entry is wanted.
void discardEntry() {
    char rejected[100];
    if (readLine(rejected, sizeof rejected) != 0) endOfInput();
}

int32_t askPort() {
    int32_t port = FIRST_PORT;
    for (;;) {
        printf("Entrez le port:");
        int32_t value = port;
        if (readDecimal(value) != 0)
            discardEntry();
        else
            port = value;
        if (port >= 0 && port <= 65535) return port;
    }
}

// The host picks a map of the list; anything else is refused and asked again.
int32_t askMapNumber(int32_t mapCount) {
    for (;;) {
        printf("Entrez le numero de la map:");
        int32_t number = -1;
        if (readDecimal(number) != 0) discardEntry();
        if (number >= 0 && number < mapCount) return number;
        printf("Erreur: La map %d est inexistante\n", number);
    }
}

int32_t listMapsAtStart(Console& console) {
    printf("Listage des map...\n");
    const int32_t result = readGameList("liste des maps.list", console.mapNames, console.mapCount);
    if (result == 0)
        for (int32_t i = 0; i < console.mapCount; ++i)
            printf("%s\n", console.mapNames[i]);
    console.displayMap.clear();
    return result;
}

int32_t connectToHost(Console& console, const char* address, int32_t port) {
    printf("Tentative de connection sur %s:%d\n", address, port);
    platform::TcpSocket socket;
    if (platform::connectTcp(address, static_cast<uint16_t>(port), socket) != 0) {
        printf("Echec de la connection\n");
        platform::closeSocket(socket); // a retried start opens a fresh one
        return 1;
    }
    printf("Connection Reussie\n");
    console.reseau.startNetwork(0, socket, -1);
    return 0;
}

// A known host (`address` not null) skips the role, address and port prompts.
int32_t setupConnection(Console& console, const char* address, int32_t port) {
    printf("Initialisation de la connection\n");
    if (address != nullptr) return connectToHost(console, address, port);
    printf("Serveur ou client?(s/c):");
    const int32_t role = readChar();
    if (role == END_OF_INPUT) endOfInput();
    if (role == 's') {
        const int32_t port = askPort();
        console.reseau.startNetwork(1, platform::TcpSocket{}, port);
        return 0;
    }
    printf("Entrez l'addresse IP du serveur:");
    if (readWord(serverAddress, sizeof serverAddress) != 0) endOfInput();
    return connectToHost(console, serverAddress, askPort());
}

void runGameThread(void* params) {
    gameThreadMain(params);
}

int32_t launchGameThread(Console& console) {
    printf("Initialisation de la fenetre\n");
    if (console.mapCount == 0) {
        printf("Erreur: aucune map n'existe\n");
        return 1;
    }
    int32_t mapNumber = -1;
    if (console.reseau.host == 1) mapNumber = askMapNumber(console.mapCount);
    gameParameters.mapNumber = mapNumber;
    gameParameters.options = console.options;
    gameParameters.mapName = mapNumber >= 0 ? console.mapNames[mapNumber] : EMPTY_NAME;
    gameParameters.reseau = &console.reseau;
    platform::startThread(runGameThread, &gameParameters);
    return 0;
}

int32_t runStart(Console& console, const char* address, int32_t port) {
    if (console.started == 1) return -1;
    printf("Initialisation...\n");
    if (loadOptions(console.options) != 0) return 1;
    if (listMapsAtStart(console) != 0) return 1;
    if (setupConnection(console, address, port) != 0) return 1;
    if (launchGameThread(console) != 0) return 1;
    console.started = 1;
    if (console.reseau.host == 1) showOnLan(console);
    return 0;
}

} // namespace

// A started host answers discovery probes on the port it really listens on; none if its
// listener could not be bound.
void showOnLan(Console& console) {
    const int32_t port = console.reseau.listeningPort(LISTENER_WAIT_MS);
    if (port > 0)
        console.repondeur.start(static_cast<uint16_t>(port), console.options.pseudo,
                                console.reseau.vitrine);
}


int32_t startGame(Console& console) {
    return runStart(console, nullptr, 0);
}

int32_t joinGame(Console& console, const char* address, int32_t port) {
    return runStart(console, address, port);
}
