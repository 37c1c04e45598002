// The protocol over a real transport, as raw peers on 127.0.0.1 see it: the host's join,
// relays, referee rules, version check, frags and map changes; a client's announcement,
// echoes, texts, scores and state messages. Every wait is bounded.
#include "kit/JeuFixture.h"
#include "../support/StdoutCapture.h"
#include "kit/TempFolder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace kit;
using Peer = FramePeer;
using Types = std::vector<int32_t>;

// A game folder with "salle.map" (one spawn, cell 3,4) and "tour.map" (cell 6,1), worked in.
struct MapFolder {
    TempFolder folder;
    WorkingFolder inside{folder.path()};
    MapFolder() {
        folder.write("liste des textures.list", "<textures.list>");
        folder.write("textures.list", "<rien>");
        folder.write("salle.map", "<apparition> (3,4)\n<fin>\n\n\n");
        folder.write("tour.map", "<apparition> (6,1)\n<fin>\n\n\n");
    }
};

// Runs the dispatch, as frames do, until `done` holds; about 2 s at most.
static bool pumpUntil(Jeu& jeu, const std::function<bool()>& done) {
    for (int32_t i = 0; i < 400; ++i) {
        dispatchMessages(jeu);
        if (done()) return true;
        platform::sleepMs(5);
    }
    return false;
}

// Five frames announcing player n; the version's names `versionFrom`, its sender.
static void expectAnnouncement(const Message* m, int32_t n, int32_t versionFrom, const char* name,
                               int32_t score, int32_t colour) {
    const Types types = {MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE, MSG_COLOUR};
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(std::make_pair(m[i].type, m[i].argument),
                  std::make_pair(types[i], i == 2 ? versionFrom : n))
            << "player " << n << ", frame " << i;
    EXPECT_EQ(
        std::make_tuple(textOf(m[1]), textOf(m[2]), doubleAt(m[3]), doubleAt(m[4])),
        std::make_tuple(std::string(name), std::string("13:48:01"), double(score), double(colour)));
}

// What a dispatch can change in the game: the remote slots, snapshots, bullets, messages
// and the own score.
static std::string footprint(const Jeu& jeu) {
    auto bytes = [](const void* at, size_t n) { return std::string((const char*)at, n); };
    return bytes(jeu.remotePlayers, sizeof jeu.remotePlayers) +
           bytes(&jeu.joueurs, sizeof jeu.joueurs) + bytes(&jeu.tir, sizeof jeu.tir) +
           bytes(&jeu.texte, sizeof jeu.texte) + std::to_string(jeu.localPlayer.score);
}

// The host's side: a listening transport that raw clients join.
class HostGame : public ::testing::Test {
  protected:
    Reseau reseau;
    std::unique_ptr<Jeu> jeu = networkJeu(reseau, "hote", 5);
    int32_t port = -1;

    void SetUp() override {
        reseau.startNetwork(1, platform::TcpSocket(), 0);
        port = reseau.listeningPort(2000);
        ASSERT_GT(port, 0);
    }
    // Joins as a real client does and waits until the host has handled it. Its number, or -1.
    int32_t join(Peer& client, const char* name, int32_t colour, const char* version = "13:48:01") {
        const int32_t id = client.join(port, name, colour, version);
        const Joueur& slot = jeu->remotePlayers[std::max(id, 0)];
        auto handled = [&] { return slot.state == PLAYER_PRESENT && slot.colour == colour; };
        return id >= 0 && pumpUntil(*jeu, handled) ? id : -1;
    }
    // Alice (0) and bob (1) joined, their welcome frames read away.
    void joinTwo(Peer& alice, Peer& bob) {
        ASSERT_EQ(join(alice, "alice", 2), 0);
        ASSERT_EQ(join(bob, "bob", 6), 1);
        alice.drain();
        bob.drain();
    }
    // `sender` sends a box taken, which changes nothing but is relayed; runs the dispatch
    // until `watcher` gets it, so whatever `sender` sent before has been handled. The types
    // `watcher` got meanwhile; what the dispatch printed goes to `printed`.
    Types pumpPast(Peer& sender, Peer& watcher, std::string* printed = nullptr) {
        sender.send(MSG_TAKE_BOX, -1);
        Types seen;
        const std::string said = printedBy([&] {
            EXPECT_TRUE(pumpUntil(*jeu, [&] {
                for (Message m; watcher.read(m, 0);)
                    seen.push_back(m.type);
                return std::count(seen.begin(), seen.end(), MSG_TAKE_BOX) != 0;
            }));
        });
        if (printed != nullptr) *printed = said;
        return seen;
    }
};

