// Bullets: the slot ring, the play box, flight, walls and the hits counted per shooter.
#include "game/Tir.h"

#include "map/Map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

Map map; // too big for the stack

class TirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        map.clear();
        tir.init();
    }
    // Moves the table one frame against a player at (px, py); returns the counts.
    std::string step(double px, double py, int32_t dt) {
        int32_t hits[8];
        tir.update(px, py, dt, map, hits);
        std::string out;
        for (int32_t h : hits)
            out += std::to_string(h);
        return out;
    }
    Tir tir;
};

} // namespace

TEST_F(TirTest, HundredAndFirstShotOverwritesTheFirst) {
    for (int i = 0; i < 101; i++)
        tir.fire(100 + i, 200, 117, 0, 0, 0, i % 8);
    EXPECT_EQ(tir.balles[0].x, 200); // the 101st
    EXPECT_EQ(tir.balles[0].owner, 100 % 8);
    EXPECT_EQ(tir.balles[1].x, 101);
    EXPECT_EQ(tir.nextSlot, 1);
}

TEST_F(TirTest, PlayBoxBoundsAreStrict) {
    Balle b = {0, 0, 50, 50, 50, 0, 0, 0};
    EXPECT_TRUE(Tir::isLive(b));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double edges[][3] = {{0, 50, 50},      {100000, 50, 50}, {50, 0, 50},
                               {50, 100000, 50}, {50, 50, 0},      {50, 50, 500},
                               {nan, 50, 50},    {50, nan, 50},    {50, 50, nan}};
    for (const auto& e : edges) {
        b.x = e[0];
        b.y = e[1];
        b.z = e[2];
        EXPECT_FALSE(Tir::isLive(b)) << e[0] << " " << e[1] << " " << e[2];
    }
}

TEST_F(TirTest, SteepShotLeavesTheBoxAndEdgeBulletsStayPut) {
    tir.fire(500, 500, 117, 10000, 0, std::tan(88 * 3.1418 / 180) * 10000, 0);
    tir.fire(1000, 1000, 500, 10000, 0, 0, 3); // z exactly 500
    tir.fire(0, 1000, 100, 10000, 0, 0, 3);    // x exactly 0
    EXPECT_EQ(step(500, 1000, 10), "00000000");
    EXPECT_FALSE(Tir::isLive(tir.balles[0]));
    EXPECT_EQ(tir.balles[1].x, 1000);
    EXPECT_EQ(tir.balles[2].x, 0);
    const double z = tir.balles[0].z;
    step(5000, 5000, 10);
    EXPECT_EQ(tir.balles[0].z, z); // no longer moved
}

TEST_F(TirTest, HitWindowIsUnderThirtyUnitsAsideAndInsideTheBody) {
    struct Case {
        double y, z;
        const char* hits;
    };
    // Flying along +x through the player's x at 1000, 100 units per 10 ms frame.
    const Case cases[] = {
        {1029, 100, "00100000"},   {971, 100, "00100000"},   {1030, 100, "00000000"},
        {970, 100, "00000000"},    {1000.5, 25, "00100000"}, {1010, 24, "00000000"},
        {1010, 143.9, "00100000"}, {1010, 144, "00000000"},
    };
    for (const Case& c : cases) {
        tir.init();
        tir.fire(950, c.y, c.z, 10000, 0, 0, 2);
        EXPECT_EQ(step(1000, 1000, 10), c.hits) << "y " << c.y << " z " << c.z;
        EXPECT_DOUBLE_EQ(tir.balles[0].x, 1050); // players do not stop bullets
    }
}

TEST_F(TirTest, HeightIsTakenWhereTheBulletCrossesThePlayer) {
    // Rising from 0.5 to 200.5 over the step; at the player's x (a quarter in) it is at 50.5.
    tir.fire(900, 1000, 0.5, 40000, 0, 20000, 1);
    EXPECT_EQ(step(1000, 1000, 10), "01000000");
    // Falling steeply: ends the step below the body but is still at 150 at the player's x.
    tir.fire(900, 1000, 450, 40000, 0, -120000, 1);
    EXPECT_EQ(step(1000, 1000, 10), "00000000");
}

TEST_F(TirTest, DiagonalStepCrossingBothCoordinatesCountsTwice) {
    tir.fire(950, 950, 100, 10000, 10000, 0, 5);
    tir.fire(950, 1050, 100, 10000, -10000, 0, 6);
    EXPECT_EQ(step(1000, 1000, 10), "00000220");
}

TEST_F(TirTest, WallStopsTheBulletBeforeThePlayer) {
    map.walls[0] = {0, 1, 'v', 8, 0, 20, 0, 3}; // x = 800 across the line of flight
    map.wallCount = 1;
    tir.fire(500, 1000, 100, 10000, 0, 0, 4);
    EXPECT_EQ(step(1000, 1000, 100), "00000000");
    EXPECT_FALSE(Tir::isLive(tir.balles[0])); // emptied at the wall

    map.wallCount = 0; // the same shot with the way clear
    tir.fire(500, 1000, 100, 10000, 0, 0, 4);
    EXPECT_EQ(step(1000, 1000, 100), "00001000");
}

TEST_F(TirTest, StepsWithoutHorizontalMotionNeverCount) {
    tir.fire(1000, 1000, 100, 10000, 10000, 0, 1); // on the player, in a zero frame
    EXPECT_EQ(step(1000, 1000, 0), "00000000");
    EXPECT_EQ(tir.balles[0].x, 1000);
    tir.init();
    tir.fire(1000, 1000, 30, 0, 0, 1000, 1); // straight up through the player
    EXPECT_EQ(step(1000, 1000, 10), "00000000");
    EXPECT_DOUBLE_EQ(tir.balles[0].z, 40);
}

TEST_F(TirTest, AnonymousShooterIsReportedForEachCrossingAndNotCounted) {
    tir.fire(950, 950, 100, 10000, 10000, 0, -1);
    tir.fire(950, 1010, 100, 10000, 0, 0, 8);
    testing::internal::CaptureStdout();
    EXPECT_EQ(step(1000, 1000, 10), "00000000");
    const std::string message = "Erreur: balle anonyme (voir Tir)\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), message + message + message);
}

TEST_F(TirTest, WildValuesFromTheNetworkFlyAwayHarmlessly) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = std::numeric_limits<double>::max();
    tir.fire(nan, 1000, 100, 10000, 0, 0, 1);
    tir.fire(1000, 1000, 100, inf, 0, 0, 1);
    tir.fire(1000, 1000, 100, huge, -huge, nan, 1);
    tir.fire(1000, 1000, 100, nan, nan, nan, 1);
    tir.fire(999, 1000, 100, 1e-300, 1e-300, 0, 1);
    step(1000, 1000, 2147483647);
    step(1000, 1000, -2147483647 - 1);
    for (int i = 0; i < 4; i++)
        EXPECT_FALSE(Tir::isLive(tir.balles[i])) << i;
}
