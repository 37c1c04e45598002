// One simulation step, driven by input records: walking, walls, teleporters, boxes, damage,
// death and respawn, doors, other players' dead reckoning, mouse look and forced states.
#include "game/Input.h"
#include "game/Protocole.h"
#include "game/Simulation.h"
#include "kit/JeuFixture.h"

#include <gtest/gtest.h>

using namespace kit;

constexpr double STEP = 30.0, DIAGONAL = 1.414; // a step in 100 ms, and what divides it

struct Simulation : ::testing::Test {
    std::unique_ptr<Jeu> jeu = makeTestJeu();
    Joueur& me = jeu->localPlayer;
    platform::Saisie input = stillInput();

    // One step, then the cursor goes back to the fixed point as the window puts it.
    void frame(uint32_t ms) {
        jeu->frameTimer.elapsed = ms;
        simulate(*jeu, input);
        int32_t x = 0, y = 0;
        if (heldCursorPoint(*jeu, x, y)) input.cursorX = x, input.cursorY = y;
    }
    void hold(std::initializer_list<int32_t> keys) {
        memset(input.keysHeld, 0, sizeof input.keysHeld);
        for (int32_t key : keys)
            input.keysHeld[key] = 1;
    }
    void wall(char orientation, int32_t line, int32_t from, int32_t to) {
        jeu->map.walls[jeu->map.wallCount++] = Mur{0, 1, orientation, line, from, to, 0, 2};
    }
    // A bullet that crosses the local player's x at body height within a 10 ms frame.
    void shootAtMe(int32_t owner) { jeu->tir.fire(me.posX - 50, me.posY, 100, 10000, 0, 0, owner); }
    Joueur& present(int32_t slot, double x, double y) {
        Joueur& p = jeu->remotePlayers[slot];
        std::tie(p.state, p.posX, p.posY) = std::make_tuple(PLAYER_PRESENT, x, y);
        return p;
    }
};

// 1.5709 and 3.1418 are not quite pi: a quarter turn leaves about 0.003 on the other axis.
static void expectAt(const Joueur& p, double x, double y, double tolerance = 0.01) {
    EXPECT_NEAR(p.posX, x, tolerance);
    EXPECT_NEAR(p.posY, y, tolerance);
}

// Sees the frames the game sends, through a client transport joined to a raw socket.
struct SimulationOnline : Simulation {
    Reseau reseau;
    FramePeer peer; // declared after the transport: stopped before it dies
    void SetUp() override {
        ASSERT_TRUE(peer.connect(reseau));
        jeu->reseau = &reseau;
    }
    Message expectFrame(int32_t type, int32_t argument) {
        Message m = {};
        EXPECT_TRUE(peer.read(m)) << "no frame of type " << type;
        EXPECT_EQ(std::make_pair(m.type, m.argument), std::make_pair(type, argument));
        return m;
    }
};

TEST_F(Simulation, WalksAlongTheViewShortensDiagonalsAndWallsStopOnlyTheCrossingPart) {
    const struct {
        std::initializer_list<int32_t> keys;
        double yaw, x, y, toX, toY;
        uint32_t ms;
    } walks[] = {
        {{platform::KEY_Z}, 0, 1000, 1000, 1000, 1000, 0},
        {{platform::KEY_Z}, 0, 1000, 1000, 1000 + STEP, 1000, 100},
        {{platform::KEY_D}, 90, 1000, 1000, 1000 + STEP, 1000, 100}, // strafing right at 90: +x
        {{platform::KEY_D, platform::KEY_S}, 90, 0, 0, STEP / DIAGONAL, -STEP / DIAGONAL, 100},
        {{platform::KEY_Z, platform::KEY_S}, 0, 1000, 1000, 1000, 1000, 100}, // they cancel
        // Into a wall at y = 500 at 45 degrees: slides along it.
        {{platform::KEY_Z}, 45, 300, 450, 300 + STEP / DIAGONAL, 450, 100},
        // The wall at x = 1200 cancels its part before the diagonal division: the whole
        // 30-unit step would cross it from 1175, a shortened one would not.
        {{platform::KEY_Z, platform::KEY_Q}, 0, 1140, 1000, 1140, 1000 + STEP / DIAGONAL, 100},
    };
    wall('h', 5, 0, 20);
    wall('v', 12, 0, 20);
    for (const auto& w : walks) {
        hold(w.keys);
        std::tie(me.yaw, me.posX, me.posY) = std::make_tuple(w.yaw, w.x, w.y);
        frame(w.ms);
        expectAt(me, w.toX, w.toY);
    }
}

