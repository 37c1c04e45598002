// The host's side over a real transport: the join, relaying, kicks, the version check,
// frags and map changes, as raw clients on 127.0.0.1 see them.
#include <algorithm>

#include "ProtocoleFixture.h"

using namespace prototest;

namespace {

// The next five frames are the announcement of player n with these values.
void expectBlock(RawPeer& peer, int32_t n, const char* name, int32_t score, int32_t colour) {
    Message m[5];
    for (Message& frame : m)
        ASSERT_TRUE(peer.read(frame));
    expectAnnouncement(m, n, HOST_ID, name, score, colour);
}

// What a dispatch can change in the game: the remote slots, the snapshots, the bullets,
// the message list and the own score.
std::string footprint(const Jeu& jeu) {
    auto bytes = [](const void* at, size_t n) { return std::string((const char*)at, n); };
    return bytes(jeu.remotePlayers, sizeof jeu.remotePlayers) +
           bytes(&jeu.joueurs, sizeof jeu.joueurs) + bytes(&jeu.tir, sizeof jeu.tir) +
           bytes(&jeu.texte, sizeof jeu.texte) + std::to_string(jeu.localPlayer.score);
}

// `sender` sends a box taken that changes nothing but is relayed; runs the dispatch until
// `watcher` gets it, so that whatever `sender` sent before has been handled. The types
// `watcher` got meanwhile; what the dispatch printed goes to `printed`.
Types pumpPast(Jeu& jeu, RawPeer& sender, RawPeer& watcher, std::string* printed = nullptr) {
    sender.send(MSG_TAKE_BOX, -1);
    Types seen;
    const std::string said = printedBy([&] {
        EXPECT_TRUE(pumpUntil(jeu, [&] {
            Message m;
            while (watcher.read(m, 0))
                seen.push_back(m.type);
            return std::count(seen.begin(), seen.end(), MSG_TAKE_BOX) != 0;
        }));
    });
    if (printed != nullptr) *printed = said;
    return seen;
}

} // namespace

TEST_F(HostGame, NewcomerLearnsHostThenOthersThenItselfThenTheMap) {
    RawPeer alice, bob;
    ASSERT_EQ(join(alice, "alice", 2), 0);
    jeu->remotePlayers[0].score = 4;
    alice.drain();
    const int32_t messages = messageCount(*jeu);
    EXPECT_EQ(printedBy([&] { ASSERT_EQ(join(bob, "bob", 6), 1); }),
              "\nNouveau joueur id: 1\n\n>>>");

    expectBlock(bob, HOST_ID, "hote", 0, 5);
    expectBlock(bob, 0, "alice", 4, 2);
    expectBlock(bob, 1, "Nouveau joueur", 0, 0);
    const std::vector<Message> rest = bob.drain();
    ASSERT_EQ(rest.size(), 4u);
    EXPECT_EQ(rest[0].type, MSG_LOAD_MAP);
    EXPECT_EQ(textOf(rest[0]), "salle.map");
    EXPECT_EQ(textOf(rest[1]), "bob"); // its own values come back, all but the version
    EXPECT_EQ(alice.drainTypes(), (Types{MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE,
                                         MSG_COLOUR, MSG_NAME, MSG_SCORE, MSG_COLOUR}));
    // The placeholder name adds no line; the real one does.
    EXPECT_EQ(messageCount(*jeu), messages + 1);
    EXPECT_EQ(lastMessage(*jeu), "bob tente sa chance!");
}

TEST_F(HostGame, RelaysToAllButNotShotsOfAbsentPlayers) {
    RawPeer alice, bob;
    joinTwo(alice, bob);
    alice.send(MSG_SHOT, 3, doubles({100, 100, 117, 10000, 0, 0})); // nobody is player 3
    alice.send(MSG_SHOT, 0, doubles({100, 100, 117, 10000, 0, 0}));
    alice.send(MSG_CHAT, 0, text("salut"));
    EXPECT_EQ(printedBy([&] {
                  ASSERT_TRUE(pumpUntil(*jeu, [&] { return lastMessage(*jeu) == "alice:salut"; }));
              }),
              "\nalice:salut\n\n>>>");
    EXPECT_EQ(jeu->tir.nextSlot, 1);
    EXPECT_EQ(jeu->tir.balles[0].owner, 0);
    EXPECT_EQ(alice.drainTypes(), (Types{MSG_SHOT, MSG_CHAT}));
    EXPECT_EQ(bob.drainTypes(), (Types{MSG_SHOT, MSG_CHAT}));
}

