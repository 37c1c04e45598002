// Whole frames of the game, started as the game thread starts them (window, GL state, the
// shipped images and font) and read back pixel by pixel: fog grey, camera, walls, player
// models and their tints, damage flash, reticle, health bar, messages and names in view.
#include "GameWindow.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr Pixel FOG_GREY = {179, 179, 179}; // 0.7

bool near(Pixel a, Pixel b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

bool isBlueInk(const uint8_t* p) {
    return p[2] > 150 && p[0] < 80 && p[1] < 80;
}

bool isWhiteInk(const uint8_t* p) {
    return p[0] > 230 && p[1] > 230 && p[2] > 230;
}

bool isNotFogGrey(const uint8_t* p) {
    return !near({p[0], p[1], p[2]}, FOG_GREY, 1);
}

bool isNotRed(const uint8_t* p) {
    return !(Pixel{p[0], p[1], p[2]} == RED);
}

// Pixels of the window rectangle [x0, x1) x [y0, y1) for which `test` holds.
int countPixels(int x0, int y0, int x1, int y1, bool (*test)(const uint8_t*)) {
    glFinish();
    std::vector<uint8_t> rgba(static_cast<size_t>((x1 - x0) * (y1 - y0) * 4));
    glReadPixels(x0, y0, x1 - x0, y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int n = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        n += test(&rgba[i]);
    return n;
}

double projection(int i) {
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    return m[i];
}

} // namespace

TEST_F(GameFrame, StartUpReportsEachStepAndSetsTheGameGlState) {
    EXPECT_EQ(startupOutput.substr(0, startupOutput.find("Initialisation des sons\n")),
              "\nInitialisation de SDL\n"
              "Changement du titre de la fenetre\n"
              "Initialisation d'opengl\n"
              "Chargement des texture des joueurs...\n"
              "donnees\\joueur\\j1.jpg\n"
              "donnees\\joueur\\j2.jpg\n"
              "Chargement des texture de l'arme...\n"
              "donnees\\arme\\reticule.gif\n"
              "Initialisation du texte...\n"
              "donnees\\police\\police.tga\n"
              "Chargement de la map...\n");
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "Brumevoltigeante 4 - Multijoueur");
    int delay = 0, interval = 0;
    SDL_GetKeyRepeat(&delay, &interval);
    EXPECT_EQ(delay, 500);
    EXPECT_EQ(interval, 50);

    // Mouse captured, chat closed, no cooldown, death timer, no map yet (a client waits for
    // the host's), frame cap, no stop request.
    EXPECT_EQ(
        (std::vector<int64_t>{jeu->mouseCaptured, jeu->chatOpen, jeu->fireCooldown, jeu->deathTimer,
                              jeu->mapNumber, jeu->map.ready, jeu->maxFps, stopRequested}),
        (std::vector<int64_t>{1, 0, 0, 3100, -1, 0, 300, 0}));
    EXPECT_STREQ(jeu->mapName, "");
    const uint32_t textures[4] = {jeu->playerTextures[0], jeu->playerTextures[1],
                                  jeu->reticleTexture, jeu->fontTexture};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(textures[i], 0u) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(textures[i], textures[j]);
    }

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(clear[i], 0.7f);
    EXPECT_FLOAT_EQ(clear[3], 1.0f);
    // 70 degrees high, 4:3 wide, from 1 to visibility x 200.
    EXPECT_NEAR(projection(5), 1 / tan(35 * M_PI / 180), 1e-4);
    EXPECT_NEAR(projection(0), projection(5) * 240 / 320, 1e-4);
    EXPECT_NEAR(projection(14) / (projection(10) + 1), 20000, 20);
    EXPECT_NEAR(projection(14) / (projection(10) - 1), 1, 1e-3);

    ASSERT_NO_FATAL_FAILURE(restart({320, 240, 1, 3}));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_LINEAR);
    GLfloat start = 0, end = 0, colour[4];
    glGetFloatv(GL_FOG_START, &start);
    glGetFloatv(GL_FOG_END, &end);
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_FLOAT_EQ(start, 10);
    EXPECT_FLOAT_EQ(end, 300);
    EXPECT_FLOAT_EQ(colour[0], 0.7f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_NEAR(projection(14) / (projection(10) + 1), 600, 0.1);
}

