// Bullets: the slot ring, the play box, flight, walls and the hits counted per shooter.
#include "game/Tir.h"
#include "map/Map.h"
#include "../support/StdoutCapture.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <tuple>

static Map map; // too big for the stack

struct TirTest : ::testing::Test {
    Tir tir;
    void SetUp() override {
        map.clear();
        tir.init();
    }
    // Moves the table one frame against a player at (px, py); the counts per shooter.
    std::string step(double px, double py, int32_t dt) {
        int32_t hits[8];
        tir.update(px, py, dt, map, hits);
        std::string out;
        for (int32_t h : hits)
            out += std::to_string(h);
        return out;
    }
};

TEST_F(TirTest, HundredAndFirstShotOverwritesTheFirstAndTheBoxBoundsAreStrict) {
    for (int i = 0; i < 101; i++)
        tir.fire(100 + i, 200, 117, 0, 0, 0, i % 8);
    EXPECT_EQ(std::make_tuple(tir.balles[0].x, tir.balles[1].x, tir.nextSlot),
              std::make_tuple(200.0, 101.0, 1)); // the 101st in slot 0
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double edges[][3] = {{0, 50, 50},      {100000, 50, 50}, {50, 0, 50},
                               {50, 100000, 50}, {50, 50, 0},      {50, 50, 500},
                               {nan, 50, 50},    {50, nan, 50},    {50, 50, nan}};
    EXPECT_TRUE(Tir::isLive(Balle{0, 0, 50, 50, 50, 0, 0, 0}));
    for (const auto& e : edges)
        EXPECT_FALSE(Tir::isLive(Balle{0, 0, e[0], e[1], e[2], 0, 0, 0}))
            << e[0] << " " << e[1] << " " << e[2];
}

TEST_F(TirTest, HitsCountUnderThirtyUnitsAsideInsideTheBodyWhereTheBulletCrosses) {
    // Against a player at (1000, 1000), 10 ms frames; shooter 2 unless the counts say.
    const struct {
        double x, y, z, dx, dy, dz;
        const char* hits;
    } cases[] = {
        {950, 1029, 100, 10000, 0, 0, "00100000"},
        {950, 971, 100, 10000, 0, 0, "00100000"},
        {950, 1030, 100, 10000, 0, 0, "00000000"},
        {950, 970, 100, 10000, 0, 0, "00000000"},
        {950, 1000.5, 25, 10000, 0, 0, "00100000"},
        {950, 1010, 24, 10000, 0, 0, "00000000"},
        {950, 1010, 143.9, 10000, 0, 0, "00100000"},
        {950, 1010, 144, 10000, 0, 0, "00000000"},
        // Rising from 0.5 to 200.5: at 50.5 a quarter in, where it crosses the player's x.
        {900, 1000, 0.5, 40000, 0, 20000, "00100000"},
        // Falling steeply: below the body at the end, at 150 where it crosses.
        {900, 1000, 450, 40000, 0, -120000, "00000000"},
        // Crossing both the player's x and y within one step counts twice.
        {950, 950, 100, 10000, 10000, 0, "00200000"},
        // Straight up through the player: no horizontal motion, no hit.
        {1000, 1000, 30, 0, 0, 1000, "00000000"},
    };
    for (const auto& c : cases) {
        tir.init();
        tir.fire(c.x, c.y, c.z, c.dx, c.dy, c.dz, 2);
        EXPECT_EQ(step(1000, 1000, 10), c.hits) << c.x << "," << c.y << "," << c.z;
        EXPECT_DOUBLE_EQ(tir.balles[0].x, c.x + c.dx / 100); // players do not stop bullets
    }
    tir.fire(1000, 1000, 100, 10000, 10000, 0, 1); // on the player, in a zero frame
    EXPECT_EQ(step(1000, 1000, 0), "00000000");

    // A shot without a shooter is reported at each crossing and counted for nobody.
    tir.init();
    tir.fire(950, 950, 100, 10000, 10000, 0, -1);
    tir.fire(950, 1010, 100, 10000, 0, 0, 8);
    const std::string message = "Erreur: balle anonyme (voir Tir)\n";
    EXPECT_EQ(kit::printedBy([&] { EXPECT_EQ(step(1000, 1000, 10), "00000000"); }),
              message + message + message);
}

TEST_F(TirTest, WallsEmptyTheBulletBeforeThePlayerAndEdgesDoNotMove) {
    map.walls[0] = {0, 1, 'v', 8, 0, 20, 0, 3}; // x = 800 across the line of flight
    map.wallCount = 1;
    tir.fire(500, 1000, 100, 10000, 0, 0, 4);
    tir.fire(1000, 1000, 500, 10000, 0, 0, 3); // z exactly 500
    tir.fire(0, 1000, 100, 10000, 0, 0, 3);    // x exactly 0
    EXPECT_EQ(step(1000, 1000, 100), "00000000");
    EXPECT_EQ(std::make_tuple(Tir::isLive(tir.balles[0]), tir.balles[1].x, tir.balles[2].x),
              std::make_tuple(false, 1000.0, 0.0));
    map.wallCount = 0; // the same shot with the way clear
    tir.fire(500, 1000, 100, 10000, 0, 0, 4);
    EXPECT_EQ(step(1000, 1000, 100), "00001000");
}