TEST_F(HostGame, NewcomerLearnsHostThenOthersThenItselfThenTheMap) {
    Peer alice, bob;
    ASSERT_EQ(join(alice, "alice", 2), 0);
    jeu->remotePlayers[0].score = 4;
    alice.drain();
    EXPECT_EQ(printedBy([&] { ASSERT_EQ(join(bob, "bob", 6), 1); }),
              "\nNouveau joueur id: 1\n\n>>>");
    const std::vector<Message> m = bob.drain();
    ASSERT_EQ(m.size(), 19u);
    expectAnnouncement(&m[0], HOST_ID, HOST_ID, "hote", 0, 5);
    expectAnnouncement(&m[5], 0, HOST_ID, "alice", 4, 2);
    expectAnnouncement(&m[10], 1, HOST_ID, "Nouveau joueur", 0, 0);
    EXPECT_EQ(std::make_pair(m[15].type, textOf(m[15])),
              std::make_pair(5, std::string("salle.map")));
    EXPECT_EQ(textOf(m[16]), "bob"); // its own values come back, all but the version
    EXPECT_EQ(alice.drainTypes(), (Types{MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE,
                                         MSG_COLOUR, MSG_NAME, MSG_SCORE, MSG_COLOUR}));
    EXPECT_EQ(lastMessage(*jeu), "bob tente sa chance!");
}

TEST_F(HostGame, RelaysToAllButNeitherShotsOfAbsentPlayersNorWhatOnlyTheHostPosts) {
    Peer alice, bob;
    joinTwo(alice, bob);
    jeu->localPlayer.score = 4;
    alice.send(MSG_SHOT, 3, doubles({100, 100, 117, 10000, 0, 0})); // nobody is player 3
    alice.send(MSG_SHOT, 0, doubles({100, 100, 117, 10000, 0, 0}));
    for (int32_t type : {MSG_KICK, MSG_RESET_SCORES, MSG_PLAYER_LEFT, MSG_CHANGE_MAP, MSG_SAY})
        alice.send(type, 1, text("tour.map"));
    alice.send(MSG_CHAT, 0, text("salut"));
    EXPECT_EQ(printedBy([&] {
                  ASSERT_TRUE(pumpUntil(*jeu, [&] { return lastMessage(*jeu) == "alice:salut"; }));
              }),
              "\nalice:salut\n\n>>>");
    EXPECT_EQ(std::make_tuple(jeu->tir.nextSlot, jeu->tir.balles[0].owner, jeu->localPlayer.score,
                              jeu->remotePlayers[1].state),
              std::make_tuple(1, 0, 4, PLAYER_PRESENT));
    EXPECT_EQ(alice.drainTypes(), (Types{MSG_SHOT, MSG_CHAT}));
    EXPECT_EQ(bob.drainTypes(), (Types{MSG_SHOT, MSG_CHAT}));
}

