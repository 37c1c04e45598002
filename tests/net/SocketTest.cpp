#include <fcntl.h>

#include "NetFixture.h"

namespace {

struct Pair {
    TcpSocket a, b;
};

Pair connectedPair() {
    Pair p;
    testsupport::loopbackPair(p.a, p.b);
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
    Message got;
    EXPECT_EQ(1, readFrame(p.a, got)) << "a close reads as a failure";
    platform::closeSocket(p.a);
}

} // namespace
