// The transport as host and as client over real sockets: welcomes, slots, sequence words,
// routing, repeats, restarts and the sends held during a dispatch.
#include "NetFixture.h"

namespace {

using ReseauHost = NetFixture;
using ReseauClient = NetFixture;
using ReseauHold = NetFixture;

TEST_F(ReseauHost, WelcomesEachClientWithItsSlotNumberExactlyOnce) {
    const int32_t port = startHost();
    ASSERT_GT(port, 0);
    TcpSocket a, b;
    EXPECT_EQ(0, join(port, a));
    EXPECT_EQ(1, join(port, b));
    const TcpSocket c = connectTo(port);
    Message welcome;
    ASSERT_EQ(0, readFrame(c, welcome));
    uint8_t expected[FRAME_SIZE] = {};
    expected[8] = 7;         // argument: the host's number
    expected[16 + 7] = 0x40; // the double 2.0
    EXPECT_NE(0, welcome.sequence);
    EXPECT_EQ(0, memcmp(expected + 4, reinterpret_cast<const uint8_t*>(&welcome) + 4, FRAME_SIZE - 4));
    EXPECT_TRUE(quiet(c)) << "a second frame came";
}

TEST_F(ReseauHost, DropsRepeatsAndSequenceZeroKeepsByteSplitFramesAndEnds101Repeats) {
    const int32_t port = startHost();
    TcpSocket a, b;
    ASSERT_EQ(0, join(port, a));
    ASSERT_EQ(1, join(port, b));
    sendFrame(a, frameOf(0, 1, 0)); // the remembered word starts at 0
    // A hundred repeats are tolerated; the next new frame still counts.
    for (int32_t i = 0; i <= MAX_REPEATS; ++i)
        sendFrame(a, frameOf(9, 3, i));
    const Message split = frameOf(10, 12, 4);
    for (int32_t i = 0; i < FRAME_SIZE; ++i, platform::sleepMs(1)) // each byte read alone
        ASSERT_EQ(0, platform::sendAll(a, reinterpret_cast<const uint8_t*>(&split) + i, 1));
    Message m;
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(3, m.type);
    EXPECT_EQ(0, m.argument);
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(12, m.type);
    EXPECT_EQ(4, m.argument);
    EXPECT_EQ(0, memcmp(split.payload, m.payload, PAYLOAD_SIZE));
    EXPECT_EQ(1, waitMessage(*net, m, 200));
    for (int32_t i = 0; i <= MAX_REPEATS; ++i)
        sendFrame(a, split);
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_PLAYER_LEFT, m.type);
    EXPECT_EQ(0, m.argument);
    EXPECT_TRUE(closedWithin(a)) << "the host closes a connection it ended";
    drop(b); // a peer that vanishes ends its connection too
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_PLAYER_LEFT, m.type);
    EXPECT_EQ(1, m.argument);
}

TEST_F(ReseauHost, AnEighthClientWaitsForAFreedSlotAndTakesItsNumber) {
    const int32_t port = startHost();
    TcpSocket clients[HOST_SLOTS];
    joinAll(port, clients, HOST_SLOTS);
    const TcpSocket eighth = connectTo(port);
    ASSERT_TRUE(eighth.valid());
    EXPECT_TRUE(quiet(eighth, 300)) << "welcomed while all slots are busy";
    // The search for a free slot starts after the last one given (6): 5 is the last it sees.
    drop(clients[5]);
    Message m;
    ASSERT_EQ(0, readFrame(eighth, m));
    EXPECT_EQ(MSG_ASSIGN_ID, m.type);
    EXPECT_EQ(5.0, kit::doubleAt(m));
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_PLAYER_LEFT, m.type);
    EXPECT_EQ(5, m.argument);
}

TEST_F(ReseauHost, PeerOutside0To6SendsToAllAPeerToOneClientAndSequencesRiseBy1To101) {
    const int32_t port = startHost();
    TcpSocket a, b;
    ASSERT_EQ(0, join(port, a));
    ASSERT_EQ(1, join(port, b));
    net->sendMessage(16, 1, nullptr, 1);
    net->sendMessage(16, 7, nullptr, 7);
    net->sendMessage(16, 8, nullptr, -1);
    expectArguments(a, {7, 8});
    expectArguments(b, {1, 7, 8});
    constexpr int32_t COUNT = 300;
    for (int32_t i = 0; i < COUNT; ++i)
        net->sendMessage(10, i, nullptr, i % 2 == 0 ? -1 : 0);
    Message m;
    int32_t previous = 0, distinctSteps = 0, lastStep = -1;
    for (int32_t i = 0; i < COUNT; ++i) {
        ASSERT_EQ(0, readFrame(a, m));
        EXPECT_EQ(i, m.argument);
        EXPECT_EQ(0, m.reserved);
        const int32_t step = m.sequence - previous;
        if (i > 0) {
            EXPECT_TRUE(step >= 1 && step <= 101) << step;
            distinctSteps += step != lastStep ? 1 : 0;
            lastStep = step;
        }
        previous = m.sequence;
    }
    EXPECT_GT(distinctSteps, 10) << "steps should be random";
}

