// Whole frames of the game, started in a window as its game thread starts it and read back
// pixel by pixel: fog grey, camera and far plane, walls, player tints, damage flash, reticle
// and health bar; and the textures a failed map lets go.
#include "RenderSupport.h"

#include "game/Frame.h"
#include "game/Jeu.h"
#include "net/Reseau.h"

#include <algorithm>
#include <memory>

namespace {

constexpr Pixel FOG_GREY = {179, 179, 179}; // the game's clear colour, 0.7

struct GameSettings {
    int32_t width = 320, height = 240, fog = 0, visibility = 100;
};

// The real game started as a client with no map, from the shipped data folder, the local
// player at (500, 300) looking along +y.
class Frame : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* display = getenv("DISPLAY");
        if (display == nullptr || display[0] == '\0') GTEST_SKIP() << "no X display";
        ASSERT_TRUE(inData_.ok());
        setenv("SDL_AUDIODRIVER", "dummy", 1); // no sound card needed, and quick
        start(GameSettings());
    }
    void TearDown() override { stop(); }
    void start(const GameSettings& s) {
        Options o;
        memset(&o, 0, sizeof o);
        fillDefaultOptions(o);
        o.width = w = s.width;
        o.height = h = s.height;
        o.fog = s.fog;
        o.visibility = s.visibility;
        o.colour = 3;
        stopRequested = 1;
        int32_t result = -1;
        platform::drawWithoutRendererThreads(); // as the game's main does
        startup = kit::printedBy([&] { result = initGame(*jeu, o, "", -1, reseau.get()); });
        ASSERT_EQ(result, 0) << startup << SDL_GetError();
        started_ = true;
        initPlayers(*jeu);
        jeu->localPlayer.posX = 500;
        jeu->localPlayer.posY = 300;
        jeu->localPlayer.yaw = 90;
    }
    void stop() {
        if (started_) jeu->son.closeSounds(), SDL_Quit();
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
        return readPixel(int(x * w / 640), int(y * h / 480));
    }
    // A wall of plain green across the view, 200 units ahead of the start position.
    void greenWallAhead() {
        jeu->mapTextures.ids[0] = solidTexture(GREEN);
        jeu->map.walls[0] = {0, 1, 'h', 5, 0, 10, 0, 2};
        jeu->map.wallCount = 1;
        jeu->map.ready = 1;
    }

    std::unique_ptr<Jeu> jeu{new Jeu()};
    std::unique_ptr<Reseau> reseau{new Reseau()}; // never started: a client
    std::string startup;
    int w = 0, h = 0;

  private:
    kit::WorkingFolder inData_{BV_SOURCE_DIR "/data"};
    bool started_ = false;
};

TEST_F(Frame, StartUpReportsEachStepAndTheEmptyViewIsFogGreyWithTheSight) {
    EXPECT_EQ(startup.substr(0, startup.find("Initialisation des sons\n")),
              "\nInitialisation de SDL\nChangement du titre de la fenetre\n"
              "Initialisation d'opengl\nChargement des texture des joueurs...\n"
              "donnees\\joueur\\j1.jpg\ndonnees\\joueur\\j2.jpg\n"
              "Chargement des texture de l'arme...\ndonnees\\arme\\reticule.gif\n"
              "Initialisation du texte...\ndonnees\\police\\police.tga\n"
              "Chargement de la map...\n");
    frame(); // the shipped sight: 20 x 20 pixels around the centre, transparent at its corners
    auto notGrey = [](Pixel p) { return !near(p, FOG_GREY); };
    EXPECT_TRUE(near(readPixel(w - 20, h - 40), FOG_GREY)) << readPixel(w - 20, h - 40);
    EXPECT_GT(countPixels(150, 110, 170, 130, notGrey), 40);
    EXPECT_EQ(countPixels(140, 100, 180, 108, notGrey) + countPixels(140, 132, 180, 140, notGrey),
              0);
}

TEST_F(Frame, HudKeepsItsPlaceOnAnyWindowAndTheFlashStaysUnderIt) {
    // 75 points reach 160 of 640, that is pixel 80 of 320; dead, no bar, not even leftwards.
    for (double health : {75.0, 0.0, -30.0}) {
        jeu->localPlayer.health = health;
        frame();
        for (int x : {3, 6, 79, 81})
            EXPECT_EQ(readPixel(x, 230).g == 0, health > 0 && x > 3 && x < 80)
                << health << " " << x;
    }
    for (const GameSettings& size : {GameSettings{320, 240}, GameSettings{200, 100}}) {
        ASSERT_NO_FATAL_FAILURE(restart(size));
        jeu->reticleTexture = solidTexture(GREEN);
        jeu->localPlayer.health = 100;
        jeu->localPlayer.damageFlash = 0.5; // blended by its strength
        frame();
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        // The 40 x 40 reticle around the centre (320, 240); a margin of 1.5 pixels.
        const double mx = 1.5 * 640 / w, my = 1.5 * 480 / h;
        for (double x : {300 + mx, 340 - mx})
            for (double y : {220 + my, 260 - my})
                EXPECT_EQ(overlay(x, y), GREEN) << x << "," << y;
        // The bar at 100 points: from x = 10 to 210, y = 450 to 470, red to blue.
        const Pixel left = overlay(10 + mx, 460), right = overlay(210 - mx, 460);
        EXPECT_TRUE(left.r > 200 && left.g == 0 && left.b < 40) << left;
        EXPECT_TRUE(right.r < 10 && right.g == 0 && right.b > 240) << right;
        const Pixel flash = {217, 89, 89};
        for (auto [x, y] : {std::pair{300 - mx, 240.0},
                            {340 + mx, 240},
                            {320, 220 - my},
                            {320, 260 + my},
                            {210 + mx, 460},
                            {10 - mx, 460},
                            {80, 470 + my}})
            EXPECT_TRUE(near(overlay(x, y), flash, 2)) << x << "," << y << overlay(x, y);
    }
}

