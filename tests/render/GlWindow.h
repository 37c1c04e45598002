// A real SDL OpenGL window for drawing tests, with the GL state the game sets at start-up,
// and small helpers to make textures and read pixels back.
#pragma once
#include <SDL.h>
#include <GL/gl.h>
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "platform/SoftwareRenderer.h"

#include <cstdint>
#include <vector>

struct Pixel {
    uint8_t r, g, b;
};

inline bool operator==(const Pixel& a, const Pixel& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

inline std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "(" << int(p.r) << "," << int(p.g) << "," << int(p.b) << ")";
}

constexpr Pixel BACKGROUND = {0, 0, 0}; // the clear colour of every test
constexpr Pixel BLACK = {0, 0, 0};
constexpr Pixel WHITE = {255, 255, 255};
constexpr Pixel RED = {255, 0, 0};
constexpr Pixel GREEN = {0, 255, 0};
constexpr Pixel BLUE = {0, 0, 255};

// Opens a window of the given size; false (and the test should skip) without a display.
inline bool openWindow(int w, int h) {
    platform::drawWithoutRendererThreads(); // as the game draws
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    if (SDL_SetVideoMode(w, h, 32, SDL_OPENGL) == nullptr) {
        SDL_Quit();
        return false;
    }
    // freeglut ends the process on a second glutInit, so only the first window does it.
    if (!glutGet(GLUT_INIT_STATE)) {
        int argc = 1;
        char name[] = "render_tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
    }
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

inline void closeWindow() {
    SDL_Quit();
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

// Each test gets a fresh 160 x 120 window (and GL context) of its own.
class GlWindowTest : public ::testing::Test {
  protected:
    static constexpr int W = 160;
    static constexpr int H = 120;

    void SetUp() override {
        opened_ = openWindow(W, H);
        if (!opened_) GTEST_SKIP() << "no display for an OpenGL window";
    }
    void TearDown() override {
        if (opened_) closeWindow();
    }
    // Replaces the window by one of another size.
    bool reopen(int w, int h) {
        closeWindow();
        opened_ = openWindow(w, h);
        return opened_;
    }

  private:
    bool opened_ = false;
};
