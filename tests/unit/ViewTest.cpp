// What the camera sees: which players get a name label, and which map elements the drawing
// may leave out. A wrong "outside" would leave a hole in the picture, so every doubtful case
// must come out as visible.
#include "game/Frame.h"
#include "render/ChampDeVision.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

constexpr double PI = 3.14159265358979;

// The point `distance` away from (100, 200) at `degrees` (true degrees, 0 along +x).
static bool seenAt(double ownYaw, double degrees, double distance) {
    return isPlayerInView(100, 200, ownYaw, 100 + distance * cos(degrees * PI / 180),
                          200 + distance * sin(degrees * PI / 180));
}

TEST(PlayerInView, AheadWithinEightHundredUnitsAndTwentySixAndAHalfDegrees) {
    const struct {
        double ox, oy, yaw, x, y;
        bool seen;
    } rows[] = {
        {0, 0, 0, 799.99, 0, true},  {0, 0, 0, 1, 0, true},      {0, 0, 0, 800, 0, false},
        {-300, 0, 0, 500, 0, false}, {0, 0, 0, 480, 640, false}, // 800 away, even in the cone
        {0, 0, 0, 0, 100, false},                                // dot exactly 0
        {0, 0, 0, -100, 0, false},   {50, 50, 0, 50, 50, false}, // same place: no division by 0
    };
    for (const auto& r : rows)
        EXPECT_EQ(isPlayerInView(r.ox, r.oy, r.yaw, r.x, r.y), r.seen) << r.x << "," << r.y;
    for (double yaw : {0.0, 90.0, -135.0, 200.0}) {
        for (double side : {26.0, -26.0})
            EXPECT_TRUE(seenAt(yaw, yaw + side, 500)) << yaw << " " << side;
        for (double side : {27.0, -27.0, 60.0, 180.0})
            EXPECT_FALSE(seenAt(yaw, yaw + side, 500)) << yaw << " " << side;
    }
    // After a hundred turns, 3.1418 / 180 puts the view about 2.4 degrees left of +x.
    EXPECT_TRUE(seenAt(36000, 28, 500));
    EXPECT_FALSE(seenAt(36000, -25, 500));
}

// gluPerspective(70, 4/3, 1, 2000) and an identity modelview: the camera at the origin looking
// along -z, y up. Column-major, as OpenGL keeps them.
struct Culling : ::testing::Test {
    ChampDeVision view;
    void SetUp() override {
        const double f = 1 / std::tan(35 * PI / 180), a = 2001.0 / -1999, b = 4000.0 / -1999;
        const double projection[16] = {f * 3 / 4, 0, 0, 0, 0, f, 0, 0, 0, 0, a, -1, 0, 0, b, 0};
        const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        makeChampDeVision(view, projection, identity);
    }
    bool outside(std::initializer_list<std::initializer_list<double>> ps) const {
        double points[8][3] = {};
        int32_t n = 0;
        for (const auto& p : ps)
            std::copy(p.begin(), p.end(), points[n++]);
        return isOutsideView(view, points, n);
    }
};

TEST_F(Culling, OnlyElementsWhollyBeyondOneSideAreOutside) {
    // Behind the camera, beyond the far plane, far to the left, far above.
    EXPECT_TRUE(outside({{-10, 0, 5}, {10, 0, 5}, {10, 10, 50}, {-10, 10, 50}}));
    EXPECT_TRUE(outside({{-10, 0, -2100}, {10, 0, -2100}, {0, 10, -2500}}));
    EXPECT_TRUE(outside({{-900, 0, -100}, {-800, 0, -100}, {-800, 50, -300}}));
    EXPECT_TRUE(outside({{0, 500, -100}, {10, 500, -100}, {0, 600, -200}}));
    // Straight ahead; straddling the near plane; corners each beyond a different side while
    // the quad spans the whole view (a floor under the camera).
    EXPECT_FALSE(outside({{-10, -10, -100}, {10, -10, -100}, {0, 10, -100}}));
    EXPECT_FALSE(outside({{-10, -1, 50}, {10, -1, 50}, {10, -1, -50}, {-10, -1, -50}}));
    EXPECT_FALSE(outside(
        {{-5000, -130, 3000}, {5000, -130, 3000}, {5000, -130, -3000}, {-5000, -130, -3000}}));
    // Past a side by less than the margin still counts as visible: rounding never cuts a pixel.
    const double edgeY = 100.0 * std::tan(35.0 * PI / 180.0), edgeX = edgeY * 4.0 / 3.0;
    EXPECT_FALSE(outside({{0, edgeY + 0.5, -100}, {0, edgeY + 0.6, -100}}));
    EXPECT_TRUE(outside({{0, edgeY + 5, -100}, {0, edgeY + 6, -100}}));
    EXPECT_FALSE(outside({{edgeX + 0.1, 0, -100}, {edgeX + 0.2, 5, -100}}));
    // A corner of unknown place keeps the element, and so does an empty list.
    EXPECT_FALSE(outside({{-10, 0, 5}, {std::nan(""), 0, 5}, {10, 10, 50}}));
    EXPECT_FALSE(isOutsideView(view, nullptr, 0));

    // The whole space and broken matrices cull nothing.
    makeWholeSpace(view);
    EXPECT_FALSE(outside({{-10, 0, 5}, {10, 0, 5}, {10, 10, 50}}));
    EXPECT_FALSE(outside({{1e300, 1e300, 1e300}, {-1e300, 0, 0}}));
    double zeros[16] = {}, infinite[16] = {};
    infinite[0] = std::numeric_limits<double>::infinity();
    for (const double* m : {zeros, infinite}) {
        makeChampDeVision(view, m, m);
        EXPECT_FALSE(outside({{-10, 0, 5}, {10, 0, 5}}));
    }
}
