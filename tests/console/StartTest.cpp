// The start dialogue of the real executable: options, map list, role, ports, address, map
// number, the game thread's window failure without an X display, refusals and retries.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Socket.h"

#include "../support/LiveProcess.h"
#include "../support/TempFolder.h"
#include "ConsoleTexts.h"

namespace {

using namespace consoletest;

const std::string NEW_OPTIONS = "Chargement des options\n"
                                "Fichier option inexistant\n"
                                "Chargement des options par defaut\n"
                                "Creation d'un nouveau fichier option\n";
const std::string MAPS = "Listage des map...\n"
                         "salle.map\n"
                         "maps\\tour.map\n";
const std::string ROLE = "Initialisation de la connection\n"
                         "Serveur ou client?(s/c):";
const std::string ADDRESS = "Entrez l'addresse IP du serveur:";
const std::string PORT = "Entrez le port:";
const std::string MAP_NUMBER = "Entrez le numero de la map:";
const std::string WINDOW = "Initialisation de la fenetre\n";
const std::string FAILED = "Echec de la connection\n";
const std::string ONE_ERROR = "\n\t1 erreurs lors de l'initialisation\n";
const std::string WINDOW_ERROR = "\nErreur lors de l'initialisation de la fenetre\n\n>>>";

std::string attempt(const std::string& address, int port) {
    return "Tentative de connection sur " + address + ":" + std::to_string(port) + "\n";
}

// A port on which nothing listens (bound once by us, then closed).
int closedPort() {
    platform::TcpSocket s;
    if (platform::listenTcp(0, 1, s) != 0) return -1;
    const int port = platform::localPort(s);
    platform::closeSocket(s);
    return port;
}

// Whether `port` can be listened on now; waits up to `ms` for another test to let it go.
bool portIsFree(uint16_t port, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        platform::TcpSocket s;
        const bool free = platform::listenTcp(port, 1, s) == 0;
        platform::closeSocket(s);
        if (free) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// A socket closed at the end of the test, whatever happens.
struct Probe {
    platform::TcpSocket socket;
    ~Probe() { platform::closeSocket(socket); }
};

// Connects to a listener that another process may still be binding; false after `ms`.
bool connectWithin(uint16_t port, int ms, platform::TcpSocket& out) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (platform::connectTcp("127.0.0.1", port, out) != 0) {
        platform::closeSocket(out);
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class StartDialogue : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        folder.write("liste des maps.list", "Les maps:\n<salle.map> 0\n<maps\\tour.map> 1\n");
        folder.write("liste des textures.list", "<salle.list>\n");
        folder.write("salle.list", "<donnees\\textures\\mur.jpg>\n");
        folder.write("salle.map", "<apparition> (1,1)\n<mur> [0]{1} (h,0,0,3)(0,2)\n<fin>\n");
    }
    std::string run(const std::string& input) { return runGame(folder.path(), input, 8000); }
    testsupport::TempFolder folder;
};

} // namespace

TEST_F(StartDialogue, HostWithoutDisplayListensWhileTheConsoleLivesOn) {
    if (!portIsFree(65535, 10000)) GTEST_SKIP() << "port 65535 is taken";
    testsupport::LiveProcess game;
    // An empty DISPLAY reaches no X server, exactly as an unset one.
    ASSERT_TRUE(game.start(BV_GAME_EXE, {}, folder.path(), {"DISPLAY="}));
    for (const char* line : {"start", "s", "65536", "-1", "65535", "5", "x", "-1"})
        ASSERT_TRUE(game.send(line));
    const std::string refused = "Erreur: La map 5 est inexistante\n" + MAP_NUMBER +
                                "Erreur: La map -1 est inexistante\n" + MAP_NUMBER +
                                "Erreur: La map -1 est inexistante\n" + MAP_NUMBER;
    const std::string dialogue = BANNER + P + "Initialisation...\n" + NEW_OPTIONS + MAPS + ROLE +
                                 repeat(PORT, 3) + WINDOW + MAP_NUMBER + refused;
    ASSERT_TRUE(game.waitFor(refused, 5000)) << game.output();
    EXPECT_EQ(game.output(), dialogue);

    // The host listens on the last port typed (its accept thread binds it meanwhile).
    Probe probe;
    ASSERT_TRUE(connectWithin(65535, 5000, probe.socket));
    Message welcome = {};
    ASSERT_EQ(platform::waitReadable(probe.socket, 3000), 0);
    ASSERT_EQ(platform::receiveExactly(probe.socket, &welcome, FRAME_SIZE), 0);
    EXPECT_EQ(welcome.type, MSG_ASSIGN_ID);

    ASSERT_TRUE(game.send("1"));
    const std::string started = "\n\t0 erreurs lors de l'initialisation\n" + P;
    ASSERT_TRUE(game.waitFor(WINDOW_ERROR, 5000, dialogue.size())) << game.output();
    ASSERT_TRUE(game.waitFor(started, 5000, dialogue.size())) << game.output();
    // The game thread's lines interleave with the console's; each comes whole.
    std::string rest = game.output().substr(dialogue.size());
    for (const std::string& line : {std::string("\nInitialisation de SDL\n"), WINDOW_ERROR}) {
        const size_t at = rest.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        rest.erase(at, line.size());
    }
    EXPECT_EQ(rest, started);

    size_t mark = game.outputSize();
    ASSERT_TRUE(game.send("aide"));
    ASSERT_TRUE(game.waitFor("Click gauche=Tirer\n\n" + P, 5000, mark)) << game.output();
    const std::string help = "\nLISTE DES COMMANDES:\n\n";
    EXPECT_EQ(game.output().substr(mark, help.size()), help);
    mark = game.outputSize();
    ASSERT_TRUE(game.send("start"));
    const std::string again = "Erreur: l'initialisation a deja ete faite\n"
                              "Veuillez relancer le jeu pour reinitialiser\n" +
                              P;
    ASSERT_TRUE(game.waitFor(again, 5000, mark)) << game.output();
    EXPECT_EQ(game.output().substr(mark), again);
    ASSERT_TRUE(game.send("quitter"));
    EXPECT_TRUE(game.waitExit(5000));
    EXPECT_EQ(game.exitStatus(), 0);
    EXPECT_EQ(game.errors().find("failed to open display"), std::string::npos) << game.errors();
}