TEST_F(GameFrame, EmptyViewIsFogGreyWithTheSightInTheMiddle) {
    frame();
    EXPECT_TRUE(near(readPixel(w - 20, h - 40), FOG_GREY, 1)) << readPixel(w - 20, h - 40);
    EXPECT_TRUE(near(readPixel(w / 2, h * 3 / 4), FOG_GREY, 1));
    // The sight is drawn in the 20 x 20 pixels around the centre, transparent at its corners.
    EXPECT_GT(countPixels(150, 110, 170, 130, isNotFogGrey), 40);
    EXPECT_EQ(countPixels(140, 100, 180, 108, isNotFogGrey), 0);
    EXPECT_EQ(countPixels(140, 132, 180, 140, isNotFogGrey), 0);
    EXPECT_TRUE(near(overlay(302, 222), FOG_GREY, 1)) << overlay(302, 222);
}

TEST_F(GameFrame, ReticleAndHealthBarKeepTheirPlaceOnAnyWindow) {
    const GameSettings sizes[] = {{320, 240, 0, 100}, {200, 100, 0, 100}};
    for (const GameSettings& size : sizes) {
        ASSERT_NO_FATAL_FAILURE(restart(size));
        jeu->reticleTexture = solidTexture(GREEN);
        frame();
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        // The 40 x 40 reticle around the centre (320, 240); a margin of 1.5 pixels.
        const double mx = 1.5 * 640 / w, my = 1.5 * 480 / h;
        for (double x : {300 + mx, 340 - mx})
            for (double y : {220 + my, 260 - my})
                EXPECT_EQ(overlay(x, y), GREEN) << x << "," << y;
        EXPECT_FALSE(overlay(300 - mx, 240) == GREEN);
        EXPECT_FALSE(overlay(340 + mx, 240) == GREEN);
        EXPECT_FALSE(overlay(320, 220 - my) == GREEN);
        EXPECT_FALSE(overlay(320, 260 + my) == GREEN);

        // 75 points: from x = 10 to 160, y = 450 to 470, red on the left, 0.75 blue right.
        const Pixel left = overlay(10 + mx, 460);
        EXPECT_TRUE(left.r > 200 && left.g == 0 && left.b < 40) << left;
        const Pixel right = overlay(160 - mx, 460);
        EXPECT_TRUE(right.r < 40 && right.g == 0 && right.b > 150 && right.b < 200) << right;
        EXPECT_TRUE(near(overlay(160 + mx, 460), FOG_GREY, 1));
        EXPECT_TRUE(near(overlay(10 - mx, 460), FOG_GREY, 1));
        EXPECT_TRUE(near(overlay(80, 450 - my), FOG_GREY, 1));
        EXPECT_TRUE(near(overlay(80, 470 + my), FOG_GREY, 1));
    }
    // On 320 x 240 that is 5 to 80 pixels across, 225 to 235 up.
    ASSERT_NO_FATAL_FAILURE(restart(GameSettings()));
    frame();
    EXPECT_EQ(readPixel(6, 230).g, 0);
    EXPECT_EQ(readPixel(79, 230).g, 0);
    EXPECT_TRUE(near(readPixel(81, 230), FOG_GREY, 1));
    EXPECT_TRUE(near(readPixel(40, 236), FOG_GREY, 1));
    EXPECT_TRUE(near(readPixel(40, 223), FOG_GREY, 1));
}

TEST_F(GameFrame, HealthBarGrowsTwoUnitsAPointAndVanishesAtZero) {
    jeu->localPlayer.health = 100;
    frame();
    const Pixel end = overlay(207, 460);
    EXPECT_TRUE(end.r < 10 && end.b > 240) << end;
    EXPECT_TRUE(near(overlay(213, 460), FOG_GREY, 1));
    for (double dead : {0.0, -30.0}) {
        jeu->localPlayer.health = dead;
        frame();
        EXPECT_TRUE(near(overlay(11, 460), FOG_GREY, 1)) << dead;
        EXPECT_TRUE(near(overlay(6, 460), FOG_GREY, 1)) << dead;
    }
}

