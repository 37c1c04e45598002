// A frame drawn without the damage-flash pass when the flash is at 0 is, pixel for pixel,
// the frame that draws that pass: the arena seen from every spawn point in four directions,
// with another player in view and a message on screen, fog on.
#include "GameWindow.h"

#include <vector>

namespace {

constexpr int W = 320;
constexpr int H = 240;
// Positive, so the pass is drawn, yet 0 once the colour is taken as a float: the pass at
// strength 0 exactly as it was drawn before it could be skipped.
constexpr double FLASH_AT_ZERO = 1e-300;

std::vector<uint8_t> framePixels(Jeu& jeu, double flash) {
    jeu.localPlayer.damageFlash = flash;
    jeu.texte.clock.tick();
    renderFrame(jeu);
    glFinish();
    std::vector<uint8_t> rgba(static_cast<size_t>(W * H * 4));
    glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

class FlashPass : public GameFrame {
  protected:
    FlashPass() { initial = {W, H, 1, 100}; }
    void SetUp() override {
        GameFrame::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        int32_t loaded = 1;
        const std::string said = testsupport::printedBy(
            [&] { loaded = loadPlayMap(jeu->map, jeu->mapTextures, "maps\\arene.map", 0); });
        ASSERT_EQ(loaded, 0) << said;
    }
};

} // namespace

TEST_F(FlashPass, SkippingThePassAtZeroChangesNoPixel) {
    const Map& map = jeu->map;
    ASSERT_GT(map.spawnCount, 1);
    jeu->texte.addMessage("Vous etes mort...");
    Joueur& other = jeu->remotePlayers[2];
    other.state = PLAYER_PRESENT;
    snprintf(other.name, sizeof other.name, "voisin");
    other.colour = 1;
    int32_t compared = 0;
    for (int32_t s = 0; s < map.spawnCount; ++s) {
        Joueur& me = jeu->localPlayer;
        me.posX = (map.spawns[s].x + 0.5) * 100;
        me.posY = (map.spawns[s].y + 0.5) * 100;
        // The other player stands 300 units ahead of the first direction.
        other.posX = me.posX + 300;
        other.posY = me.posY;
        for (int32_t turn = 0; turn < 4; ++turn) {
            me.yaw = 90.0 * turn + 10.0;
            const std::vector<uint8_t> drawn = framePixels(*jeu, FLASH_AT_ZERO);
            const std::vector<uint8_t> skipped = framePixels(*jeu, 0.0);
            ASSERT_EQ(drawn, skipped) << "spawn " << s << ", turn " << turn;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 4 * map.spawnCount);
    // The pass still shows as soon as there is something to show.
    EXPECT_NE(framePixels(*jeu, 0.5), framePixels(*jeu, 0.0));
}
