// Console lines: the whole input is what the player types. Commands are read with the
// console's own reader and run as the console runs them, on a started host whose game is
// played by a windowless game record on the same thread; `start` (a real connection and
// window), `cherche` (datagrams on the LAN and a second's wait) and the client's joke
// countdown (five seconds of sleep) are left out.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "kit/JeuFixture.h"
#include "FuzzSupport.h"
#include "GameData.h"
#include "console/Commande.h"
#include "console/Console.h"
#include "game/Jeu.h"
#include "game/Protocole.h"

namespace {

// Each command takes at least one byte of input; this only bounds a broken reader.
constexpr int32_t MAX_COMMANDS = 100000;

const kit::TempFolder* folder = nullptr;
Console* console = nullptr;

// One command as the console runs it (but for start and cherche), then the game thread's next
// frame, which handles whatever the command posted.
void run(const Commande& c, ConsoleLoop& loop, Jeu& jeu) {
    if (c.number == CMD_START || c.number == CMD_CHERCHE) return;
    runCommand(*console, loop, c);
    dispatchMessages(jeu);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietStdout();
    folder = &fuzzsupport::gameFolder();
    fuzzsupport::writeGameData(*folder);
    console = new Console();
    kit::WorkingFolder inside(folder->path());
    readListFile("liste des maps.list", console->mapNames, console->mapCount);
    fillDefaultOptions(console->options);
    console->started = 1;
    console->reseau.host = 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // fmemopen reads the bytes where they are; the console reads standard input.
    FILE* input = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (input == nullptr) return 0;
    FILE* const keyboard = stdin;
    stdin = input;
    {
        kit::WorkingFolder inside(folder->path());
        std::unique_ptr<Jeu> jeu = kit::networkJeu(console->reseau, "hote", 0);
        ConsoleLoop loop;
        fillDefaultOptions(loop.workingCopy);
        Commande c;
        for (int32_t i = 0; i < MAX_COMMANDS && readCommand(c) == 0; ++i) {
            if (c.number == CMD_QUITTER) break;
            fuzzsupport::require(c.number >= CMD_UNKNOWN && c.number <= LAST_COMMAND,
                                 "command number in range");
            int32_t k = 0;
            while (k < MAX_ARGUMENTS && c.arguments[k] != END_MARKER)
                ++k;
            fuzzsupport::require(c.arguments[k] == END_MARKER, "arguments end with the marker");
            run(c, loop, *jeu);
        }
    }
    stdin = keyboard;
    fclose(input);
    return 0;
}
