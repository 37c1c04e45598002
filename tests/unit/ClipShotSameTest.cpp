// Bullets against walls give, bit for bit, what the wall-by-wall rule gives when every wall
// is worked out in full: the shipped maps and random walls, bullets anywhere and in every
// direction, steps that end exactly on a wall's line, zero, NaN and infinite steps.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <unistd.h>

#include "../support/StdoutCapture.h"
#include "game/Tir.h"
#include "map/Map.h"
#include "render/TexturesMap.h"

namespace {

// The rule as it reads, wall after wall, every figure worked out before the crossing test.
bool referenceShorten(double line, double pos, double along, double z, double& step,
                      double& stepAlong, double& stepZ, double from, double to, double zl,
                      double zh) {
    if ((pos - line > 0) == (pos + step - line > 0)) return false;
    const double d = line - pos;
    const double o = d * stepAlong / step;
    const double oz = d * stepZ / step;
    if (!(from < along + o && along + o < to && zl < z + oz && z + oz < zh)) return false;
    step = d;
    stepAlong = o;
    stepZ = oz;
    return true;
}

void referenceClipShot(const Map& m, Balle& b, double& dx, double& dy, double& dz) {
    const int32_t count = m.wallCount < 0 ? 0 : (m.wallCount > MAP_WALLS ? MAP_WALLS : m.wallCount);
    for (int32_t i = 0; i < count; ++i) {
        const Mur& w = m.walls[i];
        const double line = w.line * 100.0;
        const double from = w.from * 100.0;
        const double to = w.to * 100.0;
        const double zl = w.minHeight * 100.0;
        const double zh = w.maxHeight * 100.0;
        const bool hit = w.orientation == 'h'
                             ? referenceShorten(line, b.y, b.x, b.z, dy, dx, dz, from, to, zl, zh)
                             : referenceShorten(line, b.x, b.y, b.z, dx, dy, dz, from, to, zl, zh);
        if (hit) b.stopped = 1;
    }
}

bool sameBits(double a, double b) {
    return memcmp(&a, &b, sizeof a) == 0;
}

class ClipShotSame : public ::testing::Test {
  protected:
    std::mt19937 random{99u};
    std::unique_ptr<Map> map{new Map()};
    std::unique_ptr<TexturesMap> textures{new TexturesMap()};
    int compared = 0;

    double uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    }

    // One bullet clipped both ways; every output bit must agree.
    void compare(const Balle& start, double dx, double dy, double dz) {
        Balle fast = start, plain = start;
        double f[3] = {dx, dy, dz}, p[3] = {dx, dy, dz};
        if (map->clipShot(fast.x, fast.y, fast.z, f[0], f[1], f[2])) fast.stopped = 1;
        referenceClipShot(*map, plain, p[0], p[1], p[2]);
        for (int k = 0; k < 3; ++k)
            ASSERT_TRUE(sameBits(f[k], p[k]))
                << "axis " << k << ": " << f[k] << " vs " << p[k] << " from (" << start.x << ", "
                << start.y << ", " << start.z << ") step (" << dx << ", " << dy << ", " << dz
                << ")";
        ASSERT_EQ(fast.stopped, plain.stopped);
        ++compared;
    }

    // Bullets flying as shots do (a frame of 1 to 50 ms at up to 10000 units a second), some
    // far faster, some placed on a wall's line or stepping exactly onto it.
    void sweep(int bullets, double extent) {
        const double odd[] = {0.0,
                              -0.0,
                              std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              1e300,
                              5e-324};
        for (int i = 0; i < bullets; ++i) {
            Balle b = {};
            b.owner = 1;
            b.x = uniform(-100.0, extent);
            b.y = uniform(-100.0, extent);
            b.z = uniform(0.0, 600.0);
            const double scale = i % 10 == 0 ? 5000.0 : uniform(1.0, 500.0);
            double dx = uniform(-1.0, 1.0) * scale, dy = uniform(-1.0, 1.0) * scale;
            double dz = uniform(-0.3, 0.3) * scale;
            if (i % 7 == 0 && map->wallCount > 0) {
                const Mur& w = map->walls[random() % map->wallCount];
                double& pos = w.orientation == 'h' ? b.y : b.x;
                double& step = w.orientation == 'h' ? dy : dx;
                if (i % 2 == 0)
                    pos = w.line * 100.0;
                else
                    step = w.line * 100.0 - pos;
            }
            if (i % 13 == 0) (i % 3 == 0 ? dx : i % 3 == 1 ? dy : dz) = odd[(i / 13) % 7];
            compare(b, dx, dy, dz);
        }
    }
};

TEST_F(ClipShotSame, ShippedMaps) {
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(BV_SOURCE_DIR "/data"), 0);
    for (const char* name : {"maps\\arene.map", "maps\\labyrinthe.map", "maps\\stress.map"}) {
        testsupport::StdoutCapture quiet;
        quiet.start();
        // For play: the walls are kept (the textures cannot load without a window).
        const int32_t loaded = loadPlayMap(*map, *textures, name, 0);
        quiet.stop();
        ASSERT_EQ(loaded, 0) << name;
        ASSERT_GT(map->wallCount, 10) << name;
        sweep(20000, 6500.0);
    }
    ASSERT_EQ(chdir(saved), 0);
    EXPECT_EQ(compared, 60000);
}

TEST_F(ClipShotSame, RandomWallsOfAnyFigures) {
    const int32_t wild[] = {0, 1, -1, 5, 64, -2147483647 - 1, 2147483647, 21474836, -21474836};
    for (int round = 0; round < 40; ++round) {
        map->clear();
        map->wallCount = 1 + static_cast<int32_t>(random() % MAP_WALLS);
        for (int32_t i = 0; i < map->wallCount; ++i) {
            auto figure = [&] {
                return random() % 4 == 0 ? wild[random() % 9]
                                         : static_cast<int32_t>(random() % 70) - 3;
            };
            const char orientation = "hvx"[random() % 3];
            map->walls[i] = {0, 1, orientation, figure(), figure(), figure(), figure(), figure()};
        }
        sweep(500, 7000.0);
    }
    EXPECT_EQ(compared, 40 * 500);
}

} // namespace
