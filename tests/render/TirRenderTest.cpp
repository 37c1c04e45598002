// Bullets drawn in a real window as small black spheres.
#include "GlWindow.h"

#include "game/Tir.h"
#include "render/Frame.h"

#include <cmath>

namespace {

Tir tir;

class TirRender : public GlWindowTest {
  protected:
    void SetUp() override {
        GlWindowTest::SetUp();
        if (IsSkipped()) return;
        glClearColor(1, 1, 1, 1);
        // Looking down on the square (0..100, 0..100).
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 100, 0, 100, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        tir.init();
    }
    static Pixel centre() { return readPixel(W / 2, H / 2); }
    static void redraw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        double centres[TIR_SLOTS][3];
        drawBullets(centres, tir.liveBullets(centres));
    }
};

} // namespace

TEST_F(TirRender, LiveBulletIsABlackSphereAtItsPosition) {
    tir.fire(50, 50, 50, 0, 0, 0, 1);
    redraw();
    EXPECT_EQ(centre(), BLACK);
    EXPECT_EQ(readPixel(W / 4, H / 2), WHITE); // x = 25, far from its 10-unit radius

    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2], 3.0f);
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_NEAR(modelview[12], 0, 1e-9); // translated back
    EXPECT_NEAR(modelview[13], 0, 1e-9);
    EXPECT_NEAR(modelview[14], 0, 1e-9);
}

TEST_F(TirRender, BulletsOutsideThePlayBoxAreNotDrawn) {
    tir.fire(50, 50, 500, 0, 0, 0, 1);
    tir.fire(50, 50, NAN, 0, 0, 0, 1);
    redraw();
    EXPECT_EQ(centre(), WHITE);
}
