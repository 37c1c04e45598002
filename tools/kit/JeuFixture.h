// Games without a window, for tests, fuzz targets and benchmarks: the record, the payloads
// of its frames, and a raw socket on 127.0.0.1 playing the other end of a connection (a
// host's client or a client's host). Every read is bounded.
#pragma once
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "game/Jeu.h"
#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Saisie.h"
#include "platform/Socket.h"

namespace kit {

constexpr int32_t FIXTURE_WIDTH = 800;
constexpr int32_t FIXTURE_HEIGHT = 600;

// No key held, the cursor on the window's fixed point: no mouse motion.
inline platform::Saisie stillInput() {
    platform::Saisie input;
    platform::clearSaisie(input);
    input.cursorX = FIXTURE_WIDTH / 2;
    input.cursorY = FIXTURE_HEIGHT / 2;
    return input;
}

// Empty map, bullets, messages and snapshots; the record is large, so it lives on the heap.
inline std::unique_ptr<Jeu> blankJeu() {
    std::unique_ptr<Jeu> jeu(new Jeu());
    jeu->map.clear();
    jeu->tir.init();
    jeu->texte.initMessages();
    initSnapshots(jeu->joueurs);
    return jeu;
}

// In play in an 800 x 600 window: the local player is the host (7), alive with 75 points at
// (1000, 1000) looking along +x, mouse captured, every remote slot absent, no transport.
inline std::unique_ptr<Jeu> makeTestJeu() {
    std::unique_ptr<Jeu> jeu = blankJeu();
    jeu->options.width = FIXTURE_WIDTH;
    jeu->options.height = FIXTURE_HEIGHT;
    jeu->options.verticalSensitivity = jeu->options.horizontalSensitivity = 100;
    jeu->mouseCaptured = 1;
    jeu->deathTimer = DEATH_TIMER_ALIVE;
    Joueur& me = jeu->localPlayer;
    me.id = HOST_ID;
    me.health = 75.0;
    me.posX = me.posY = 1000.0;
    for (int32_t k = 0; k < MAX_PLAYERS; ++k) {
        jeu->remotePlayers[k].id = k;
        jeu->remotePlayers[k].state = PLAYER_ABSENT;
    }
    return jeu;
}

// As initGame leaves a game on transport `reseau`, on map "salle.map".
inline std::unique_ptr<Jeu> networkJeu(Reseau& reseau, const char* pseudo, int32_t colour) {
    std::unique_ptr<Jeu> jeu = blankJeu();
    jeu->reseau = &reseau;
    snprintf(jeu->options.pseudo, sizeof jeu->options.pseudo, "%s", pseudo);
    jeu->options.colour = colour;
    jeu->options.smoothRemotePlayers = 1;
    snprintf(jeu->mapName, sizeof jeu->mapName, "salle.map");
    stopRequested = 0;
    initPlayers(*jeu);
    return jeu;
}

// The newest line of the message list, "" when none shows.
inline std::string lastMessage(const Jeu& jeu) {
    const int32_t slot = (jeu.texte.next + TEXTE_SLOTS - 1) % TEXTE_SLOTS;
    return jeu.texte.rows[slot] == -1 ? std::string() : std::string(jeu.texte.lines[slot]);
}

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
    return std::string((const char*)m.payload, strnlen((const char*)m.payload, PAYLOAD_SIZE));
}

// Two connected ends on 127.0.0.1; false (both invalid or closed) when that failed.
inline bool loopbackPair(platform::TcpSocket& a, platform::TcpSocket& b) {
    platform::TcpSocket listener;
    if (platform::listenTcp(0, 1, listener) != 0) return false;
    const int32_t port = platform::localPort(listener);
    if (port > 0 && platform::connectTcp("127.0.0.1", uint16_t(port), a) == 0)
        b = platform::acceptTcp(listener);
    platform::closeSocket(listener);
    if (a.valid() && b.valid()) return true;
    platform::closeSocket(a);
    platform::closeSocket(b);
    return false;
}

