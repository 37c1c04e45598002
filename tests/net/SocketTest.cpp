#include <fcntl.h>

#include "NetFixture.h"
#include "platform/Thread.h"

namespace {

struct Pair {
    TcpSocket a, b;
};

Pair connectedPair() {
    Pair p;
    TcpSocket server;
    if (platform::listenTcp(0, 1, server) != 0) return p;
    platform::connectTcp("127.0.0.1", static_cast<uint16_t>(platform::localPort(server)), p.a);
    p.b = platform::acceptTcp(server);
    platform::closeSocket(server);
    return p;
}

TEST(Socket, ListensOnAChosenPortAndConnectsOnLoopback) {
    TcpSocket server;
    ASSERT_EQ(0, platform::listenTcp(0, 7, server));
    const int32_t port = platform::localPort(server);
    EXPECT_GT(port, 0);
    // Sockets must not leak into processes the game spawns.
    EXPECT_NE(0, fcntl(server.fd, F_GETFD) & FD_CLOEXEC);
    TcpSocket second;
    EXPECT_EQ(1, platform::listenTcp(static_cast<uint16_t>(port), 7, second)) << "port in use";
    EXPECT_FALSE(second.valid());
    platform::closeSocket(server);
    EXPECT_FALSE(server.valid());

    const Pair p = connectedPair();
    ASSERT_TRUE(p.a.valid() && p.b.valid());
    EXPECT_NE(0, fcntl(p.a.fd, F_GETFD) & FD_CLOEXEC);
    EXPECT_NE(0, fcntl(p.b.fd, F_GETFD) & FD_CLOEXEC);
    Pair q = p;
    platform::closeSocket(q.a);
    platform::closeSocket(q.b);
}

TEST(Socket, MalformedOrRefusedAddressesFailCleanly) {
    const char* const bad[] = {"", "127.0.0", "127.0.0.1.5", "300.1.1.1", "localhost", "1.2.3.x"};
    for (const char* address : bad) {
        TcpSocket s;
        EXPECT_EQ(1, platform::connectTcp(address, 80, s)) << address;
        EXPECT_FALSE(s.valid()) << address;
    }
    TcpSocket none;
    EXPECT_EQ(1, platform::connectTcp(nullptr, 80, none));

    TcpSocket server;
    ASSERT_EQ(0, platform::listenTcp(0, 1, server));
    const uint16_t port = static_cast<uint16_t>(platform::localPort(server));
    platform::closeSocket(server);
    TcpSocket refused;
    EXPECT_EQ(1, platform::connectTcp("127.0.0.1", port, refused));
    platform::closeSocket(refused);
}

TEST(Socket, ReceivesAWholeFrameAcrossPartialWritesAndReportsClose) {
    Pair p = connectedPair();
    ASSERT_TRUE(p.a.valid() && p.b.valid());
    const Message frame = frameOf(41, 12, 3);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&frame);
    for (int32_t i = 0; i < FRAME_SIZE; i += 5) {
        const int32_t n = FRAME_SIZE - i < 5 ? FRAME_SIZE - i : 5;
        ASSERT_EQ(0, platform::sendAll(p.a, bytes + i, static_cast<size_t>(n)));
        platform::sleepMs(1);
    }
    Message got;
    ASSERT_EQ(0, readFrame(p.b, got));
    EXPECT_EQ(0, memcmp(&frame, &got, FRAME_SIZE));

    // Half a frame then a close: a failure, not a frame.
    ASSERT_EQ(0, platform::sendAll(p.a, bytes, 20));
    platform::closeSocket(p.a);
    EXPECT_EQ(1, readFrame(p.b, got));
    EXPECT_EQ(1, readFrame(p.b, got));
    platform::closeSocket(p.b);
}

TEST(Socket, SendingToAClosedPeerFailsWithoutKillingTheProcess) {
    Pair p = connectedPair();
    ASSERT_TRUE(p.a.valid() && p.b.valid());
    platform::closeSocket(p.b);
    const Message frame = frameOf(1, 1, 1);
    int result = 0;
    for (int32_t i = 0; i < 200 && result == 0; ++i) {
        result = platform::sendAll(p.a, &frame, FRAME_SIZE);
        platform::sleepMs(1);
    }
    EXPECT_EQ(1, result);
    platform::closeSocket(p.a);
}

struct Blocked {
    TcpSocket socket;
    std::atomic<int32_t> done{0};
    int32_t result = 0;
};

void acceptBlocked(void* arg) {
    Blocked* b = static_cast<Blocked*>(arg);
    b->result = platform::acceptTcp(b->socket).valid() ? 1 : 0;
    b->done.store(1);
}

void receiveBlocked(void* arg) {
    Blocked* b = static_cast<Blocked*>(arg);
    Message m;
    b->result = platform::receiveExactly(b->socket, &m, FRAME_SIZE);
    b->done.store(1);
}

TEST(Socket, ShutdownWakesABlockedAcceptAndReceive) {
    Blocked accepting;
    ASSERT_EQ(0, platform::listenTcp(0, 1, accepting.socket));
    ASSERT_EQ(0, platform::startThread(acceptBlocked, &accepting));
    platform::sleepMs(50);
    platform::shutdownSocket(accepting.socket);
    ASSERT_TRUE(waitFlag(accepting.done));
    EXPECT_EQ(0, accepting.result);
    platform::closeSocket(accepting.socket);

    Pair p = connectedPair();
    Blocked receiving;
    receiving.socket = p.b;
    ASSERT_EQ(0, platform::startThread(receiveBlocked, &receiving));
    platform::sleepMs(50);
    platform::shutdownSocket(p.b);
    ASSERT_TRUE(waitFlag(receiving.done));
    EXPECT_EQ(1, receiving.result);
    platform::closeSocket(p.a);
    platform::closeSocket(p.b);
}

} // namespace
