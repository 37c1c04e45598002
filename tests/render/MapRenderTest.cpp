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
        textures = {};
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

TEST_F(MapRender, WallsDoorsAndTeleportersSeenFromTheSide) {
    map.walls[0] = {1, 2, 'h', 5, 0, 3, 0, 2};
    map.doors[0] = {2, 'h', 5, 10, 0, 0, 2, 0, DOOR_STOPPED};
    map.teleporters[0] = {1, 'h', 2, 9, 0, 0, 0};
    // At repeat 2 the wall's image spans 200 units, so x = 128 is in its right half; at 1
    // (and 0, read as 1) it is a quarter into the second image. A map not ready draws nothing;
    // a wall whose image number has no image, or lies beyond the table, takes the current
    // colour. Closed, the door shows its whole image; risen, the image's lower part above its
    // raised edge. The teleporter is one cell wide and 200 high, its image once from the far
    // end (x = 300): blue at the near end.
    const struct {
        char element; // 'w'all of this repeat, 'u'nready map, wall of this 'i'mage, 'd'oor
                      // risen by this much, 't'eleporter
        int32_t value;
        double x, z;
        Pixel seen;
    } cases[] = {
        {'w', 2, 128, 100, BLUE},    {'w', 2, 28, 100, RED},     {'w', 2, 310, 100, BLACK},
        {'w', 2, 128, 210, BLACK},   {'w', 1, 128, 100, RED},    {'w', 0, 128, 100, RED},
        {'w', 0, 178, 100, BLUE},    {'u', 2, 128, 100, BLACK},  {'i', 7, 128, 100, WHITE},
        {'i', 300, 128, 100, WHITE}, {'d', 0, 500, 50, BLUE},    {'d', 0, 500, 186, RED},
        {'d', 100, 500, 50, BLACK},  {'d', 100, 500, 110, BLUE}, {'d', 100, 500, 186, BLUE},
        {'d', 100, 500, 210, BLACK}, {'t', 0, 228, 100, BLUE},   {'t', 0, 278, 100, RED},
        {'t', 0, 190, 100, BLACK},   {'t', 0, 310, 100, BLACK},  {'t', 0, 250, 191, RED},
        {'t', 0, 250, 211, BLACK},
    };
    for (const auto& c : cases) {
        map.ready = c.element != 'u';
        map.wallCount = c.element == 'w' || c.element == 'u' || c.element == 'i';
        map.doorCount = c.element == 'd';
        map.teleporterCount = c.element == 't';
        map.walls[0].texture = c.element == 'i' ? c.value : 1;
        map.walls[0].repeat = c.element == 'i' ? 2 : c.value;
        map.doors[0].opening = c.value;
        redraw();
        EXPECT_EQ(side(c.x, c.z), c.seen) << c.element << c.value << " at " << c.x << "," << c.z;
    }
}

TEST_F(MapRender, WhatLiesBehindASeeThroughWallShowsThroughWhateverTheFileOrder) {
    // The near wall (listed first) is see-through on its left half and red on its right;
    // the far one is green. Opaque walls of either order hide what lies behind them.
    textures.ids[3] = makeTexture(2, 1, {0, 0, 0, 0, 255, 0, 0, 255});
    map.walls[0] = {3, 2, 'h', 3, 0, 2, 0, 2};
    map.walls[1] = {0, 1, 'h', 5, 0, 3, 0, 2};
    map.wallCount = 2;
    for (bool seeThrough : {true, false}) {
        textures.seeThrough[3] = seeThrough;
        redraw();
        EXPECT_EQ(side(50, 100), seeThrough ? GREEN : BLACK) << seeThrough;
        EXPECT_EQ(side(150, 100), RED);
        EXPECT_EQ(side(250, 100), GREEN);
    }
}

TEST_F(MapRender, CeilingsAndHealthBoxesCoverTheirSquaresSeenFromAbove) {
    view(0, 500, 0, 500, false);
    map.ceilings[0] = {0, 1, 0, 1, 1, 3, 2};
    map.ceilingCount = 1;
    map.healthBoxes[0] = {0, 4, 4, 0, 0};
    map.healthBoxCount = 1;
    redraw();
    // The ceiling covers (200, 150) but not x = 350 or y = 250; the box at (450, 450) reaches
    // x = 432, not 428.
    const struct {
        double x, y;
        Pixel seen;
    } points[] = {{200, 150, GREEN}, {350, 150, BLACK}, {200, 250, BLACK},
                  {450, 450, GREEN}, {432, 450, GREEN}, {428, 450, BLACK}};
    for (const auto& p : points)
        EXPECT_EQ(readPixel(int(p.x * 0.32), int(p.y * 0.24)), p.seen) << p.x << "," << p.y;
    map.healthBoxes[0].taken = 1;
    redraw();
    EXPECT_EQ(readPixel(144, 108), BLACK);
}

} // namespace
