#include "NetFixture.h"

namespace {

using ReseauClient = NetFixture;

TEST_F(ReseauClient, SendsToTheHostOnlyWhenAddressedToAll) {
    const TcpSocket hostSide = startClient();
    ASSERT_TRUE(hostSide.valid());
    for (int32_t peer = 0; peer < HOST_SLOTS; ++peer)
        net->sendMessage(16, peer, nullptr, peer);
    net->sendMessage(16, 7, nullptr, 7);
    net->sendMessage(16, -1, nullptr, -1);
    expectArguments(hostSide, {7, -1});
    EXPECT_NE(0, platform::waitReadable(hostSide, 200));
}

TEST_F(ReseauClient, LosingTheHostQueuesHostLostOnceAndStopsSending) {
    TcpSocket hostSide = startClient();
    ASSERT_TRUE(hostSide.valid());
    sendFrame(hostSide, frameOf(3, 0, 7));
    drop(hostSide);
    Message m;
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(0, m.type);
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_HOST_LOST, m.type);
    EXPECT_EQ(7, m.argument);
    net->sendMessage(10, 0, nullptr, -1);
    EXPECT_EQ(1, waitMessage(*net, m, 200));
}

TEST_F(ReseauClient, RetriedStartReplacesTheConnectionQuietly) {
    TcpSocket oldHost = startClient();
    sendFrame(oldHost, frameOf(4, 0, 7));
    platform::sleepMs(100);
    const TcpSocket newHost = startClient();
    ASSERT_TRUE(newHost.valid());
    EXPECT_EQ(0, waitClosed(oldHost));
    sendFrame(newHost, frameOf(8, 0, 7));
    Message m;
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(0, m.sequence) << "the queue starts afresh";
    EXPECT_EQ(0, m.type);
    EXPECT_EQ(1, waitMessage(*net, m, 200)) << "neither the old welcome nor 'host lost'";
    net->sendMessage(16, 2, nullptr, -1);
    expectArguments(newHost, {2});
}

} // namespace