TEST_F(Simulation, KeyChangesTurnsBeyondTenDegreesAndTeleportsForceAState) {
    hold({platform::KEY_Z, platform::KEY_S});
    frame(100);
    EXPECT_EQ(std::make_tuple(me.keys[KEY_FORWARD], me.keys[KEY_BACK], me.stateSendTimer),
              std::make_tuple(uint8_t(1), uint8_t(1), 500)); // both keys are sent
    const struct {
        double yaw;
        int32_t forced;
        double sentYaw;
    } turns[] = {{10.0, 0, 0}, {-10.001, 500, -10.001}, {-20.0, 0, -10.001}};
    for (const auto& t : turns) {
        me.stateSendTimer = 0;
        me.yaw = t.yaw;
        frame(100);
        EXPECT_EQ(std::make_pair(me.stateSendTimer, me.sentYaw),
                  std::make_pair(t.forced, t.sentYaw));
    }
    me.stateSendTimer = 0;
    hold({platform::KEY_Z});
    frame(100);
    EXPECT_EQ(me.stateSendTimer, 500);

    // Same keys, no turn, but a teleporter crossed: there, facing its heading.
    jeu->map.teleporters[0] = Teleporteur{0, 'h', 3, 5, 8, 8, 90};
    jeu->map.teleporterCount = 1;
    std::tie(me.stateSendTimer, me.posX, me.posY, me.yaw, me.sentYaw) =
        std::make_tuple(0, 350.0, 490.0, 90.0, 90.0);
    frame(100);
    expectAt(me, 850, 850, 0);
    EXPECT_EQ(std::make_pair(me.yaw, me.stateSendTimer), std::make_pair(90.0, 500));
}

TEST_F(SimulationOnline, HealthBoxHealsAndHitsAndTheFragAreAnnounced) {
    jeu->map.healthBoxes[0] = CaisseDeSoin{0, 20, 20, 0, 0};
    jeu->map.healthBoxes[1] = CaisseDeSoin{0, 2, 2, 0, 0};
    jeu->map.healthBoxCount = 2;
    std::tie(me.posX, me.posY, me.health) = std::make_tuple(250.0, 250.0, 90.0);
    frame(10);
    EXPECT_EQ(std::make_pair(me.health, jeu->map.healthBoxes[1].taken), std::make_pair(100.0, 1));
    expectFrame(MSG_TAKE_BOX, 1);
    EXPECT_TRUE(peer.quiet());

    // Several shooters in one frame: the frag names the first lethal one.
    me.health = 25;
    for (int32_t owner : {1, 3, 3, 6, HOST_ID}) // own bullets never hurt
        shootAtMe(owner);
    frame(10);
    expectFrame(MSG_HIT, 1);
    expectFrame(MSG_HIT, 3);
    const Message frag = expectFrame(MSG_FRAG, HOST_ID);
    EXPECT_EQ(doubleAt(frag), 3.0);
    EXPECT_EQ(std::vector<uint8_t>(frag.payload + 8, frag.payload + PAYLOAD_SIZE),
              std::vector<uint8_t>(PAYLOAD_SIZE - 8, 0));
    expectFrame(MSG_HIT, 6); // after death: the hit, no second frag
    EXPECT_TRUE(peer.quiet());
    // The countdown runs in the death frame too; the body is put away.
    EXPECT_EQ(std::make_tuple(me.health, me.dead, jeu->deathTimer, me.posX, me.posY),
              std::make_tuple(-15.0, uint8_t(1), 3000 - 10, 500000.0, 500000.0));
    EXPECT_EQ(lastMessage(*jeu), "Vous etes mort...");
}

TEST_F(Simulation, HitsFlashWhileAliveExactlyZeroKillsAndRespawnIsThreeSecondsLater) {
    shootAtMe(2);
    frame(10);
    EXPECT_EQ(std::make_pair(me.health, me.damageFlash), std::make_pair(65.0, 1.0));
    frame(100);
    EXPECT_NEAR(me.damageFlash, 0.9, 1e-9);
    frame(2000);
    EXPECT_EQ(std::make_pair(me.damageFlash, me.dead), std::make_pair(0.0, uint8_t(0)));

    jeu->map.spawns[0] = Apparition{4, 6};
    jeu->map.spawnCount = 1;
    std::tie(me.health, me.yaw, me.pitch) = std::make_tuple(20.0, 33.0, 12.0);
    shootAtMe(4);
    shootAtMe(4);
    frame(10);
    // A lethal hit does not flash.
    EXPECT_EQ(std::make_tuple(me.dead, me.health, me.damageFlash, jeu->deathTimer),
              std::make_tuple(uint8_t(1), 0.0, 0.0, 2990));
    for (uint32_t ms : {1000, 1000, 989})
        frame(ms);
    EXPECT_EQ(std::make_pair(me.dead, jeu->deathTimer), std::make_pair(uint8_t(1), 1));
    frame(1);
    EXPECT_EQ(std::make_pair(me.dead, jeu->deathTimer), std::make_pair(uint8_t(0), 3100));
    EXPECT_EQ(std::vector<double>({me.posX, me.posY, me.health, me.yaw, me.sentYaw, me.pitch}),
              std::vector<double>({450, 650, 75, 0, 0, 12}));
}

