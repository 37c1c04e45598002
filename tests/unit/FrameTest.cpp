// Which other players get a name label: range, the half-plane ahead and the view cone.
#include "game/Frame.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double TRUE_DEG = 3.14159265358979 / 180;

// The point `distance` away from (ox, oy) at `degrees` (true degrees, 0 along +x).
bool seenAt(double ownYaw, double degrees, double distance, double ox = 100, double oy = 200) {
    return isPlayerInView(ox, oy, ownYaw, ox + distance * cos(degrees * TRUE_DEG),
                          oy + distance * sin(degrees * TRUE_DEG));
}

} // namespace

TEST(PlayerInView, OnlyAheadAndShortOfEightHundredUnits) {
    struct Row {
        double ox, oy, yaw, x, y;
        bool seen;
    };
    const Row rows[] = {
        {0, 0, 0, 799.99, 0, true},  {0, 0, 0, 1, 0, true},      {0, 0, 0, 800, 0, false},
        {-300, 0, 0, 500, 0, false}, {0, 0, 0, 480, 640, false}, // 800 away, even inside the cone
        {0, 0, 0, 0, 100, false},                                // dot exactly 0
        {0, 0, 0, 0, -100, false},   {0, 0, 0, -100, 0, false},  {0, 0, 0, -100, 1, false},
        {50, 50, 0, 50, 50, false}, // same place: no division by 0
    };
    for (const Row& r : rows)
        EXPECT_EQ(isPlayerInView(r.ox, r.oy, r.yaw, r.x, r.y), r.seen) << r.x << "," << r.y;
    EXPECT_FALSE(seenAt(90, 270, 300));
    EXPECT_FALSE(seenAt(-45, 135, 300));
}

TEST(PlayerInView, ConeIsAboutTwentySixAndAHalfDegreesEachSide) {
    for (double yaw : {0.0, 90.0, -135.0, 200.0}) {
        EXPECT_TRUE(seenAt(yaw, yaw, 500)) << yaw;
        EXPECT_TRUE(seenAt(yaw, yaw + 26, 500)) << yaw;
        EXPECT_TRUE(seenAt(yaw, yaw - 26, 500)) << yaw;
        EXPECT_FALSE(seenAt(yaw, yaw + 27, 500)) << yaw;
        EXPECT_FALSE(seenAt(yaw, yaw - 27, 500)) << yaw;
        EXPECT_FALSE(seenAt(yaw, yaw + 60, 100)) << yaw;
    }
}

TEST(PlayerInView, UnwrappedYawDriftsWithTheGamesDegreeFactor) {
    // After a hundred turns, 3.1418 / 180 puts the view about 2.4 degrees left of +x:
    // 28 degrees left is inside the cone, 25 degrees right is outside.
    EXPECT_TRUE(seenAt(36000, 28, 500));
    EXPECT_FALSE(seenAt(36000, -25, 500));
}
