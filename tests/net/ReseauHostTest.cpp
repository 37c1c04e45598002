#include "NetFixture.h"

namespace {

using ReseauHost = NetFixture;

TEST_F(ReseauHost, WelcomesEachClientWithItsSlotNumberExactlyOnce) {
    const int32_t port = startHost();
    ASSERT_GT(port, 0);
    TcpSocket a, b, c;
    EXPECT_EQ(0, join(port, a));
    EXPECT_EQ(1, join(port, b));
    c = connectTo(port);
    Message welcome;
    ASSERT_EQ(0, readFrame(c, welcome));

    uint8_t expected[FRAME_SIZE] = {};
    expected[8] = 7;         // argument: the host's number
    expected[16 + 7] = 0x40; // the double 2.0
    const uint8_t* got = reinterpret_cast<const uint8_t*>(&welcome);
    EXPECT_NE(0, welcome.sequence);
    EXPECT_EQ(0, memcmp(expected + 4, got + 4, FRAME_SIZE - 4));
    EXPECT_NE(0, platform::waitReadable(c, 200)) << "a second frame came";
}

TEST_F(ReseauHost, SequenceRisesBySteps1To101OnEachConnection) {
    const int32_t port = startHost();
    TcpSocket s;
    ASSERT_EQ(0, join(port, s));
    constexpr int32_t COUNT = 300;
    for (int32_t i = 0; i < COUNT; ++i)
        net->sendMessage(10, i, nullptr, i % 2 == 0 ? -1 : 0);
    Message m;
    int32_t previous = 0, distinctSteps = 0, lastStep = -1;
    for (int32_t i = 0; i < COUNT; ++i) {
        ASSERT_EQ(0, readFrame(s, m));
        EXPECT_EQ(i, m.argument);
        EXPECT_EQ(0, m.reserved);
        const int32_t step = m.sequence - previous;
        if (i > 0) {
            EXPECT_GE(step, 1);
            EXPECT_LE(step, 101);
            if (step != lastStep) ++distinctSteps;
            lastStep = step;
        }
        previous = m.sequence;
    }
    EXPECT_GT(distinctSteps, 10) << "steps should be random";
}

TEST_F(ReseauHost, DropsDuplicatesAndSequenceZeroAndKeepsByteSplitFrames) {
    const int32_t port = startHost();
    TcpSocket s;
    ASSERT_EQ(0, join(port, s));
    sendFrame(s, frameOf(0, 1, 0)); // the remembered word starts at 0
    sendFrame(s, frameOf(5, 2, 0));
    sendFrame(s, frameOf(5, 3, 0));
    const Message split = frameOf(6, 12, 4);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&split);
    for (int32_t i = 0; i < FRAME_SIZE; ++i)
        ASSERT_EQ(0, platform::sendAll(s, bytes + i, 1));
    Message m;
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(2, m.type);
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(12, m.type);
    EXPECT_EQ(4, m.argument);
    EXPECT_EQ(0, memcmp(split.payload, m.payload, PAYLOAD_SIZE));
    EXPECT_EQ(1, waitMessage(*net, m, 200));
}

TEST_F(ReseauHost, HundredAndOneRepeatsOrAVanishedPeerEndTheConnection) {
    const int32_t port = startHost();
    TcpSocket a, b;
    ASSERT_EQ(0, join(port, a));
    ASSERT_EQ(1, join(port, b));
    // A hundred repeats are tolerated; the next new frame still counts.
    for (int32_t i = 0; i <= MAX_REPEATS; ++i)
        sendFrame(a, frameOf(9, 3, i));
    sendFrame(a, frameOf(10, 6, 0));
    Message m;
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(3, m.type);
    EXPECT_EQ(0, m.argument);
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(6, m.type);
    for (int32_t i = 0; i <= MAX_REPEATS; ++i)
        sendFrame(a, frameOf(10, 6, 0));
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_PLAYER_LEFT, m.type);
    EXPECT_EQ(0, m.argument);
    EXPECT_EQ(0, waitClosed(a)) << "the host closes a connection it ended";

    drop(b);
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_PLAYER_LEFT, m.type);
    EXPECT_EQ(1, m.argument);
}

TEST_F(ReseauHost, AnEighthClientWaitsForAFreedSlotAndTakesItsNumber) {
    const int32_t port = startHost();
    TcpSocket clients[HOST_SLOTS];
    for (int32_t i = 0; i < HOST_SLOTS; ++i)
        ASSERT_EQ(i, join(port, clients[i]));
    const TcpSocket eighth = connectTo(port);
    ASSERT_TRUE(eighth.valid());
    EXPECT_NE(0, platform::waitReadable(eighth, 300)) << "welcomed while all slots are busy";
    drop(clients[3]);
    Message m;
    ASSERT_EQ(0, readFrame(eighth, m));
    EXPECT_EQ(0, m.type);
    EXPECT_EQ(3.0, testsupport::doubleAt(m));
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_PLAYER_LEFT, m.type);
    EXPECT_EQ(3, m.argument);
}

TEST_F(ReseauHost, PeerOutside0To6SendsToAllAndAPeerToOneClientOnly) {
    const int32_t port = startHost();
    TcpSocket a, b;
    ASSERT_EQ(0, join(port, a));
    ASSERT_EQ(1, join(port, b));
    net->sendMessage(16, 1, nullptr, 1);
    net->sendMessage(16, 7, nullptr, 7);
    net->sendMessage(16, 8, nullptr, -1);
    expectArguments(a, {7, 8});
    expectArguments(b, {1, 7, 8});
}

TEST_F(ReseauHost, BusyPortIsReportedAndARetriedStartCanPickAnotherPort) {
    TcpSocket squatter;
    ASSERT_EQ(0, platform::listenTcp(0, 1, squatter));
    keep(squatter);
    const int32_t busy = platform::localPort(squatter);
    testing::internal::CaptureStdout();
    net->startNetwork(1, TcpSocket{}, busy);
    EXPECT_EQ(-1, net->listeningPort(WAIT_MS));
    EXPECT_EQ("\nErreur: bind a echoue, le port est probablement deja utilise\n",
              testing::internal::GetCapturedStdout());
    const int32_t port = startHost();
    ASSERT_GT(port, 0);
    TcpSocket s;
    EXPECT_EQ(0, join(port, s));
}

TEST_F(ReseauHost, RetriedStartOnTheSamePortKeepsItsClientsAnotherPortDropsThemQuietly) {
    const int32_t port = startHost();
    TcpSocket s;
    ASSERT_EQ(0, join(port, s));
    EXPECT_EQ(0, net->startNetwork(1, TcpSocket{}, 0));
    EXPECT_EQ(port, net->listeningPort(WAIT_MS));
    net->sendMessage(16, 5, nullptr, -1);
    expectArguments(s, {5});
    Message m;

    TcpSocket other;
    ASSERT_EQ(0, platform::listenTcp(0, 1, other));
    const int32_t newPort = platform::localPort(other);
    platform::closeSocket(other);
    EXPECT_EQ(0, net->startNetwork(1, TcpSocket{}, newPort));
    EXPECT_EQ(newPort, net->listeningPort(WAIT_MS));
    EXPECT_EQ(0, waitClosed(s));
    EXPECT_EQ(1, waitMessage(*net, m, 200)) << "no 'player left' after a restart";
    TcpSocket again;
    EXPECT_EQ(0, join(newPort, again));
}

} // namespace
