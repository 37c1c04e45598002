// The map's elements drawn in a real window and read back pixel by pixel.
#include "GlWindow.h"

#include "map/Map.h"
#include "render/MapRender.h"

#include <GL/glu.h>

namespace {

Map map; // too big for the stack
TexturesMap textures;

// Looking along +y: screen x is world x from 0 to 1000, screen y is height from 0 to 300.
void sideView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1000, 0, 300, -5000, 5000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 0, 1, 0, 0, 0, 1);
}

// Looking down: screen x and y are world x and y over the given square.
void topView(double x0, double x1, double y0, double y1) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(x0, x1, y0, y1, -5000, 5000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Pixel of a side-view point in the 160 x 120 window.
Pixel side(double x, double z) {
    return readPixel(int(x * 0.16), int(z * 0.4));
}

class MapRender : public GlWindowTest {
  protected:
    void SetUp() override {
        GlWindowTest::SetUp();
        if (IsSkipped()) return;
        map.clear();
        for (uint32_t& id : textures.ids)
            id = 0;
        textures.ids[0] = solidTexture(GREEN);
        textures.ids[1] = makeTexture(2, 1, {255, 0, 0, 255, 0, 0, 255, 255}); // red | blue
        textures.ids[2] = makeTexture(1, 2, {0, 0, 255, 255, 255, 0, 0, 255}); // blue under red
        map.ready = 1;
    }
    void redraw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawMap(map, textures);
    }
};

} // namespace

TEST_F(MapRender, WallFacingTheCameraFillsTheViewOnlyWhenReady) {
    map.walls[0] = {0, 1, 'h', 5, 0, 10, 0, 2};
    map.wallCount = 1;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70, double(W) / H, 1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(500, 100, 130, 500, 200, 130, 0, 0, 1);

    redraw();
    EXPECT_EQ(readPixel(W / 2, H / 2), GREEN);
    map.ready = 0;
    redraw();
    EXPECT_EQ(readPixel(W / 2, H / 2), BACKGROUND);
}

TEST_F(MapRender, WallRepeatCountsCellsPerImage) {
    sideView();
    map.walls[0] = {1, 2, 'h', 5, 0, 3, 0, 2};
    map.wallCount = 1;
    redraw();
    // With repeat 2 the image spans 200 units: x = 128 lies in its right (blue) half.
    EXPECT_EQ(side(128, 100), BLUE);
    EXPECT_EQ(side(28, 100), RED);
    EXPECT_EQ(side(310, 100), BACKGROUND);
    EXPECT_EQ(side(128, 210), BACKGROUND);

    map.walls[0].repeat = 1; // one image per cell: x = 128 is a quarter into the second
    redraw();
    EXPECT_EQ(side(128, 100), RED);
    map.walls[0].repeat = 0; // read as 1
    redraw();
    EXPECT_EQ(side(128, 100), RED);
    EXPECT_EQ(side(178, 100), BLUE);
}

TEST_F(MapRender, RisenDoorIsDrawnBetweenItsRaisedEdgeAndTopWithItsImageCut) {
    sideView();
    map.doors[0] = {2, 'h', 5, 10, 0, 0, 2, 0, DOOR_STOPPED};
    map.doorCount = 1;
    redraw();
    EXPECT_EQ(side(500, 50), BLUE);
    EXPECT_EQ(side(500, 186), RED); // closed: the whole image

    map.doors[0].opening = 100;
    redraw();
    EXPECT_EQ(side(500, 50), BACKGROUND);
    EXPECT_EQ(side(500, 110), BLUE);
    EXPECT_EQ(side(500, 186), BLUE); // only the lower half of the image shows
    EXPECT_EQ(side(500, 210), BACKGROUND);
}

TEST_F(MapRender, TeleporterIsOneCellWideTwoHundredHighImageOnce) {
    sideView();
    map.teleporters[0] = {1, 'h', 2, 9, 0, 0, 0};
    map.teleporterCount = 1;
    redraw();
    // Its image starts at the far end (x = 300), so blue lies at the near end.
    EXPECT_EQ(side(228, 100), BLUE);
    EXPECT_EQ(side(278, 100), RED);
    EXPECT_EQ(side(190, 100), BACKGROUND);
    EXPECT_EQ(side(310, 100), BACKGROUND);
    EXPECT_EQ(side(250, 191), RED);
    EXPECT_EQ(side(250, 211), BACKGROUND);
}

TEST_F(MapRender, CeilingCoversItsRectangle) {
    topView(0, 400, 0, 300);
    map.ceilings[0] = {0, 1, 0, 1, 1, 3, 2};
    map.ceilingCount = 1;
    redraw();
    EXPECT_EQ(readPixel(80, 60), GREEN);       // (200, 150)
    EXPECT_EQ(readPixel(140, 60), BACKGROUND); // x = 350
    EXPECT_EQ(readPixel(80, 100), BACKGROUND); // y = 250
}

TEST_F(MapRender, HealthBoxShowsWhileAvailableAndVanishesWhenTaken) {
    topView(400, 500, 400, 500);
    map.healthBoxes[0] = {0, 4, 4, 0, 0};
    map.healthBoxCount = 1;
    redraw();
    EXPECT_EQ(readPixel(W / 2, H / 2), GREEN);
    EXPECT_EQ(readPixel(int(W * 0.32), H / 2), GREEN);      // x = 432
    EXPECT_EQ(readPixel(int(W * 0.28), H / 2), BACKGROUND); // x = 428
    map.healthBoxes[0].taken = 1;
    redraw();
    EXPECT_EQ(readPixel(W / 2, H / 2), BACKGROUND);
}

TEST_F(MapRender, ElementWithoutTextureIsDrawnInTheCurrentColour) {
    sideView();
    map.walls[0] = {7, 1, 'h', 5, 0, 10, 0, 2};   // texture number without an image
    map.walls[1] = {300, 1, 'h', 5, 0, 10, 0, 2}; // beyond the texture table
    map.wallCount = 2;
    glColor3f(1, 1, 0);
    redraw();
    glColor3f(1, 1, 1);
    EXPECT_EQ(side(500, 100), (Pixel{255, 255, 0}));
}

TEST_F(MapRender, BoxFillsItsScreenArea) {
    const GLuint texture = solidTexture(BLUE);
    topView(0, 40, 0, 40);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawBox(10, 10, 0, 30, 30, 10, 1, 1, texture);
    // Inside the square (10..30) on screen: pixels 40..120 across, 30..90 up.
    const int inside[][2] = {{42, 32}, {118, 32}, {80, 60}, {42, 88}, {118, 88}};
    for (const auto& p : inside)
        EXPECT_EQ(readPixel(p[0], p[1]), BLUE) << p[0] << "," << p[1];
    const int outside[][2] = {{37, 60}, {123, 60}, {80, 27}, {80, 93}};
    for (const auto& p : outside)
        EXPECT_EQ(readPixel(p[0], p[1]), BACKGROUND);

    // Seen from the side, its upright faces fill from z1 to z2.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 40, 0, 40, -5000, 5000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 0, 0, 1, 0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawBox(10, 10, 0, 30, 30, 10, 1, 1, texture);
    EXPECT_EQ(readPixel(80, 15), BLUE);       // z = 5
    EXPECT_EQ(readPixel(80, 33), BACKGROUND); // z = 11
}
