// How players and bullets meet the map: walls, teleporters, health boxes, doors and spawns.
#include "map/Map.h"
#include "platform/Random.h"

#include <gtest/gtest.h>
#include <memory>

struct MapQueries : ::testing::Test {
    std::unique_ptr<Map> m = std::make_unique<Map>();
    void SetUp() override { m->clear(); }
    void wall(char orientation, int32_t line, int32_t from, int32_t to, int32_t minHeight = 0,
              int32_t maxHeight = 2) {
        m->walls[m->wallCount++] = {0, 1, orientation, line, from, to, minHeight, maxHeight};
    }
    void door(char orientation, int32_t line, int32_t from, int32_t to, int32_t minHeight = 0,
              int32_t maxHeight = 2) {
        m->doors[m->doorCount++] = {0,         orientation, line, from,        to,
                                    minHeight, maxHeight,   0,    DOOR_STOPPED};
    }
    // One player step from (px, py): what is left of (dx, dy).
    std::pair<double, double> step(double px, double py, double dx, double dy) {
        m->clipMove(dx, dy, px, py);
        return {dx, dy};
    }
};

TEST_F(MapQueries, WallsStopPlayersThirtyFiveUnitsShortIncludingAtTheirEnds) {
    const struct {
        int32_t minHeight, maxHeight;
        double px, py, dx, dy, keptDx, keptDy;
    } steps[] = {
        {0, 2, 500, 550, 0, -30, 0, 0},   // its edge would cross y = 500
        {0, 2, 500, 570, 0, -30, 0, -30}, // it stops 35 units short
        {0, 2, 500, 450, 0, 30, 0, 0},    // from the other side
        {2, 3, 500, 550, 0, -30, 0, -30}, // only walls reaching height 1 stop players
        {1, 3, 500, 550, 0, -30, 0, 0},
        {0, 2, 1032, 550, 0, -30, 0, 0}, // the span reaches 35 units past the end
        {0, 2, 1020, 510, -30, 0, 0, 0}, // walking along the line into the upper end
        {0, 2, 1040, 510, -30, 0, -30, 0},
        {0, 2, -20, 490, 30, 0, 0, 0},    // into the lower end, from below x = 0
        {0, 2, 500, 520, 0, -30, 0, -30}, // a centre already within 35 walks through the face
    };
    for (const auto& s : steps) {
        m->clear();
        wall('h', 5, 0, 10, s.minHeight, s.maxHeight);
        EXPECT_EQ(step(s.px, s.py, s.dx, s.dy), std::make_pair(s.keptDx, s.keptDy))
            << s.px << "," << s.py << " heights " << s.minHeight << "-" << s.maxHeight;
    }
    // A vertical wall stops the x part and lets the y part slide along it.
    wall('v', 20, 0, 10);
    EXPECT_EQ(step(1940, 500, 30, 20), std::make_pair(0.0, 20.0));
}

TEST_F(MapQueries, TeleportersAreCrossedBothWaysButNotAlongOrAtTheirEnds) {
    m->teleporters[0] = {0, 'h', 2, 9, 8, 1, 180}; // x 200..300 at y = 900, to cell (8, 1)
    m->teleporters[1] = {0, 'v', 3, 1, 0, 0, 90};  // y 100..200 at x = 300, to cell (0, 0)
    m->teleporters[2] = {0, 'v', 0, 0, 5, 5, 0};   // the zeroed step no longer crosses it
    m->teleporterCount = 3;
    const struct {
        double px, py, dx, dy;
        bool crossed;
        double x, y, heading;
    } cases[] = {
        {250, 880, 5, 30, true, 850, 150, 180},
        {250, 920, 5, -30, true, 850, 150, 180},
        {250, 890, 30, 0, false, 250, 890, 7},  // along the line
        {250, 880, 0, 20, true, 850, 150, 180}, // ending exactly on it crosses from below only
        {250, 920, 0, -20, false, 250, 920, 7},
        {200, 880, 0, 30, false, 200, 880, 7}, // the panel's ends are excluded
        {310, 150, -15, 0, true, 50, 50, 90},
    };
    for (const auto& c : cases) {
        double dx = c.dx, dy = c.dy, px = c.px, py = c.py, heading = 7;
        EXPECT_EQ(m->crossTeleporters(dx, dy, px, py, heading), c.crossed) << c.px << "," << c.py;
        EXPECT_EQ(std::vector<double>({px, py, heading}),
                  std::vector<double>({c.x, c.y, c.heading}))
            << c.px << "," << c.py;
        EXPECT_TRUE(!c.crossed || (dx == 0 && dy == 0)) << "the step is spent";
    }
}

