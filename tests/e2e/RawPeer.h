// A protocol peer made of a bare socket, for the load and fault tests: it joins a host the
// way a client does, or plays the host for a client, and can send anything at all, whole
// frames or loose bytes. Every read is bounded in time.
#pragma once
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>

#include "E2eSupport.h"
#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Socket.h"

namespace e2e {

// For awaitFrame: a frame of that type whatever its argument.
constexpr int32_t ANY_ARGUMENT = INT32_MIN;

class RawPeer {
  public:
    RawPeer() = default;
    ~RawPeer() { close(); }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    bool connect(int port) {
        close();
        return platform::connectTcp("127.0.0.1", static_cast<uint16_t>(port), socket_) == 0;
    }
    // Takes a connection that arrives on `listener` within `ms`.
    bool accept(platform::TcpSocket listener, int ms) {
        close();
        if (platform::waitReadable(listener, ms) != 0) return false;
        socket_ = platform::acceptTcp(listener);
        return socket_.valid();
    }
    void close() { platform::closeSocket(socket_); }
    bool isOpen() const { return socket_.valid(); }
    platform::TcpSocket socket() const { return socket_; }

    // One frame with the next sequence word, the 48 payload bytes given or zeros.
    bool send(int32_t type, int32_t argument, const void* payload = nullptr) {
        Message m = {};
        m.sequence = ++sequence_;
        m.type = type;
        m.argument = argument;
        if (payload != nullptr) memcpy(m.payload, payload, PAYLOAD_SIZE);
        return sendBytes(&m, FRAME_SIZE);
    }
    bool sendText(int32_t type, int32_t argument, const std::string& text) {
        uint8_t payload[PAYLOAD_SIZE] = {};
        memcpy(payload, text.data(), text.size() < PAYLOAD_SIZE ? text.size() : PAYLOAD_SIZE);
        return send(type, argument, payload);
    }
    bool sendDoubles(int32_t type, int32_t argument, const double* values, int count) {
        uint8_t payload[PAYLOAD_SIZE] = {};
        memcpy(payload, values, sizeof(double) * static_cast<size_t>(count));
        return send(type, argument, payload);
    }
    bool sendBytes(const void* bytes, size_t n) {
        return platform::sendAll(socket_, bytes, n) == 0;
    }

    // The next frame within `ms`.
    bool read(Message& m, int ms) {
        return platform::waitReadable(socket_, ms) == 0 &&
               platform::receiveExactly(socket_, &m, FRAME_SIZE) == 0;
    }
    // Reads until a frame of `type` (and `argument`, unless ANY_ARGUMENT) comes; false when
    // none has within `ms` in all.
    bool awaitFrame(int32_t type, int32_t argument, int ms, Message* found = nullptr) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        Message m;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (left < 0 || !read(m, static_cast<int>(left))) return false;
            if (m.type != type || (argument != ANY_ARGUMENT && m.argument != argument)) continue;
            if (found != nullptr) *found = m;
            return true;
        }
    }
    // Reads whatever has arrived, without waiting.
    void drain() {
        Message m;
        for (int i = 0; i < 100000 && read(m, 0); ++i) {
        }
    }

    // Connects and takes the welcome: the player number the host gave, or -1. A broadcast
    // sent just as we were let in may come before the welcome.
    int32_t welcome(int port, int ms) {
        Message m;
        if (!connect(port) || !awaitFrame(MSG_ASSIGN_ID, ANY_ARGUMENT, ms, &m)) return -1;
        double number;
        memcpy(&number, m.payload, sizeof number);
        id_ = static_cast<int32_t>(number);
        return id_;
    }
    // Announces itself as a client's game does after the welcome.
    bool announce(const std::string& name, int32_t colour) {
        const double score = 0.0;
        const double tint = colour;
        return send(MSG_NEW_PLAYER, id_) && sendText(MSG_NAME, id_, name) &&
               sendText(MSG_VERSION, id_, VERSION_STAMP) &&
               sendDoubles(MSG_SCORE, id_, &score, 1) && sendDoubles(MSG_COLOUR, id_, &tint, 1);
    }
    // The whole join: welcome, announcement, and the host's answer (the map to load).
    int32_t join(int port, const std::string& name, int ms) {
        if (welcome(port, ms) < 0 || !announce(name, 1) ||
            !awaitFrame(MSG_LOAD_MAP, ANY_ARGUMENT, ms))
            return -1;
        return id_;
    }
    int32_t id() const { return id_; }

  private:
    platform::TcpSocket socket_;
    int32_t sequence_ = 0;
    int32_t id_ = -1;
};

// `host` plays the game's host on a free port and a launched `client` joins it. True once
// both ends hold the connection.
inline bool hostForClient(RawPeer& host, Player& client) {
    platform::TcpSocket listener;
    if (platform::listenTcp(0, 1, listener) != 0) return false;
    const int port = platform::localPort(listener);
    const bool joined = client.join(port);
    const bool accepted = host.accept(listener, REPLY_MS);
    platform::closeSocket(listener);
    return joined && accepted;
}

} // namespace e2e
