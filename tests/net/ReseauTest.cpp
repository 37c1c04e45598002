// The transport as host and as client over real sockets: welcomes, slots, sequence words,
// routing, repeats, restarts and the sends held during a dispatch.
#include "NetFixture.h"

namespace {

using ReseauHost = NetFixture;
using ReseauClient = NetFixture;
using ReseauHold = NetFixture;

TEST_F(ReseauHost, DropsRepeatsAndSequenceZeroKeepsByteSplitFramesAndEnds101Repeats) {
    const int32_t port = startHost();
    FramePeer a, b;
    ASSERT_TRUE(a.enter(port) == 0 && b.enter(port) == 1);
    a.send(frameOf(0, 1, 0)); // the remembered word starts at 0
    // A hundred repeats are tolerated; the next new frame still counts.
    for (int32_t i = 0; i <= MAX_REPEATS; ++i)
        a.send(frameOf(9, 3, i));
    const Message split = frameOf(10, 12, 4);
    for (int32_t i = 0; i < FRAME_SIZE; ++i, platform::sleepMs(1)) // each byte read alone
        ASSERT_EQ(0, platform::sendAll(a.socket, reinterpret_cast<const uint8_t*>(&split) + i, 1));
    expectNext(3, 0);
    EXPECT_EQ(0, memcmp(split.payload, expectNext(12, 4).payload, PAYLOAD_SIZE));
    EXPECT_TRUE(noMessage());
    for (int32_t i = 0; i <= MAX_REPEATS; ++i)
        a.send(split);
    expectNext(MSG_PLAYER_LEFT, 0);
    EXPECT_TRUE(a.closed()) << "the host closes a connection it ended";
    b.close(); // a peer that vanishes ends its connection too
    expectNext(MSG_PLAYER_LEFT, 1);
}

TEST_F(ReseauHost, AnEighthClientWaitsForAFreedSlotAndTakesItsNumber) {
    const int32_t port = startHost();
    FramePeer clients[HOST_SLOTS], eighth;
    enterAll(port, clients, HOST_SLOTS);
    ASSERT_TRUE(eighth.dial(port));
    EXPECT_TRUE(eighth.quiet(300)) << "welcomed while all slots are busy";
    // The search for a free slot starts after the last one given (6): 5 is the last it sees.
    clients[5].close();
    Message m;
    ASSERT_TRUE(eighth.read(m, WAIT_MS));
    EXPECT_EQ(MSG_ASSIGN_ID, m.type);
    EXPECT_EQ(5.0, kit::doubleAt(m));
    expectNext(MSG_PLAYER_LEFT, 5);
}

TEST_F(ReseauHost, WelcomesOnceRoutesByPeerAndRaisesSequencesBy1To101) {
    const int32_t port = startHost();
    ASSERT_GT(port, 0);
    FramePeer clients[3];
    enterAll(port, clients, 2);
    Message m;
    ASSERT_TRUE(clients[2].dial(port) && clients[2].read(m, WAIT_MS));
    uint8_t welcome[FRAME_SIZE] = {};
    welcome[8] = 7;         // argument: the host's number
    welcome[16 + 7] = 0x40; // the double 2.0: its slot
    EXPECT_NE(0, m.sequence);
    EXPECT_EQ(0, memcmp(welcome + 4, reinterpret_cast<const uint8_t*>(&m) + 4, FRAME_SIZE - 4));
    EXPECT_TRUE(clients[2].quiet(200)) << "a second frame came";
    for (int32_t peer : {1, 7, -1}) // a peer outside 0..6 means everyone
        net->sendMessage(16, peer, nullptr, peer);
    expectArguments(clients[0], {7, -1});
    expectArguments(clients[1], {1, 7, -1});
    constexpr int32_t COUNT = 300;
    for (int32_t i = 0; i < COUNT; ++i)
        net->sendMessage(10, i, nullptr, i % 2 == 0 ? -1 : 0);
    int32_t previous = 0, distinctSteps = 0, lastStep = -1;
    for (int32_t i = 0; i < COUNT; ++i, previous = m.sequence) {
        ASSERT_TRUE(clients[0].read(m, WAIT_MS));
        EXPECT_EQ(i, m.argument);
        EXPECT_EQ(0, m.reserved);
        const int32_t step = m.sequence - previous;
        if (i == 0) continue;
        EXPECT_TRUE(step >= 1 && step <= 101) << step;
        distinctSteps += step != lastStep ? 1 : 0;
        lastStep = step;
    }
    EXPECT_GT(distinctSteps, 10) << "steps should be random";
}

TEST_F(ReseauHost, RetriedStartsBusyPortSamePortAndAnotherPort) {
    TcpSocket squatter, other;
    ASSERT_EQ(0, platform::listenTcp(0, 1, squatter));
    testing::internal::CaptureStdout();
    net->startNetwork(1, TcpSocket{}, platform::localPort(squatter));
    EXPECT_EQ(-1, net->listeningPort(WAIT_MS));
    EXPECT_EQ("\nErreur: bind a echoue, le port est probablement deja utilise\n",
              testing::internal::GetCapturedStdout());
    platform::closeSocket(squatter);
    // The same port again keeps the listener and its clients.
    const int32_t port = startHost();
    FramePeer s, again;
    ASSERT_EQ(0, s.enter(port));
    EXPECT_EQ(0, net->startNetwork(1, TcpSocket{}, 0));
    EXPECT_EQ(port, net->listeningPort(WAIT_MS));
    net->sendMessage(16, 5, nullptr, -1);
    expectArguments(s, {5});
    // Another port drops them quietly.
    ASSERT_EQ(0, platform::listenTcp(0, 1, other));
    const int32_t newPort = platform::localPort(other);
    platform::closeSocket(other);
    EXPECT_EQ(0, net->startNetwork(1, TcpSocket{}, newPort));
    EXPECT_EQ(newPort, net->listeningPort(WAIT_MS));
    EXPECT_TRUE(s.closed());
    EXPECT_TRUE(noMessage()) << "no 'player left' after a restart";
    EXPECT_EQ(0, again.enter(newPort));
}

TEST_F(ReseauClient, SendsOnlyToTheHostAndEndsTheConnectionOnRestartOrLoss) {
    FramePeer oldHost, host;
    ASSERT_TRUE(startClient(oldHost));
    for (int32_t peer = -1; peer <= HOST_SLOTS; ++peer) // only -1 and 7 leave a client
        net->sendMessage(16, peer, nullptr, peer);
    expectArguments(oldHost, {-1, 7});
    EXPECT_TRUE(oldHost.quiet(200));
    // A retried start replaces the connection quietly.
    oldHost.send(frameOf(4, 0, 7));
    platform::sleepMs(100);
    ASSERT_TRUE(startClient(host));
    EXPECT_TRUE(oldHost.closed());
    host.send(frameOf(8, 0, 7));
    EXPECT_EQ(0, expectNext(0, 7).sequence) << "the queue starts afresh";
    EXPECT_TRUE(noMessage()) << "neither the old welcome nor 'host lost'";
    net->sendMessage(16, 2, nullptr, -1);
    expectArguments(host, {2});
    // Losing the host queues 'host lost' once; sending after that queues nothing.
    host.close();
    expectNext(MSG_HOST_LOST, 7);
    net->sendMessage(10, 0, nullptr, -1);
    EXPECT_TRUE(noMessage());
}

// Reads `count` frames: their arguments run from `first`, in the order they were sent.
void expectRun(FramePeer& peer, int32_t first, int32_t count, int32_t& lastSequence) {
    Message m;
    for (int32_t i = 0; i < count; ++i, lastSequence = m.sequence) {
        ASSERT_TRUE(peer.read(m, WAIT_MS)) << "frame " << first + i << " missing";
        EXPECT_EQ(first + i, m.argument);
        EXPECT_GT(m.sequence, lastSequence);
    }
}

TEST_F(ReseauHold, HeldFramesLeaveAtReleaseOrWhenAnotherThreadSends) {
    const int32_t port = startHost();
    FramePeer a, b;
    ASSERT_TRUE(a.enter(port) == 0 && b.enter(port) == 1);
    int32_t seqA = 0, seqB = 0;
    net->holdSends();
    for (int32_t i = 1; i <= 3; ++i)
        net->sendMessage(16, i, nullptr, -1);
    EXPECT_TRUE(a.quiet(150)) << "a held frame left early";
    // Another thread's frame goes at once, behind the three that waited for the same peer.
    Helper other([this] { net->sendMessage(16, 4, nullptr, -1); });
    ASSERT_TRUE(other.started && other.finished());
    expectRun(a, 1, 4, seqA);
    expectRun(b, 1, 4, seqB);
    // A full outbox does not wait for the release.
    for (int32_t i = 0; i < OUTBOX_FRAMES + 4; ++i)
        net->sendMessage(16, 100 + i, nullptr, 0);
    expectRun(a, 100, OUTBOX_FRAMES, seqA);
    EXPECT_TRUE(a.quiet(150)) << "the rest left before the release";
    net->releaseSends();
    expectRun(a, 100 + OUTBOX_FRAMES, 4, seqA);
    EXPECT_TRUE(b.quiet(150)) << "frames for one peer reached another";
    // Released: frames go out one by one again.
    net->sendMessage(16, 200, nullptr, 1);
    expectRun(b, 200, 1, seqB);
}

TEST_F(ReseauHold, ANewcomerInAFreedSlotNeverGetsFramesHeldForTheOneBefore) {
    const int32_t port = startHost();
    FramePeer clients[HOST_SLOTS], newcomer;
    enterAll(port, clients, HOST_SLOTS);
    net->holdSends();
    net->sendMessage(16, 1, nullptr, 3);
    clients[3].close();
    expectNext(MSG_PLAYER_LEFT, 3);
    // Every other slot is busy: the newcomer can only take the one just freed.
    ASSERT_EQ(3, newcomer.enter(port));
    net->releaseSends();
    EXPECT_TRUE(newcomer.quiet(200)) << "the newcomer got an old frame";
}

} // namespace
