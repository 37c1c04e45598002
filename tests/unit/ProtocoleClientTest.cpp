// A client's side against a raw socket playing the host, and what hostile frames cannot
// do to either side.
#include "ProtocoleFixture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

using namespace prototest;

TEST_F(ClientGame, AnnouncesItselfOnlyForAClientNumber) {
    for (double id : {7.0, -1.0, 1e300, std::nan("")})
        deliver(MSG_ASSIGN_ID, HOST_ID, doubles({id}));
    EXPECT_EQ(jeu->localPlayer.id, -1);
    EXPECT_TRUE(host.drain().empty());

    deliver(MSG_ASSIGN_ID, HOST_ID, doubles({2.0}));
    EXPECT_EQ(jeu->localPlayer.id, 2);
    const std::vector<Message> f = host.drain();
    ASSERT_EQ(f.size(), 5u);
    expectAnnouncement(f.data(), 2, 2, "moi", 0, 3);
}

TEST_F(ClientGame, OwnEchoesChangeNothingButOwnChatShows) {
    assign(2);
    deliver(MSG_NEW_PLAYER, 2);
    deliver(MSG_NAME, 2, text("moi"));
    const std::vector<uint8_t> before = slotBytes(*jeu, 2);
    deliver(MSG_STATE, 2, doubles({0, 5000, 300, 400, 90, 0}));
    deliver(MSG_SHOT, 2, doubles({100, 100, 117, 10000, 0, 0}));
    EXPECT_EQ(slotBytes(*jeu, 2), before);
    EXPECT_EQ(jeu->joueurs.nextSerial, 0);
    EXPECT_EQ(jeu->tir.nextSlot, 0);

    // Its own line goes to the host and shows only when it comes back.
    testsupport::StdoutCapture out;
    out.start();
    reseau.post(MSG_SAY, 0, text("coucou").bytes);
    dispatchMessages(*jeu);
    EXPECT_EQ(lastMessage(*jeu), "moi tente sa chance!");
    Message said;
    ASSERT_TRUE(host.read(said));
    EXPECT_EQ(said.type, MSG_CHAT);
    EXPECT_EQ(said.argument, 2);
    deliver(MSG_NEW_PLAYER, 7);
    deliver(MSG_CHAT, 2, text(textOf(said)));
    EXPECT_EQ(out.stop(), "\nNouveau joueur id: 7\n>>>\nmoi:coucou\n\n>>>");
    EXPECT_EQ(lastMessage(*jeu), "moi:coucou");
}

TEST_F(ClientGame, PeerTextsCannotDriveTheTerminal) {
    assign(2);
    deliver(MSG_NEW_PLAYER, 4);
    deliver(MSG_NAME, 4, text("x\x1b[2J\r"));
    EXPECT_EQ(printedBy([&] { deliver(MSG_CHAT, 4, text("a\x1b]0;b\x07\x7f\tfin\n")); }),
              "\nx?[2J?:a?]0;b??\tfin\n\n\n>>>");
}

TEST_F(ClientGame, ScoresListTheHostAndOthersButNotItself) {
    assign(1);
    for (int32_t n : {0, 1, 7})
        deliver(MSG_NEW_PLAYER, n);
    deliver(MSG_NAME, 0, text("alice"));
    deliver(MSG_NAME, 7, text("hote"));
    deliver(MSG_SCORE, 7, doubles({5}));
    jeu->localPlayer.score = 3;
    reseau.post(MSG_SHOW_SCORES, 0, nullptr);
    EXPECT_EQ(printedBy([&] { dispatchMessages(*jeu); }),
              "Score:\nScore de alice(0)=0\nScore de hote(7)=5\nMon score (1)=3!!\n\n>>>");
    EXPECT_EQ(lastMessage(*jeu), "Mon score=3!!");
}

TEST_F(ClientGame, ResetKickedAndHostLost) {
    assign(1);
    jeu->localPlayer.score = 9;
    EXPECT_EQ(printedBy([&] { deliver(MSG_RESET_SCORES, 0); }), "Remise a 0 des scores\n");
    EXPECT_EQ(jeu->localPlayer.score, 0);
    const std::vector<Message> f = host.drain();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].type, MSG_SCORE);
    EXPECT_EQ(f[0].argument, 1);
    EXPECT_EQ(doubleAt(f[0]), 0.0);

    deliver(MSG_KICKED, 0);
    EXPECT_EQ(stopRequested.load(), 1);
    reseau.post(MSG_HOST_LOST, HOST_ID, nullptr);
    dispatchMessages(*jeu);
    EXPECT_EQ(lastMessage(*jeu), "L'hote a pris la quinte...");
}

TEST_F(ClientGame, LoadMapPlacesAtSpawnButRefusesEscapes) {
    MapFolder folder;
    printedBy([&] {
        deliver(MSG_LOAD_MAP, 0, text("salle.map"));
        EXPECT_EQ(jeu->localPlayer.posX, 350.0);
        EXPECT_EQ(jeu->localPlayer.posY, 450.0);
        for (const char* escape : {"../tour.map", "/tmp/tour.map", "\\tour.map", "C:tour.map"})
            deliver(MSG_LOAD_MAP, 1, text(escape));
    });
    EXPECT_EQ(jeu->map.spawns[0].x, 3);
    EXPECT_EQ(jeu->localPlayer.posX, 350.0);
}

