// A game record without a window, driven by the fake keyboard and cursor, and a raw socket
// peer that sees what the game sends as a connected client would to its host.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>

#include "game/Jeu.h"
#include "net/Reseau.h"
#include "platform/Keyboard.h"
#include "platform/Socket.h"

#include <SDL/SDL_keysym.h>

namespace testsupport {

constexpr int32_t FIXTURE_WIDTH = 800;
constexpr int32_t FIXTURE_HEIGHT = 600;

inline void releaseMovementKeys() {
    for (int32_t key : {SDLK_z, SDLK_q, SDLK_s, SDLK_d})
        platform::setFakeKey(key, false);
}

// Puts the cursor on the fixed point the game warps it back to: no mouse motion.
inline void centreFakeCursor() {
    platform::setFakeCursor(FIXTURE_WIDTH / 2, FIXTURE_HEIGHT / 2);
}

// A fresh game on an empty map: the local player is the host (7), alive with 75 points at
// (1000, 1000) looking along +x, mouse captured, chat closed, every remote slot absent, no
// transport. The record is large, so it lives on the heap.
inline std::unique_ptr<Jeu> makeTestJeu() {
    std::unique_ptr<Jeu> jeu(new Jeu());
    jeu->options.width = FIXTURE_WIDTH;
    jeu->options.height = FIXTURE_HEIGHT;
    jeu->options.verticalSensitivity = 100;
    jeu->options.horizontalSensitivity = 100;
    jeu->mouseCaptured = 1;
    jeu->chatOpen = 0;
    jeu->deathTimer = DEATH_TIMER_ALIVE;
    jeu->map.clear();
    jeu->tir.init();
    jeu->texte.initMessages();
    initSnapshots(jeu->joueurs);
    Joueur& me = jeu->localPlayer;
    me.id = HOST_ID;
    me.health = 75.0;
    me.posX = 1000.0;
    me.posY = 1000.0;
    for (int32_t k = 0; k < MAX_PLAYERS; ++k) {
        jeu->remotePlayers[k].id = k;
        jeu->remotePlayers[k].state = PLAYER_ABSENT;
    }
    platform::useFakeInput(true);
    releaseMovementKeys();
    centreFakeCursor();
    return jeu;
}

// A listening socket on 127.0.0.1 that a client transport joins; the accepted end reads the
// frames the game sends. Every read is bounded in time.
class FramePeer {
  public:
    ~FramePeer() {
        if (reseau_) reseau_->stopNetwork();
        platform::closeSocket(peer_);
        platform::closeSocket(listener_);
    }

    // Starts `reseau` as a client connected to this peer. True when connected.
    bool connect(Reseau& reseau) {
        if (platform::listenTcp(0, 1, listener_) != 0) return false;
        const int32_t port = platform::localPort(listener_);
        platform::TcpSocket client;
        if (port <= 0 ||
            platform::connectTcp("127.0.0.1", static_cast<uint16_t>(port), client) != 0) {
            platform::closeSocket(client);
            return false;
        }
        peer_ = platform::acceptTcp(listener_);
        if (!peer_.valid()) {
            platform::closeSocket(client);
            return false;
        }
        reseau.startNetwork(0, client, -1);
        reseau_ = &reseau;
        return true;
    }

    // The next frame within `waitMs`; false when none came.
    bool read(Message& out, int32_t waitMs = 2000) {
        if (platform::waitReadable(peer_, waitMs) != 0) return false;
        return platform::receiveExactly(peer_, &out, FRAME_SIZE) == 0;
    }

    // The game sends synchronously, so a short wait is enough to see that nothing came.
    bool quiet() { return platform::waitReadable(peer_, 50) != 0; }

  private:
    Reseau* reseau_ = nullptr;
    platform::TcpSocket listener_;
    platform::TcpSocket peer_;
};

} // namespace testsupport
