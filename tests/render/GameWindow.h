// The real game started in a window as its game thread starts it (window, GL state, the
// shipped images and font), as a client with no map, run from the shipped data folder.
#pragma once
#include "GlWindow.h"

#include "game/Frame.h"
#include "game/Jeu.h"
#include "net/Reseau.h"

#include "../support/StdoutCapture.h"
#include "../support/TempFolder.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

const char* const GAME_DATA = BV_SOURCE_DIR "/data";

struct GameSettings {
    int32_t width = 320;
    int32_t height = 240;
    int32_t fog = 0;
    int32_t visibility = 100;
};

class GameFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* display = getenv("DISPLAY");
        if (display == nullptr || display[0] == '\0') GTEST_SKIP() << "no X display";
        ASSERT_TRUE(inData_.ok());
        setenv("SDL_AUDIODRIVER", "dummy", 1); // no sound card needed, and quick
        start(initial);
    }
    void TearDown() override { stop(); }

    // Starts the game as a client (no map yet) in a window of that size, the local player
    // at (500, 300) looking along +y.
    void start(const GameSettings& s) {
        Options o;
        memset(&o, 0, sizeof o);
        fillDefaultOptions(o);
        o.width = s.width;
        o.height = s.height;
        o.fog = s.fog;
        o.visibility = s.visibility;
        o.colour = 3;
        w = s.width;
        h = s.height;
        stopRequested = 1;
        int32_t result = -1;
        platform::drawWithoutRendererThreads(); // as the game's main does
        startupOutput =
            testsupport::printedBy([&] { result = initGame(*jeu, o, "", -1, reseau.get()); });
        char driver[32] = "none";
        SDL_VideoDriverName(driver, sizeof driver);
        ASSERT_EQ(result, 0) << startupOutput << "video driver " << driver << ": "
                             << SDL_GetError();
        started_ = true;
        initPlayers(*jeu);
        Joueur& me = jeu->localPlayer;
        me.posX = 500;
        me.posY = 300;
        me.yaw = 90;
    }
    void stop() {
        if (!started_) return;
        jeu->son.closeSounds();
        SDL_Quit();
        started_ = false;
    }
    void restart(const GameSettings& s) {
        stop();
        start(s);
    }

    void frame() {
        jeu->texte.clock.tick(); // messages age from now, not from the process start
        renderFrame(*jeu);
    }
    // Pixel under an overlay point (640 x 480 units over the window).
    Pixel overlay(double x, double y) const {
        return readPixel(static_cast<int>(x * w / 640), static_cast<int>(y * h / 480));
    }
    // A wall of plain green across the view, 200 units ahead of the start position.
    void greenWallAhead() {
        jeu->mapTextures.ids[0] = solidTexture(GREEN);
        jeu->map.walls[0] = {0, 1, 'h', 5, 0, 10, 0, 2};
        jeu->map.wallCount = 1;
        jeu->map.ready = 1;
    }
    void useSolidPlayerTextures(Pixel p) {
        jeu->playerTextures[0] = solidTexture(p);
        jeu->playerTextures[1] = solidTexture(p);
    }

    GameSettings initial; // those SetUp starts with
    std::unique_ptr<Jeu> jeu{new Jeu()};
    std::unique_ptr<Reseau> reseau{new Reseau()}; // never started: a client
    std::string startupOutput;
    int w = 0, h = 0;

  private:
    testsupport::WorkingFolder inData_{GAME_DATA};
    bool started_ = false;
};
