// Text and the overlay drawn in a real window (glyph placement, colours, the message list),
// and images turned into textures.
#include "RenderSupport.h"

#include "render/Texte.h"
#include "render/Texture.h"

namespace {

// An uncompressed 32-bit TGA, rows given top first, pixels as 0xRRGGBBAA.
std::string tga(int w, int h, const std::vector<uint32_t>& rgba) {
    std::string out(18, '\0');
    out[2] = 2; // true colour, no compression
    out[12] = char(w);
    out[14] = char(h);
    out[16] = 32;
    out[17] = 0x28; // 8 alpha bits, first row at the top
    for (uint32_t p : rgba)
        out += {char(p >> 8), char(p >> 16), char(p >> 24), char(p)}; // blue, green, red, alpha
    return out;
}

// 256 x 128 font image: every printable cell opaque white, the cell of 'A' red, the space
// cell transparent. Cell rows count from the top of the image.
GLuint makeFontTexture() {
    const int w = 256, h = 128;
    std::vector<uint8_t> rgba(w * h * 4, 0);
    for (int i = 1; i < 95; i++) {
        const int column = i % 16, row = i / 16;
        for (int y = h - 16 * (row + 1); y < h - 16 * row; y++) {
            for (int x = 16 * column; x < 16 * (column + 1); x++) {
                uint8_t* p = &rgba[(y * w + x) * 4];
                p[0] = p[3] = 255;
                p[1] = p[2] = i == 'A' - 32 ? 0 : 255;
            }
        }
    }
    return makeTexture(w, h, rgba);
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
    drawText(100, 150, "white", 1.0,
             "\x01\x7f\xe9"
             "A");
    drawText(20, 200, "blue", 1.0, "B");
    drawText(60, 200, "yellow", 1.0, "B");
    glColor3f(0, 1, 0);
    drawText(100, 200, "mauve", 1.0, "B"); // unknown name: current colour
    end2D();
    const struct {
        int x, y;
        Pixel seen;
    } points[] = {
        {104, 108, RED},   {112, 114, RED},
        {96, 108, BLACK},                     // only the cell of 'A' is red
        {104, 120, BLACK}, {118, 108, BLACK}, // the space is transparent but advances
        {124, 108, WHITE}, {138, 108, BLACK},
        {104, 158, RED}, // the unprintables took no room
        {24, 208, BLUE},   {64, 208, Pixel{255, 255, 0}},
        {104, 208, GREEN},
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
    drawn(texte);
    EXPECT_EQ(at(14, 62), WHITE); // row 1: y = 50
    EXPECT_EQ(at(14, 84), BLACK);

    texte.openChat();
    drawn(texte);
    EXPECT_EQ(at(14, 18), WHITE); // "|" alone at (10, 10)
    EXPECT_EQ(at(40, 18), BLACK);
    for (int i = 0; i < 4; i++)
        texte.appendChat('%');
    drawn(texte);
    // Five glyphs at scale 1.3 reach x = 82.8; read as a format they would stop at 56.8.
    EXPECT_EQ(at(76, 18), WHITE);
    EXPECT_EQ(at(88, 18), BLACK);
}

using Images = GlWindowTest;

TEST_F(Images, TexturesAreUploadedBottomRowFirstAndBadFilesGiveNone) {
    kit::TempFolder dir;
    const int w = 64, h = 32;
    std::vector<uint32_t> pixels(w * h, 0x00FF00FF); // green
    for (int x = 0; x < w; ++x) {
        pixels[x] = 0xFF0000FF;               // top row red
        pixels[(h - 1) * w + x] = 0x0000FFFF; // bottom row blue
    }
    dir.write("rows.tga", tga(w, h, pixels));
    for (bool mipmapped : {true, false}) {
        ASSERT_NE(loadTexture(dir.file("rows.tga").c_str(), mipmapped), 0u);
        std::vector<uint8_t> texels(w * h * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(std::vector<uint8_t>(texels.begin(), texels.begin() + 3),
                  std::vector<uint8_t>({0, 0, 255}))
            << "row 0 is blue, mipmapped " << mipmapped;
        EXPECT_EQ(texels[(h - 1) * w * 4], 255) << "the top row is last, mipmapped " << mipmapped;
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    }
    dir.write("broken.jpg", "not a picture at all");
    for (const std::string& bad : {dir.file("nothing.jpg"), dir.file("broken.jpg"), dir.file("")})
        EXPECT_EQ(loadTexture(bad.c_str(), true), 0u) << bad;
    SDL_Quit(); // no window: no texture, and no GL call without a context
    EXPECT_EQ(loadTexture(dir.file("rows.tga").c_str(), true), 0u);
}

} // namespace
