// The snapshot buffer: anchoring, the 350 ms lead, due-in-one-frame, resync, wrapping.
#include "game/Joueur.h"
#include "game/Joueurs.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const uint8_t kKeys[4] = {1, 0, 0, 1};

struct SnapshotBuffer : ::testing::Test {
    Joueurs j;
    Joueur slot;
    void SetUp() override {
        initSnapshots(j);
        memset(&slot, 0, sizeof slot);
        slot.id = 3;
        slot.state = PLAYER_PRESENT;
    }
    void push(int32_t time, double x, uint32_t now) {
        pushSnapshot(j, time, 3, x, 0.0, 10.0, -5.0, kKeys, now);
    }
    // One game frame of `ms`: ageing first, then the slot is shown.
    void frame(int32_t ms) {
        ageSnapshots(j, ms);
        showSnapshot(j, slot);
    }
};

TEST_F(SnapshotBuffer, FirstStateAnchorsLeadOf350WaitsLateOrEarlierReanchors) {
    push(50000, 1.0, 1000); // anchor: due at sender time + (1000 - 50000)
    frame(0);
    EXPECT_DOUBLE_EQ(slot.posX, 1.0);
    EXPECT_DOUBLE_EQ(slot.yaw, 10.0);
    EXPECT_EQ(slot.keys[3], 1);
    push(50350, 2.0, 1000); // due 350 ms from now: waits
    frame(349);
    EXPECT_DOUBLE_EQ(slot.posX, 1.0);
    frame(1);
    EXPECT_DOUBLE_EQ(slot.posX, 2.0);

    push(50000 + 351 + 350, 3.0, 1350); // 351 ms early: re-anchored to now
    EXPECT_EQ(j.baseTime[3], 1350 - 50701);
    frame(0);
    EXPECT_DOUBLE_EQ(slot.posX, 3.0);

    push(50800, 4.0, 1900); // due at 1449 but it is 1900 already
    EXPECT_EQ(j.baseTime[3], 1900 - 50800);
    frame(0);
    EXPECT_DOUBLE_EQ(slot.posX, 4.0);
}

TEST_F(SnapshotBuffer, TwoDueInOneFrameShowOnlyTheLaterAndConsumeBoth) {
    push(50000, 1.0, 1000);
    push(50100, 2.0, 1000);
    push(50200, 3.0, 1000);
    frame(150); // the first two are due
    EXPECT_DOUBLE_EQ(slot.posX, 2.0);
    slot.posX = -7.0; // a dead-reckoned move in between must stay
    frame(10);
    EXPECT_DOUBLE_EQ(slot.posX, -7.0);
    frame(40);
    EXPECT_DOUBLE_EQ(slot.posX, 3.0);
    slot.posX = 42.0;
    frame(SNAPSHOT_CONSUMED + 1); // their consumed marks have aged away
    EXPECT_DOUBLE_EQ(slot.posX, 42.0);
}

TEST_F(SnapshotBuffer, AbsentSlotKeepsItsDueSnapshotsForLater) {
    push(50000, 1.0, 1000);
    push(50010, 2.0, 1000);
    slot.state = PLAYER_ABSENT;
    frame(20);
    EXPECT_DOUBLE_EQ(slot.posX, 0.0);
    slot.state = PLAYER_PRESENT;
    frame(0);
    EXPECT_DOUBLE_EQ(slot.posX, 2.0);
}

TEST_F(SnapshotBuffer, PlayerNumbersOutsideTheTableAreIgnored) {
    Joueurs before = j;
    pushSnapshot(j, 10, 8, 1, 1, 1, 1, kKeys, 5);
    pushSnapshot(j, 10, -1, 1, 1, 1, 1, kKeys, 5);
    EXPECT_EQ(memcmp(&before, &j, sizeof j), 0);
    slot.id = 8;
    frame(100); // must not read outside the rings
    EXPECT_DOUBLE_EQ(slot.posX, 0.0);
}

TEST_F(SnapshotBuffer, ResyncDropsAnchorsOnlyBelowZero) {
    push(50000, 1.0, 1000);
    ageSnapshots(j, 15000);
    EXPECT_EQ(j.resyncCountdown, 0);
    EXPECT_EQ(j.baseTime[3], 1000 - 50000);
    ageSnapshots(j, 1);
    EXPECT_EQ(j.resyncCountdown, RESYNC_PERIOD);
    for (int32_t b : j.baseTime)
        EXPECT_EQ(b, ANCHOR_DROPPED);
}

TEST_F(SnapshotBuffer, RingOverwritesItsOldestAfterFiftyFilings) {
    for (int i = 0; i < SNAPSHOT_RING + 1; ++i)
        push(50000 + i, i, 1000);
    EXPECT_EQ(j.writeIndex[3], 1);
    EXPECT_EQ(j.snapshots[3][0].serial, SNAPSHOT_RING);
    frame(1000);
    EXPECT_DOUBLE_EQ(slot.posX, SNAPSHOT_RING);
}

TEST_F(SnapshotBuffer, TickCounterWrapAroundKeepsTheLead) {
    const uint32_t now = 0xFFFFFF00u; // local clock about to wrap
    push(100, 1.0, now);
    frame(0);
    push(400, 2.0, now + 100); // sent 300 ms later, arrived 100 ms later, across the wrap
    frame(199);
    EXPECT_DOUBLE_EQ(slot.posX, 1.0);
    frame(1);
    EXPECT_DOUBLE_EQ(slot.posX, 2.0);
}

} // namespace