TEST_F(GameFrame, DamageFlashCoversTheViewInRedUnderTheHud) {
    jeu->localPlayer.damageFlash = 1;
    frame();
    EXPECT_EQ(readPixel(w - 20, h - 40), RED);
    EXPECT_EQ(readPixel(20, 60), RED);
    EXPECT_GT(countPixels(150, 110, 170, 130, isNotRed), 40) << "the reticle stays on top";
    EXPECT_GT(overlay(155, 460).b, 150) << "so does the health bar";

    jeu->localPlayer.damageFlash = 0.5; // fades with its alpha
    frame();
    EXPECT_TRUE(near(readPixel(w - 20, h - 40), (Pixel{217, 89, 89}), 2))
        << readPixel(w - 20, h - 40);
    jeu->localPlayer.damageFlash = 0;
    frame();
    EXPECT_TRUE(near(readPixel(w - 20, h - 40), FOG_GREY, 1));
}

TEST_F(GameFrame, CameraLooksFromTheEyeAlongTheYawToTheFarPlane) {
    greenWallAhead();
    frame();
    EXPECT_EQ(readPixel(100, 140), GREEN);
    EXPECT_EQ(readPixel(220, 150), GREEN);
    EXPECT_TRUE(near(readPixel(100, 230), FOG_GREY, 1)) << "above the wall's top";

    jeu->localPlayer.yaw = 270; // the wall is behind
    frame();
    EXPECT_TRUE(near(readPixel(100, 140), FOG_GREY, 1));
    jeu->localPlayer.yaw = 90;
    jeu->localPlayer.pitch = 60; // looking up over it
    frame();
    EXPECT_TRUE(near(readPixel(100, 140), FOG_GREY, 1));
    jeu->localPlayer.pitch = 0;

    // Visibility 1: nothing beyond 200 units is drawn.
    jeu->options.visibility = 1;
    jeu->localPlayer.posY = 250;
    frame();
    EXPECT_TRUE(near(readPixel(100, 140), FOG_GREY, 1));
    jeu->localPlayer.posY = 350;
    frame();
    EXPECT_EQ(readPixel(100, 140), GREEN);
}

TEST_F(GameFrame, FogBlendsTheWallTowardsGreyByItsDistance) {
    // Linear fog from 10 to 300.
    ASSERT_NO_FATAL_FAILURE(restart({320, 240, 1, 3}));
    greenWallAhead();
    frame();
    // 200 units away: (300 - 200) / 290 of the wall, the rest grey.
    EXPECT_TRUE(near(readPixel(100, 140), (Pixel{117, 205, 117}), 4)) << readPixel(100, 140);
    jeu->localPlayer.posY = 480;
    frame();
    EXPECT_TRUE(near(readPixel(100, 140), (Pixel{6, 253, 6}), 4)) << readPixel(100, 140);
}

TEST_F(GameFrame, PlayerModelsAreTintedByTheirColour) {
    useSolidPlayerTextures(WHITE);
    Joueur& other = jeu->remotePlayers[1];
    other.posX = 500;
    other.posY = 500;
    const struct {
        int32_t colour;
        Pixel tint;
    } cases[] = {{1, {255, 77, 77}}, {3, WHITE},  {7, {77, 255, 255}},
                 {0, {77, 77, 77}},  {42, WHITE}, {-1, WHITE}};
    for (const auto& c : cases) {
        other.state = PLAYER_PRESENT;
        other.colour = c.colour;
        frame();
        EXPECT_TRUE(near(readPixel(160, 80), c.tint, 2)) << c.colour << readPixel(160, 80);
        EXPECT_TRUE(near(readPixel(120, 80), FOG_GREY, 1)) << "the body is 34 units wide";
    }
    other.state = PLAYER_ABSENT;
    frame();
    EXPECT_TRUE(near(readPixel(160, 80), FOG_GREY, 1));

    // The local player's own arms, low on both sides of the view.
    jeu->localPlayer.colour = 2;
    frame();
    EXPECT_TRUE(near(readPixel(40, 50), (Pixel{77, 77, 255}), 2)) << readPixel(40, 50);
    EXPECT_TRUE(near(readPixel(280, 50), (Pixel{77, 77, 255}), 2)) << readPixel(280, 50);
    EXPECT_TRUE(near(readPixel(160, 50), FOG_GREY, 1));
}

