// The host's side of the protocol over a real transport: the join, relaying, kicks, the
// version check, frags and map changes, seen by raw clients on 127.0.0.1.
#include "ProtocoleFixture.h"

#include "../support/StdoutCapture.h"

#include <string>
#include <vector>

using namespace prototest;

namespace {

// Reads the five frames of one announcement and checks them against what was announced.
void expectBlock(RawPeer& peer, int32_t n, const char* name, int32_t score, int32_t colour) {
    const int32_t types[5] = {MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE, MSG_COLOUR};
    Message m[5];
    for (int32_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(peer.read(m[i])) << "frame " << i << " of player " << n;
        EXPECT_EQ(m[i].type, types[i]) << "frame " << i << " of player " << n;
    }
    EXPECT_EQ(m[0].argument, n);
    EXPECT_EQ(textOf(m[1]), name);
    EXPECT_EQ(m[2].argument, HOST_ID); // the sender's own number
    EXPECT_EQ(textOf(m[2]), "13:48:01");
    EXPECT_EQ(doubleAt(m[3]), score);
    EXPECT_EQ(doubleAt(m[4]), colour);
}

} // namespace

TEST_F(HostGame, NewcomerLearnsHostThenOthersThenItselfThenTheMap) {
    const int32_t port = listen();
    RawPeer alice, bob;
    ASSERT_EQ(join(alice, port, "alice", 2), 0);
    jeu->remotePlayers[0].score = 4;
    alice.drainTypes();
    testsupport::StdoutCapture out;
    out.start();
    const int32_t messagesBefore = messageCount(*jeu);
    ASSERT_EQ(join(bob, port, "bob", 6), 1);
    EXPECT_EQ(out.stop(), "\nNouveau joueur id: 1\n\n>>>");

    expectBlock(bob, HOST_ID, "hote", 0, 5);
    expectBlock(bob, 0, "alice", 4, 2);
    expectBlock(bob, 1, "Nouveau joueur", 0, 0);
    Message m;
    ASSERT_TRUE(bob.read(m));
    EXPECT_EQ(m.type, MSG_LOAD_MAP);
    EXPECT_EQ(m.argument, 0);
    EXPECT_EQ(textOf(m), "salle.map");
    ASSERT_TRUE(bob.read(m)); // its own name, relayed back
    EXPECT_EQ(m.type, MSG_NAME);
    EXPECT_EQ(textOf(m), "bob");

    // Alice hears of bob through the placeholder block, then his real values; the map and
    // his version are for him alone.
    std::vector<int32_t> seen = alice.drainTypes();
    EXPECT_EQ(seen, (std::vector<int32_t>{MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE,
                                          MSG_COLOUR, MSG_NAME, MSG_SCORE, MSG_COLOUR}));
    // Only the real pseudo reaches the message list.
    EXPECT_EQ(messageCount(*jeu), messagesBefore + 1);
    EXPECT_EQ(lastMessage(*jeu), "bob tente sa chance!");
}

TEST_F(HostGame, RelaysToEveryoneButDropsShotsOfAbsentPlayers) {
    const int32_t port = listen();
    RawPeer alice, bob;
    ASSERT_EQ(join(alice, port, "alice", 2), 0);
    ASSERT_EQ(join(bob, port, "bob", 6), 1);
    alice.drainTypes();
    bob.drainTypes();

    alice.send(MSG_SHOT, 3, doubles({100, 100, 117, 10000, 0, 0})); // nobody is player 3
    alice.send(MSG_SHOT, 0, doubles({100, 100, 117, 10000, 0, 0}));
    alice.send(MSG_CHAT, 0, text("salut"));
    testsupport::StdoutCapture out;
    out.start();
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return lastMessage(*jeu) == "alice:salut"; }));
    EXPECT_EQ(out.stop(), "\nalice:salut\n\n>>>");
    EXPECT_EQ(jeu->tir.balles[0].owner, 0);
    EXPECT_EQ(jeu->tir.nextSlot, 1);
    for (RawPeer* peer : {&alice, &bob}) {
        EXPECT_EQ(peer->drainTypes(), (std::vector<int32_t>{MSG_SHOT, MSG_CHAT}));
    }
}

TEST_F(HostGame, WrongVersionIsKickedAtTheTwentyFirstState) {
    const int32_t port = listen();
    RawPeer good, bad;
    ASSERT_EQ(join(good, port, "good", 1), 0);
    ASSERT_EQ(join(bad, port, "bad", 1, "00:00:00"), 1);
    const Payload state = doubles({0, 1000, 200, 300, 0, 0});
    for (int32_t i = 0; i < 20; ++i) {
        bad.send(MSG_STATE, 1, state);
        good.send(MSG_STATE, 0, state);
    }
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->versionMismatches[1] == 20; }));
    EXPECT_EQ(jeu->versionMismatches[0], 0);
    EXPECT_EQ(jeu->remotePlayers[1].state, PLAYER_PRESENT);

    bad.send(MSG_STATE, 1, state);
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->remotePlayers[1].state == PLAYER_ABSENT; }));
    Message m;
    ASSERT_TRUE(bad.readType(MSG_KICKED, m));
    EXPECT_EQ(m.argument, 0);
    for (int32_t type : good.drainTypes())
        EXPECT_NE(type, MSG_KICKED);
}