TEST_F(Frame, CameraLooksFromTheEyeAlongTheYawToTheFarPlaneThroughTheFog) {
    greenWallAhead();
    frame();
    EXPECT_EQ(readPixel(220, 150), GREEN);
    EXPECT_TRUE(near(readPixel(100, 230), FOG_GREY)) << "above the wall's top";
    const struct {
        double yaw, pitch, y;
        int32_t visibility;
        Pixel wall;
    } views[] = {
        {90, 0, 300, 100, GREEN},     {270, 0, 300, 100, FOG_GREY}, // the wall is behind
        {90, 60, 300, 100, FOG_GREY},                               // looking up over it
        {90, 0, 250, 1, FOG_GREY},                                  // 250 away, beyond 200
        {90, 0, 350, 1, GREEN},
    };
    for (const auto& v : views) {
        jeu->localPlayer.yaw = v.yaw;
        jeu->localPlayer.pitch = v.pitch;
        jeu->localPlayer.posY = v.y;
        jeu->options.visibility = v.visibility;
        frame();
        EXPECT_TRUE(near(readPixel(100, 140), v.wall)) << v.yaw << " " << v.pitch << " " << v.y;
    }
    // Linear fog from 10 to 300; 200 units away: (300 - 200) / 290 of the wall, the rest grey.
    ASSERT_NO_FATAL_FAILURE(restart({320, 240, 1, 3}));
    greenWallAhead();
    for (auto [y, seen] : {std::pair{300.0, Pixel{117, 205, 117}}, {480, Pixel{6, 253, 6}}}) {
        jeu->localPlayer.posY = y;
        frame();
        EXPECT_TRUE(near(readPixel(100, 140), seen, 4)) << y << readPixel(100, 140);
    }
}

TEST_F(Frame, PlayerModelsAreTintedByTheirColour) {
    jeu->playerTextures[0] = jeu->playerTextures[1] = solidTexture(WHITE);
    Joueur& other = jeu->remotePlayers[1];
    other.posX = other.posY = 500;
    const struct {
        int32_t colour;
        Pixel tint;
    } cases[] = {{1, {255, 77, 77}},  {2, {77, 77, 255}}, {3, WHITE},
                 {7, {77, 255, 255}}, {0, {77, 77, 77}},  {42, WHITE}};
    for (const auto& c : cases) {
        other.state = PLAYER_PRESENT;
        other.colour = jeu->localPlayer.colour = c.colour; // its own arms, low on both sides
        frame();
        for (auto [x, y] : {std::pair{160, 80}, {40, 50}, {280, 50}})
            EXPECT_TRUE(near(readPixel(x, y), c.tint, 2)) << c.colour << readPixel(x, y);
        EXPECT_TRUE(near(readPixel(120, 80), FOG_GREY)) << "the body is 34 units wide";
    }
    other.state = PLAYER_ABSENT; // and the arms leave the middle free
    frame();
    EXPECT_TRUE(near(readPixel(160, 80), FOG_GREY) && near(readPixel(160, 50), FOG_GREY));
}

TEST_F(Frame, AFailedMapLetsGoOfTheTexturesItLoaded) {
    auto liveTextures = [] {
        int32_t count = 0;
        for (GLuint name = 1; name < 4096; ++name) // the game's names stay far below
            count += glIsTexture(name) ? 1 : 0;
        return count;
    };
    auto load = [&](const std::string& name) {
        int32_t loaded = 1;
        kit::printedBy(
            [&] { loaded = loadPlayMap(jeu->map, jeu->mapTextures, name.c_str(), 0); });
        return loaded;
    };
    kit::TempFolder folder;
    folder.write("casse.map", "<apparition>(1,1)<Mur>(h,1,1,2)(0,1)");
    const int32_t withoutMap = liveTextures();
    for (const std::string& bad : {std::string("maps\\absente.map"), folder.file("casse.map")}) {
        ASSERT_EQ(load("maps\\arene.map"), 0);
        ASSERT_GT(liveTextures(), withoutMap + 3);
        EXPECT_EQ(std::make_pair(load(bad), jeu->map.ready), std::make_pair(1, 0));
        EXPECT_EQ(liveTextures(), withoutMap) << bad;
        EXPECT_EQ(std::count(jeu->mapTextures.ids, jeu->mapTextures.ids + MAP_TEXTURES, 0u),
                  MAP_TEXTURES);
    }
}

} // namespace