TEST_F(MapQueries, HealthBoxesHealBelowFullNeverAboveAndComeBackAfterThirtySeconds) {
    m->healthBoxes[0] = {0, 4, 4, 0, 0}; // centre (450, 450)
    m->healthBoxCount = 1;
    double health = 100;
    EXPECT_EQ(m->takeHealthBox(450, 450, health, 10), -1);
    health = 90;
    EXPECT_EQ(m->takeHealthBox(470, 470, health, 10), -1); // 20² + 20² is not below 800
    EXPECT_EQ(m->takeHealthBox(470, 469, health, 10), 0);
    EXPECT_EQ(std::make_pair(health, m->healthBoxes[0].taken), std::make_pair(100.0, 1));
    health = 50;
    EXPECT_EQ(m->takeHealthBox(450, 450, health, 29999), -1);
    EXPECT_EQ(m->takeHealthBox(450, 450, health, 1), -1); // timer 0: not below 0 yet
    EXPECT_EQ(m->healthBoxes[0].taken, 1);
    EXPECT_EQ(m->takeHealthBox(450, 450, health, 1), -1);
    EXPECT_EQ(m->healthBoxes[0].taken, 0);
    EXPECT_EQ(m->takeHealthBox(450, 450, health, 1), 0);
    EXPECT_DOUBLE_EQ(health, 65);

    // Marked taken from another machine: only within the table's count.
    m->healthBoxes[0].taken = 0;
    m->healthBoxes[1] = {0, 3, 3, 0, 0};
    for (const int32_t box : {-1, 1, 1 << 30})
        m->markHealthBoxTaken(box);
    EXPECT_EQ(m->healthBoxes[0].taken + m->healthBoxes[1].taken, 0);
    m->markHealthBoxTaken(0);
    EXPECT_EQ(std::make_pair(m->healthBoxes[0].taken, m->healthBoxes[0].respawnTimer),
              std::make_pair(1, 30000));
}

TEST_F(MapQueries, DoorsOpenWithinAReachOfTheirLengthAndRiseToEightyPercent) {
    door('v', 5, 2, 3); // one cell, turns around (500, 200): reach 200
    door('h', 4, 7, 2); // five cells, turns around (400, 400): reach 500
    const struct {
        int32_t door;
        double x, y;
        int32_t opening;
    } cases[] = {{0, 500, 399, 10}, {0, 500, 401, 0}, {1, 400, 899, 10}, {1, 400, 901, 0}};
    for (const auto& c : cases) {
        m->doors[0].opening = m->doors[1].opening = 0;
        m->doors[0].motion = m->doors[1].motion = DOOR_STOPPED;
        m->updateDoors(1, &c.x, &c.y, 10);
        EXPECT_EQ(m->doors[c.door].opening, c.opening) << c.x << "," << c.y;
    }
    // A remote player (position 1) opens it too; the local one is too far for a sound.
    const double xs[] = {9999, 500}, ys[] = {9999, 399};
    m->doors[0].opening = 0;
    m->doors[0].motion = DOOR_STOPPED;
    EXPECT_EQ(m->updateDoors(2, xs, ys, 10), DOOR_STOPPED);
    EXPECT_EQ(m->doors[0].opening, 10);

    // Doors rise to 80 % of their top, and a change heard ends the frame's updates.
    m->clear();
    door('h', 1, 0, 1, 1, 3);
    door('h', 2, 0, 1);
    const double x = 50, y = 100, closeBy = 1050, away = 5000;
    const struct {
        const double* y;
        int32_t dt, report, opening0, opening1;
    } frames[] = {
        {&y, 100, DOOR_OPENING, 100, 0},        // the second door waits for the next frame
        {&y, 100, DOOR_OPENING, 200, 100},      // its start is reported, the first goes on
        {&y, 100, DOOR_STOPPED, 240, 100},      // 300 > 240: held at its limit
        {&closeBy, 200, DOOR_CLOSING, 40, 100}, // closing is heard within 1000 units
        {&away, 100, DOOR_STOPPED, 0, 0},       // changes too far to be heard hold nobody
    };
    for (const auto& f : frames) {
        const int32_t report = m->updateDoors(1, &x, f.y, f.dt);
        EXPECT_EQ(std::make_tuple(report, m->doors[0].opening, m->doors[1].opening),
                  std::make_tuple(f.report, f.opening0, f.opening1))
            << *f.y;
    }
}

