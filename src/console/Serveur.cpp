#include "console/Serveur.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/Console.h"
#include "console/StartSequence.h"
#include "game/Jeu.h"
#include "platform/Signals.h"
#include "platform/Thread.h"

namespace {

// What the command line asks for.
struct Serveur {
    int32_t wanted = 0; // --serveur
    int32_t port = 2302;
    int32_t mapNumber = 0;
};

// How long the accept thread may take to bind the port.
constexpr int32_t LISTEN_WAIT_MS = 5000;
constexpr int32_t HIGHEST_MAP_ARGUMENT = 999999; // the list holds far fewer

const char* const USAGE =
    "usage: brumevoltigeante [--serveur [--port P] [--map N]] [--help]\n"
    "  sans argument   la console du jeu\n"
    "  --serveur       serveur dedie: ni fenetre ni joueur, commandes sur l'entree standard\n"
    "  --port P        port TCP d'ecoute, 0 a 65535 (2302 par defaut, 0: un port libre)\n"
    "  --map N         numero de la map jouee (0 par defaut, voir listemap)\n"
    "  --help          affiche cette aide\n";

// Handed to the server's game, which reads it once.
ParametresJeu serverParameters;

int32_t wrongArgument(const char* reason, const char* word) {
    fprintf(stderr, "Erreur: %s %s\n", reason, word);
    return 2;
}

// Options, map list and map, then the port, then the loop: nobody joins a server whose map
// does not load. 0, or 1 after the message of the step that failed.
int32_t startServer(const Serveur& s) {
    Console& console = programConsole();
    if (loadOptions(console.options) != 0) return 1;
    if (readGameList("liste des maps.list", console.mapNames, console.mapCount) != 0) return 1;
    if (s.mapNumber >= console.mapCount) {
        printf("Erreur: La map %d est inexistante\n", s.mapNumber);
        return 1;
    }
    serverParameters.mapNumber = s.mapNumber;
    serverParameters.options = console.options;
    serverParameters.mapName = console.mapNames[s.mapNumber];
    serverParameters.reseau = &console.reseau;
    if (initServerGame(serverParameters) != 0) return 1;
    console.reseau.startNetwork(1, platform::TcpSocket{}, s.port);
    const int32_t port = console.reseau.listeningPort(LISTEN_WAIT_MS);
    if (port < 0 || startServerLoop() != 0) return 1; // the transport said why
    console.started = 1;
    printf("Serveur en ecoute sur le port %d, map %d: %s\n", port, s.mapNumber,
           console.mapNames[s.mapNumber]);
    showOnLan(console);
    return 0;
}

void stopOnSignal(void*) {
    platform::waitStopSignal();
    printf("\nArret du serveur\n");
    platform::exitProcess(0);
}

int runServer(const Serveur& s) {
    // Before any thread starts, so that every thread inherits the held signals.
    if (platform::holdStopSignals() != 0 || platform::startThread(stopOnSignal, nullptr) != 0)
        return 1;
    if (startServer(s) != 0) return 1;
    runCommands();
    printf("\nArret du serveur\n");
    return 0;
}

// Reads the arguments after the program's name into `serveur`. 0 when they ask for a
// server, 1 for the usage (--help), 2 when they are wrong (the reason printed first).
int32_t parseCommandLine(int argc, char** argv, Serveur& serveur) {
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (strcmp(word, "--help") == 0) return 1;
        if (strcmp(word, "--serveur") == 0) {
            serveur.wanted = 1;
            continue;
        }
        const bool port = strcmp(word, "--port") == 0;
        if (!port && strcmp(word, "--map") != 0) return wrongArgument("argument inconnu:", word);
        const char* value = i + 1 < argc ? argv[++i] : "(rien)";
        const bool valid =
            port ? parseWholeNumber(value, 0, 65535, serveur.port)
                 : parseWholeNumber(value, 0, HIGHEST_MAP_ARGUMENT, serveur.mapNumber);
        if (!valid)
            return wrongArgument(port ? "port incorrect:" : "numero de map incorrect:", value);
    }
    if (serveur.wanted == 0) return wrongArgument("--port et --map vont avec", "--serveur");
    return 0;
}

} // namespace

int runProgram(int argc, char** argv) {
    if (argc <= 1) return runConsole();
    Serveur serveur;
    const int32_t parsed = parseCommandLine(argc, argv, serveur);
    if (parsed == 0) return runServer(serveur);
    fputs(USAGE, parsed == 1 ? stdout : stderr);
    return parsed == 1 ? 0 : 2;
}

bool parseWholeNumber(const char* text, int32_t low, int32_t high, int32_t& out) {
    char* end = nullptr;
    const long v = strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high) return false;
    out = static_cast<int32_t>(v);
    return true;
}