TEST_F(ReseauHost, RetriedStartsBusyPortSamePortAndAnotherPort) {
    TcpSocket squatter;
    ASSERT_EQ(0, platform::listenTcp(0, 1, squatter));
    keep(squatter);
    testing::internal::CaptureStdout();
    net->startNetwork(1, TcpSocket{}, platform::localPort(squatter));
    EXPECT_EQ(-1, net->listeningPort(WAIT_MS));
    EXPECT_EQ("\nErreur: bind a echoue, le port est probablement deja utilise\n",
              testing::internal::GetCapturedStdout());
    // The same port again keeps the listener and its clients.
    const int32_t port = startHost();
    TcpSocket s;
    ASSERT_EQ(0, join(port, s));
    EXPECT_EQ(0, net->startNetwork(1, TcpSocket{}, 0));
    EXPECT_EQ(port, net->listeningPort(WAIT_MS));
    net->sendMessage(16, 5, nullptr, -1);
    expectArguments(s, {5});
    // Another port drops them quietly.
    TcpSocket other;
    ASSERT_EQ(0, platform::listenTcp(0, 1, other));
    const int32_t newPort = platform::localPort(other);
    platform::closeSocket(other);
    EXPECT_EQ(0, net->startNetwork(1, TcpSocket{}, newPort));
    EXPECT_EQ(newPort, net->listeningPort(WAIT_MS));
    EXPECT_TRUE(closedWithin(s));
    Message m;
    EXPECT_EQ(1, waitMessage(*net, m, 200)) << "no 'player left' after a restart";
    TcpSocket again;
    EXPECT_EQ(0, join(newPort, again));
}

TEST_F(ReseauClient, SendsToTheHostOnlyWhenAddressedToAll) {
    const TcpSocket hostSide = startClient();
    ASSERT_TRUE(hostSide.valid());
    for (int32_t peer = 0; peer < HOST_SLOTS; ++peer)
        net->sendMessage(16, peer, nullptr, peer);
    net->sendMessage(16, 7, nullptr, 7);
    net->sendMessage(16, -1, nullptr, -1);
    expectArguments(hostSide, {7, -1});
    EXPECT_TRUE(quiet(hostSide));
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
    EXPECT_TRUE(closedWithin(oldHost));
    sendFrame(newHost, frameOf(8, 0, 7));
    Message m;
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(0, m.sequence) << "the queue starts afresh";
    EXPECT_EQ(0, m.type);
    EXPECT_EQ(1, waitMessage(*net, m, 200)) << "neither the old welcome nor 'host lost'";
    net->sendMessage(16, 2, nullptr, -1);
    expectArguments(newHost, {2});
}

// Reads `count` frames: their arguments run from `first`, in the order they were sent.
void expectRun(TcpSocket s, int32_t first, int32_t count, int32_t& lastSequence) {
    Message m;
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(0, readFrame(s, m)) << "frame " << first + i << " missing";
        EXPECT_EQ(first + i, m.argument);
        EXPECT_GT(m.sequence, lastSequence);
        lastSequence = m.sequence;
    }
}

TEST_F(ReseauHold, HeldFramesLeaveAtReleaseOrWhenAnotherThreadSends) {
    const int32_t port = startHost();
    TcpSocket clients[2];
    joinAll(port, clients, 2);
    const TcpSocket a = clients[0], b = clients[1];
    int32_t seqA = 0, seqB = 0;
    net->holdSends();
    for (int32_t i = 1; i <= 3; ++i)
        net->sendMessage(16, i, nullptr, -1);
    EXPECT_TRUE(quiet(a, 150)) << "a held frame left early";
    // Another thread's frame goes at once, behind the three that waited for the same peer.
    Helper other([this] { net->sendMessage(16, 4, nullptr, -1); });
    ASSERT_TRUE(other.started && other.finished());
    expectRun(a, 1, 4, seqA);
    expectRun(b, 1, 4, seqB);
    // A full outbox does not wait for the release.
    for (int32_t i = 0; i < OUTBOX_FRAMES + 4; ++i)
        net->sendMessage(16, 100 + i, nullptr, 0);
    expectRun(a, 100, OUTBOX_FRAMES, seqA);
    EXPECT_TRUE(quiet(a, 150)) << "the rest left before the release";
    net->releaseSends();
    expectRun(a, 100 + OUTBOX_FRAMES, 4, seqA);
    EXPECT_TRUE(quiet(b, 150)) << "frames for one peer reached another";
    // Released: frames go out one by one again.
    net->sendMessage(16, 200, nullptr, 1);
    expectRun(b, 200, 1, seqB);
}

TEST_F(ReseauHold, ANewcomerInAFreedSlotNeverGetsFramesHeldForTheOneBefore) {
    const int32_t port = startHost();
    TcpSocket clients[HOST_SLOTS];
    joinAll(port, clients, HOST_SLOTS);
    net->holdSends();
    net->sendMessage(16, 1, nullptr, 3);
    drop(clients[3]);
    Message m;
    ASSERT_EQ(0, waitMessage(*net, m));
    EXPECT_EQ(MSG_PLAYER_LEFT, m.type);
    // Every other slot is busy: the newcomer can only take the one just freed.
    TcpSocket newcomer;
    ASSERT_EQ(3, join(port, newcomer));
    net->releaseSends();
    EXPECT_TRUE(quiet(newcomer)) << "the newcomer got an old frame";
}

} // namespace