// One raw end of a connection, speaking whole frames with rising sequence words.
class FramePeer {
  public:
    platform::TcpSocket socket;
    int32_t sequence = 0;
    int32_t id = -1; // the number a host gave it

    FramePeer() = default;
    FramePeer(const FramePeer&) = delete; // two owners would close the socket twice
    FramePeer& operator=(const FramePeer&) = delete;
    ~FramePeer() {
        if (reseau_ != nullptr) reseau_->stopNetwork();
        platform::closeSocket(socket);
    }
    // Starts `reseau` as a client connected to this peer. True when connected.
    bool connect(Reseau& reseau) {
        platform::TcpSocket client;
        if (!loopbackPair(client, socket)) return false;
        reseau.startNetwork(0, client, -1);
        reseau_ = &reseau;
        return true;
    }
    bool dial(int32_t port) {
        return platform::connectTcp("127.0.0.1", uint16_t(port), socket) == 0;
    }
    // Connects to a host and takes the welcome, saying nothing yet. Its number, or -1.
    int32_t enter(int32_t port) {
        Message welcome = {0, -1, 0, 0, {}};
        if (!dial(port)) return -1;
        // A broadcast sent just as we were let in may come before the welcome.
        for (int32_t i = 0; i < 1000 && welcome.type != MSG_ASSIGN_ID; ++i)
            if (!read(welcome, 5000)) return -1;
        if (welcome.type != MSG_ASSIGN_ID) return -1;
        return id = int32_t(doubleAt(welcome));
    }
    // Enters and announces itself as a real client does. Its number, or -1.
    int32_t join(int32_t port, const char* name, int32_t colour,
                 const char* version = VERSION_STAMP) {
        if (enter(port) < 0) return -1;
        send(MSG_NEW_PLAYER, id);
        send(MSG_NAME, id, text(name));
        send(MSG_VERSION, id, text(version));
        send(MSG_SCORE, id, doubles({0}));
        send(MSG_COLOUR, id, doubles({double(colour)}));
        return id;
    }
    int32_t send(int32_t type, int32_t argument, const void* payload) {
        Message m = {++sequence, type, argument, 0, {}};
        if (payload != nullptr) memcpy(m.payload, payload, PAYLOAD_SIZE);
        return platform::sendAll(socket, &m, FRAME_SIZE);
    }
    int32_t send(int32_t type, int32_t argument, const Payload& p = Payload()) {
        return send(type, argument, p.bytes);
    }
    // A frame exactly as given, sequence word included.
    int32_t send(const Message& frame) { return platform::sendAll(socket, &frame, FRAME_SIZE); }
    void close() { platform::closeSocket(socket); }
    // The next frame within `waitMs`; false when none came.
    bool read(Message& out, int32_t waitMs = 2000) {
        return platform::waitReadable(socket, waitMs) == 0 &&
               platform::receiveExactly(socket, &out, FRAME_SIZE) == 0;
    }
    // The game sends synchronously, so a short wait is enough to see that nothing came.
    bool quiet(int32_t waitMs = 50) { return platform::waitReadable(socket, waitMs) != 0; }
    // True once the other end has closed within `waitMs`; frames before the close are skipped.
    bool closed(int32_t waitMs = 5000) {
        Message m;
        for (const uint32_t start = platform::ticks();
             platform::ticks() - start < uint32_t(waitMs);)
            if (platform::waitReadable(socket, 50) == 0 &&
                platform::receiveExactly(socket, &m, FRAME_SIZE) != 0)
                return true;
        return false;
    }
    // Every frame that comes within `waitMs` of the one before.
    std::vector<Message> drain(int32_t waitMs = 100) {
        std::vector<Message> frames;
        for (Message m; frames.size() < 500 && read(m, waitMs);)
            frames.push_back(m);
        return frames;
    }
    std::vector<int32_t> drainTypes() {
        std::vector<int32_t> types;
        for (const Message& m : drain())
            types.push_back(m.type);
        return types;
    }

  private:
    Reseau* reseau_ = nullptr;
};

} // namespace kit
