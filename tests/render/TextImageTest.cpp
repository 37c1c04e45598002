// Text and the overlay drawn in a real window (glyph placement, colours, the message list),
// and images turned into textures.
#include "RenderSupport.h"

#include "media/Image.h"
#include "render/Texte.h"
#include "render/Texture.h"

namespace {

// 256 x 128 font image: every printable cell opaque white, the cell of 'A' red, the space
// cell transparent. Cell rows count from the top of the image.
GLuint makeFontTexture() {
    std::vector<uint8_t> rgba(256 * 128 * 4, 0);
    for (int y = 0; y < 128; y++) {
        for (int x = 0; x < 256; x++) {
            const int cell = (7 - y / 16) * 16 + x / 16;
            uint8_t* p = &rgba[(y * 256 + x) * 4];
            p[0] = p[3] = cell > 0 && cell < 95 ? 255 : 0;
            p[1] = p[2] = cell > 0 && cell < 95 && cell != 'A' - 32 ? 255 : 0;
        }
    }
    return makeTexture(256, 128, rgba);
}

// A 320 x 240 window puts one pixel on two overlay units.
struct TexteRender : GlWindowTest {
    void SetUp() override {
        GlWindowTest::SetUp();
        if (IsSkipped() || !reopen(320, 240)) GTEST_SKIP() << "no display";
        buildFont(makeFontTexture());
    }
    static Pixel at(int overlayX, int overlayY) { return readPixel(overlayX / 2, overlayY / 2); }
    static void drawn(Texte& texte) {
        glClear(GL_COLOR_BUFFER_BIT);
        begin2D();
        texte.drawMessages();
        end2D();
    }
};

TEST_F(TexteRender, GlyphsUseTheirCellAdvanceTenUnitsSkipUnprintablesAndTakeColours) {
    // Other display lists after the font must not be reached through stray bytes.
    const GLuint others = glGenLists(300);
    for (GLuint i = 0; i < 300; i++) {
        glNewList(others + i, GL_COMPILE);
        glTranslated(50, 0, 0);
        glEndList();
    }
    begin2D();
    drawText(100, 100, "white", 1.0, "A B");
    drawText(100, 150, "white", 1.0, "\x01\x7f\351A");
    drawText(20, 200, "blue", 1.0, "B");
    drawText(60, 200, "yellow", 1.0, "B");
    glColor3f(0, 1, 0);
    drawText(100, 200, "mauve", 1.0, "B");
    end2D();
    // Only the cell of 'A' is red; the space is transparent but advances; the unprintables
    // take no room; an unknown colour name leaves the current colour.
    const struct {
        int x, y;
        Pixel seen;
    } points[] = {
        {104, 108, RED},   {112, 114, RED},          {96, 108, BLACK},  {104, 120, BLACK},
        {118, 108, BLACK}, {124, 108, WHITE},        {138, 108, BLACK}, {104, 158, RED},
        {24, 208, BLUE},   {64, 208, {255, 255, 0}}, {104, 208, GREEN},
    };
    for (const auto& p : points)
        EXPECT_EQ(at(p.x, p.y), p.seen) << p.x << "," << p.y;
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<float>(colour, colour + 3), std::vector<float>(3, 1.0f));
}

TEST_F(TexteRender, NewestMessageAtTheBottomAndTheChatLineWithItsCursor) {
    static Texte texte;
    texte.initMessages();
    texte.clock.tick(); // start the list's time now, not at process start
    texte.addMessage("B");
    drawn(texte);
    EXPECT_EQ(at(14, 40), WHITE); // row 0: y = 30
    EXPECT_EQ(at(14, 62), BLACK);
    texte.addMessage("B");
    texte.openChat();
    for (int i = 0; i < 4; i++)
        texte.appendChat('%');
    drawn(texte);
    EXPECT_EQ(at(14, 62), WHITE); // row 1: y = 50
    EXPECT_EQ(at(14, 84), BLACK);
    // "%%%%|" from (10, 10) at scale 1.3 reaches x = 82.8; read as a format, 56.8.
    EXPECT_EQ(at(76, 18), WHITE);
    EXPECT_EQ(at(88, 18), BLACK);
}

using Images = GlWindowTest;

TEST_F(Images, TexturesAreUploadedBottomRowFirstAndBadFilesGiveNone) {
    kit::TempFolder dir;
    const int w = 64, h = 32;
    std::vector<uint8_t> rgba; // rows from the top: red, then green, the last blue
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            rgba.insert(rgba.end(), {uint8_t(y == 0 ? 255 : 0), uint8_t(y % (h - 1) ? 255 : 0),
                                     uint8_t(y == h - 1 ? 255 : 0), 255});
    const std::string rows = dir.file("rows.bmp");
    ASSERT_EQ(saveBmp(rows.c_str(), Image{w, h, rgba.data()}), 0);
    for (bool mipmapped : {true, false}) {
        ASSERT_NE(loadTexture(rows.c_str(), mipmapped), 0u);
        std::vector<uint8_t> t(w * h * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.data());
        const size_t top = size_t(h - 1) * w * 4; // the last row uploaded
        EXPECT_EQ((Pixel{t[0], t[1], t[2]}), BLUE) << "mipmapped " << mipmapped;
        EXPECT_EQ((Pixel{t[top], t[top + 1], t[top + 2]}), RED) << "mipmapped " << mipmapped;
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    }
    dir.write("broken.jpg", "not a picture at all");
    for (const std::string& bad : {dir.file("nothing.jpg"), dir.file("broken.jpg"), dir.file("")})
        EXPECT_EQ(loadTexture(bad.c_str(), true), 0u) << bad;
    platform::stopVideo(); // no window: no texture, and no GL call without a context
    EXPECT_EQ(loadTexture(rows.c_str(), true), 0u);
}

} // namespace
