// The message queue between the transport's threads and the game: order, origin, a full
// queue, and many threads at once.
#include "NetFixture.h"

namespace {

using ReseauQueue = NetFixture;

// True once exactly `count` queue slots are full, within `ms`.
bool queueHolds(const Reseau& net, int32_t count, int32_t ms = WAIT_MS) {
    for (int32_t i = 0;; ++i, platform::sleepMs(1)) {
        int32_t full = 0;
        for (const QueueSlot& slot : net.queue)
            full += slot.full.isSet() ? 1 : 0;
        if (full == count || i >= ms) return full == count;
    }
}

// Fills the queue from `from` on with frames from slot 3.
void fill(Reseau& net, int32_t from = 0) {
    for (int32_t i = from; i < QUEUE_SLOTS; ++i)
        ASSERT_EQ(0, net.enqueue(frameOf(0, 3, i), 3));
}

// Each message's argument is its expected place: posts, a received frame, then frames from
// slot 3 whose freed slots are reused by later posts.
TEST_F(ReseauQueue, OldestLeavesFirstWithItsOriginAsFreedSlotsAreReused) {
    FramePeer host;
    ASSERT_TRUE(startClient(host));
    net->post(15, 0, nullptr);
    host.send(frameOf(20, 3, 1));
    ASSERT_TRUE(queueHolds(*net, 2));
    net->post(17, 2, nullptr);
    fill(*net, 3);
    Message m;
    for (int32_t i = 0; i < QUEUE_SLOTS + 50; ++i) {
        for (int32_t k = 0; i == 50 && k < 50; ++k)
            ASSERT_EQ(0, net->post(15, QUEUE_SLOTS + k, nullptr));
        ASSERT_EQ(0, net->nextMessage(m));
        EXPECT_EQ(i, m.argument);
        EXPECT_EQ(i, m.sequence) << "order number";
        EXPECT_EQ(i == 1 ? 0 : i > 2 && i < QUEUE_SLOTS ? 3 : FROM_THIS_PROCESS, m.reserved);
        EXPECT_TRUE(m.type != 3 || memcmp(frameOf(0, 3, 0).payload, m.payload, PAYLOAD_SIZE) == 0);
    }
    EXPECT_EQ(1, net->nextMessage(m));
}

TEST_F(ReseauQueue, AFullQueueDropsTheGameThreadsPostButLetsOthersWait) {
    fill(*net);
    Message m;
    ASSERT_EQ(0, net->nextMessage(m)); // this thread is now the reader
    net->enqueue(frameOf(0, 3, 100), 3);
    testing::internal::CaptureStdout();
    const uint32_t start = platform::ticks();
    EXPECT_EQ(1, net->post(15, 0, nullptr));
    EXPECT_LT(platform::ticks() - start, uint32_t(POST_WAIT_MS / 2)) << "the game thread waited";
    EXPECT_EQ("\nFile des messages pleine: message 15 perdu\n>>>",
              testing::internal::GetCapturedStdout());
    int32_t failed = -1;
    Helper console([&] { failed = net->post(17, 0, nullptr); });
    ASSERT_TRUE(console.started);
    EXPECT_FALSE(console.finished(100)) << "waits while the queue is full";
    ASSERT_EQ(0, net->nextMessage(m));
    ASSERT_TRUE(console.finished());
    EXPECT_EQ(0, failed);
    int32_t last = -1;
    while (net->nextMessage(m) == 0)
        last = m.type;
    EXPECT_EQ(17, last);
    // Nobody reads any more (the game ended): a post gives up after a bounded wait.
    fill(*net);
    testing::internal::CaptureStdout();
    Helper late([&] { failed = net->post(17, 0, nullptr); });
    ASSERT_TRUE(late.started && late.finished(POST_WAIT_MS + WAIT_MS));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(1, failed);
}

TEST_F(ReseauQueue, AReceiverWaitsForRoomLosesNothingAndStillStops) {
    FramePeer host;
    ASSERT_TRUE(startClient(host));
    constexpr int32_t COUNT = 150;
    for (int32_t i = 0; i < COUNT; ++i)
        host.send(frameOf(i + 1, 10, i));
    ASSERT_TRUE(queueHolds(*net, QUEUE_SLOTS));
    Message m;
    for (int32_t i = 0; i < COUNT; ++i) {
        ASSERT_EQ(0, waitMessage(*net, m));
        EXPECT_EQ(i, m.argument);
    }
    for (int32_t i = 0; i < COUNT; ++i)
        host.send(frameOf(COUNT + i + 1, 10, i));
    ASSERT_TRUE(queueHolds(*net, QUEUE_SLOTS));
    EXPECT_EQ(0, net->stopNetwork()) << "a receiver blocked on a full queue must end";
    EXPECT_TRUE(queueHolds(*net, 0, 0));
}

TEST_F(ReseauQueue, ManyThreadsPostAndSendAtOnce) {
    const int32_t port = startHost();
    FramePeer clients[2];
    enterAll(port, clients, 2);
    // Many posts: a message overtaking an older one shows up only under sustained load.
    constexpr int32_t THREADS = 3, COUNT = 120, POSTS = 4000;
    std::unique_ptr<Helper> helpers[2 * THREADS];
    for (int32_t t = 0; t < THREADS; ++t) {
        helpers[t].reset(new Helper([this, t] {
            for (int32_t i = 0; i < POSTS; ++i)
                net->post(t, i, nullptr);
        }));
        helpers[THREADS + t].reset(new Helper([this, t] {
            uint8_t payload[PAYLOAD_SIZE];
            memset(payload, THREADS + t, sizeof payload);
            for (int32_t i = 0; i < COUNT; ++i)
                net->sendMessage(THREADS + t, i, payload, -1);
        }));
    }
    // Drain everything before judging, so no helper is left running on our stack.
    int32_t nextArg[THREADS] = {}, previousOrder = -1, disorder = 0, got = 0;
    Message m;
    for (; got < THREADS * POSTS && waitMessage(*net, m) == 0; ++got) {
        const bool known = m.type >= 0 && m.type < THREADS;
        if (!known || nextArg[m.type] != m.argument || m.sequence <= previousOrder) ++disorder;
        if (known) nextArg[m.type] = m.argument + 1;
        previousOrder = m.sequence;
    }
    EXPECT_EQ(THREADS * POSTS, got);
    EXPECT_EQ(0, disorder);
    for (const auto& h : helpers)
        ASSERT_TRUE(h->started && h->finished());
    for (FramePeer& client : clients) {
        int32_t sent[THREADS] = {}, previous = 0;
        for (int32_t i = 0; i < THREADS * COUNT; ++i) {
            ASSERT_TRUE(client.read(m, WAIT_MS));
            ASSERT_TRUE(m.type >= THREADS && m.type < 2 * THREADS);
            EXPECT_EQ(sent[m.type - THREADS]++, m.argument);
            EXPECT_GT(m.sequence, previous);
            previous = m.sequence;
            for (uint8_t byte : m.payload)
                ASSERT_EQ(m.type, byte) << "frames interleaved";
        }
    }
}

} // namespace
