// A real game record (no window) on a real transport, and raw sockets on 127.0.0.1 that
// play the other end of its connections. Every wait is bounded.
#pragma once
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"
#include "game/Jeu.h"
#include "net/Protocole.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Socket.h"

namespace prototest {

struct Payload {
    uint8_t bytes[PAYLOAD_SIZE] = {};
};

inline Payload text(const std::string& s) {
    Payload p;
    memcpy(p.bytes, s.data(), std::min(s.size(), size_t(PAYLOAD_SIZE)));
    return p;
}

inline Payload doubles(std::initializer_list<double> values) {
    Payload p;
    memcpy(p.bytes, values.begin(), values.size() * sizeof(double));
    return p;
}

inline double doubleAt(const Message& m, size_t at = 0) {
    double v;
    memcpy(&v, m.payload + at, sizeof v);
    return v;
}

inline std::string textOf(const Message& m) {
    const char* t = reinterpret_cast<const char*>(m.payload);
    return std::string(t, strnlen(t, PAYLOAD_SIZE));
}

// One raw end of a connection, speaking whole frames.
struct RawPeer {
    platform::TcpSocket socket;
    int32_t sequence = 0;
    ~RawPeer() { platform::closeSocket(socket); }

    // Rising sequence words, never 0: the receiver drops none of them.
    void send(int32_t type, int32_t argument, const Payload& p = Payload()) {
        Message m = {++sequence, type, argument, 0, {}};
        memcpy(m.payload, p.bytes, PAYLOAD_SIZE);
        platform::sendAll(socket, &m, FRAME_SIZE);
    }
    bool read(Message& out, int32_t waitMs = 2000) {
        return platform::waitReadable(socket, waitMs) == 0 &&
               platform::receiveExactly(socket, &out, FRAME_SIZE) == 0;
    }
    // Every frame that comes within `waitMs` of the one before.
    std::vector<Message> drain(int32_t waitMs = 100) {
        std::vector<Message> frames;
        Message m;
        while (frames.size() < 500 && read(m, waitMs))
            frames.push_back(m);
        return frames;
    }
    std::vector<int32_t> drainTypes() {
        std::vector<int32_t> types;
        for (const Message& m : drain())
            types.push_back(m.type);
        return types;
    }
};

// A game as initGame leaves it, without window, sound or textures.
inline std::unique_ptr<Jeu> makeJeu(Reseau& reseau, const char* pseudo, int32_t colour) {
    std::unique_ptr<Jeu> jeu(new Jeu());
    jeu->reseau = &reseau;
    snprintf(jeu->options.pseudo, sizeof jeu->options.pseudo, "%s", pseudo);
    jeu->options.colour = colour;
    jeu->options.smoothRemotePlayers = 1;
    snprintf(jeu->mapName, sizeof jeu->mapName, "salle.map");
    jeu->map.clear();
    jeu->tir.init();
    jeu->texte.initMessages();
    initSnapshots(jeu->joueurs);
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
};

// A client's side: its transport joined to a raw socket that plays the host.
class ClientGame : public ::testing::Test {
  protected:
    Reseau reseau;
    RawPeer host;
    std::unique_ptr<Jeu> jeu = makeJeu(reseau, "moi", 3);

    void SetUp() override {
        platform::TcpSocket listener, client;
        ASSERT_EQ(platform::listenTcp(0, 1, listener), 0);
        ASSERT_EQ(
            platform::connectTcp("127.0.0.1", uint16_t(platform::localPort(listener)), client), 0);
        host.socket = platform::acceptTcp(listener);
        platform::closeSocket(listener);
        reseau.startNetwork(0, client, -1);
    }
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
