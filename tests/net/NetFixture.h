// A fresh transport per test, raw frame peers on 127.0.0.1 as byte-exact ends, bounded waits.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "kit/JeuFixture.h" // with the transport, sockets and clock

#include "platform/Thread.h"

using kit::FramePeer;
using platform::TcpSocket;

constexpr int32_t WAIT_MS = 5000;

// Payload bytes that differ per type, so a torn or mixed frame shows.
inline Message frameOf(int32_t sequence, int32_t type, int32_t argument) {
    Message frame = {sequence, type, argument, 0, {}};
    for (int32_t i = 0; i < PAYLOAD_SIZE; ++i)
        frame.payload[i] = static_cast<uint8_t>(i + type);
    return frame;
}

// The next frames `peer` reads carry these arguments, in this order.
inline void expectArguments(FramePeer& peer, std::initializer_list<int32_t> arguments) {
    Message m;
    for (int32_t expected : arguments) {
        ASSERT_TRUE(peer.read(m, WAIT_MS)) << "no frame for " << expected;
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

    void TearDown() override {
        // A transport whose threads would not end is left alive rather than freed under them.
        if (net->stopNetwork() == 0)
            delete net;
        else
            ADD_FAILURE() << "transport threads did not end";
    }

    int32_t startHost() {
        net->startNetwork(1, TcpSocket{}, 0);
        return net->listeningPort(WAIT_MS);
    }

    // `count` clients entered in slot order.
    void enterAll(int32_t port, FramePeer* clients, int32_t count) {
        for (int32_t i = 0; i < count; ++i)
            ASSERT_EQ(i, clients[i].enter(port));
    }

    // Starts the transport as a client of the raw host `host`.
    bool startClient(FramePeer& host) {
        TcpSocket client;
        if (!kit::loopbackPair(client, host.socket)) return false;
        net->startNetwork(0, client, -1);
        return true;
    }

    // The game's next message is `type` with `argument`.
    Message expectNext(int32_t type, int32_t argument) {
        Message m = {0, -1, -1, 0, {}};
        EXPECT_EQ(0, waitMessage(*net, m)) << "no message " << type;
        EXPECT_EQ(type, m.type);
        EXPECT_EQ(argument, m.argument);
        return m;
    }

    bool noMessage() {
        Message m;
        return waitMessage(*net, m, 200) != 0;
    }
};