TEST_F(HostGame, WrongVersionIsKickedAtTheTwentyFirstStateAndOnlyIt) {
    Peer good, bad;
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
    // A right version between wrong ones starts the count again: twenty more are let pass.
    bad.send(MSG_VERSION, 1, text("13:48:01"));
    bad.send(MSG_STATE, 1, state);
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->versionMismatches[1] == 0; }));
    bad.send(MSG_VERSION, 1, text("00:00:00"));
    for (int32_t i = 0; i < 20; ++i)
        bad.send(MSG_STATE, 1, state);
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->versionMismatches[1] == 20; }));
    EXPECT_EQ(jeu->remotePlayers[1].state, PLAYER_PRESENT);
    bad.send(MSG_STATE, 1, state);
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->remotePlayers[1].state == PLAYER_ABSENT; }));
    const Types seen = bad.drainTypes();
    EXPECT_EQ(seen.empty() ? -1 : seen.back(), MSG_KICKED);
    const Types others = good.drainTypes();
    EXPECT_EQ(std::count(others.begin(), others.end(), MSG_KICKED), 0);

    // A kick posted twice is sent twice; numbers that are no client are not "everybody".
    for (int32_t n : {1, 1, 7, 99})
        reseau.post(MSG_KICK, n, nullptr);
    dispatchMessages(*jeu);
    EXPECT_EQ(bad.drainTypes(), (Types{MSG_KICKED, MSG_KICKED}));
    EXPECT_TRUE(good.drainTypes().empty());
}

TEST_F(HostGame, FragGivesAPointAndATauntCutTo47) {
    Peer victim;
    const std::string name = "un_pseudo_vraiment_beaucoup_trop_long_xx"; // 40 characters
    ASSERT_EQ(join(victim, name.c_str(), 2), 0);
    victim.drain();
    victim.send(MSG_FRAG, 0, doubles({7.0}));
    const std::string said = printedBy(
        [&] { ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->localPlayer.score == 1; })); });
    const std::vector<Message> f = victim.drain();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(Types({f[0].type, f[1].type, f[2].type}), (Types{MSG_SCORE, MSG_FRAG, MSG_CHAT}));
    EXPECT_EQ(std::make_tuple(f[0].argument, doubleAt(f[0]), f[2].argument),
              std::make_tuple(HOST_ID, 1.0, HOST_ID));
    const std::string taunt = textOf(f[2]);
    EXPECT_EQ(taunt.size(), 47u);
    EXPECT_NE(taunt.find(name.substr(0, 20)), std::string::npos) << taunt;
    EXPECT_EQ(said, "Vous gagnez un point!\n>>>\nhote:" + taunt + "\n\n>>>");
}

TEST_F(HostGame, ChangeMapLoadsMovesAndTellsEveryoneButRefusesEscapes) {
    MapFolder folder;
    Peer alice;
    ASSERT_EQ(join(alice, "alice", 2), 0);
    alice.drain();
    reseau.post(MSG_CHANGE_MAP, 1, text("tour.map").bytes);
    reseau.post(MSG_CHANGE_MAP, 0, text("../salle.map").bytes);
    EXPECT_NE(printedBy([&] { dispatchMessages(*jeu); })
                  .find("\nErreur: la map \"../salle.map\" est hors du dossier du jeu, elle "
                        "n'est pas chargee\n\n>>>"),
              std::string::npos);
    EXPECT_EQ(std::make_tuple(jeu->mapNumber, std::string(jeu->mapName), jeu->localPlayer.posX,
                              jeu->localPlayer.posY),
              std::make_tuple(1, std::string("tour.map"), 650.0, 150.0));
    const std::vector<Message> f = alice.drain();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(std::make_tuple(f[0].type, f[0].argument, textOf(f[0])),
              std::make_tuple(int32_t(MSG_LOAD_MAP), 1, std::string("tour.map")));
    // A newcomer is sent the new map.
    Peer bob;
    ASSERT_EQ(join(bob, "bob", 6), 1);
    const std::vector<Message> m = bob.drain();
    EXPECT_EQ(m.size() > 15 ? textOf(m[15]) : "", "tour.map");
}

