// Whole frames of the game started as its game thread starts it, read back pixel by pixel;
// and the textures a failed map lets go.
#include "RenderSupport.h"

#include "game/Frame.h"
#include "game/Jeu.h"
#include "net/Reseau.h"

#include <algorithm>
#include <memory>

namespace {

constexpr Pixel FOG_GREY = {179, 179, 179}; // the game's clear colour, 0.7

// The real game started as a client with no map, from the shipped data folder, the local
// player at (500, 300) looking along +y.
class Frame : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* display = getenv("DISPLAY");
        if (display == nullptr || display[0] == '\0') GTEST_SKIP() << "no X display";
        ASSERT_TRUE(inData_.ok());
        setenv("SDL_AUDIODRIVER", "dummy", 1); // no sound card needed, and quick
        start();
    }
    void TearDown() override {
        if (platform::hasGlWindow()) jeu->son.closeSounds(), SDL_Quit();
    }
    // Ends a game already started, then starts one with these options.
    void start(int32_t width = 320, int32_t height = 240, int32_t fog = 0, int32_t seen = 100) {
        TearDown();
        Options o = {};
        fillDefaultOptions(o);
        o.width = w = width;
        o.height = h = height;
        o.fog = fog;
        o.visibility = seen;
        o.colour = 3;
        stopRequested = 1;
        int32_t result = -1;
        platform::drawWithoutRendererThreads(); // as the game's main does
        startup = kit::printedBy([&] { result = initGame(*jeu, o, "", -1, reseau.get()); });
        ASSERT_EQ(result, 0) << startup << SDL_GetError();
        initPlayers(*jeu);
        jeu->localPlayer.posX = 500;
        jeu->localPlayer.posY = 300;
        jeu->localPlayer.yaw = 90;
    }
    void frame() {
        jeu->texte.clock.tick(); // messages age from now, not from the process start
        renderFrame(*jeu);
    }

    std::unique_ptr<Jeu> jeu{new Jeu()};
    std::unique_ptr<Reseau> reseau{new Reseau()}; // never started: a client
    std::string startup;
    int w = 0, h = 0;

  private:
    kit::WorkingFolder inData_{BV_SOURCE_DIR "/data"};
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
    int sight = 0;
    for (int x = 150; x < 170; ++x)
        for (int y = 110; y < 130; ++y)
            sight += near(readPixel(x, y), FOG_GREY) ? 0 : 1;
    EXPECT_GT(sight, 40);
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
    for (auto [width, height] : {std::pair{320, 240}, {200, 100}}) {
        ASSERT_NO_FATAL_FAILURE(start(width, height));
        jeu->reticleTexture = solidTexture(GREEN);
        jeu->localPlayer.health = 100;
        jeu->localPlayer.damageFlash = 0.5; // blended by its strength
        frame();
        const Pixel flash = {217, 89, 89};
        // 1.5 pixels inside and outside the 40 x 40 reticle around (320, 240) and the bar at
        // 100 points: x = 10 to 210, y = 450 to 470, red to blue (of 640 x 480 overlay units).
        const struct {
            double x, y;
            int dx, dy; // the margin's direction
            Pixel seen;
        } probes[] = {
            {300, 220, 1, 1, GREEN},   {340, 220, -1, 1, GREEN}, {300, 260, 1, -1, GREEN},
            {340, 260, -1, -1, GREEN}, {300, 240, -1, 0, flash}, {340, 240, 1, 0, flash},
            {320, 220, 0, -1, flash},  {320, 260, 0, 1, flash},  {10, 460, 1, 0, RED},
            {210, 460, -1, 0, BLUE},   {10, 460, -1, 0, flash},  {210, 460, 1, 0, flash},
            {80, 470, 0, 1, flash},
        };
        for (const auto& p : probes) {
            const Pixel seen =
                readPixel(int(p.x * w / 640 + 1.5 * p.dx), int(p.y * h / 480 + 1.5 * p.dy));
            EXPECT_TRUE(near(seen, p.seen, 8))
                << w << ": " << p.x << "," << p.y << " " << p.dx << seen;
        }
    }
}

TEST_F(Frame, CameraLooksFromTheEyeAlongTheYawToTheFarPlaneThroughTheFog) {
    // A green wall 200 ahead of the start: behind at yaw 270, under the view at pitch 60, beyond
    // the far plane at visibility 1 from 250 away. With fog from 10 to 300 (visibility 3), 200
    // away shows (300 - 200) / 290 of the wall, the rest grey.
    const struct {
        int32_t fog;
        double yaw, pitch, y;
        int32_t visibility;
        Pixel wall;
    } views[] = {
        {0, 90, 0, 300, 100, GREEN},     {0, 270, 0, 300, 100, FOG_GREY},
        {0, 90, 60, 300, 100, FOG_GREY}, {0, 90, 0, 250, 1, FOG_GREY},
        {0, 90, 0, 350, 1, GREEN},       {1, 90, 0, 300, 3, {117, 205, 117}},
        {1, 90, 0, 480, 3, {6, 253, 6}},
    };
    for (const auto& v : views) {
        if (&v == views || v.fog != jeu->options.fog) {
            ASSERT_NO_FATAL_FAILURE(start(320, 240, v.fog, v.visibility));
            jeu->mapTextures.ids[0] = solidTexture(GREEN);
            jeu->map.walls[0] = {0, 1, 'h', 5, 0, 10, 0, 2};
            jeu->map.wallCount = jeu->map.ready = 1;
        }
        jeu->localPlayer.yaw = v.yaw;
        jeu->localPlayer.pitch = v.pitch;
        jeu->localPlayer.posY = v.y;
        jeu->options.visibility = v.visibility;
        frame();
        const Pixel seen = readPixel(100, 140);
        EXPECT_TRUE(near(seen, v.wall, 4)) << v.yaw << " " << v.pitch << " " << v.y << seen;
        EXPECT_TRUE(&v != views || near(readPixel(100, 230), FOG_GREY)) << "over the wall";
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
        kit::printedBy([&] { loaded = loadPlayMap(jeu->map, jeu->mapTextures, name.c_str(), 0); });
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