TEST_F(HostGame, ClientCannotSendWhatOnlyTheHostPostsToItself) {
    RawPeer alice, bob;
    joinTwo(alice, bob);
    jeu->localPlayer.score = 4;
    alice.send(MSG_KICK, 1);
    alice.send(MSG_RESET_SCORES, 0);
    alice.send(MSG_PLAYER_LEFT, 1);
    alice.send(MSG_CHANGE_MAP, 0, text("tour.map"));
    alice.send(MSG_SAY, 0, text("je suis l'hote"));
    alice.send(MSG_CHAT, 0, text("fin")); // a real message behind them, to know when to stop
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return lastMessage(*jeu) == "alice:fin"; }));
    EXPECT_EQ(jeu->remotePlayers[1].state, PLAYER_PRESENT);
    EXPECT_EQ(jeu->localPlayer.score, 4);
    EXPECT_EQ(bob.drainTypes(), (Types{MSG_CHAT}));
}

TEST_F(HostGame, WrongVersionIsKickedAtTheTwentyFirstStateAndOnlyIt) {
    RawPeer good, bad;
    ASSERT_EQ(join(good, "good", 1), 0);
    ASSERT_EQ(join(bad, "bad", 1, "00:00:00"), 1);
    const Payload state = doubles({0, 1000, 200, 300, 0, 0});
    for (int32_t i = 0; i < 20; ++i) {
        bad.send(MSG_STATE, 1, state);
        good.send(MSG_STATE, 0, state);
    }
    // Behind good's states: once shown, none of them can still be relayed after the kick.
    good.send(MSG_CHAT, 0, text("fin"));
    ASSERT_TRUE(pumpUntil(
        *jeu, [&] { return jeu->versionMismatches[1] == 20 && lastMessage(*jeu) == "good:fin"; }));
    EXPECT_EQ(jeu->versionMismatches[0], 0);
    EXPECT_EQ(jeu->remotePlayers[1].state, PLAYER_PRESENT);
    bad.send(MSG_STATE, 1, state);
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->remotePlayers[1].state == PLAYER_ABSENT; }));
    const Types seen = bad.drainTypes();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), MSG_KICKED);
    for (int32_t type : good.drainTypes())
        EXPECT_NE(type, MSG_KICKED);

    // A kick posted twice is sent twice; numbers that are no client are not "everybody".
    for (int32_t n : {1, 1, 7, 99})
        reseau.post(MSG_KICK, n, nullptr);
    dispatchMessages(*jeu);
    EXPECT_EQ(bad.drainTypes(), (Types{MSG_KICKED, MSG_KICKED}));
    EXPECT_TRUE(good.drainTypes().empty());
}

TEST_F(HostGame, FragGivesAPointAndATauntCutTo47) {
    RawPeer victim;
    const std::string name = "un_pseudo_vraiment_beaucoup_trop_long_xx"; // 40 characters
    ASSERT_EQ(join(victim, name.c_str(), 2), 0);
    victim.drain();
    victim.send(MSG_FRAG, 0, doubles({7.0}));
    const std::string said = printedBy(
        [&] { ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->localPlayer.score == 1; })); });

    const std::vector<Message> f = victim.drain();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(Types({f[0].type, f[1].type, f[2].type}), (Types{MSG_SCORE, MSG_FRAG, MSG_CHAT}));
    EXPECT_EQ(f[0].argument, HOST_ID);
    EXPECT_EQ(doubleAt(f[0]), 1.0);
    EXPECT_EQ(f[2].argument, HOST_ID);
    const std::string taunt = textOf(f[2]);
    bool known = false;
    for (const char* t :
         {"%s n'etait pas assez fort\n", "%s admet son inferiorite\n",
          "%s est vraiment un noob...\n", "Tu me decois %s\n", "Prend pas la quinte %s...\n"}) {
        char full[128];
        snprintf(full, sizeof full, t, name.c_str());
        known = known || taunt == std::string(full, 47);
    }
    EXPECT_TRUE(known) << taunt;
    EXPECT_EQ(said, "Vous gagnez un point!\n>>>\nhote:" + taunt + "\n\n>>>");
    EXPECT_EQ(lastMessage(*jeu), "hote:" + taunt);
}