TEST_F(HostGame, EachClientSpeaksOnlyForItself) {
    const struct {
        int32_t type;
        Payload payload;
        bool relayed;
    } cases[] = {
        {MSG_NAME, text("usurpateur"), true},
        {MSG_SCORE, doubles({99}), true},
        {MSG_COLOUR, doubles({7}), true},
        {MSG_STATE, doubles({0, 1000, 200, 300, 0, 0}), true},
        {MSG_SHOT, doubles({100, 100, 117, 10000, 0, 0}), true},
        {MSG_CHAT, text("c'est moi"), true},
        {MSG_VERSION, text("00:00:00"), false},
        {MSG_FRAG, doubles({7}), true}, // last: her own counts as her one death for now
    };
    Peer alice, bob;
    joinTwo(alice, bob);
    for (const auto& c : cases) {
        // Naming bob or the host: neither acted on nor relayed; naming herself: as ever.
        for (int32_t named : {1, HOST_ID, 0}) {
            const std::string before = footprint(*jeu);
            alice.send(c.type, named, c.payload);
            std::string printed;
            const Types seen = pumpPast(alice, bob, &printed);
            const bool own = named == 0;
            SCOPED_TRACE("type " + std::to_string(c.type) + " naming " + std::to_string(named));
            EXPECT_EQ(std::count(seen.begin(), seen.end(), c.type), own && c.relayed ? 1 : 0);
            EXPECT_EQ(footprint(*jeu) != before, own);
            EXPECT_EQ(own ? "" : printed, "");
        }
    }
    EXPECT_EQ(jeu->localPlayer.score, 1);
}

TEST_F(HostGame, OneJoinPerConnectionAndOneDeathPerRespawn) {
    Peer alice, bob, carl;
    joinTwo(alice, bob);
    ASSERT_EQ(carl.enter(port), 2);
    // Before its announcement a connection speaks for nobody; it joins as itself, once.
    carl.send(MSG_CHAT, 2, text("fantome"));
    carl.send(MSG_NEW_PLAYER, 1);
    carl.send(MSG_NEW_PLAYER, 2);
    carl.send(MSG_NEW_PLAYER, 2);
    std::string printed;
    EXPECT_EQ(pumpPast(carl, bob, &printed),
              (Types{MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE, MSG_COLOUR, MSG_TAKE_BOX}));
    EXPECT_EQ(printed, "\nNouveau joueur id: 2\n\n>>>");
    EXPECT_EQ(jeu->remotePlayers[1].state, PLAYER_PRESENT);

    // Ten deaths in a row: the first (somebody else's kill) is relayed, the rest are dropped.
    alice.send(MSG_FRAG, 0, doubles({3}));
    for (int32_t i = 0; i < 9; ++i)
        alice.send(MSG_FRAG, 0, doubles({7}));
    EXPECT_EQ(pumpPast(alice, bob), (Types{MSG_FRAG, MSG_TAKE_BOX}));
    EXPECT_EQ(jeu->localPlayer.score, 0);
    // Once she can have respawned, her next death counts.
    jeu->sieges[0].diedAt -= 2500;
    alice.send(MSG_FRAG, 0, doubles({7}));
    ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->localPlayer.score == 1; }));
}