TEST_F(StartDialogue, ClientThatCannotConnectFailsAndMayStartAgain) {
    const int port = closedPort();
    ASSERT_GT(port, 0);
    const std::string p = std::to_string(port);
    // The second start: a capital S is a client too; out of range, not a number, a lone
    // sign are all asked again.
    const std::string output = run("start\nc\n127.0.0.1\n" + p + "\nstart\nS\n127.0.0.1\n70000\n" +
                                   "abc\n-\n" + p + "\nquitter\n");
    EXPECT_EQ(output, BANNER + P + "Initialisation...\n" + NEW_OPTIONS + MAPS + ROLE + ADDRESS +
                          PORT + attempt("127.0.0.1", port) + FAILED + ONE_ERROR + P +
                          "Initialisation...\nChargement des options\n" + MAPS + ROLE + ADDRESS +
                          repeat(PORT, 4) + attempt("127.0.0.1", port) + FAILED + ONE_ERROR + P);
}

TEST_F(StartDialogue, ClientEntriesAreBoundedAndTheFirstPortDefaults) {
    // At most 19 characters of address; a first port entry that is no number means 2302.
    const std::string output = run("start\nc\n1234567890123456789012345 abc\nquitter\n");
    EXPECT_EQ(output, BANNER + P + "Initialisation...\n" + NEW_OPTIONS + MAPS + ROLE + ADDRESS +
                          PORT + attempt("1234567890123456789", 2302) + FAILED + ONE_ERROR + P);
}

TEST_F(StartDialogue, MapListMissingOrEmpty) {
    folder.write("options", ""); // damaged: rewritten with the defaults
    folder.write("liste des maps.list", "aucune map ici\n");
    const std::string empty = run("start\ns\n0\nquitter\n");
    EXPECT_EQ(empty, BANNER + P + "Initialisation...\n" + "Chargement des options\n" +
                         "Erreur: fin du fichier inatendue\n" +
                         "Erreur lors du chargement des options\n" +
                         "Chargement des options par defaut\n" +
                         "Creation d'un nouveau fichier option\n" + "Listage des map...\n" + ROLE +
                         PORT + WINDOW + "Erreur: aucune map n'existe\n" + ONE_ERROR + P);

    // Without the list the start ends before the role is asked.
    ASSERT_EQ(std::remove(folder.file("liste des maps.list").c_str()), 0);
    const std::string missing = run("start\nquitter\n");
    EXPECT_EQ(missing, BANNER + P + "Initialisation...\n" + "Chargement des options\n" +
                           "Listage des map...\n" +
                           "Erreur lors du chargement du fichier: \"liste des maps.list\"\n" +
                           ONE_ERROR + P);
}

TEST_F(StartDialogue, EndOfInputAnywhereInTheDialogueEndsTheProgram) {
    const std::string head = BANNER + P + "Initialisation...\n";
    const struct {
        const char* input;
        std::string tail;
    } cases[] = {
        {"start\n", ROLE},
        {"start\ns\n", ROLE + PORT},
        {"start\ns\n70000\nabc", ROLE + repeat(PORT, 3)},
        {"start\nc\n", ROLE + ADDRESS},
        {"start\nc\n10.1.2.3\n", ROLE + ADDRESS + PORT},
        {"start\ns\n0\n", ROLE + PORT + WINDOW + MAP_NUMBER},
        {"start\ns\n0\n7\n",
         ROLE + PORT + WINDOW + MAP_NUMBER + "Erreur: La map 7 est inexistante\n" + MAP_NUMBER},
    };
    for (const auto& c : cases) {
        std::remove(folder.file("options").c_str());
        EXPECT_EQ(run(c.input), head + NEW_OPTIONS + MAPS + c.tail) << c.input;
    }
}
