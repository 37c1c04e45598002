// Text and overlay drawn in a real window: glyph placement, colours, the message list.
#include "GlWindow.h"

#include "render/Texte.h"

#include <GL/glu.h>

#include <cstring>

namespace {

// 256 x 128 font image: every printable cell opaque white, the cell of 'A' red,
// the space cell transparent. Cell rows count from the top of the image.
GLuint makeFontTexture() {
    const int w = 256, h = 128;
    std::vector<uint8_t> rgba(w * h * 4, 0);
    for (int i = 0; i < 95; i++) {
        if (i == 0) continue;
        const int column = i % 16, row = i / 16;
        const bool isA = (i == 'A' - 32);
        for (int y = h - 16 * (row + 1); y < h - 16 * row; y++) {
            for (int x = 16 * column; x < 16 * (column + 1); x++) {
                uint8_t* p = &rgba[(y * w + x) * 4];
                p[0] = 255;
                p[1] = isA ? 0 : 255;
                p[2] = isA ? 0 : 255;
                p[3] = 255;
            }
        }
    }
    return makeTexture(w, h, rgba);
}

// A 320 x 240 window puts one pixel on two overlay units.
class TexteRender : public GlWindowTest {
  protected:
    void SetUp() override {
        GlWindowTest::SetUp();
        if (IsSkipped() || !reopen(320, 240)) GTEST_SKIP() << "no display";
        buildFont(makeFontTexture());
    }
    static Pixel at(int overlayX, int overlayY) { return readPixel(overlayX / 2, overlayY / 2); }
};

using Overlay = GlWindowTest;

void drawOverlaySquare(double x0, double y0, double x1, double y1) {
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex2d(x0, y0);
    glVertex2d(x1, y0);
    glVertex2d(x1, y1);
    glVertex2d(x0, y1);
    glEnd();
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
}

} // namespace

TEST_F(Overlay, OverlayCentreIsWindowCentreForAnySize) {
    const int sizes[][2] = {{160, 120}, {200, 100}, {96, 160}};
    for (const auto& size : sizes) {
        ASSERT_TRUE(reopen(size[0], size[1]));
        begin2D();
        drawOverlaySquare(312, 232, 328, 248);
        end2D();
        EXPECT_EQ(readPixel(size[0] / 2, size[1] / 2), RED) << size[0] << "x" << size[1];
        EXPECT_EQ(readPixel(size[0] / 4, size[1] / 4), BACKGROUND);
        // The origin is the bottom-left corner.
        glClear(GL_COLOR_BUFFER_BIT);
        begin2D();
        drawOverlaySquare(0, 0, 40, 40);
        end2D();
        EXPECT_EQ(readPixel(0, 0), RED);
        EXPECT_EQ(readPixel(size[0] - 1, size[1] - 1), BACKGROUND);
    }
}

TEST_F(Overlay, EndRestoresBothMatricesAndDepthTest) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70, 4.0 / 3.0, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(1, 2, 3);
    GLdouble projection[16], modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);

    begin2D();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    end2D();

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLdouble after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(after, projection, sizeof after), 0);
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::memcmp(after, modelview, sizeof after), 0);
}

TEST_F(TexteRender, GlyphSitsAtItsPositionAndUsesItsOwnCell) {
    begin2D();
    drawText(100, 100, "white", 1.0, "A");
    end2D();
    EXPECT_EQ(at(104, 108), RED); // only the cell of 'A' is red
    EXPECT_EQ(at(112, 114), RED);
    EXPECT_EQ(at(96, 108), BACKGROUND);
    EXPECT_EQ(at(120, 108), BACKGROUND);
    EXPECT_EQ(at(104, 120), BACKGROUND);
}

TEST_F(TexteRender, GlyphsAdvanceTenUnitsAndSkipUnprintables) {
    // Other display lists after the font must not be reached through stray bytes.
    const GLuint others = glGenLists(300);
    for (GLuint i = 0; i < 300; i++) {
        glNewList(others + i, GL_COMPILE);
        glTranslated(50, 0, 0);
        glEndList();
    }
    begin2D();
    drawText(100, 100, "white", 1.0, " B");
    drawText(100, 150, "white", 1.0,
             "\x01\x7f\xe9"
             "A");
    end2D();
    EXPECT_EQ(at(104, 108), BACKGROUND); // the space is transparent but advances
    EXPECT_EQ(at(122, 108), WHITE);
    EXPECT_EQ(at(104, 158), RED); // the unprintables took no room
}

TEST_F(TexteRender, ColourNamesTintAndWhiteIsRestored) {
    begin2D();
    drawText(20, 100, "blue", 1.0, "B");
    drawText(60, 100, "yellow", 1.0, "B");
    glColor3f(0, 1, 0);
    drawText(100, 100, "mauve", 1.0, "B"); // unknown name: current colour
    end2D();
    EXPECT_EQ(at(24, 108), BLUE);
    EXPECT_EQ(at(64, 108), (Pixel{255, 255, 0}));
    EXPECT_EQ(at(104, 108), GREEN);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
}

TEST_F(TexteRender, NewestMessageAtTheBottomOlderOnesClimb) {
    static Texte texte;
    texte.initMessages();
    texte.clock.tick(); // start the list's time now, not at process start
    texte.addMessage("B");
    begin2D();
    texte.drawMessages();
    end2D();
    EXPECT_EQ(at(14, 40), WHITE); // row 0: y = 30
    EXPECT_EQ(at(14, 62), BACKGROUND);

    texte.addMessage("B");
    glClear(GL_COLOR_BUFFER_BIT);
    begin2D();
    texte.drawMessages();
    end2D();
    EXPECT_EQ(at(14, 62), WHITE); // row 1: y = 50
    EXPECT_EQ(at(14, 84), BACKGROUND);
}

TEST_F(TexteRender, ChatLineShowsCursorAndKeepsPercentSigns) {
    static Texte texte;
    texte.initMessages();
    texte.openChat();
    begin2D();
    texte.drawMessages();
    end2D();
    EXPECT_EQ(at(14, 18), WHITE); // "|" alone at (10, 10)
    EXPECT_EQ(at(40, 18), BACKGROUND);

    for (int i = 0; i < 4; i++)
        texte.appendChat('%');
    glClear(GL_COLOR_BUFFER_BIT);
    begin2D();
    texte.drawMessages();
    end2D();
    // Five glyphs at scale 1.3 reach x = 82.8; read as a format they would stop at 56.8.
    EXPECT_EQ(at(76, 18), WHITE);
    EXPECT_EQ(at(88, 18), BACKGROUND);
}