TEST_F(HostGame, StatesAndShotsGoOnAsTheyArriveEachSenderInItsOrder) {
    MapFolder folder;
    Peer peers[4];
    for (int32_t i = 0; i < 3; ++i)
        ASSERT_EQ(join(peers[i], "joueur", i), i);
    for (Peer& p : peers)
        p.drain();
    // Frame k of a sender: a shot for even k, a state for odd k, k in its first coordinate.
    // What each peer got from each sender: those k, -1 for a chat.
    std::vector<double> seen[4][3], expected[3];
    auto send = [&](int32_t s, int32_t k) {
        peers[s].send(k % 2 ? MSG_STATE : MSG_SHOT, s,
                      k % 2 ? doubles({0, 0, double(k)}) : doubles({double(k), 0, 117, 1}));
        expected[s].push_back(k);
    };
    auto collect = [&] {
        for (int32_t r = 0; r < 4; ++r)
            for (Message f; peers[r].socket.valid() && peers[r].read(f, 0);)
                if (f.argument >= 0 && f.argument < 3 &&
                    (f.type == MSG_STATE || f.type == MSG_SHOT || f.type == MSG_CHAT))
                    seen[r][f.argument].push_back(
                        f.type == MSG_CHAT ? -1 : doubleAt(f, f.type == MSG_STATE ? 16 : 0));
    };
    // Whether frame k of sender s waits in the host's queue.
    auto queued = [&](int32_t s, int32_t k) {
        for (const QueueSlot& q : reseau.queue) {
            double v = -1;
            if (!q.full.isSet()) continue; // what a full slot holds stays until it is read
            memcpy(&v, q.payload + (k % 2 ? 16 : 0), sizeof v);
            if ((q.origin & 0xff) == s && v == k) return true;
        }
        return false;
    };
    send(0, 0); // no dispatch runs: the receive thread passes it on
    for (int32_t i = 0; i < 400 && seen[1][0].empty(); ++i, platform::sleepMs(5))
        collect();
    ASSERT_EQ(seen[1][0], std::vector<double>{0});
    constexpr int32_t N = 60;
    for (int32_t k = 0; k < N; ++k) {
        for (int32_t s = k == 0 ? 1 : 0; s < 3; ++s)
            send(s, k);
        if (k == 21) { // a chat waits for the dispatch, and what follows it waits behind it
            peers[0].send(MSG_CHAT, 0, text("milieu"));
            expected[0].push_back(-1);
        }
        for (int32_t i = 0; k == 29 && i < 400 && !queued(0, 29); ++i)
            platform::sleepMs(5); // the next dispatch comes once all of that is queued
        if (k == 30) {
            ASSERT_EQ(join(peers[3], "nouveau", 4), 3);
            reseau.post(MSG_CHANGE_MAP, 1, text("tour.map").bytes);
        }
        if (k % 10 == 0) dispatchMessages(*jeu);
        collect();
    }
    // A last chat from each: relayed only by the dispatch, once it has acted on all before it.
    for (int32_t s = 0; s < 3; ++s) {
        peers[s].send(MSG_CHAT, s, text("fin"));
        expected[s].push_back(-1);
    }
    ASSERT_TRUE(pumpUntil(*jeu, [&] {
        collect();
        int32_t complete = 0;
        for (const auto& from : seen)
            for (const std::vector<double>& got : from)
                complete += got.size() > 1 && got.back() == -1 && got[got.size() - 2] == N - 1;
        return complete == 12;
    }));
    collect();
    // Nothing lost, doubled or out of order; the newcomer gets everything from its join on.
    for (int32_t r = 0; r < 4; ++r)
        for (int32_t s = 0; s < 3; ++s)
            EXPECT_EQ(seen[r][s],
                      std::vector<double>(expected[s].end() -
                                              (r == 3 ? seen[r][s].size() : expected[s].size()),
                                          expected[s].end()))
                << s << " seen by " << r;
    EXPECT_GT(seen[3][1].size(), 20u);
    EXPECT_EQ(jeu->tir.nextSlot, 3 * N / 2 % TIR_SLOTS); // the host acted on each shot once
    EXPECT_EQ(std::string(jeu->mapName), "tour.map");
}

// A client's side: its transport joined to a raw socket that plays the host.
class ClientGame : public ::testing::Test {
  protected:
    Reseau reseau;
    Peer host; // declared after the transport: stops it before it dies
    std::unique_ptr<Jeu> jeu = networkJeu(reseau, "moi", 3);

