// The game loop's own arithmetic and records, without a window: frame pacing and the fire
// cooldown, placing the players, storing a remote state, and the mouse capture.
#include "game/Input.h"
#include "game/Jeu.h"
#include "net/Reseau.h"
#include "platform/Clock.h"
#include "platform/Saisie.h"

#include "../support/JeuFixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct GameLoop : ::testing::Test {
    std::unique_ptr<Jeu> jeu = testsupport::makeTestJeu();
    std::unique_ptr<Reseau> reseau{new Reseau()};
    platform::Saisie input = testsupport::stillInput();
    // A pacing step that starts with the previous frame's work just done.
    uint32_t paceAfterWork(uint32_t workMs) {
        const uint32_t start = platform::ticks();
        jeu->workTimer.previous = start - workMs;
        jeu->frameTimer.previous = start;
        paceFrame(*jeu);
        return platform::ticks() - start;
    }
};

} // namespace

TEST(FrameBudget, WholeMillisecondsOfTheCapAndNoSleepWithoutOne) {
    EXPECT_EQ(frameBudget(30), 33);
    EXPECT_EQ(frameBudget(1000), 1);
    EXPECT_EQ(frameBudget(1001), 0);
    // The options editor accepts any number: no cap means no sleep, never a division by 0.
    EXPECT_EQ(frameBudget(0), 0);
    EXPECT_EQ(frameBudget(-5), 0);
    EXPECT_EQ(frameBudget(INT32_MIN), 0);
}

TEST_F(GameLoop, PacingLowersTheCooldownByTheLastWholeFrame) {
    jeu->maxFps = 0;
    jeu->fireCooldown = 0; // the first frame measures from zero and allows no shot
    jeu->frameTimer.clear();
    jeu->workTimer.clear();
    paceFrame(*jeu);
    EXPECT_EQ(jeu->fireCooldown, 0);
    EXPECT_EQ(jeu->frameTimer.elapsed, jeu->frameTimer.now);

    jeu->fireCooldown = 333;
    jeu->frameTimer.elapsed = 40;
    paceAfterWork(0);
    EXPECT_EQ(jeu->fireCooldown, 293);
    // Long without a shot: the cooldown stays far below zero instead of wrapping round.
    jeu->fireCooldown = INT32_MIN + 10;
    jeu->frameTimer.elapsed = 1000;
    paceFrame(*jeu);
    EXPECT_EQ(jeu->fireCooldown, INT32_MIN);
    jeu->frameTimer.elapsed = UINT32_MAX;
    paceFrame(*jeu);
    EXPECT_EQ(jeu->fireCooldown, INT32_MIN);
}

TEST_F(GameLoop, PacingSleepsWhatTheWorkLeftOfTheBudget) {
    jeu->maxFps = 20; // 50 ms a frame
    const uint32_t slept = paceAfterWork(0);
    EXPECT_GE(slept, 49u);
    EXPECT_LT(slept, 1000u);
    EXPECT_GE(jeu->frameTimer.elapsed, 49u);

    jeu->maxFps = 2; // 500 ms a frame, but 1000 were already spent working: no sleep
    EXPECT_LT(paceAfterWork(1000), 400u);
}

TEST_F(GameLoop, PlayersStartUnnumberedAndOnlyTheHostStandsInItsSpawnCell) {
    jeu->reseau = reseau.get(); // never started: a client's host flag
    jeu->options.colour = 5;
    jeu->map.spawns[0] = {3, 4};
    jeu->map.spawnCount = 1;
    Joueur& me = jeu->localPlayer;
    me.yaw = 40;
    me.pitch = -10;
    me.sentYaw = 40;
    me.damageFlash = 0.5;
    me.score = 12;
    me.stateSendTimer = 300;
    for (Joueur& r : jeu->remotePlayers)
        r.state = PLAYER_PRESENT;
    initPlayers(*jeu);
    EXPECT_EQ(std::make_tuple(me.id, me.health, me.colour, me.score, me.stateSendTimer, me.state),
              std::make_tuple(-1, 75.0, 5, 0, 0, 0));
    EXPECT_EQ(std::vector<double>({me.yaw, me.pitch, me.sentYaw, me.damageFlash, me.posX}),
              std::vector<double>(5, 0.0));
    for (int32_t k = 0; k < MAX_PLAYERS; ++k)
        EXPECT_EQ(jeu->remotePlayers[k].state, PLAYER_ABSENT) << k;

    reseau->host = 1; // the host numbers itself at the first dispatch
    initPlayers(*jeu);
    EXPECT_EQ(std::make_tuple(me.posX, me.posY, me.id), std::make_tuple(350.0, 450.0, -1));
    jeu->map.spawnCount = 0; // no spawn point: the default cell
    initPlayers(*jeu);
    EXPECT_EQ(std::make_tuple(me.posX, me.posY), std::make_tuple(150.0, 150.0));
}

TEST_F(GameLoop, RemoteStateGoesIntoItsSlotOnly) {
    Joueur& slot = jeu->remotePlayers[3];
    slot.state = PLAYER_PRESENT;
    slot.score = 4;
    slot.colour = 6;
    strcpy(slot.name, "Zorro");
    const uint8_t keys[4] = {1, 0, 0, 1};
    applyRemoteState(*jeu, 3, 250.5, -20, 720, -88, keys);
    EXPECT_EQ(std::vector<double>({slot.posX, slot.posY, slot.yaw, slot.pitch}),
              std::vector<double>({250.5, -20, 720, -88}));
    EXPECT_EQ(memcmp(slot.keys, keys, 4), 0);
    EXPECT_EQ(std::make_tuple(slot.state, slot.score, slot.colour, std::string(slot.name)),
              std::make_tuple(int32_t(PLAYER_PRESENT), 4, 6, std::string("Zorro")));

    Joueur before[MAX_PLAYERS];
    memcpy(before, jeu->remotePlayers, sizeof before);
    Joueur localBefore;
    memcpy(&localBefore, &jeu->localPlayer, sizeof localBefore);
    for (int32_t n : {8, -1, 100, INT32_MIN, INT32_MAX})
        applyRemoteState(*jeu, n, 1, 2, 3, 4, keys);
    EXPECT_EQ(memcmp(before, jeu->remotePlayers, sizeof before), 0);
    EXPECT_EQ(memcmp(&localBefore, &jeu->localPlayer, sizeof localBefore), 0);
}

TEST_F(GameLoop, CapturedMouseIsReadAgainstTheWindowCentreAndPutBack) {
    jeu->options.width = 320;
    jeu->options.height = 240;
    int32_t x = 0, y = 0;

    input.cursorX = 200;
    input.cursorY = 100;
    updateMouseCapture(*jeu, input);
    EXPECT_TRUE(heldCursorPoint(*jeu, x, y));
    EXPECT_EQ(std::vector<int32_t>(
                  {jeu->cursorPos[0], jeu->cursorPos[1], jeu->mouseDx, jeu->mouseDy, x, y}),
              std::vector<int32_t>({200, 100, 40, -20, 160, 120}));

    // A free mouse or an open chat line: offsets still computed, the cursor left alone.
    for (int32_t captured : {0, 1}) {
        jeu->mouseCaptured = captured;
        jeu->chatOpen = captured;
        input.cursorX = 10;
        input.cursorY = 230;
        updateMouseCapture(*jeu, input);
        EXPECT_FALSE(heldCursorPoint(*jeu, x, y));
        EXPECT_EQ(std::vector<int32_t>({jeu->mouseDx, jeu->mouseDy}),
                  std::vector<int32_t>({-150, 110}));
    }
}