TEST_F(ClientGame, StateLeavesEvery500msOfFrameTimeOrWhenForced) {
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
    EXPECT_TRUE(host.drain(50).empty());
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
    EXPECT_EQ(
        std::vector<double>({doubleAt(m, 16), doubleAt(m, 24), doubleAt(m, 32), doubleAt(m, 40)}),
        std::vector<double>({123.5, -7.25, 370.0, -12.0}));
    jeu->frameTimer.elapsed = 0;
    me.stateSendTimer = 500; // what the simulation writes to force one
    dispatchMessages(*jeu);
    EXPECT_EQ(host.drainTypes(), std::vector<int32_t>{MSG_STATE});
}

// Hostile frames straight into the queue, for both roles: nothing outside the tables is
// touched, nothing crashes, every text stays bounded.
class HostileFrames : public ::testing::TestWithParam<uint8_t> {
  protected:
    Reseau reseau;
    std::unique_ptr<Jeu> jeu = makeJeu(reseau, "moi", 3);
    void SetUp() override {
        reseau.host = GetParam();
        jeu->localPlayer.id = 2;
        for (int32_t n : {0, 7})
            run(MSG_NEW_PLAYER, n, Payload());
    }
    void run(int32_t type, int32_t argument, const Payload& p) {
        reseau.post(type, argument, p.bytes);
        dispatchMessages(*jeu);
    }
};

TEST_P(HostileFrames, NumbersOutsideThePlayerTableSelectNothing) {
    std::vector<uint8_t> before[MAX_PLAYERS];
    for (int32_t k = 0; k < MAX_PLAYERS; ++k)
        before[k] = slotBytes(*jeu, k);
    const int32_t messages = messageCount(*jeu);
    const Types unnumbered = {MSG_ASSIGN_ID,   MSG_LOAD_MAP,  MSG_CHANGE_MAP,  MSG_SAY,
                              MSG_SHOW_SCORES, MSG_HOST_LOST, MSG_RESET_SCORES};
    EXPECT_EQ(printedBy([&] {
                  for (int32_t n : {-5, 8, 99, INT_MAX, INT_MIN})
                      for (int32_t type = -1; type <= 24; ++type)
                          if (std::find(unnumbered.begin(), unnumbered.end(), type) ==
                              unnumbered.end())
                              run(type, n, doubles({7.0, 1, 2, 3, 4, 5}));
              }),
              "");
    for (int32_t k = 0; k < MAX_PLAYERS; ++k)
        EXPECT_EQ(slotBytes(*jeu, k), before[k]) << k;
    EXPECT_EQ(messageCount(*jeu), messages);
    EXPECT_EQ(jeu->localPlayer.score, 0);
    EXPECT_EQ(jeu->tir.nextSlot, 0);
}

TEST_P(HostileFrames, TextsWithoutTerminatorAreCutTo47) {
    const std::string a(PAYLOAD_SIZE, 'A'), b(PAYLOAD_SIZE, 'B');
    run(MSG_NAME, 0, text(a));
    run(MSG_VERSION, 0, text(a));
    EXPECT_EQ(std::string(jeu->remotePlayers[0].name), a.substr(0, 47));
    EXPECT_EQ(std::string(jeu->remotePlayers[0].version), a.substr(0, 47));
    EXPECT_EQ(lastMessage(*jeu), a.substr(0, 47) + " tente sa chance!");
    EXPECT_EQ(printedBy([&] { run(MSG_CHAT, 0, text(b)); }),
              "\n" + a.substr(0, 47) + ":" + b.substr(0, 47) + "\n\n>>>");
}

TEST_P(HostileFrames, NonFiniteAndHugeDoublesAreHarmless) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {std::nan(""), inf, -inf, 1e300, -1e300, 2147483648.0}) {
        run(MSG_STATE, 0, doubles({v, v, v, v, v, v}));
        run(MSG_SHOT, 0, doubles({v, v, v, v, v, v}));
        run(MSG_COLOUR, 7, doubles({v}));
        run(MSG_FRAG, 0, doubles({v}));
        run(MSG_SCORE, 0, doubles({v}));
    }
    EXPECT_EQ(jeu->remotePlayers[0].score, INT_MAX);
    EXPECT_EQ(jeu->localPlayer.score, 0);
    run(MSG_SCORE, 0, doubles({-1e300}));
    EXPECT_EQ(jeu->remotePlayers[0].score, INT_MIN);
}

INSTANTIATE_TEST_SUITE_P(BothRoles, HostileFrames, ::testing::Values(uint8_t{1}, uint8_t{0}),
                         [](const ::testing::TestParamInfo<uint8_t>& info) {
                             return std::string(info.param != 0 ? "Host" : "Client");
                         });

TEST(MapNames, OnlyNamesInsideTheGameFolderAreSafe) {
    for (const char* ok : {"salle.map", "maps\\salle.map", "maps/a..b.map", "..map"})
        EXPECT_TRUE(isSafeMapName(ok)) << ok;
    for (const char* bad :
         {"..", "../x.map", "maps/../../x.map", "maps\\..", "/etc/passwd", "\\x.map", "C:\\x.map"})
        EXPECT_FALSE(isSafeMapName(bad)) << bad;
}