TEST_F(HostGame, KickGoesToThatClientOnlyEachTime) {
    const int32_t port = listen();
    RawPeer alice, bob;
    ASSERT_EQ(join(alice, port, "alice", 2), 0);
    ASSERT_EQ(join(bob, port, "bob", 6), 1);
    alice.drainTypes();
    bob.drainTypes();
    reseau.post(MSG_KICK, 1, nullptr);
    reseau.post(MSG_KICK, 1, nullptr);
    // Numbers that are no client must not turn into "everybody".
    reseau.post(MSG_KICK, 7, nullptr);
    reseau.post(MSG_KICK, 99, nullptr);
    dispatchMessages(*jeu);
    EXPECT_EQ(bob.drainTypes(), (std::vector<int32_t>{MSG_KICKED, MSG_KICKED}));
    EXPECT_TRUE(alice.drainTypes().empty());
    EXPECT_EQ(jeu->remotePlayers[1].state, PLAYER_ABSENT);
    EXPECT_EQ(jeu->remotePlayers[0].state, PLAYER_PRESENT);
}

TEST_F(HostGame, FragGivesAPointAndATauntCutTo47) {
    const int32_t port = listen();
    RawPeer victim;
    const std::string longName = "un_pseudo_vraiment_beaucoup_trop_long_xx"; // 40 characters
    ASSERT_EQ(join(victim, port, longName.c_str(), 2), 0);
    victim.drainTypes();

    testsupport::StdoutCapture out;
    out.start();
    victim.send(MSG_FRAG, 0, doubles({3.0})); // somebody else's frag
    victim.send(MSG_FRAG, 0, doubles({7.0}));
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->localPlayer.score == 1; }));
    const std::string printed = out.stop();

    std::vector<Message> frames;
    Message m;
    while (frames.size() < 10 && victim.read(m, 200))
        frames.push_back(m);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].type, MSG_FRAG); // the other frag, relayed
    EXPECT_EQ(doubleAt(frames[0]), 3.0);
    EXPECT_EQ(frames[1].type, MSG_SCORE);
    EXPECT_EQ(frames[1].argument, HOST_ID);
    EXPECT_EQ(doubleAt(frames[1]), 1.0);
    EXPECT_EQ(frames[2].type, MSG_FRAG);
    EXPECT_EQ(frames[3].type, MSG_CHAT);
    EXPECT_EQ(frames[3].argument, HOST_ID);

    const char* taunts[5] = {"%s n'etait pas assez fort\n", "%s admet son inferiorite\n",
                             "%s est vraiment un noob...\n", "Tu me decois %s\n",
                             "Prend pas la quinte %s...\n"};
    bool known = false;
    for (const char* t : taunts) {
        char full[128];
        snprintf(full, sizeof full, t, longName.c_str());
        known = known || textOf(frames[3]) == std::string(full).substr(0, 47);
    }
    EXPECT_TRUE(known) << textOf(frames[3]);
    EXPECT_EQ(textOf(frames[3]).size(), 47u);
    EXPECT_EQ(lastMessage(*jeu), "hote:" + textOf(frames[3]));
    EXPECT_EQ(printed, "Vous gagnez un point!\n>>>\nhote:" + textOf(frames[3]) + "\n\n>>>");
}

TEST_F(HostGame, ChangeMapLoadsMovesAndTellsEveryoneButRefusesEscapes) {
    MapFolder folder;
    const int32_t port = listen();
    RawPeer alice;
    ASSERT_EQ(join(alice, port, "alice", 2), 0);
    alice.drainTypes();
    jeu->localPlayer.score = 3;

    testsupport::StdoutCapture out;
    out.start();
    reseau.post(MSG_CHANGE_MAP, 1, text("tour.map").bytes);
    dispatchMessages(*jeu);
    out.stop();
    EXPECT_EQ(jeu->mapNumber, 1);
    EXPECT_STREQ(jeu->mapName, "tour.map");
    EXPECT_EQ(jeu->map.spawnCount, 1);
    EXPECT_EQ(jeu->localPlayer.posX, 650.0);
    EXPECT_EQ(jeu->localPlayer.posY, 150.0);
    EXPECT_EQ(jeu->localPlayer.score, 3);
    Message m;
    ASSERT_TRUE(alice.readType(MSG_LOAD_MAP, m));
    EXPECT_EQ(m.argument, 1);
    EXPECT_EQ(textOf(m), "tour.map");

    for (const char* escape : {"../tour.map", "/etc/passwd", "..\\..\\x.map"}) {
        out.start();
        reseau.post(MSG_CHANGE_MAP, 0, text(escape).bytes);
        dispatchMessages(*jeu);
        const std::string printed = out.stop();
        EXPECT_NE(printed.find("Erreur: la map"), std::string::npos) << escape;
        EXPECT_EQ(jeu->mapNumber, 1);
        EXPECT_STREQ(jeu->mapName, "tour.map");
    }
    EXPECT_TRUE(alice.drainTypes().empty());
}
