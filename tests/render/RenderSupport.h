// A real OpenGL window for drawing tests, with the GL state the game sets; pixels read back.
#pragma once
#include <SDL.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/SoftwareRenderer.h"
#include "platform/Window.h"
#include "render/GlState.h"

#include "../support/StdoutCapture.h"
#include "kit/TempFolder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

struct Pixel {
    uint8_t r, g, b;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << ")";
}

constexpr Pixel BLACK = {0, 0, 0}; // also the clear colour of the bare window
constexpr Pixel WHITE = {255, 255, 255};
constexpr Pixel RED = {255, 0, 0};
constexpr Pixel GREEN = {0, 255, 0};
constexpr Pixel BLUE = {0, 0, 255};

inline bool near(Pixel a, Pixel b, int tolerance = 1) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// A w x h RGBA texture, rows bottom first, sampled without filtering.
inline GLuint makeTexture(int w, int h, const std::vector<uint8_t>& rgba) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

inline GLuint solidTexture(Pixel p) {
    return makeTexture(1, 1, {p.r, p.g, p.b, 255});
}

inline Pixel readPixel(int x, int y) {
    glFinish();
    uint8_t rgba[4] = {0, 0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

// Each test gets a fresh window (and GL context) of its own, 160 x 120 unless reopened,
// cleared black, with depth test, texturing and blending on as the game has them.
class GlWindowTest : public ::testing::Test {
  protected:
    static constexpr int W = 160;
    static constexpr int H = 120;

    void SetUp() override {
        if (!reopen(W, H)) GTEST_SKIP() << "no display for an OpenGL window";
    }
    void TearDown() override { platform::stopVideo(); }
    bool reopen(int w, int h) {
        platform::stopVideo();
        platform::drawWithoutRendererThreads(); // as the game draws
        if (platform::startVideo() != 0 || platform::openGlWindow(w, h) != 0) return false;
        initGlutOnce();
        glViewport(0, 0, w, h);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
        return true;
    }
};
