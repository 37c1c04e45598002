// A real game record (no window) on a real transport, and raw sockets that play the other
// end of its connections to send frames and to see the frames the game sends. Every wait
// is bounded.
#pragma once
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/Jeu.h"
#include "net/Protocole.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Socket.h"
#include "../support/TempFolder.h"

namespace prototest {

struct Payload {
    uint8_t bytes[PAYLOAD_SIZE] = {};
};

inline Payload text(const std::string& s) {
    Payload p;
    memcpy(p.bytes, s.data(), s.size() < PAYLOAD_SIZE ? s.size() : PAYLOAD_SIZE);
    return p;
}

inline Payload doubles(std::initializer_list<double> values) {
    Payload p;
    size_t at = 0;
    for (double v : values) {
        memcpy(p.bytes + at, &v, sizeof v);
        at += sizeof v;
    }
    return p;
}

inline double doubleAt(const Message& m, size_t at = 0) {
    double v;
    memcpy(&v, m.payload + at, sizeof v);
    return v;
}

inline std::string textOf(const Message& m) {
    return std::string(reinterpret_cast<const char*>(m.payload),
                       strnlen(reinterpret_cast<const char*>(m.payload), PAYLOAD_SIZE));
}

// One raw end of a TCP connection speaking in whole frames.
class RawPeer {
  public:
    RawPeer() = default;
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;
    ~RawPeer() { platform::closeSocket(socket); }

    platform::TcpSocket socket;

    // Sequence words rise and are never 0, so the receiver drops none of our frames.
    void send(int32_t type, int32_t argument, const Payload& p = Payload()) {
        Message m = {};
        m.sequence = ++sequence_;
        m.type = type;
        m.argument = argument;
        memcpy(m.payload, p.bytes, PAYLOAD_SIZE);
        platform::sendAll(socket, &m, FRAME_SIZE);
    }
    bool read(Message& out, int32_t waitMs = 2000) {
        if (platform::waitReadable(socket, waitMs) != 0) return false;
        return platform::receiveExactly(socket, &out, FRAME_SIZE) == 0;
    }
    // The next frame of `type`, passing over others.
    bool readType(int32_t type, Message& out) {
        for (int32_t i = 0; i < 200; ++i) {
            if (!read(out)) return false;
            if (out.type == type) return true;
        }
        return false;
    }
    // Types of every frame that arrives within `waitMs` of the previous one.
    std::vector<int32_t> drainTypes(int32_t waitMs = 100) {
        std::vector<int32_t> types;
        Message m;
        for (int32_t i = 0; i < 500 && read(m, waitMs); ++i)
            types.push_back(m.type);
        return types;
    }

  private:
    int32_t sequence_ = 0;
};

// A game as `initGame` leaves it, minus the window, sound and textures.
inline std::unique_ptr<Jeu> makeJeu(Reseau& reseau, const char* pseudo, int32_t colour) {
    std::unique_ptr<Jeu> jeu(new Jeu());
    jeu->reseau = &reseau;
    snprintf(jeu->options.pseudo, sizeof jeu->options.pseudo, "%s", pseudo);
    jeu->options.colour = colour;
    jeu->options.smoothRemotePlayers = 1;
    jeu->mapNumber = 0;
    snprintf(jeu->mapName, sizeof jeu->mapName, "salle.map");
    jeu->map.clear();
    jeu->tir.init();
    jeu->texte.initMessages();
    initSnapshots(jeu->joueurs);
    jeu->deathTimer = DEATH_TIMER_ALIVE;
    stopRequested = 0;
    initPlayers(*jeu);
    return jeu;
}

// Newest line of the message list, or "" when none was added.
inline std::string lastMessage(const Jeu& jeu) {
    const int32_t slot = (jeu.texte.next + TEXTE_SLOTS - 1) % TEXTE_SLOTS;
    return jeu.texte.rows[slot] == -1 ? std::string() : std::string(jeu.texte.lines[slot]);
}

// The bytes of remote slot k, to see that nothing in it changed.
inline std::vector<uint8_t> slotBytes(const Jeu& jeu, int32_t k) {
    const uint8_t* at = reinterpret_cast<const uint8_t*>(&jeu.remotePlayers[k]);
    return std::vector<uint8_t>(at, at + sizeof(Joueur));
}

inline int32_t messageCount(const Jeu& jeu) {
    int32_t n = 0;
    for (int32_t row : jeu.texte.rows)
        n += row != -1 ? 1 : 0;
    return n;
}

// A game folder with two one-spawn maps: "salle.map" (spawn cell 3,4) and "tour.map"
// (6,1), both with an untextured texture list. The process works inside it meanwhile.
class MapFolder {
  public:
    MapFolder() : previous_(std::filesystem::current_path()) {
        folder_.write("liste des textures.list", "<textures.list>\n<textures.list>\n");
        folder_.write("textures.list", "<rien>\n");
        folder_.write("salle.map", "<apparition> (3,4)\n<fin>\n\n\n");
        folder_.write("tour.map", "<apparition> (6,1)\n<fin>\n\n\n");
        std::filesystem::current_path(folder_.path());
    }
    ~MapFolder() { std::filesystem::current_path(previous_); }

