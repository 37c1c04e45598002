// Sends held by the game thread for one dispatch: they leave together, unchanged and in
// order, never delay another thread's frame, and never reach a peer they were not meant for.
#include "NetFixture.h"

#include "platform/Thread.h"

namespace {

using ReseauHold = NetFixture;

struct OtherSender {
    Reseau* net;
    int32_t argument;
    std::atomic<int32_t> done{0};
};

void sendFromAnotherThread(void* p) {
    OtherSender* s = static_cast<OtherSender*>(p);
    s->net->sendMessage(16, s->argument, nullptr, -1);
    s->done = 1;
}

// Reads `count` frames and checks their arguments and that they left in the order sent.
void expectRun(TcpSocket s, int32_t first, int32_t count, int32_t& lastSequence) {
    Message m;
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(0, readFrame(s, m)) << "frame " << first + i << " missing";
        EXPECT_EQ(first + i, m.argument);
        EXPECT_GT(m.sequence, lastSequence);
        lastSequence = m.sequence;
    }
}

} // namespace

TEST_F(ReseauHold, HeldFramesLeaveAtReleaseOrWhenAnotherThreadSends) {
    const int32_t port = startHost();
    TcpSocket a, b;
    ASSERT_EQ(0, join(port, a));
    ASSERT_EQ(1, join(port, b));
    int32_t seqA = 0, seqB = 0;

    net->holdSends();
    for (int32_t i = 1; i <= 3; ++i)
        net->sendMessage(16, i, nullptr, -1);
    EXPECT_NE(0, platform::waitReadable(a, 150)) << "a held frame left early";
    // Another thread's frame goes at once, behind the three that waited for the same peer.
    OtherSender other{net, 4};
    ASSERT_EQ(0, platform::startThread(sendFromAnotherThread, &other));
    ASSERT_TRUE(waitFlag(other.done));
    expectRun(a, 1, 4, seqA);
    expectRun(b, 1, 4, seqB);

    // A full outbox does not wait for the release.
    for (int32_t i = 0; i < OUTBOX_FRAMES + 4; ++i)
        net->sendMessage(16, 100 + i, nullptr, 0);
    expectRun(a, 100, OUTBOX_FRAMES, seqA);
    EXPECT_NE(0, platform::waitReadable(a, 150)) << "the rest left before the release";
    net->releaseSends();
    expectRun(a, 100 + OUTBOX_FRAMES, 4, seqA);
    EXPECT_NE(0, platform::waitReadable(b, 150)) << "frames for one peer reached another";

    // Released: frames go out one by one again.
    net->sendMessage(16, 200, nullptr, 1);
    expectRun(b, 200, 1, seqB);
}

TEST_F(ReseauHold, ANewcomerInAFreedSlotNeverGetsFramesHeldForTheOneBefore) {
    const int32_t port = startHost();
    TcpSocket clients[HOST_SLOTS];
    for (int32_t i = 0; i < HOST_SLOTS; ++i)
        ASSERT_EQ(i, join(port, clients[i]));
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
    EXPECT_NE(0, platform::waitReadable(newcomer, 200)) << "the newcomer got an old frame";
}