TEST_F(HostGame, ChangeMapLoadsMovesAndTellsEveryoneButRefusesEscapes) {
    MapFolder folder;
    RawPeer alice;
    ASSERT_EQ(join(alice, "alice", 2), 0);
    alice.drain();
    jeu->localPlayer.score = 3;
    reseau.post(MSG_CHANGE_MAP, 1, text("tour.map").bytes);
    reseau.post(MSG_CHANGE_MAP, 0, text("../salle.map").bytes);
    EXPECT_NE(printedBy([&] { dispatchMessages(*jeu); })
                  .find("\nErreur: la map \"../salle.map\" est hors du dossier du jeu, elle "
                        "n'est pas chargee\n\n>>>"),
              std::string::npos);
    EXPECT_EQ(jeu->mapNumber, 1);
    EXPECT_STREQ(jeu->mapName, "tour.map");
    EXPECT_EQ(jeu->localPlayer.posX, 650.0);
    EXPECT_EQ(jeu->localPlayer.posY, 150.0);
    EXPECT_EQ(jeu->localPlayer.score, 3);
    const std::vector<Message> f = alice.drain();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].type, MSG_LOAD_MAP);
    EXPECT_EQ(f[0].argument, 1);
    EXPECT_EQ(textOf(f[0]), "tour.map");
}

TEST_F(HostGame, EachClientSpeaksOnlyForItself) {
    struct Case {
        int32_t type;
        Payload payload;
        bool relayed;
    };
    const Case cases[] = {
        {MSG_NAME, text("usurpateur"), true},
        {MSG_SCORE, doubles({99}), true},
        {MSG_COLOUR, doubles({7}), true},
        {MSG_STATE, doubles({0, 1000, 200, 300, 0, 0}), true},
        {MSG_SHOT, doubles({100, 100, 117, 10000, 0, 0}), true},
        {MSG_CHAT, text("c'est moi"), true},
        {MSG_VERSION, text("00:00:00"), false},
        {MSG_FRAG, doubles({7}), true}, // last: her own counts as her one death for now
    };
    RawPeer alice, bob;
    joinTwo(alice, bob);
    for (const Case& c : cases) {
        // Naming bob or the host: neither acted on nor relayed; naming herself: as ever.
        for (int32_t named : {1, HOST_ID, 0}) {
            const std::string before = footprint(*jeu);
            alice.send(c.type, named, c.payload);
            std::string printed;
            const Types seen = pumpPast(*jeu, alice, bob, &printed);
            const bool own = named == 0;
            EXPECT_EQ(std::count(seen.begin(), seen.end(), c.type), own && c.relayed ? 1 : 0)
                << "type " << c.type << " naming " << named;
            EXPECT_EQ(footprint(*jeu) != before, own) << "type " << c.type << " naming " << named;
            if (!own) {
                EXPECT_EQ(printed, "") << "type " << c.type << " naming " << named;
            }
        }
    }
    EXPECT_EQ(jeu->localPlayer.score, 1);
}

TEST_F(HostGame, OneJoinPerConnectionAndOneDeathPerRespawn) {
    RawPeer alice, bob, carl;
    joinTwo(alice, bob);
    Message welcome;
    ASSERT_EQ(platform::connectTcp("127.0.0.1", uint16_t(port), carl.socket), 0);
    ASSERT_TRUE(carl.read(welcome));
    // Before its announcement a connection speaks for nobody; it joins as itself, once.
    carl.send(MSG_CHAT, 2, text("fantome"));
    carl.send(MSG_NEW_PLAYER, 1);
    carl.send(MSG_NEW_PLAYER, 2);
    carl.send(MSG_NEW_PLAYER, 2);
    std::string printed;
    EXPECT_EQ(pumpPast(*jeu, carl, bob, &printed),
              (Types{MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE, MSG_COLOUR, MSG_TAKE_BOX}));
    EXPECT_EQ(printed, "\nNouveau joueur id: 2\n\n>>>");
    EXPECT_EQ(jeu->remotePlayers[1].state, PLAYER_PRESENT);

    // Ten deaths in a row: the first (somebody else's kill) is relayed, the rest are dropped.
    alice.send(MSG_FRAG, 0, doubles({3}));
    for (int32_t i = 0; i < 9; ++i)
        alice.send(MSG_FRAG, 0, doubles({7}));
    EXPECT_EQ(pumpPast(*jeu, alice, bob), (Types{MSG_FRAG, MSG_TAKE_BOX}));
    EXPECT_EQ(jeu->localPlayer.score, 0);
    // Once she can have respawned, her next death counts.
    jeu->sieges[0].diedAt -= 2500;
    alice.send(MSG_FRAG, 0, doubles({7}));
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->localPlayer.score == 1; }));
}
