// The map and host commands against a console that has been started: what they post to the
// game's queue, and what they refuse.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"
#include "console/Console.h"
#include "console/HostCommands.h"
#include "game/Protocole.h"

namespace {

using testsupport::printedBy;
using testsupport::TempFolder;

const std::string NOT_HOST = "Erreur: vous n'etes pas le serveur\n";

// Too big for the stack, and one console per process is what the game has too.
Console console;

class StartedConsole : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(inFolder.ok());
        console.started = 1;
        console.reseau.host = 1;
        console.mapCount = 1;
        strcpy(console.mapNames[0], "salle.map");
        drain();
    }
    void TearDown() override { drain(); }
    void drain() {
        Message m;
        for (int i = 0; i < QUEUE_SLOTS && console.reseau.nextMessage(m) == 0; ++i) {
        }
    }
    void expectPosted(int32_t type, int32_t argument, const char* payload) {
        Message m;
        ASSERT_EQ(console.reseau.nextMessage(m), 0);
        EXPECT_EQ(m.type, type);
        EXPECT_EQ(m.argument, argument);
        if (payload == nullptr) return;
        EXPECT_EQ(memcmp(m.payload, payload, PAYLOAD_SIZE), 0);
    }
    void expectNothingPosted() {
        Message m;
        EXPECT_EQ(console.reseau.nextMessage(m), 1);
    }
    TempFolder folder;
    testsupport::WorkingFolder inFolder{folder.path()};
};

TEST_F(StartedConsole, HostRequestsGoToTheQueue) {
    char text[48] = "salut la compagnie";
    EXPECT_EQ(printedBy([&] {
                  say(console, text);
                  showScore(console);
                  kick(console, 6);
                  resetScores(console);
              }),
              "");
    expectPosted(MSG_SAY, 0, text);
    expectPosted(MSG_SHOW_SCORES, 0, nullptr);
    expectPosted(MSG_KICK, 6, nullptr);
    expectPosted(MSG_RESET_SCORES, 0, nullptr);
    expectNothingPosted();
}

TEST_F(StartedConsole, LoadMapReadsTheListNowAndCutsLongNames) {
    const std::string longName(60, 'n');
    folder.write("liste des maps.list", "<salle.map><" + longName + ">");
    EXPECT_EQ(printedBy([] { loadMap(console, 1); }), "");
    char payload[PAYLOAD_SIZE] = {};
    memcpy(payload, longName.data(), PAYLOAD_SIZE - 1);
    expectPosted(MSG_CHANGE_MAP, 1, payload);
    // The number is checked against the file, not against the maps known at start.
    EXPECT_EQ(printedBy([] { loadMap(console, 2); }), "Erreur: Map inexistante\n");
    EXPECT_EQ(printedBy([] { loadMap(console, -1); }), "Erreur: Map inexistante\n");
    expectNothingPosted();
}

TEST_F(StartedConsole, ShowMapKnowsOnlyTheMapsOfStart) {
    EXPECT_EQ(printedBy([] { showMap(console, 1); }), "Erreur: La map 1 est inexistante\n");
    EXPECT_EQ(printedBy([] { showMap(console, -2147483647); }),
              "Erreur: La map -2147483647 est inexistante\n");
}

TEST_F(StartedConsole, NothingIsPostedBeforeStart) {
    console.started = 0;
    char text[48] = "personne";
    EXPECT_EQ(printedBy([&] {
                  say(console, text);
                  showScore(console);
                  kick(console, 3);
              }),
              "");
    expectNothingPosted();
}

TEST_F(StartedConsole, ClientIsRefusedHostCommands) {
    console.reseau.host = 0;
    folder.write("liste des maps.list", "<salle.map>");
    EXPECT_EQ(printedBy([] { loadMap(console, 0); }), NOT_HOST);
    EXPECT_EQ(printedBy([] { loadMap(console, 1); }), "Erreur: Map inexistante\n");
    EXPECT_EQ(printedBy([] { resetScores(console); }), NOT_HOST);
    expectNothingPosted();
}

TEST_F(StartedConsole, ClientKickIsAFiveSecondJoke) {
    console.reseau.host = 0;
    const auto begin = std::chrono::steady_clock::now();
    const std::string printed = printedBy([] { kick(console, 3); });
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(printed, "tssssss...\npour la peine vous allez etre expulse dans 5 sec\n"
                       "5\n4\n3\n2\n1\nBOOOOOM\nhinhin c'etait une blague^^\n\n>>>");
    EXPECT_GE(elapsed, std::chrono::milliseconds(4900));
    EXPECT_LT(elapsed, std::chrono::milliseconds(8000));
    expectNothingPosted();
}

} // namespace