  private:
    testsupport::TempFolder folder_;
    std::filesystem::path previous_;
};

// Runs the game's dispatch, as frames do, until `done` holds (about 2 s at most).
inline bool pumpUntil(Jeu& jeu, const std::function<bool()>& done) {
    for (int32_t i = 0; i < 400; ++i) {
        dispatchMessages(jeu);
        if (done()) return true;
        platform::sleepMs(5);
    }
    return false;
}

// The host's side: a listening transport and raw clients joining it.
class HostGame : public ::testing::Test {
  protected:
    Reseau reseau;
    std::unique_ptr<Jeu> jeu;

    void SetUp() override {
        reseau.host = 1;
        jeu = makeJeu(reseau, "hote", 5);
        jeu->frameTimer.elapsed = 0; // no periodic state unless a test asks for it
    }
    int32_t listen() {
        reseau.startNetwork(1, platform::TcpSocket(), 0);
        return reseau.listeningPort(2000);
    }
    // Connects a raw client and reads its welcome; its player number, or -1.
    int32_t connect(RawPeer& client, int32_t port) {
        Message welcome;
        if (port <= 0 ||
            platform::connectTcp("127.0.0.1", static_cast<uint16_t>(port), client.socket) != 0 ||
            !client.readType(MSG_ASSIGN_ID, welcome))
            return -1;
        return static_cast<int32_t>(doubleAt(welcome));
    }
    // What a real client sends once it knows its number.
    void announce(RawPeer& client, int32_t id, const char* name, int32_t colour,
                  const char* version = "13:48:01") {
        client.send(MSG_NEW_PLAYER, id);
        client.send(MSG_NAME, id, text(name));
        client.send(MSG_VERSION, id, text(version));
        client.send(MSG_SCORE, id, doubles({0}));
        client.send(MSG_COLOUR, id, doubles({double(colour)}));
    }
    // Joins a client through the real handshake and waits until the host has handled it.
    int32_t join(RawPeer& client, int32_t port, const char* name, int32_t colour,
                 const char* version = "13:48:01") {
        const int32_t id = connect(client, port);
        if (id < 0) return -1;
        announce(client, id, name, colour, version);
        const bool handled = pumpUntil(*jeu, [&] {
            return jeu->remotePlayers[id].colour == colour &&
                   jeu->remotePlayers[id].state == PLAYER_PRESENT;
        });
        return handled ? id : -1;
    }
};

// A client's side: its transport joined to a raw socket that plays the host.
class ClientGame : public ::testing::Test {
  protected:
    Reseau reseau;
    RawPeer host;
    std::unique_ptr<Jeu> jeu;

    void SetUp() override {
        jeu = makeJeu(reseau, "moi", 3);
        jeu->frameTimer.elapsed = 0;
        platform::TcpSocket listener, client;
        ASSERT_EQ(platform::listenTcp(0, 1, listener), 0);
        const int32_t port = platform::localPort(listener);
        ASSERT_EQ(platform::connectTcp("127.0.0.1", static_cast<uint16_t>(port), client), 0);
        host.socket = platform::acceptTcp(listener);
        platform::closeSocket(listener);
        ASSERT_TRUE(host.socket.valid());
        reseau.startNetwork(0, client, -1);
    }
    // Sends a frame as the host and runs the client's dispatch until a marker frame sent
    // after it has been handled: everything before it has been handled too.
    void deliver(int32_t type, int32_t argument, const Payload& p = Payload()) {
        host.send(type, argument, p);
        const int32_t mark = ++marks_;
        host.send(MSG_SCORE, 6, doubles({1000.0 + mark}));
        ASSERT_TRUE(pumpUntil(*jeu, [&] { return jeu->remotePlayers[6].score == 1000 + mark; }));
    }
    // Gives the client its number as the host's accept thread does, and takes its reply.
    void assign(int32_t id) {
        deliver(MSG_ASSIGN_ID, HOST_ID, doubles({double(id)}));
        ASSERT_EQ(host.drainTypes().size(), 5u);
    }

  private:
    int32_t marks_ = 0;
};

} // namespace prototest
