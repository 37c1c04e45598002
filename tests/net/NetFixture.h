// A fresh transport per test, raw sockets on 127.0.0.1 as byte-exact peers, bounded waits.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <initializer_list>

#include "kit/JeuFixture.h"

#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Socket.h"
#include "platform/Thread.h"

using platform::TcpSocket;

constexpr int32_t WAIT_MS = 5000;

inline Message frameOf(int32_t sequence, int32_t type, int32_t argument) {
    Message frame = {sequence, type, argument, 0, {}};
    for (int32_t i = 0; i < PAYLOAD_SIZE; ++i)
        frame.payload[i] = static_cast<uint8_t>(i + type);
    return frame;
}

inline int readFrame(TcpSocket s, Message& out, int32_t ms = WAIT_MS) {
    platform::setReceiveTimeout(s, ms);
    return platform::receiveExactly(s, &out, FRAME_SIZE);
}

inline int sendFrame(TcpSocket s, const Message& frame) {
    return platform::sendAll(s, &frame, FRAME_SIZE);
}

// True when nothing arrives on `s` for `ms`.
inline bool quiet(TcpSocket s, int32_t ms = 200) {
    return platform::waitReadable(s, ms) != 0;
}

// True once the peer has closed (frames before the close are skipped).
inline bool closedWithin(TcpSocket s, int32_t ms = WAIT_MS) {
    Message skipped;
    for (const uint32_t start = platform::ticks(); platform::ticks() - start < uint32_t(ms);)
        if (platform::waitReadable(s, 50) == 0 && readFrame(s, skipped, 50) != 0) return true;
    return false;
}

// The next frames on `s` carry these arguments, in this order.
inline void expectArguments(TcpSocket s, std::initializer_list<int32_t> arguments) {
    Message m;
    for (int32_t expected : arguments) {
        ASSERT_EQ(0, readFrame(s, m)) << "no frame for " << expected;
        EXPECT_EQ(expected, m.argument);
    }
}

inline int waitMessage(Reseau& net, Message& out, int32_t ms = WAIT_MS) {
    for (const uint32_t start = platform::ticks(); net.nextMessage(out) != 0; platform::sleepMs(1))
        if (platform::ticks() - start > uint32_t(ms)) return 1;
    return 0;
}

// Work on a thread of its own. Its last act is to raise `done`, so once that is seen the
// thread no longer touches the test's memory.
struct Helper {
    explicit Helper(std::function<void()> f) : work(std::move(f)) {
        started = platform::startThread(run, this) == 0;
    }
    static void run(void* p) {
        Helper* h = static_cast<Helper*>(p);
        h->work();
        h->done = 1;
    }
    bool finished(int32_t ms = WAIT_MS) const {
        for (int32_t i = 0; i < ms && done.load() == 0; ++i)
            platform::sleepMs(1);
        return done.load() != 0;
    }
    std::function<void()> work;
    std::atomic<int32_t> done{0};
    bool started = false;
};

class NetFixture : public ::testing::Test {
  protected:
    Reseau* net = new Reseau;
    TcpSocket peers[16];
    int32_t peerCount = 0;

    void TearDown() override {
        for (int32_t i = 0; i < peerCount; ++i)
            platform::closeSocket(peers[i]);
        // A transport whose threads would not end is left alive rather than freed under them.
        if (net->stopNetwork() == 0)
            delete net;
        else
            ADD_FAILURE() << "transport threads did not end";
    }

    TcpSocket keep(TcpSocket s) {
        if (peerCount < 16) peers[peerCount++] = s;
        return s;
    }

    // Closes a kept socket once, so teardown cannot close a number reused meanwhile.
    void drop(TcpSocket& s) {
        for (int32_t i = 0; i < peerCount; ++i)
            if (peers[i].fd == s.fd) peers[i].fd = -1;
        platform::closeSocket(s);
    }

    int32_t startHost() {
        net->startNetwork(1, TcpSocket{}, 0);
        return net->listeningPort(WAIT_MS);
    }

    TcpSocket connectTo(int32_t port) {
        TcpSocket s;
        platform::connectTcp("127.0.0.1", static_cast<uint16_t>(port), s);
        return keep(s);
    }

    // A client that joins the host and reads its welcome; the slot it got, or -1.
    int32_t join(int32_t port, TcpSocket& s) {
        s = connectTo(port);
        Message welcome;
        if (readFrame(s, welcome) != 0 || welcome.type != MSG_ASSIGN_ID) return -1;
        return static_cast<int32_t>(kit::doubleAt(welcome));
    }

    // `count` clients joined in slot order.
    void joinAll(int32_t port, TcpSocket* clients, int32_t count) {
        for (int32_t i = 0; i < count; ++i)
            ASSERT_EQ(i, join(port, clients[i]));
    }

    // Starts the transport as a client of a raw host socket, which is returned.
    TcpSocket startClient() {
        TcpSocket client, hostSide;
        if (kit::loopbackPair(client, hostSide)) net->startNetwork(0, client, -1);
        return keep(hostSide);
    }
};
