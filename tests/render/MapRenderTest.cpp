// The map's elements drawn in a real window and read back pixel by pixel.
#include "RenderSupport.h"

#include "map/Map.h"
#include "render/MapRender.h"

#include <GL/glu.h>

namespace {

Map map; // too big for the stack
TexturesMap textures;

void view(double x0, double x1, double y0, double y1, bool side) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(x0, x1, y0, y1, -5000, 5000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (side) gluLookAt(0, 0, 0, 0, 1, 0, 0, 0, 1);
}

struct MapRender : GlWindowTest {
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
        // Looking along +y: screen x is world x from 0 to 1000, screen y is height 0 to 300.
        view(0, 1000, 0, 300, true);
    }
    void redraw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawMap(map, textures);
    }
    // Pixel of a side-view point.
    static Pixel side(double x, double z) { return readPixel(int(x * 0.16), int(z * 0.4)); }
};

TEST_F(MapRender, WallFacingTheCameraIsDrawnOnlyWhenReadyAndUntexturedInTheCurrentColour) {
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
    EXPECT_EQ(readPixel(W / 2, H / 2), BLACK);

    map.ready = 1;
    map.walls[0].texture = 7;                     // a number without an image
    map.walls[1] = {300, 1, 'h', 5, 0, 10, 0, 2}; // beyond the texture table
    map.wallCount = 2;
    glColor3f(1, 1, 0);
    redraw();
    glColor3f(1, 1, 1);
    EXPECT_EQ(readPixel(W / 2, H / 2), (Pixel{255, 255, 0}));
}

TEST_F(MapRender, WallRepeatCountsCellsPerImage) {
    map.walls[0] = {1, 2, 'h', 5, 0, 3, 0, 2};
    map.wallCount = 1;
    const struct {
        int32_t repeat;
        double x, z;
        Pixel seen;
    } cases[] = {
        {2, 128, 100, BLUE}, // the image spans 200 units: x = 128 is in its right half
        {2, 28, 100, RED},    {2, 310, 100, BLACK},
        {2, 128, 210, BLACK}, {1, 128, 100, RED},  // one image per cell: a quarter into the second
        {0, 128, 100, RED},   {0, 178, 100, BLUE}, // 0 is read as 1
    };
    for (const auto& c : cases) {
        map.walls[0].repeat = c.repeat;
        redraw();
        EXPECT_EQ(side(c.x, c.z), c.seen) << c.repeat << ": " << c.x << "," << c.z;
    }
}

TEST_F(MapRender, RisenDoorShowsTheLowerPartOfItsImageAboveItsRaisedEdge) {
    map.doors[0] = {2, 'h', 5, 10, 0, 0, 2, 0, DOOR_STOPPED};
    map.doorCount = 1;
    const struct {
        int32_t opening;
        double z;
        Pixel seen;
    } cases[] = {{0, 50, BLUE},    {0, 186, RED}, // closed: the whole image
                 {100, 50, BLACK}, {100, 110, BLUE}, {100, 186, BLUE}, {100, 210, BLACK}};
    for (const auto& c : cases) {
        map.doors[0].opening = c.opening;
        redraw();
        EXPECT_EQ(side(500, c.z), c.seen) << c.opening << " at " << c.z;
    }
}

TEST_F(MapRender, TeleporterIsOneCellWideTwoHundredHighImageOnce) {
    map.teleporters[0] = {1, 'h', 2, 9, 0, 0, 0};
    map.teleporterCount = 1;
    redraw();
    // Its image starts at the far end (x = 300), so blue lies at the near end.
    const struct {
        double x, z;
        Pixel seen;
    } points[] = {{228, 100, BLUE},  {278, 100, RED}, {190, 100, BLACK},
                  {310, 100, BLACK}, {250, 191, RED}, {250, 211, BLACK}};
    for (const auto& p : points)
        EXPECT_EQ(side(p.x, p.z), p.seen) << p.x << "," << p.z;
}

TEST_F(MapRender, CeilingsAndHealthBoxesCoverTheirSquaresSeenFromAbove) {
    view(0, 400, 0, 300, false);
    map.ceilings[0] = {0, 1, 0, 1, 1, 3, 2};
    map.ceilingCount = 1;
    redraw();
    EXPECT_EQ(readPixel(80, 60), GREEN);  // (200, 150)
    EXPECT_EQ(readPixel(140, 60), BLACK); // x = 350
    EXPECT_EQ(readPixel(80, 100), BLACK); // y = 250

    map.ceilingCount = 0;
    view(400, 500, 400, 500, false);
    map.healthBoxes[0] = {0, 4, 4, 0, 0};
    map.healthBoxCount = 1;
    redraw();
    EXPECT_EQ(readPixel(W / 2, H / 2), GREEN);
    EXPECT_EQ(readPixel(int(W * 0.32), H / 2), GREEN); // x = 432
    EXPECT_EQ(readPixel(int(W * 0.28), H / 2), BLACK); // x = 428
    map.healthBoxes[0].taken = 1;
    redraw();
    EXPECT_EQ(readPixel(W / 2, H / 2), BLACK);
}

} // namespace
