// A client's side of the protocol against a raw socket playing the host, and what hostile
// frames cannot do to either side.
#include "ProtocoleFixture.h"

#include "../support/StdoutCapture.h"

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace prototest;

TEST_F(ClientGame, AssignedNumberIsAnnouncedToTheHost) {
    deliver(MSG_ASSIGN_ID, HOST_ID, doubles({2.0}));
    EXPECT_EQ(jeu->localPlayer.id, 2);
    Message m[5];
    for (Message& frame : m)
        ASSERT_TRUE(host.read(frame));
    const int32_t types[5] = {MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE, MSG_COLOUR};
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(m[i].type, types[i]);
        EXPECT_EQ(m[i].argument, 2);
    }
    EXPECT_EQ(textOf(m[1]), "moi");
    EXPECT_EQ(textOf(m[2]), "13:48:01");
    EXPECT_EQ(doubleAt(m[3]), 0.0);
    EXPECT_EQ(doubleAt(m[4]), 3.0);
}

TEST_F(ClientGame, NumbersThatAreNoClientAreNotTaken) {
    for (double id : {7.0, -1.0, 1e300, std::nan("")})
        deliver(MSG_ASSIGN_ID, HOST_ID, doubles({id}));
    EXPECT_EQ(jeu->localPlayer.id, -1);
    EXPECT_TRUE(host.drainTypes().empty());
}

TEST_F(ClientGame, OwnEchoesChangeNothingButOwnChatShows) {
    assign(2);
    deliver(MSG_NEW_PLAYER, 2);
    deliver(MSG_NAME, 2, text("moi"));
    EXPECT_EQ(lastMessage(*jeu), "moi tente sa chance!");
    const std::vector<uint8_t> before = slotBytes(*jeu, 2);
    deliver(MSG_STATE, 2, doubles({0, 5000, 300, 400, 90, 0}));
    deliver(MSG_SHOT, 2, doubles({100, 100, 117, 10000, 0, 0}));
    EXPECT_EQ(slotBytes(*jeu, 2), before);
    EXPECT_EQ(jeu->joueurs.nextSerial, 0);
    EXPECT_EQ(jeu->tir.nextSlot, 0);

    testsupport::StdoutCapture out;
    out.start();
    deliver(MSG_NEW_PLAYER, 7);
    deliver(MSG_CHAT, 2, text("coucou"));
    EXPECT_EQ(out.stop(), "\nNouveau joueur id: 7\n>>>\nmoi:coucou\n\n>>>");
    EXPECT_EQ(lastMessage(*jeu), "moi:coucou");
    EXPECT_EQ(jeu->remotePlayers[7].state, PLAYER_PRESENT);
}

TEST_F(ClientGame, SayGoesToTheHostAndShowsNothingYet) {
    assign(4);
    const int32_t before = messageCount(*jeu);
    testsupport::StdoutCapture out;
    out.start();
    reseau.post(MSG_SAY, 0, text("bonjour").bytes);
    dispatchMessages(*jeu);
    EXPECT_EQ(out.stop(), "");
    Message m;
    ASSERT_TRUE(host.read(m));
    EXPECT_EQ(m.type, MSG_CHAT);
    EXPECT_EQ(m.argument, 4);
    EXPECT_EQ(textOf(m), "bonjour");
    EXPECT_EQ(messageCount(*jeu), before);
}

TEST_F(ClientGame, ScoresListTheHostAndOthersButNotMyself) {
    assign(1);
    for (int32_t n : {0, 1, 7})
        deliver(MSG_NEW_PLAYER, n);
    deliver(MSG_NAME, 0, text("alice"));
    deliver(MSG_NAME, 7, text("hote"));
    deliver(MSG_SCORE, 0, doubles({2}));
    deliver(MSG_SCORE, 7, doubles({5}));
    jeu->localPlayer.score = 3;
    testsupport::StdoutCapture out;
    out.start();
    reseau.post(MSG_SHOW_SCORES, 0, nullptr);
    dispatchMessages(*jeu);
    EXPECT_EQ(out.stop(),
              "Score:\nScore de alice(0)=2\nScore de hote(7)=5\nMon score (1)=3!!\n\n>>>");
    EXPECT_EQ(lastMessage(*jeu), "Mon score=3!!");
}

