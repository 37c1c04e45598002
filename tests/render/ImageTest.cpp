// Texture loading and the image utilities, against a real GL window and the shipped images.
#include "media/Image.h"
#include "platform/Window.h"
#include "render/Texture.h"

#include "GlWindow.h"
#include "../support/TempFolder.h"

#include <SDL.h>
#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const std::string kData = std::string(BV_SOURCE_DIR) + "/data/";

// An uncompressed 32-bit TGA, rows given top first; `rgba` holds w * h pixels.
std::string tga(int w, int h, const std::vector<uint32_t>& rgba) {
    std::string out(18, '\0');
    out[2] = 2; // true colour, no compression
    out[12] = static_cast<char>(w & 0xFF);
    out[13] = static_cast<char>(w >> 8);
    out[14] = static_cast<char>(h & 0xFF);
    out[15] = static_cast<char>(h >> 8);
    out[16] = 32;
    out[17] = 0x28; // 8 alpha bits, first row at the top
    for (uint32_t p : rgba) {
        out += static_cast<char>((p >> 8) & 0xFF);  // blue
        out += static_cast<char>((p >> 16) & 0xFF); // green
        out += static_cast<char>((p >> 24) & 0xFF); // red
        out += static_cast<char>(p & 0xFF);         // alpha
    }
    return out;
}

// Level 0 of the bound texture, rows as GL holds them (row 0 is t = 0).
std::vector<uint8_t> boundTexels(int& w, int& h) {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> texels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

const uint8_t* texel(const std::vector<uint8_t>& texels, int w, int x, int y) {
    return &texels[(static_cast<size_t>(y) * w + x) * 4];
}

using ImageTest = GlWindowTest;

TEST(ImageWithoutWindow, LoadTextureGivesZeroAndTouchesNoGl) {
    ASSERT_EQ(SDL_GetVideoSurface(), nullptr);
    EXPECT_EQ(loadTexture((kData + "donnees/arme/reticule.gif").c_str(), true), 0u);
    EXPECT_EQ(loadTexture(nullptr, false), 0u);
    EXPECT_EQ(saveScreenshot("/tmp/never-written.bmp"), -1);
}

TEST_F(ImageTest, FirstTextureRowIsTheImagesBottomRow) {
    testsupport::TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const int w = 64, h = 32;
    std::vector<uint32_t> pixels(w * h, 0x00FF00FF); // green
    for (int x = 0; x < w; ++x) {
        pixels[x] = 0xFF0000FF;               // top row red
        pixels[(h - 1) * w + x] = 0x0000FFFF; // bottom row blue
    }
    dir.write("rows.tga", tga(w, h, pixels));
    for (bool mipmapped : {true, false}) {
        const uint32_t name = loadTexture(dir.file("rows.tga").c_str(), mipmapped);
        ASSERT_NE(name, 0u);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<uint32_t>(bound), name) << "the new texture stays bound";
        int tw = 0, th = 0;
        const std::vector<uint8_t> texels = boundTexels(tw, th);
        ASSERT_EQ(tw, w);
        ASSERT_EQ(th, h);
        const uint8_t* first = texel(texels, tw, 5, 0);
        const uint8_t* last = texel(texels, tw, 5, th - 1);
        EXPECT_EQ(first[2], 255) << "row 0 is blue, mipmapped=" << mipmapped;
        EXPECT_EQ(first[0], 0);
        EXPECT_EQ(last[0], 255) << "the top row is last, mipmapped=" << mipmapped;
        EXPECT_EQ(last[2], 0);
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    }
}

TEST_F(ImageTest, MissingOrBrokenFilesGiveZero) {
    testsupport::TempFolder dir;
    ASSERT_TRUE(dir.ok());
    dir.write("broken.jpg", "not a picture at all");
    EXPECT_EQ(loadTexture(dir.file("nothing.jpg").c_str(), true), 0u);
    EXPECT_EQ(loadTexture(dir.file("broken.jpg").c_str(), true), 0u);
    EXPECT_EQ(loadTexture(dir.path(), false), 0u); // a folder
}

TEST_F(ImageTest, ShippedImagesLoadWithBackslashPaths) {
    const char* images[] = {"donnees\\joueur\\j1.jpg", "donnees\\joueur\\j2.jpg",
                            "donnees\\arme\\reticule.gif", "donnees\\police\\police.tga",
                            "donnees\\textures\\mur_brique.jpg"};
    for (const char* image : images)
        EXPECT_NE(loadTexture((kData + image).c_str(), true), 0u) << image;
}

TEST_F(ImageTest, ReticleIsTransparentAroundItsSight) {
    ASSERT_NE(loadTexture((kData + "donnees/arme/reticule.gif").c_str(), true), 0u);
    int w = 0, h = 0;
    const std::vector<uint8_t> texels = boundTexels(w, h);
    ASSERT_EQ(w, 64);
    ASSERT_EQ(h, 64);
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {8, 40}})
        EXPECT_EQ(texel(texels, w, x, y)[3], 0) << x << "," << y;
    const uint8_t* centre = texel(texels, w, 32, 32);
    EXPECT_EQ(centre[3], 255);
    EXPECT_GT(centre[0], 200) << "the sight is white in the middle";
}