TEST_F(MapQueries, BulletsStopAtTheNearestWallCrossedWithinItsSpanAndHeights) {
    wall('h', 3, 0, 10);
    wall('h', 5, 0, 10);
    double dx = 40, dy = -400, dz = 0;
    EXPECT_TRUE(m->clipShot(500, 600, 117, dx, dy, dz));
    EXPECT_EQ(std::make_pair(dx, dy), std::make_pair(10.0, -100.0));

    m->clear();
    wall('v', 5, 0, 10, 2, 3); // x = 500, heights 200 to 300
    const struct {
        double x, y, z, dx, dy;
        bool stopped;
    } cases[] = {
        {510, 300, 250, -10, 0, true},  // ends exactly on the plane from the upper side
        {490, 300, 250, 10, 0, false},  // from the lower side that is still the lower side
        {480, 300, 250, 0, 500, false}, // parallel
        {600, 0, 250, -200, 0, false},  // through the wall's end: strict bounds
        {600, 300, 150, -200, 0, false}, {400, 300, 200, 200, 0, false}, // under, at its foot
        {600, 300, 310, -200, 0, false}, {400, 300, 250, 200, 0, true},
    };
    for (const auto& c : cases) {
        double sx = c.dx, sy = c.dy, sz = 0;
        EXPECT_EQ(m->clipShot(c.x, c.y, c.z, sx, sy, sz), c.stopped)
            << c.x << "," << c.y << "," << c.z;
    }
}

TEST_F(MapQueries, SpawnIsAnyOfTheMapsOrCellOneOne) {
    int32_t cell[2] = {-5, -5};
    m->pickSpawn(cell);
    EXPECT_EQ(std::make_pair(cell[0], cell[1]), std::make_pair(1, 1));
    m->spawns[0] = {3, 4};
    m->spawns[1] = {7, 8};
    m->spawnCount = 2;
    int32_t seen[2] = {0, 0};
    for (int i = 0; i < 400; ++i) {
        m->pickSpawn(cell);
        ASSERT_TRUE((cell[0] == 3 && cell[1] == 4) || (cell[0] == 7 && cell[1] == 8));
        seen[cell[0] == 7]++;
    }
    EXPECT_TRUE(seen[0] > 100 && seen[1] > 100) << seen[0] << " " << seen[1]; // about half each
    for (int i = 0; i < 2000; ++i) {
        const double r = platform::randomUpTo(7);
        ASSERT_TRUE(r >= 0.0 && r <= 7.0) << r;
    }
    // Zero counts as the positive side of a line.
    EXPECT_EQ(std::vector<int32_t>({signOf(0.0), signOf(-0.0), signOf(-1e-9)}),
              std::vector<int32_t>({1, 1, -1}));
}