TEST_F(ClientGame, ResetScoresAndKickedAndHostLost) {
    assign(1);
    jeu->localPlayer.score = 9;
    testsupport::StdoutCapture out;
    out.start();
    deliver(MSG_RESET_SCORES, 0);
    EXPECT_EQ(out.stop(), "Remise a 0 des scores\n");
    EXPECT_EQ(jeu->localPlayer.score, 0);
    Message m;
    ASSERT_TRUE(host.read(m));
    EXPECT_EQ(m.type, MSG_SCORE);
    EXPECT_EQ(m.argument, 1);
    EXPECT_EQ(doubleAt(m), 0.0);

    EXPECT_EQ(stopRequested.load(), 0);
    deliver(MSG_KICKED, 0);
    EXPECT_EQ(stopRequested.load(), 1);

    reseau.post(MSG_HOST_LOST, HOST_ID, nullptr);
    dispatchMessages(*jeu);
    EXPECT_EQ(lastMessage(*jeu), "L'hote a pris la quinte...");
}

TEST_F(ClientGame, LoadMapPlacesAtSpawnAndRefusesEscapes) {
    MapFolder folder;
    testsupport::StdoutCapture out;
    out.start();
    deliver(MSG_LOAD_MAP, 0, text("salle.map"));
    EXPECT_EQ(jeu->localPlayer.posX, 350.0);
    EXPECT_EQ(jeu->localPlayer.posY, 450.0);
    for (const char* escape :
         {"../salle.map", "maps/../../salle.map", "/tmp/tour.map", "\\tour.map", "C:tour.map"}) {
        deliver(MSG_LOAD_MAP, 1, text(escape));
    }
    const std::string printed = out.stop();
    EXPECT_NE(printed.find("\nErreur: la map \"../salle.map\" est hors du dossier du jeu, elle "
                           "n'est pas chargee\n\n>>>"),
              std::string::npos)
        << printed;
    EXPECT_EQ(jeu->map.spawns[0].x, 3);
    EXPECT_EQ(jeu->localPlayer.posX, 350.0);
}

TEST_F(ClientGame, StateGoesOutEvery500msOfFrameTimeWithItsLayout) {
    assign(3);
    Joueur& me = jeu->localPlayer;
    me.posX = 123.5;
    me.posY = -7.25;
    me.yaw = 370.0;
    me.pitch = -12.0;
    const uint8_t keys[4] = {1, 0, 1, 0};
    memcpy(me.keys, keys, 4);
    jeu->frameTimer.elapsed = 499;
    dispatchMessages(*jeu);
    EXPECT_TRUE(host.drainTypes(50).empty());
    jeu->frameTimer.elapsed = 1;
    const double before = platform::ticks();
    dispatchMessages(*jeu);
    Message m;
    ASSERT_TRUE(host.read(m));
    EXPECT_EQ(m.type, MSG_STATE);
    EXPECT_EQ(m.argument, 3);
    EXPECT_EQ(memcmp(m.payload, keys, 4), 0);
    EXPECT_GE(doubleAt(m, 8), before);
    EXPECT_LE(doubleAt(m, 8), platform::ticks());
    EXPECT_EQ(doubleAt(m, 16), 123.5);
    EXPECT_EQ(doubleAt(m, 24), -7.25);
    EXPECT_EQ(doubleAt(m, 32), 370.0);
    EXPECT_EQ(doubleAt(m, 40), -12.0);
    EXPECT_EQ(me.stateSendTimer, 0);
    // The simulation forces one with 500: it leaves in the same frame.
    jeu->frameTimer.elapsed = 0;
    me.stateSendTimer = 500;
    dispatchMessages(*jeu);
    EXPECT_EQ(host.drainTypes(), (std::vector<int32_t>{MSG_STATE}));
}

// Hostile frames, straight into the queue of both roles: nothing outside the tables is
// touched, nothing crashes, texts stay bounded.
class HostileFrames : public ::testing::TestWithParam<uint8_t> {
  protected:
    Reseau reseau;
    std::unique_ptr<Jeu> jeu;
    void SetUp() override {
        reseau.host = GetParam();
        jeu = makeJeu(reseau, "moi", 3);
        jeu->localPlayer.id = 2;
        for (int32_t n : {0, 7}) {
            reseau.post(MSG_NEW_PLAYER, n, nullptr);
            dispatchMessages(*jeu);
        }
    }
    void run(int32_t type, int32_t argument, const Payload& p) {
        reseau.post(type, argument, p.bytes);
        dispatchMessages(*jeu);
    }
};