    void SetUp() override { ASSERT_TRUE(host.connect(reseau)); }
    // Sends a frame as the host, then a marker (a score for slot 6), and runs the dispatch
    // until the marker is handled: so is everything before it. What it printed.
    std::string deliver(int32_t type, int32_t argument, const Payload& p = Payload()) {
        host.send(type, argument, p);
        const int32_t mark = 1000 + host.sequence;
        host.send(MSG_SCORE, 6, doubles({double(mark)}));
        return printedBy([&] {
            EXPECT_TRUE(pumpUntil(*jeu, [&] { return jeu->remotePlayers[6].score == mark; }));
        });
    }
    // Posts a message of this process and dispatches it; what that printed.
    std::string post(int32_t type, const Payload& p = Payload()) {
        reseau.post(type, 0, p.bytes);
        return printedBy([&] { dispatchMessages(*jeu); });
    }
    // The welcome; the client's announcement read away.
    void assign(int32_t id) {
        deliver(MSG_ASSIGN_ID, HOST_ID, doubles({double(id)}));
        ASSERT_EQ(host.drain().size(), 5u);
    }
};

TEST_F(ClientGame, AnnouncesItselfOnlyForAClientNumberIgnoresItsEchoesAndTamesPeerTexts) {
    for (double id : {7.0, -1.0, 1e300, std::nan("")})
        deliver(MSG_ASSIGN_ID, HOST_ID, doubles({id}));
    EXPECT_EQ(jeu->localPlayer.id, -1);
    EXPECT_TRUE(host.drain().empty());
    deliver(MSG_ASSIGN_ID, HOST_ID, doubles({2.0}));
    EXPECT_EQ(jeu->localPlayer.id, 2);
    const std::vector<Message> f = host.drain();
    ASSERT_EQ(f.size(), 5u);
    expectAnnouncement(f.data(), 2, 2, "moi", 0, 3);

    deliver(MSG_NEW_PLAYER, 2);
    deliver(MSG_NAME, 2, text("moi"));
    int32_t& marker = jeu->remotePlayers[6].score;
    const int32_t markerBefore = marker;
    const std::string before = footprint(*jeu);
    deliver(MSG_STATE, 2, doubles({0, 5000, 300, 400, 90, 0}));
    deliver(MSG_SHOT, 2, doubles({100, 100, 117, 10000, 0, 0}));
    marker = markerBefore;
    EXPECT_EQ(footprint(*jeu), before);
    // Its own line goes to the host and shows only when it comes back.
    EXPECT_EQ(post(MSG_SAY, text("coucou")), "");
    Message line;
    ASSERT_TRUE(host.read(line));
    EXPECT_EQ(std::make_pair(line.type, line.argument), std::make_pair(int32_t(MSG_CHAT), 2));
    EXPECT_EQ(deliver(MSG_CHAT, 2, text(textOf(line))), "\nmoi:coucou\n\n>>>");

    // Peer texts are cut to 47 characters and cannot drive the terminal.
    deliver(MSG_NEW_PLAYER, 4);
    deliver(MSG_NAME, 4, text("x\x1b[2J\r"));
    EXPECT_EQ(deliver(MSG_CHAT, 4, text("a\x1b]0;b\x07\x7f\tfin\n")),
              "\nx?[2J?:a?]0;b??\tfin\n\n\n>>>");
    const std::string a(PAYLOAD_SIZE, 'A'), b(PAYLOAD_SIZE, 'B'); // no terminator
    deliver(MSG_NAME, 4, text(a));
    deliver(MSG_VERSION, 4, text(a));
    EXPECT_EQ(std::string(jeu->remotePlayers[4].version), a.substr(0, 47));
    EXPECT_EQ(lastMessage(*jeu), a.substr(0, 47) + " tente sa chance!");
    EXPECT_EQ(deliver(MSG_CHAT, 4, text(b)),
              "\n" + a.substr(0, 47) + ":" + b.substr(0, 47) + "\n\n>>>");
    // Scores beyond the 32-bit range saturate.
    deliver(MSG_SCORE, 4, doubles({1e300}));
    EXPECT_EQ(jeu->remotePlayers[4].score, INT_MAX);
    deliver(MSG_SCORE, 4, doubles({-1e300}));
    EXPECT_EQ(jeu->remotePlayers[4].score, INT_MIN);
}