TEST_F(Simulation, DoorsOpenForTheLocalAndEveryPresentPlayer) {
    Map& map = jeu->map;
    // Already in the motion they will take, so no change near us cuts the update short.
    map.doors[0] = Porte{0, 'h', 5, 3, 4, 0, 3, 0, DOOR_OPENING};    // pivot (300, 500)
    map.doors[1] = Porte{0, 'h', 30, 30, 31, 0, 3, 0, DOOR_OPENING}; // pivot (3000, 3000)
    map.doors[2] = Porte{0, 'h', 60, 60, 61, 0, 3, 0, DOOR_STOPPED}; // pivot (6000, 6000)
    map.doorCount = 3;
    std::tie(me.posX, me.posY) = std::make_pair(300.0, 400.0);
    present(3, 3000, 3050);
    jeu->remotePlayers[5].posX = jeu->remotePlayers[5].posY = 6000; // absent
    jeu->options.doorSounds = 1; // silent here, but the path must run
    frame(100);
    frame(100);
    EXPECT_EQ(std::make_tuple(map.doors[0].opening, map.doors[1].opening, map.doors[2].opening),
              std::make_tuple(200, 200, 0));
}

TEST_F(Simulation, OtherPlayersShowTheirStateThenWalkOn) {
    Joueur& other = present(2, 1000, 1000);
    other.keys[KEY_FORWARD] = other.keys[KEY_LEFT] = 1;
    frame(100);
    expectAt(other, 1000 + STEP / DIAGONAL, 1000 + STEP / DIAGONAL);
    const uint8_t forward[4] = {1, 0, 0, 0};
    pushSnapshot(jeu->joueurs, 5000, 2, 2000, 2000, 90, 0, forward, 100);
    Joueur& away = jeu->remotePlayers[4]; // absent
    std::tie(away.posX, away.keys[KEY_BACK]) = std::make_tuple(700.0, uint8_t(1));
    frame(100);
    expectAt(other, 2000, 2000 + STEP);
    wall('h', 21, 0, 30); // y = 2100: a 60-unit step would cross it
    frame(200);
    expectAt(other, 2000, 2000 + STEP);
    EXPECT_EQ(away.posX, 700);
}

TEST_F(Simulation, MouseTurnsAndTiltsTheViewWithinEightyEightDegrees) {
    jeu->options.horizontalSensitivity = 200;
    const int32_t cx = FIXTURE_WIDTH / 2, cy = FIXTURE_HEIGHT / 2;
    const struct {
        int32_t x, y;
        double yaw, pitch;
    } moves[] = {{cx + 10, cy - 10, -2, 4}, // right turns right, up looks up
                 {cx, cy, -2, 4},
                 {cx, 0, -2, 88},
                 {cx, FIXTURE_HEIGHT, -2, 88 - 120},
                 {cx, FIXTURE_HEIGHT * 2, -2, -88}};
    for (const auto& m : moves) {
        std::tie(input.cursorX, input.cursorY) = std::make_pair(m.x, m.y);
        frame(10);
        EXPECT_EQ(std::make_pair(me.yaw, me.pitch), std::make_pair(m.yaw, m.pitch))
            << m.x << "," << m.y;
    }
}

TEST_F(Simulation, OpenChatStopsWalkingAndTurningButTheWorldGoesOn) {
    jeu->map.doors[0] = Porte{0, 'h', 10, 10, 11, 0, 2, 0, DOOR_STOPPED}; // pivot (1000, 1000)
    jeu->map.doorCount = 1;
    present(1, 0, 0).keys[KEY_FORWARD] = 1;
    jeu->chatOpen = 1;
    hold({platform::KEY_Z});
    input.cursorX = input.cursorY = 0;
    shootAtMe(0);
    frame(100);
    EXPECT_EQ(std::vector<double>({me.posX, me.yaw, me.pitch, double(me.keys[KEY_FORWARD]),
                                   me.health, double(jeu->map.doors[0].opening)}),
              std::vector<double>({1000, 0, 0, 0, 65, 100}));
    EXPECT_NEAR(jeu->remotePlayers[1].posX, STEP, 0.01);
    jeu->chatOpen = 0; // a free mouse steers nothing either
    jeu->mouseCaptured = 0;
    frame(100);
    EXPECT_EQ(std::make_pair(me.posX, me.yaw), std::make_pair(1000.0, 0.0));
}
