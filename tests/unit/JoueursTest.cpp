// The snapshot buffer: anchoring, the 350 ms lead, due-in-one-frame, resync, wrapping.
#include "game/Joueur.h"
#include "game/Joueurs.h"

#include <gtest/gtest.h>
#include <cstring>
#include <tuple>

const uint8_t kKeys[4] = {1, 0, 0, 1};

struct SnapshotBuffer : ::testing::Test {
    Joueurs j;
    Joueur slot;
    void SetUp() override {
        initSnapshots(j);
        memset(&slot, 0, sizeof slot);
        std::tie(slot.id, slot.state) = std::make_pair(3, PLAYER_PRESENT);
    }
    void push(int32_t time, double x, uint32_t now) {
        pushSnapshot(j, time, 3, x, 0.0, 10.0, -5.0, kKeys, now);
    }
    // One game frame of `ms`: ageing first, then the slot is shown; its x.
    double frame(int32_t ms) {
        ageSnapshots(j, ms);
        showSnapshot(j, slot);
        return slot.posX;
    }
};

TEST_F(SnapshotBuffer, FirstStateAnchorsLeadOf350WaitsAndOnlyTheLatestDueOneShows) {
    push(50000, 1.0, 1000); // anchor: due at sender time + (1000 - 50000)
    EXPECT_DOUBLE_EQ(frame(0), 1.0);
    EXPECT_EQ(std::make_pair(slot.yaw, slot.keys[3]), std::make_pair(10.0, uint8_t(1)));
    push(50350, 2.0, 1000); // due 350 ms from now: waits
    EXPECT_DOUBLE_EQ(frame(349), 1.0);
    EXPECT_DOUBLE_EQ(frame(1), 2.0);
    push(50000 + 351 + 350, 3.0, 1350); // 351 ms early: re-anchored to now
    EXPECT_EQ(j.baseTime[3], 1350 - 50701);
    EXPECT_DOUBLE_EQ(frame(0), 3.0);
    push(50800, 4.0, 1900); // due at 1449 but it is 1900 already
    EXPECT_EQ(j.baseTime[3], 1900 - 50800);
    EXPECT_DOUBLE_EQ(frame(0), 4.0);

    initSnapshots(j); // two due in one frame: only the later shows, both are consumed
    for (int32_t i = 0; i < 3; ++i)
        push(50000 + 100 * i, i + 1.0, 1000);
    EXPECT_DOUBLE_EQ(frame(150), 2.0); // the first two are due
    slot.posX = -7.0;                  // a dead-reckoned move in between must stay
    EXPECT_DOUBLE_EQ(frame(10), -7.0);
    EXPECT_DOUBLE_EQ(frame(40), 3.0);
    slot.posX = 42.0;
    EXPECT_DOUBLE_EQ(frame(SNAPSHOT_CONSUMED + 1), 42.0); // consumed marks aged away

    initSnapshots(j); // an absent slot keeps its due snapshots; strangers are ignored
    push(50000, 1.0, 1000);
    push(50010, 2.0, 1000);
    slot.state = PLAYER_ABSENT;
    EXPECT_DOUBLE_EQ(frame(20), 42.0);
    slot.state = PLAYER_PRESENT;
    EXPECT_DOUBLE_EQ(frame(0), 2.0);

    const Joueurs before = j;
    pushSnapshot(j, 10, 8, 1, 1, 1, 1, kKeys, 5);
    pushSnapshot(j, 10, -1, 1, 1, 1, 1, kKeys, 5);
    EXPECT_EQ(memcmp(&before, &j, sizeof j), 0);
}

TEST_F(SnapshotBuffer, ResyncDropsAnchorsOnlyBelowZeroAndTheRingAndTheClockWrap) {
    push(50000, 1.0, 1000);
    ageSnapshots(j, 15000);
    EXPECT_EQ(j.baseTime[3], 1000 - 50000);
    ageSnapshots(j, 1);
    EXPECT_EQ(j.resyncCountdown, RESYNC_PERIOD);
    for (int32_t b : j.baseTime)
        EXPECT_EQ(b, ANCHOR_DROPPED);

    initSnapshots(j);
    for (int i = 0; i < SNAPSHOT_RING + 1; ++i)
        push(50000 + i, i, 1000);
    EXPECT_EQ(j.writeIndex[3], 1);
    EXPECT_DOUBLE_EQ(frame(1000), SNAPSHOT_RING);

    initSnapshots(j);
    const uint32_t now = 0xFFFFFF00u; // local clock about to wrap
    push(100, 1.0, now);
    frame(0);
    push(400, 2.0, now + 100); // sent 300 ms later, arrived 100 ms later, across the wrap
    EXPECT_DOUBLE_EQ(frame(199), 1.0);
    EXPECT_DOUBLE_EQ(frame(1), 2.0);
}