TEST_F(ImageTest, FontCellsHoldWhiteInkOnTransparency) {
    ASSERT_NE(loadTexture((kData + "donnees/police/police.tga").c_str(), false), 0u);
    int w = 0, h = 0;
    const std::vector<uint8_t> texels = boundTexels(w, h);
    ASSERT_EQ(w % 16, 0);
    ASSERT_EQ(h % 8, 0);
    const int cw = w / 16, ch = h / 8;
    // Cell of character c, counted from the image's top; GL rows run bottom up.
    auto inkIn = [&](int c, int x0, int x1) {
        const int i = c - 32, col = i % 16, row = i / 16;
        int ink = 0;
        for (int y = 0; y < ch; ++y)
            for (int x = col * cw + x0; x < col * cw + x1; ++x)
                if (texel(texels, w, x, h - 1 - (row * ch + y))[3] > 128) ++ink;
        return ink;
    };
    EXPECT_EQ(inkIn(' ', 0, cw), 0);
    for (char c : std::string("AMW@gq|}~0")) {
        EXPECT_GT(inkIn(c, 0, cw), cw * ch / 20) << c;
        // Glyphs advance by 10/16 of a cell: ink beyond that would be overdrawn.
        EXPECT_EQ(inkIn(c, cw * 11 / 16, cw), 0) << c;
    }
}

TEST_F(ImageTest, ScreenshotIsWrittenTopRowFirst) {
    testsupport::TempFolder dir;
    ASSERT_TRUE(dir.ok());
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor3f(1, 0, 0); // top half red
    glVertex2f(0, 0.5f);
    glVertex2f(1, 0.5f);
    glVertex2f(1, 1);
    glVertex2f(0, 1);
    glColor3f(0, 0, 1); // bottom half blue
    glVertex2f(0, 0);
    glVertex2f(1, 0);
    glVertex2f(1, 0.5f);
    glVertex2f(0, 0.5f);
    glEnd();
    glFinish();
    ASSERT_EQ(saveScreenshot(dir.file("shot.bmp").c_str()), 0);
    SDL_Surface* shot = SDL_LoadBMP(dir.file("shot.bmp").c_str());
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->w, W);
    EXPECT_EQ(shot->h, H);
    auto colourAt = [&](int x, int y) {
        Uint32 p = 0;
        SDL_LockSurface(shot);
        memcpy(&p,
               static_cast<const Uint8*>(shot->pixels) + y * shot->pitch +
                   x * shot->format->BytesPerPixel,
               shot->format->BytesPerPixel);
        SDL_UnlockSurface(shot);
        Uint8 r, g, b;
        SDL_GetRGB(p, shot->format, &r, &g, &b);
        return Pixel{r, g, b};
    };
    EXPECT_EQ(colourAt(3, 2), RED);
    EXPECT_EQ(colourAt(3, H - 3), BLUE);
    SDL_FreeSurface(shot);
    EXPECT_EQ(saveScreenshot(dir.file("no/such/folder/shot.bmp").c_str()), -1);
}

TEST_F(ImageTest, AxesAreDrawnAndTheGlStateIsRestored) {
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    drawAxes(0.8);
    const Pixel onX = readPixel(W / 2 + W / 4, H / 2);
    const Pixel onY = readPixel(W / 2, H / 2 + H / 4);
    EXPECT_GT(onX.r, 100);
    EXPECT_LT(onX.g, 60);
    EXPECT_GT(onY.g, 100);
    EXPECT_LT(onY.r, 60);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "texturing is back on";
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 1.0f) << "the caller's colour is restored";
}

TEST_F(ImageTest, XpmSourceOfATenPixelWideImage) {
    testsupport::TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const uint32_t k = 0x000000FF, w = 0xFFFFFFFF, o = 0x10101000, g = 0x808080FF;
    // X for dark opaque pixels, '.' for light ones, a blank where alpha is below 128.
    dir.write("small.tga", tga(10, 2, {k, w, o, k, g, o, o, k, w, k, //
                                       w, w, w, w, w, w, w, w, w, 0x202020FF}));
    const std::string out = dir.file("small.c");
    ASSERT_EQ(writeXpmSource(dir.file("small.tga").c_str(), out.c_str()), 0);
    const std::string expected = "const char *" + dir.file("small") +
                                 "[] =\n"
                                 "\t{\n"
                                 "\t\t/* width height num_colors chars_per_pixel */\n"
                                 "\t\t\" 16 2 3 1 \",\n"
                                 "\t\t/* colors */\n"
                                 "\t\t\"X c #000000\",\n"
                                 "\t\t\". c #ffffff\",\n"
                                 "\t\t\"  c None\",\n"
                                 "\t\t/* pixels */\n"
                                 "\t\t\"X. X.  X.X      \",\n"
                                 "\t\t\".........X      \",\n"
                                 "\t\t\"0,0\"\n"
                                 "\t};\n";
    EXPECT_EQ(dir.read("small.c"), expected);
    EXPECT_EQ(writeXpmSource(dir.file("missing.tga").c_str(), out.c_str()), -1);
}

TEST_F(ImageTest, CursorFromXpmText) {
    const char* arrow[] = {" 8 3 3 1 ", "X c #000000", ". c #ffffff", "  c None",
                           "X.      ",  "XX.     ",    "X       ",    "1,0"};
    SDL_Cursor* cursor = platform::cursorFromXpm(arrow);
    ASSERT_NE(cursor, nullptr);
    SDL_FreeCursor(cursor);

    const char* oddWidth[] = {" 10 1 3 1 ", "X c #000000", ". c #ffffff", "  c None", "X", "0,0"};
    EXPECT_EQ(platform::cursorFromXpm(oddWidth), nullptr);
    const char* shortList[] = {" 8 4 3 1 ", "X c #000000", ". c #ffffff", "  c None", "X", nullptr};
    EXPECT_EQ(platform::cursorFromXpm(shortList), nullptr) << "rows missing";
    const char* noSize[] = {"sixteen", nullptr};
    EXPECT_EQ(platform::cursorFromXpm(noSize), nullptr);
    EXPECT_EQ(platform::cursorFromXpm(nullptr), nullptr);
}

} // namespace
