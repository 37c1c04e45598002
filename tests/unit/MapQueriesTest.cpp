// How players and bullets meet the map: walls, teleporters, health boxes, doors and spawns.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "game/Tir.h"
#include "map/Map.h"
#include "platform/Random.h"

namespace {

std::unique_ptr<Map> emptyMap() {
    return std::make_unique<Map>();
}

void addWall(Map& m, char orientation, int32_t line, int32_t from, int32_t to, int32_t minHeight,
             int32_t maxHeight) {
    m.walls[m.wallCount++] = {0, 1, orientation, line, from, to, minHeight, maxHeight};
}

void addDoor(Map& m, char orientation, int32_t line, int32_t from, int32_t to, int32_t minHeight,
             int32_t maxHeight) {
    m.doors[m.doorCount++] = {0,         orientation, line, from,        to,
                              minHeight, maxHeight,   0,    DOOR_STOPPED};
}

void addTeleporter(Map& m, char orientation, int32_t x, int32_t y, int32_t destX, int32_t destY,
                   int32_t heading) {
    m.teleporters[m.teleporterCount++] = {0, orientation, x, y, destX, destY, heading};
}

void addHealthBox(Map& m, int32_t x, int32_t y) {
    m.healthBoxes[m.healthBoxCount++] = {0, x, y, 0, 0};
}

// Walks a player by (dx, dy) per step, clipped by the map, for at most `steps` steps.
void walk(const Map& m, double& px, double& py, double dx, double dy, int steps) {
    for (int i = 0; i < steps; ++i) {
        double sx = dx;
        double sy = dy;
        m.clipMove(sx, sy, px, py);
        px += sx;
        py += sy;
    }
}

Balle bulletAt(double x, double y, double z) {
    Balle b{};
    b.x = x;
    b.y = y;
    b.z = z;
    return b;
}

// The wall query on a bullet's step, marking the bullet as the shot table does.
void clipBullet(const Map& m, Balle& b, double& dx, double& dy, double& dz) {
    if (m.clipShot(b.x, b.y, b.z, dx, dy, dz)) b.stopped = 1;
}

TEST(ClipMove, WalkingIntoAWallStopsShortOfIt) {
    auto m = emptyMap();
    addWall(*m, 'h', 5, 0, 10, 0, 2);  // y = 500 from x = 0 to 1000
    addWall(*m, 'v', 20, 0, 10, 0, 2); // x = 2000 from y = 0 to 1000
    const struct {
        double px, py, dx, dy;
    } walks[] = {{500, 600, 0, -30}, {500, 400, 0, 30}, {1900, 500, 30, 0}};
    for (const auto& w : walks) {
        double px = w.px, py = w.py;
        walk(*m, px, py, w.dx, w.dy, 10);
        const double gap = w.dx != 0 ? 2000 - px : std::abs(py - 500);
        EXPECT_GE(gap, 35) << w.px << "," << w.py;
        EXPECT_LE(gap, 65) << w.px << "," << w.py;
    }
}

TEST(ClipMove, DiagonalStepSlidesAlongTheWallAndEndsHoldWithin35) {
    auto m = emptyMap();
    addWall(*m, 'h', 5, 0, 10, 0, 2);
    double px = 300, py = 600;
    walk(*m, px, py, 20, -20, 10);
    EXPECT_DOUBLE_EQ(500, px);
    EXPECT_GE(py - 500, 35);
    px = 1040, py = 510;
    walk(*m, px, py, -10, 0, 5);
    EXPECT_DOUBLE_EQ(1030, px); // within 35 units of the end, then held there
}

TEST(ClipMove, SingleSteps) {
    const struct {
        int32_t minHeight, maxHeight;
        double dx, dy, px, py, keptDx, keptDy;
    } steps[] = {
        {2, 3, 0, -30, 500, 550, 0, -30}, // only walls reaching height 1 stop players
        {1, 3, 0, -30, 500, 550, 0, 0},
        {0, 2, -30, 0, 1020, 510, 0, 0}, // the upper end
        {0, 2, -30, 0, 1040, 510, -30, 0},
        {0, 2, 30, 0, -20, 490, 0, 0},    // the lower end, approached from below x = 0
        {0, 2, 0, -30, 500, 520, 0, -30}, // a centre already within 35 walks through the face
    };
    for (const auto& s : steps) {
        auto m = emptyMap();
        addWall(*m, 'h', 5, 0, 10, s.minHeight, s.maxHeight);
        double dx = s.dx, dy = s.dy;
        m->clipMove(dx, dy, s.px, s.py);
        EXPECT_EQ(s.keptDx, dx) << s.px << "," << s.py;
        EXPECT_EQ(s.keptDy, dy) << s.px << "," << s.py;
    }
}

TEST(Teleporter, CrossedBothWaysButNotAlongIt) {
    auto m = emptyMap();
    addTeleporter(*m, 'h', 2, 9, 8, 1, 180); // x 200..300 at y = 900
    const double starts[][2] = {{250, 880}, {250, 920}};
    for (const auto& s : starts) {
        double dx = 5, dy = s[1] < 900 ? 30 : -30, px = s[0], py = s[1], heading = 0;
        EXPECT_TRUE(m->crossTeleporters(dx, dy, px, py, heading));
        EXPECT_EQ(0, dx);
        EXPECT_EQ(0, dy);
        EXPECT_DOUBLE_EQ(850, px);
        EXPECT_DOUBLE_EQ(150, py);
        EXPECT_DOUBLE_EQ(180, heading);
    }
    double dx = 30, dy = 0, px = 250, py = 890, heading = 7;
    EXPECT_FALSE(m->crossTeleporters(dx, dy, px, py, heading));
    EXPECT_EQ(30, dx);
    EXPECT_DOUBLE_EQ(7, heading);

    // Ending exactly on the line crosses from below only; the panel's ends are excluded.
    dx = 0, dy = 20, px = 250, py = 880;
    EXPECT_TRUE(m->crossTeleporters(dx, dy, px, py, heading));
    dx = 0, dy = -20, px = 250, py = 920;
    EXPECT_FALSE(m->crossTeleporters(dx, dy, px, py, heading));
    dx = 0, dy = 30, px = 200, py = 880;
    EXPECT_FALSE(m->crossTeleporters(dx, dy, px, py, heading));

    // A vertical panel, then one the zeroed step no longer crosses.
    addTeleporter(*m, 'v', 3, 1, 0, 0, 90); // y 100..200 at x = 300
    addTeleporter(*m, 'v', 0, 0, 5, 5, 0);
    dx = -15, dy = 0, px = 310, py = 150, heading = 0;
    EXPECT_TRUE(m->crossTeleporters(dx, dy, px, py, heading));
    EXPECT_DOUBLE_EQ(50, px);
    EXPECT_DOUBLE_EQ(50, py);
    EXPECT_DOUBLE_EQ(90, heading);
}

TEST(HealthBox, HealsOnlyBelowFullAndNeverAbove) {
    auto m = emptyMap();
    addHealthBox(*m, 4, 4); // centre (450, 450)
    double health = 100;
    EXPECT_EQ(-1, m->takeHealthBox(450, 450, health, 10));
    EXPECT_EQ(0, m->healthBoxes[0].taken);

    health = 90;
    EXPECT_EQ(-1, m->takeHealthBox(470, 470, health, 10)); // 20² + 20² is not below 800
    EXPECT_EQ(0, m->takeHealthBox(470, 469, health, 10));
    EXPECT_DOUBLE_EQ(100, health);
    EXPECT_EQ(1, m->healthBoxes[0].taken);
    EXPECT_EQ(30000, m->healthBoxes[0].respawnTimer);

    auto two = emptyMap();
    addHealthBox(*two, 4, 4);
    addHealthBox(*two, 4, 4);
    health = 50;
    EXPECT_EQ(1, two->takeHealthBox(450, 450, health, 10));
    EXPECT_DOUBLE_EQ(80, health);
}

TEST(HealthBox, ComesBackAfterItsTimerAndIsMarkedOnlyWithinTheTable) {
    auto m = emptyMap();
    addHealthBox(*m, 0, 0);
    double health = 50;
    ASSERT_EQ(0, m->takeHealthBox(50, 50, health, 16));
    health = 50;
    EXPECT_EQ(-1, m->takeHealthBox(50, 50, health, 29999));
    EXPECT_EQ(-1, m->takeHealthBox(50, 50, health, 1)); // timer 0: not below 0 yet
    EXPECT_EQ(1, m->healthBoxes[0].taken);
    EXPECT_EQ(-1, m->takeHealthBox(50, 50, health, 1));
    EXPECT_EQ(0, m->healthBoxes[0].taken);
    EXPECT_DOUBLE_EQ(50, health);
    EXPECT_EQ(0, m->takeHealthBox(50, 50, health, 1));

    // Marked taken from another machine: only within the table's count.
    m->healthBoxes[0].taken = 0;
    m->healthBoxes[1] = {0, 3, 3, 0, 0};
    for (const int32_t box : {-1, 1, 1 << 30})
        m->markHealthBoxTaken(box);
    EXPECT_EQ(0, m->healthBoxes[1].taken);
    EXPECT_EQ(0, m->healthBoxes[0].taken);
    m->markHealthBoxTaken(0);
    EXPECT_EQ(1, m->healthBoxes[0].taken);
    EXPECT_EQ(30000, m->healthBoxes[0].respawnTimer);
}

TEST(Door, ReachGrowsWithItsLengthAroundTheLowerEnd) {
    auto shortDoor = emptyMap();
    addDoor(*shortDoor, 'v', 5, 2, 3, 0, 2); // turns around (500, 200)
    const double far[] = {9999, 500}, farY[] = {9999, 399};
    EXPECT_EQ(DOOR_STOPPED, shortDoor->updateDoors(1, far, farY, 10));
    EXPECT_EQ(0, shortDoor->doors[0].opening);
    // A remote player (position 1) in reach opens it; the local one is too far for a sound.
    EXPECT_EQ(DOOR_STOPPED, shortDoor->updateDoors(2, far, farY, 10));
    EXPECT_EQ(10, shortDoor->doors[0].opening);
    EXPECT_EQ(DOOR_OPENING, shortDoor->doors[0].motion);

    auto outOfReach = emptyMap();
    addDoor(*outOfReach, 'v', 5, 2, 3, 0, 2);
    const double x = 500, y = 401;
    EXPECT_EQ(DOOR_STOPPED, outOfReach->updateDoors(1, &x, &y, 10));
    EXPECT_EQ(0, outOfReach->doors[0].opening);

    auto longDoor = emptyMap();
    addDoor(*longDoor, 'h', 4, 7, 2, 0, 2); // five cells, turns around (400, 400)
    const double nearX = 400, nearY = 899, farAway = 901;
    EXPECT_EQ(DOOR_OPENING, longDoor->updateDoors(1, &nearX, &nearY, 10));
    EXPECT_EQ(DOOR_CLOSING, longDoor->updateDoors(1, &nearX, &farAway, 4));
    EXPECT_EQ(6, longDoor->doors[0].opening);
}

TEST(Door, RisesTo80PercentOfItsTopAndSinksBack) {
    auto m = emptyMap();
    addDoor(*m, 'h', 1, 0, 1, 1, 3);
    const double x = 50, y = 100, awayY = 5000;
    EXPECT_EQ(DOOR_OPENING, m->updateDoors(1, &x, &y, 100));
    EXPECT_EQ(DOOR_STOPPED, m->updateDoors(1, &x, &y, 100)); // still opening: no new sound
    EXPECT_EQ(200, m->doors[0].opening);
    EXPECT_EQ(DOOR_STOPPED, m->updateDoors(1, &x, &y, 100)); // 300 > 240: held at the limit
    EXPECT_EQ(240, m->doors[0].opening);
    EXPECT_EQ(DOOR_STOPPED, m->doors[0].motion);

    // Leaving: the closing sound is heard only within 1000 units of the door.
    const double farX = 50, nearAway = 1050;
    EXPECT_EQ(DOOR_CLOSING, m->updateDoors(1, &farX, &nearAway, 200));
    EXPECT_EQ(40, m->doors[0].opening);
    EXPECT_EQ(DOOR_STOPPED, m->updateDoors(1, &x, &awayY, 100));
    EXPECT_EQ(0, m->doors[0].opening);
}

TEST(Door, OneReportPerFrameTheNextDoorWaits) {
    auto m = emptyMap();
    addDoor(*m, 'h', 1, 0, 1, 0, 2);
    addDoor(*m, 'h', 2, 0, 1, 0, 2);
    const double x = 50, y = 150;
    EXPECT_EQ(DOOR_OPENING, m->updateDoors(1, &x, &y, 10));
    EXPECT_EQ(10, m->doors[0].opening);
    EXPECT_EQ(0, m->doors[1].opening);
    EXPECT_EQ(DOOR_STOPPED, m->doors[1].motion);
    EXPECT_EQ(DOOR_OPENING, m->updateDoors(1, &x, &y, 10));
    EXPECT_EQ(20, m->doors[0].opening);
    EXPECT_EQ(10, m->doors[1].opening);
    EXPECT_EQ(DOOR_STOPPED, m->updateDoors(1, &x, &y, 10));
}

TEST(ClipShot, StopsAtTheNearestWallCrossed) {
    auto m = emptyMap();
    addWall(*m, 'h', 3, 0, 10, 0, 2);
    addWall(*m, 'h', 5, 0, 10, 0, 2);
    Balle b = bulletAt(500, 600, 117);
    double dx = 40, dy = -400, dz = 0;
    clipBullet(*m, b, dx, dy, dz);
    EXPECT_EQ(1, b.stopped);
    EXPECT_DOUBLE_EQ(-100, dy);
    EXPECT_DOUBLE_EQ(10, dx);
    EXPECT_DOUBLE_EQ(600, b.y); // the query does not move the bullet
}

TEST(ClipShot, PlaneSidesParallelStepsAndBounds) {
    auto m = emptyMap();
    addWall(*m, 'v', 5, 0, 10, 0, 2); // x = 500
    Balle b = bulletAt(510, 300, 117);
    double dx = -10, dy = 0, dz = 0; // ends exactly on the plane from the upper side
    clipBullet(*m, b, dx, dy, dz);
    EXPECT_EQ(1, b.stopped);
    EXPECT_DOUBLE_EQ(-10, dx);

    b = bulletAt(490, 300, 117);
    dx = 10; // from the lower side it ends on the lower side
    clipBullet(*m, b, dx, dy, dz);
    EXPECT_EQ(0, b.stopped);

    b = bulletAt(480, 300, 117);
    dx = 0, dy = 500; // parallel to the wall
    clipBullet(*m, b, dx, dy, dz);
    EXPECT_EQ(0, b.stopped);

    b = bulletAt(600, 0, 117);
    dx = -200, dy = 0; // crosses the plane at y = 0, an end of the wall: strict bounds
    clipBullet(*m, b, dx, dy, dz);
    EXPECT_EQ(0, b.stopped);
}

TEST(ClipShot, WallHeightsBoundBullets) {
    auto m = emptyMap();
    addWall(*m, 'h', 5, 0, 10, 2, 3);
    for (const double z : {150.0, 200.0, 250.0, 310.0}) {
        for (const double y : {600.0, 400.0}) { // from either side of the wall
            Balle b = bulletAt(500, y, z);
            double dx = 0, dy = 2 * (500 - y), dz = 0;
            clipBullet(*m, b, dx, dy, dz);
            EXPECT_EQ(z == 250.0 ? 1 : 0, b.stopped) << z << " from " << y;
        }
    }
}

TEST(Spawn, PickedAmongTheMapsOrCellOneOne) {
    auto m = emptyMap();
    int32_t cell[2] = {-5, -5};
    m->pickSpawn(cell);
    EXPECT_EQ(1, cell[0]);
    EXPECT_EQ(1, cell[1]);

    m->spawns[0] = {3, 4};
    m->spawns[1] = {7, 8};
    m->spawnCount = 2;
    bool seen[2] = {false, false};
    for (int i = 0; i < 400; ++i) {
        m->pickSpawn(cell);
        ASSERT_TRUE((cell[0] == 3 && cell[1] == 4) || (cell[0] == 7 && cell[1] == 8));
        seen[cell[0] == 7] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1]);
}

