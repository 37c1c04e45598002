// Which map elements the camera cannot see. A wrong "outside" would leave a hole in the
// picture, so every doubtful case must come out as visible.
#include <gtest/gtest.h>

#include "render/ChampDeVision.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The matrices gluPerspective(70, 4/3, 1, 2000) and an identity modelview give: the camera
// at the origin looking along -z, y up. Column-major, as OpenGL keeps them.
void cameraAtOrigin(ChampDeVision& view) {
    const double f = 1.0 / std::tan(35.0 * 3.14159265358979 / 180.0);
    const double nearZ = 1.0;
    const double farZ = 2000.0;
    double projection[16] = {};
    projection[0] = f / (4.0 / 3.0);
    projection[5] = f;
    projection[10] = (farZ + nearZ) / (nearZ - farZ);
    projection[11] = -1.0;
    projection[14] = 2.0 * farZ * nearZ / (nearZ - farZ);
    double identity[16] = {};
    for (int i = 0; i < 4; ++i)
        identity[i * 5] = 1.0;
    makeChampDeVision(view, projection, identity);
}

bool outside(const ChampDeVision& view, std::initializer_list<std::initializer_list<double>> ps) {
    double points[8][3] = {};
    int32_t n = 0;
    for (const auto& p : ps) {
        std::copy(p.begin(), p.end(), points[n]);
        ++n;
    }
    return isOutsideView(view, points, n);
}

} // namespace

TEST(ChampDeVision, ElementsWhollyBeyondOneSideAreOutside) {
    ChampDeVision view;
    cameraAtOrigin(view);
    // Behind the camera, beyond the far plane, far to the left, far above.
    EXPECT_TRUE(outside(view, {{-10, 0, 5}, {10, 0, 5}, {10, 10, 50}, {-10, 10, 50}}));
    EXPECT_TRUE(outside(view, {{-10, 0, -2100}, {10, 0, -2100}, {0, 10, -2500}}));
    EXPECT_TRUE(outside(view, {{-900, 0, -100}, {-800, 0, -100}, {-800, 50, -300}}));
    EXPECT_TRUE(outside(view, {{0, 500, -100}, {10, 500, -100}, {0, 600, -200}}));
}

TEST(ChampDeVision, AnythingThatMayShowIsKept) {
    ChampDeVision view;
    cameraAtOrigin(view);
    // Straight ahead; straddling the near plane; corners each beyond a different side
    // while the quad spans the whole view (a floor under the camera).
    EXPECT_FALSE(outside(view, {{-10, -10, -100}, {10, -10, -100}, {0, 10, -100}}));
    EXPECT_FALSE(outside(view, {{-10, -1, 50}, {10, -1, 50}, {10, -1, -50}, {-10, -1, -50}}));
    EXPECT_FALSE(outside(
        view,
        {{-5000, -130, 3000}, {5000, -130, 3000}, {5000, -130, -3000}, {-5000, -130, -3000}}));
    // Just past a side by less than the margin still counts as visible: a hair of rounding
    // must never cut a pixel.
    const double half = 35.0 * 3.14159265358979 / 180.0;
    const double edgeY = 100.0 * std::tan(half);
    const double edgeX = edgeY * 4.0 / 3.0;
    EXPECT_FALSE(outside(view, {{0, edgeY + 0.5, -100}, {0, edgeY + 0.6, -100}}));
    EXPECT_TRUE(outside(view, {{0, edgeY + 5, -100}, {0, edgeY + 6, -100}}));
    EXPECT_FALSE(outside(view, {{edgeX + 0.1, 0, -100}, {edgeX + 0.2, 5, -100}}));
    // A corner of unknown place keeps the element, and so does an empty list.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(outside(view, {{-10, 0, 5}, {nan, 0, 5}, {10, 10, 50}}));
    EXPECT_FALSE(isOutsideView(view, nullptr, 0));
}

TEST(ChampDeVision, WholeSpaceAndBrokenMatricesCullNothing) {
    ChampDeVision whole;
    makeWholeSpace(whole);
    EXPECT_FALSE(outside(whole, {{-10, 0, 5}, {10, 0, 5}, {10, 10, 50}}));
    EXPECT_FALSE(outside(whole, {{1e300, 1e300, 1e300}, {-1e300, 0, 0}}));

    double zeros[16] = {};
    double infinite[16] = {};
    infinite[0] = std::numeric_limits<double>::infinity();
    ChampDeVision broken;
    makeChampDeVision(broken, zeros, zeros);
    EXPECT_FALSE(outside(broken, {{-10, 0, 5}, {10, 0, 5}}));
    makeChampDeVision(broken, infinite, infinite);
    EXPECT_FALSE(outside(broken, {{-10, 0, 5}, {10, 0, 5}}));
}