TEST_F(GameFrame, MessagesAndTheNamesOfPlayersInViewAreWritten) {
    useSolidPlayerTextures(GREEN);
    // Names: blue ink from overlay (500, 200), the next one 15 units higher.
    auto blueInRow = [&](int k) {
        const int y0 = (200 + 15 * k) * h / 480;
        return countPixels(250, y0, w, y0 + 6, isBlueInk);
    };
    frame();
    EXPECT_EQ(countPixels(0, 0, w, 220, isBlueInk), 0); // the health bar's blue end is above
    EXPECT_EQ(countPixels(4, 14, 60, 30, isWhiteInk), 0);

    jeu->texte.addMessage("HHHH");
    Joueur* slots = jeu->remotePlayers;
    const struct {
        int32_t slot;
        double x, y;
        int32_t state;
        const char* name;
    } players[] = {
        {2, 500, 600, PLAYER_PRESENT, "Zorro"},   // ahead
        {4, 500, 1200, PLAYER_PRESENT, "Loin"},   // 900 away
        {5, 500, 500, PLAYER_ABSENT, "Parti"},    // gone
        {0, 900, 310, PLAYER_PRESENT, "%n%s%s%s"} // beside, and no format
    };
    for (const auto& p : players) {
        slots[p.slot].posX = p.x;
        slots[p.slot].posY = p.y;
        slots[p.slot].state = p.state;
        strcpy(slots[p.slot].name, p.name);
    }
    frame();
    EXPECT_GT(countPixels(4, 14, 60, 30, isWhiteInk), 10) << "the message at (10, 30)";
    EXPECT_GT(blueInRow(0), 10);
    EXPECT_EQ(blueInRow(1), 0);
    EXPECT_EQ(countPixels(0, 0, 240, 220, isBlueInk), 0);

    slots[0].posX = 500; // now ahead too, and first in slot order
    slots[0].posY = 900;
    frame();
    EXPECT_GT(blueInRow(0), 10);
    EXPECT_GT(blueInRow(1), 10);
    EXPECT_EQ(blueInRow(2), 0);
}

TEST_F(GameFrame, MissingImageOrMapStopsTheStartUpWithItsMessages) {
    stop();
    testsupport::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    namespace fs = std::filesystem;
    const fs::path shipped = fs::path(GAME_DATA) / "donnees";
    fs::create_directories(fs::path(folder.path()) / "donnees");
    for (const char* part : {"joueur", "arme", "son"})
        fs::create_directory_symlink(shipped / part, fs::path(folder.path()) / "donnees" / part);
    ASSERT_EQ(chdir(folder.path()), 0);

    Options o;
    memset(&o, 0, sizeof o);
    fillDefaultOptions(o);
    o.width = 160;
    o.height = 120;
    testsupport::StdoutCapture capture;
    capture.start();
    const int32_t noFont = initGame(*jeu, o, "", -1, reseau.get());
    const std::string output = capture.stop();
    SDL_Quit();
    EXPECT_EQ(noFont, 1);
    const std::string tail =
        "Initialisation du texte...\n"
        "donnees\\police\\police.tga\n"
        "Erreur: Impossible de charger la texture donnees\\police\\police.tga\n"
        "Initialisation du texte impossible\n";
    ASSERT_GE(output.size(), tail.size());
    EXPECT_EQ(output.substr(output.size() - tail.size()), tail);

    // With every image but no such map, the host stops at the map.
    fs::create_directory_symlink(shipped / "police", fs::path(folder.path()) / "donnees/police");
    reseau->host = 1;
    capture.start();
    const int32_t noMap = initGame(*jeu, o, "absente.map", 0, reseau.get());
    const std::string hostOutput = capture.stop();
    SDL_Quit();
    reseau->host = 0;
    EXPECT_EQ(noMap, 1);
    EXPECT_NE(hostOutput.find("Chargement de la map...\n"), std::string::npos);
    const std::string mapError = "Erreur lors du chargement de la map";
    ASSERT_GE(hostOutput.size(), mapError.size());
    EXPECT_EQ(hostOutput.substr(hostOutput.size() - mapError.size()), mapError);
    EXPECT_EQ(hostOutput.find("Initialisation des sons"), std::string::npos);
}
