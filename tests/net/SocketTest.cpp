// The platform's sockets: listening, connecting, closing, and a peer that went away.
#include <fcntl.h>

#include "NetFixture.h"

namespace {

TEST(Socket, ListensConnectsAndNeverLeaksIntoChildren) {
    TcpSocket server, second, a, b;
    ASSERT_EQ(0, platform::listenTcp(0, 7, server));
    const int32_t port = platform::localPort(server);
    EXPECT_GT(port, 0);
    EXPECT_EQ(1, platform::listenTcp(static_cast<uint16_t>(port), 7, second)) << "port in use";
    EXPECT_FALSE(second.valid());
    ASSERT_TRUE(kit::loopbackPair(a, b));
    for (TcpSocket s : {server, a, b})
        EXPECT_NE(0, fcntl(s.fd, F_GETFD) & FD_CLOEXEC);
    for (TcpSocket* s : {&server, &a, &b}) {
        platform::closeSocket(*s);
        EXPECT_FALSE(s->valid());
    }
}

TEST(Socket, MalformedOrRefusedAddressesFailCleanly) {
    TcpSocket server;
    ASSERT_EQ(0, platform::listenTcp(0, 1, server));
    const uint16_t closed = static_cast<uint16_t>(platform::localPort(server));
    platform::closeSocket(server);
    const struct {
        const char* address;
        uint16_t port;
    } bad[] = {{"", 80},          {"127.0.0", 80}, {"127.0.0.1.5", 80}, {"300.1.1.1", 80},
               {"localhost", 80}, {"1.2.3.x", 80}, {nullptr, 80},       {"127.0.0.1", closed}};
    for (const auto& c : bad) {
        TcpSocket s;
        EXPECT_EQ(1, platform::connectTcp(c.address, c.port, s))
            << (c.address ? c.address : "null");
        EXPECT_TRUE(c.port == closed || !s.valid()); // a refused socket is the caller's to close
        platform::closeSocket(s);
    }
}

TEST(Socket, SendingToAClosedPeerFailsWithoutKillingTheProcess) {
    FramePeer a;
    TcpSocket b;
    ASSERT_TRUE(kit::loopbackPair(a.socket, b));
    platform::closeSocket(b);
    int result = 0;
    for (int32_t i = 0; i < 200 && result == 0; ++i, platform::sleepMs(1))
        result = a.send(frameOf(1, 1, 1));
    EXPECT_EQ(1, result);
    EXPECT_TRUE(a.closed()) << "a close reads as a failure";
}

} // namespace