TEST_P(HostileFrames, NumbersOutsideThePlayerTableSelectNothing) {
    testsupport::StdoutCapture out;
    out.start();
    std::vector<uint8_t> before[MAX_PLAYERS];
    for (int32_t k = 0; k < MAX_PLAYERS; ++k)
        before[k] = slotBytes(*jeu, k);
    const int32_t messages = messageCount(*jeu);
    for (int32_t n : {-5, 8, 99, INT_MAX, INT_MIN}) {
        for (int32_t type = -1; type <= 24; ++type) {
            if (type == MSG_ASSIGN_ID || type == MSG_SAY || type == MSG_SHOW_SCORES ||
                type == MSG_HOST_LOST || type == MSG_RESET_SCORES || type == MSG_CHANGE_MAP ||
                type == MSG_LOAD_MAP)
                continue; // these take no player number
            run(type, n, doubles({7.0, 1, 2, 3, 4, 5}));
        }
    }
    out.stop();
    for (int32_t k = 0; k < MAX_PLAYERS; ++k)
        EXPECT_EQ(slotBytes(*jeu, k), before[k]) << k;
    EXPECT_EQ(messageCount(*jeu), messages);
    EXPECT_EQ(jeu->localPlayer.score, 0);
    EXPECT_EQ(jeu->tir.nextSlot, 0);
}

TEST_P(HostileFrames, TextsWithoutTerminatorAreCut) {
    const std::string full(PAYLOAD_SIZE, 'A');
    run(MSG_NAME, 0, text(full));
    run(MSG_VERSION, 0, text(full));
    EXPECT_EQ(strlen(jeu->remotePlayers[0].name), 47u);
    EXPECT_EQ(strlen(jeu->remotePlayers[0].version), 47u);
    EXPECT_EQ(lastMessage(*jeu), full.substr(0, 47) + " tente sa chance!");
    testsupport::StdoutCapture out;
    out.start();
    run(MSG_CHAT, 0, text(std::string(PAYLOAD_SIZE, 'B')));
    EXPECT_EQ(out.stop(), "\n" + full.substr(0, 47) + ":" + std::string(47, 'B') + "\n\n>>>");
}

TEST_P(HostileFrames, NonFiniteAndHugeDoublesAreHarmless) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf, 1e300, -1e300, 2147483648.0}) {
        run(MSG_STATE, 0, doubles({0, v, v, v, v, v}));
        run(MSG_SHOT, 0, doubles({v, v, v, v, v, v}));
        run(MSG_SCORE, 0, doubles({v}));
        run(MSG_COLOUR, 7, doubles({v}));
        run(MSG_FRAG, 0, doubles({v}));
    }
    EXPECT_EQ(jeu->remotePlayers[0].score, 2147483647); // the last value, clamped
    EXPECT_EQ(jeu->localPlayer.score, 0);
    run(MSG_SCORE, 0, doubles({-1e300}));
    EXPECT_EQ(jeu->remotePlayers[0].score, INT_MIN);
    run(MSG_SCORE, 0, doubles({nan}));
    EXPECT_EQ(jeu->remotePlayers[0].score, 0);
}

INSTANTIATE_TEST_SUITE_P(BothRoles, HostileFrames, ::testing::Values(uint8_t{1}, uint8_t{0}),
                         [](const ::testing::TestParamInfo<uint8_t>& info) {
                             return info.param != 0 ? "Host" : "Client";
                         });

TEST(MapNames, OnlyNamesInsideTheGameFolderAreSafe) {
    for (const char* ok : {"salle.map", "maps/salle.map", "maps\\salle.map", "a..b.map", "..map"})
        EXPECT_TRUE(isSafeMapName(ok)) << ok;
    for (const char* bad : {"..", "../x.map", "maps/../../x.map", "maps/..", "..\\x.map",
                            "/etc/passwd", "\\x.map", "C:\\x.map", "c:x.map"})
        EXPECT_FALSE(isSafeMapName(bad)) << bad;
}
