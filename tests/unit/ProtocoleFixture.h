// A real game record (no window) on a real transport, and raw sockets on 127.0.0.1 that
// play the other end of its connections. Every wait is bounded.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/JeuFixture.h"
#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"
#include "game/Jeu.h"
#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Socket.h"

namespace prototest {

using testsupport::doubleAt;
using testsupport::doubles;
using testsupport::Payload;
using testsupport::printedBy;
using testsupport::text;
using testsupport::textOf;
using RawPeer = testsupport::FramePeer;
using Types = std::vector<int32_t>;

// A game as initGame leaves it, without window, sound or textures.
inline std::unique_ptr<Jeu> makeJeu(Reseau& reseau, const char* pseudo, int32_t colour) {
    std::unique_ptr<Jeu> jeu = testsupport::blankJeu();
    jeu->reseau = &reseau;
    snprintf(jeu->options.pseudo, sizeof jeu->options.pseudo, "%s", pseudo);
    jeu->options.colour = colour;
    jeu->options.smoothRemotePlayers = 1;
    snprintf(jeu->mapName, sizeof jeu->mapName, "salle.map");
    stopRequested = 0;
    initPlayers(*jeu);
    return jeu;
}

inline std::string lastMessage(const Jeu& jeu) {
    const int32_t slot = (jeu.texte.next + TEXTE_SLOTS - 1) % TEXTE_SLOTS;
    return jeu.texte.rows[slot] == -1 ? std::string() : std::string(jeu.texte.lines[slot]);
}

inline int32_t messageCount(const Jeu& jeu) {
    int32_t n = 0;
    for (int32_t row : jeu.texte.rows)
        n += row != -1;
    return n;
}

inline std::vector<uint8_t> slotBytes(const Jeu& jeu, int32_t k) {
    const uint8_t* at = reinterpret_cast<const uint8_t*>(&jeu.remotePlayers[k]);
    return std::vector<uint8_t>(at, at + sizeof(Joueur));
}

// A game folder with "salle.map" (one spawn, cell 3,4) and "tour.map" (cell 6,1); the
// process works inside it meanwhile.
struct MapFolder {
    testsupport::TempFolder folder;
    std::filesystem::path previous = std::filesystem::current_path();
    MapFolder() {
        folder.write("liste des textures.list", "<textures.list>");
        folder.write("textures.list", "<rien>");
        folder.write("salle.map", "<apparition> (3,4)\n<fin>\n\n\n");
        folder.write("tour.map", "<apparition> (6,1)\n<fin>\n\n\n");
        std::filesystem::current_path(folder.path());
    }
    ~MapFolder() { std::filesystem::current_path(previous); }
};

// Runs the dispatch, as frames do, until `done` holds; about 2 s at most.
inline bool pumpUntil(Jeu& jeu, const std::function<bool()>& done) {
    for (int32_t i = 0; i < 400; ++i) {
        dispatchMessages(jeu);
        if (done()) return true;
        platform::sleepMs(5);
    }
    return false;
}

// Five frames announcing player n: its number in each but the version's, which names
// `versionFrom`, its sender.
inline void expectAnnouncement(const Message* m, int32_t n, int32_t versionFrom, const char* name,
                               int32_t score, int32_t colour) {
    const Types types = {MSG_NEW_PLAYER, MSG_NAME, MSG_VERSION, MSG_SCORE, MSG_COLOUR};
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(m[i].type, types[i]) << "player " << n << ", frame " << i;
        EXPECT_EQ(m[i].argument, i == 2 ? versionFrom : n) << "player " << n << ", frame " << i;
    }
    EXPECT_EQ(textOf(m[1]), name);
    EXPECT_EQ(textOf(m[2]), "13:48:01");
    EXPECT_EQ(doubleAt(m[3]), score);
    EXPECT_EQ(doubleAt(m[4]), colour);
}

// The host's side: a listening transport that raw clients join.
class HostGame : public ::testing::Test {
  protected:
    Reseau reseau;
    std::unique_ptr<Jeu> jeu = makeJeu(reseau, "hote", 5);
    int32_t port = -1;

    void SetUp() override {
        reseau.startNetwork(1, platform::TcpSocket(), 0);
        port = reseau.listeningPort(2000);
        ASSERT_GT(port, 0);
    }
    // Connects, takes the welcome, announces itself as a real client does, and waits until
    // the host has handled it. Its player number, or -1.
    int32_t join(RawPeer& client, const char* name, int32_t colour,
                 const char* version = "13:48:01") {
        Message welcome;
        if (platform::connectTcp("127.0.0.1", uint16_t(port), client.socket) != 0 ||
            !client.read(welcome) || welcome.type != MSG_ASSIGN_ID)
            return -1;
        const int32_t id = int32_t(doubleAt(welcome));
        client.send(MSG_NEW_PLAYER, id);
        client.send(MSG_NAME, id, text(name));
        client.send(MSG_VERSION, id, text(version));
        client.send(MSG_SCORE, id, doubles({0}));
        client.send(MSG_COLOUR, id, doubles({double(colour)}));
        const Joueur& slot = jeu->remotePlayers[id];
        return pumpUntil(*jeu,
                         [&] { return slot.state == PLAYER_PRESENT && slot.colour == colour; })
                   ? id
                   : -1;
    }
    // Alice (0) and bob (1) joined, their welcome frames read away.
    void joinTwo(RawPeer& alice, RawPeer& bob) {
        ASSERT_EQ(join(alice, "alice", 2), 0);
        ASSERT_EQ(join(bob, "bob", 6), 1);
        alice.drain();
        bob.drain();
    }
};

// A client's side: its transport joined to a raw socket that plays the host.
class ClientGame : public ::testing::Test {
  protected:
    Reseau reseau;
    RawPeer host; // declared after the transport: stops it before it dies
    std::unique_ptr<Jeu> jeu = makeJeu(reseau, "moi", 3);

    void SetUp() override { ASSERT_TRUE(host.connect(reseau)); }
    // Sends a frame as the host, then a marker (a score for slot 6), and runs the dispatch
    // until the marker is handled: so is everything before it.
    void deliver(int32_t type, int32_t argument, const Payload& p = Payload()) {
        host.send(type, argument, p);
        const int32_t mark = 1000 + host.sequence;
        host.send(MSG_SCORE, 6, doubles({double(mark)}));
        ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->remotePlayers[6].score == mark; }));
    }
    // The welcome, and the client's announcement read away.
    void assign(int32_t id) {
        deliver(MSG_ASSIGN_ID, HOST_ID, doubles({double(id)}));
        ASSERT_EQ(host.drain().size(), 5u);
    }
};

} // namespace prototest
