// The game loop's own arithmetic, without a window: frame pacing, the fire cooldown and
// placing the players.
#include "platform/Clock.h"
#include "kit/JeuFixture.h"

#include <gtest/gtest.h>
#include <climits>
#include <tuple>

TEST(GameLoop, PacingSleepsWhatTheWorkLeftAndLowersTheCooldownByTheLastFrame) {
    // The options editor accepts any number: no cap means no sleep, never a division by 0.
    const int32_t caps[][2] = {{30, 33}, {1000, 1}, {1001, 0}, {0, 0}, {-5, 0}, {INT32_MIN, 0}};
    for (const auto& c : caps)
        EXPECT_EQ(frameBudget(c[0]), c[1]) << c[0];

    std::unique_ptr<Jeu> jeu = kit::makeTestJeu();
    // A pacing step that starts with the previous frame's work just done; the time it took.
    auto paceAfterWork = [&](int32_t maxFps, uint32_t workMs) {
        jeu->maxFps = maxFps;
        const uint32_t start = platform::ticks();
        jeu->workTimer.previous = start - workMs;
        jeu->frameTimer.previous = start;
        paceFrame(*jeu);
        return platform::ticks() - start;
    };
    const uint32_t slept = paceAfterWork(20, 0); // 50 ms a frame
    EXPECT_TRUE(slept >= 49 && slept < 1000) << slept;
    EXPECT_GE(jeu->frameTimer.elapsed, 49u);
    EXPECT_LT(paceAfterWork(2, 1000), 400u); // 500 ms a frame, 1000 already spent working

    std::tie(jeu->fireCooldown, jeu->frameTimer.elapsed) = std::make_tuple(333, 40u);
    paceAfterWork(0, 0);
    EXPECT_EQ(jeu->fireCooldown, 293);
    // Long without a shot: the cooldown stays far below zero instead of wrapping round.
    for (uint32_t elapsed : {1000u, UINT32_MAX}) {
        std::tie(jeu->fireCooldown, jeu->frameTimer.elapsed) =
            std::make_tuple(INT32_MIN + 10, elapsed);
        paceFrame(*jeu);
        EXPECT_EQ(jeu->fireCooldown, INT32_MIN) << elapsed;
    }
    // The first frame measures from zero and allows no shot.
    jeu->fireCooldown = 0;
    jeu->frameTimer.clear();
    jeu->workTimer.clear();
    paceFrame(*jeu);
    EXPECT_EQ(jeu->fireCooldown, 0);
    // The frame timer measures across the counter's wrap.
    platform::Chrono& c = jeu->frameTimer;
    c.previous = 0xFFFFFFF6u; // 10 ms before the counter wraps
    c.tick();
    EXPECT_EQ(std::make_pair(c.elapsed, c.previous), std::make_pair(c.now + 10u, c.now));
}

TEST(GameLoop, PlayersStartUnnumberedAndOnlyTheHostStandsInItsSpawnCell) {
    std::unique_ptr<Jeu> jeu = kit::makeTestJeu();
    Reseau reseau; // never started: a client's host flag
    jeu->reseau = &reseau;
    jeu->options.colour = 5;
    jeu->map.spawns[0] = {3, 4};
    jeu->map.spawnCount = 1;
    Joueur& me = jeu->localPlayer;
    std::tie(me.yaw, me.sentYaw, me.pitch, me.damageFlash, me.score, me.stateSendTimer) =
        std::make_tuple(40.0, 40.0, 40.0, 0.5, 12, 300);
    for (Joueur& r : jeu->remotePlayers)
        r.state = PLAYER_PRESENT;
    initPlayers(*jeu);
    EXPECT_EQ(std::make_tuple(me.id, me.health, me.colour, me.score, me.stateSendTimer, me.state),
              std::make_tuple(-1, 75.0, 5, 0, 0, 0));
    EXPECT_EQ(std::vector<double>({me.yaw, me.pitch, me.sentYaw, me.damageFlash, me.posX}),
              std::vector<double>(5, 0.0));
    for (int32_t k = 0; k < MAX_PLAYERS; ++k)
        EXPECT_EQ(jeu->remotePlayers[k].state, PLAYER_ABSENT) << k;

    reseau.host = 1; // the host numbers itself at the first dispatch
    initPlayers(*jeu);
    EXPECT_EQ(std::make_tuple(me.posX, me.posY, me.id), std::make_tuple(350.0, 450.0, -1));
    jeu->map.spawnCount = 0; // no spawn point: the default cell
    initPlayers(*jeu);
    EXPECT_EQ(std::make_tuple(me.posX, me.posY), std::make_tuple(150.0, 150.0));
}