TEST(Utilities, SignOfZeroAndRandomRange) {
    EXPECT_EQ(1, signOf(0.0)); // zero counts as the positive side of a line
    EXPECT_EQ(1, signOf(-0.0));
    EXPECT_EQ(-1, signOf(-1e-9));
    for (int i = 0; i < 2000; ++i) {
        const double r = platform::randomUpTo(7);
        ASSERT_GE(r, 0.0);
        ASSERT_LE(r, 7.0);
    }
}

// Positions arrive from other machines: absurd values must be handled without undefined
// behaviour (checked by UBSan in the sanitizer build) and must reach nothing.
TEST(Queries, AbsurdPositionsAndValues) {
    auto m = emptyMap();
    addWall(*m, 'h', 5, 0, 10, 0, 2);
    addWall(*m, 'v', INT32_MAX, INT32_MIN, INT32_MAX, 0, INT32_MAX);
    addDoor(*m, 'h', INT32_MAX, INT32_MIN, INT32_MAX, 0, INT32_MAX);
    addDoor(*m, 'v', 1, 0, 1, 0, 2);
    addTeleporter(*m, 'h', INT32_MAX, INT32_MAX, 0, 0, 0);
    addHealthBox(*m, INT32_MAX, INT32_MIN);
    addHealthBox(*m, 4, 4);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double values[] = {nan, 1e300, -1e300, std::numeric_limits<double>::infinity()};
    for (const double v : values) {
        double dx = v, dy = v, px = v, py = v, heading = 0, health = 50;
        m->clipMove(dx, dy, v, v);
        m->crossTeleporters(dx, dy, px, py, heading);
        EXPECT_EQ(-1, m->takeHealthBox(v, v, health, INT32_MAX));
        const double xs[] = {v, v};
        m->updateDoors(2, xs, xs, INT32_MAX);
        Balle b = bulletAt(v, v, v);
        double sx = v, sy = v, sz = v;
        clipBullet(*m, b, sx, sy, sz);
    }
    EXPECT_EQ(0, m->doors[1].opening);

    // A frame time near the int32 limit still leaves the door at its limit.
    const double x = 100, y = 0;
    m->updateDoors(1, &x, &y, INT32_MAX);
    EXPECT_EQ(160, m->doors[1].opening);
}

} // namespace