TEST_F(ClientGame, ScoresResetKickAndHostLost) {
    assign(1);
    for (int32_t n : {0, 1, 7})
        deliver(MSG_NEW_PLAYER, n);
    deliver(MSG_NAME, 0, text("alice"));
    deliver(MSG_NAME, 7, text("hote"));
    deliver(MSG_SCORE, 7, doubles({5}));
    jeu->localPlayer.score = 3;
    EXPECT_EQ(post(MSG_SHOW_SCORES),
              "Score:\nScore de alice(0)=0\nScore de hote(7)=5\nMon score (1)=3!!\n\n>>>");
    EXPECT_EQ(lastMessage(*jeu), "Mon score=3!!");
    EXPECT_EQ(deliver(MSG_RESET_SCORES, 0), "Remise a 0 des scores\n");
    EXPECT_EQ(jeu->localPlayer.score, 0);
    const std::vector<Message> f = host.drain();
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(std::make_tuple(f[0].type, f[0].argument, doubleAt(f[0])),
              std::make_tuple(int32_t(MSG_SCORE), 1, 0.0));
    deliver(MSG_KICKED, 0);
    EXPECT_EQ(stopRequested.load(), 1);
    post(MSG_HOST_LOST);
    EXPECT_EQ(lastMessage(*jeu), "L'hote a pris la quinte...");
}

TEST_F(ClientGame, LoadMapPlacesAtSpawnButRefusesNamesOutsideTheGameFolder) {
    MapFolder folder;
    deliver(MSG_LOAD_MAP, 0, text("salle.map"));
    EXPECT_EQ(std::make_pair(jeu->localPlayer.posX, jeu->localPlayer.posY),
              std::make_pair(350.0, 450.0));
    for (const char* escape : {"../tour.map", "/tmp/tour.map", "\\tour.map", "C:tour.map"})
        deliver(MSG_LOAD_MAP, 1, text(escape));
    EXPECT_EQ(std::make_pair(jeu->map.spawns[0].x, jeu->localPlayer.posX),
              std::make_pair(3, 350.0));
    for (const char* ok : {"salle.map", "maps\\salle.map", "maps/a..b.map", "..map"})
        EXPECT_TRUE(isSafeMapName(ok)) << ok;
    for (const char* bad :
         {"..", "../x.map", "maps/../../x.map", "maps\\..", "/etc/passwd", "\\x.map", "C:\\x.map"})
        EXPECT_FALSE(isSafeMapName(bad)) << bad;
}

TEST_F(ClientGame, StateLeavesEvery500msOfFrameTimeOrWhenForced) {
    assign(3);
    Joueur& me = jeu->localPlayer;
    std::tie(me.posX, me.posY, me.yaw, me.pitch) = std::make_tuple(123.5, -7.25, 370.0, -12.0);
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
    EXPECT_EQ(std::make_pair(m.type, m.argument), std::make_pair(int32_t(MSG_STATE), 3));
    EXPECT_EQ(memcmp(m.payload, keys, 4), 0);
    EXPECT_TRUE(doubleAt(m, 8) >= before && doubleAt(m, 8) <= platform::ticks());
    EXPECT_EQ(
        std::vector<double>({doubleAt(m, 16), doubleAt(m, 24), doubleAt(m, 32), doubleAt(m, 40)}),
        std::vector<double>({123.5, -7.25, 370.0, -12.0}));
    jeu->frameTimer.elapsed = 0;
    me.stateSendTimer = 500; // what the simulation writes to force one
    dispatchMessages(*jeu);
    EXPECT_EQ(host.drainTypes(), Types{MSG_STATE});
}
