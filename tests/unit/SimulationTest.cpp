// One simulation step: walking, walls, teleporters, boxes, damage and death, respawn, doors,
// other players' dead reckoning and mouse look, driven by input records.
#include "game/Jeu.h"
#include "game/Simulation.h"
#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Saisie.h"

#include "../support/JeuFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr double STEP_100MS = 30.0; // 0.3 units per ms
constexpr double DIAGONAL = 1.414;
// 1.5709 and 3.1418 are not quite pi: a quarter turn leaves about 0.003 on the other axis.
constexpr double NEAR = 0.01;

struct Simulation : ::testing::Test {
    std::unique_ptr<Jeu> jeu = testsupport::makeTestJeu();
    Joueur& me = jeu->localPlayer;
    platform::Saisie input = testsupport::stillInput();

    void frame(uint32_t ms) {
        jeu->frameTimer.elapsed = ms;
        simulate(*jeu, input);
        testsupport::placeCursor(*jeu, input);
    }
    void hold(int32_t key) { input.keysHeld[key] = 1; }
    void release(int32_t key) { input.keysHeld[key] = 0; }
    void cursorAt(int32_t x, int32_t y) {
        input.cursorX = x;
        input.cursorY = y;
    }

    void addWall(char orientation, int32_t line, int32_t from, int32_t to) {
        jeu->map.walls[jeu->map.wallCount++] = Mur{0, 1, orientation, line, from, to, 0, 2};
    }
    // A bullet that crosses the local player's x at body height within a 10 ms frame.
    void shootAtMe(int32_t owner) {
        jeu->tir.fire(me.posX - 50, me.posY, 100.0, 10000.0, 0.0, 0.0, owner);
    }
};

void expectAt(const Joueur& p, double x, double y, double tolerance = NEAR) {
    EXPECT_NEAR(p.posX, x, tolerance);
    EXPECT_NEAR(p.posY, y, tolerance);
}

// Sees the frames the game sends, through a client transport joined to a raw socket.
struct SimulationOnline : Simulation {
    Reseau reseau;
    testsupport::FramePeer peer; // declared after the transport: stopped before it dies

    void SetUp() override {
        ASSERT_TRUE(peer.connect(reseau));
        jeu->reseau = &reseau;
    }
    void expectFrame(int32_t type, int32_t argument, Message* out = nullptr) {
        Message m;
        ASSERT_TRUE(peer.read(m)) << "no frame of type " << type;
        EXPECT_EQ(m.type, type);
        EXPECT_EQ(m.argument, argument);
        if (out != nullptr) *out = m;
    }
};

TEST_F(Simulation, WalksAlongTheViewAndShortensDiagonalsButNotInAZeroFrame) {
    hold(platform::KEY_Z);
    Joueur& other = jeu->remotePlayers[2];
    other.state = PLAYER_PRESENT;
    other.posX = 300;
    other.keys[KEY_FORWARD] = 1;
    frame(0);
    expectAt(me, 1000, 1000, 0);
    EXPECT_DOUBLE_EQ(other.posX, 300);

    frame(100);
    expectAt(me, 1000 + STEP_100MS, 1000);

    release(platform::KEY_Z);
    hold(platform::KEY_D); // strafing right at yaw 90 goes toward +x
    me.yaw = 90;
    frame(100);
    expectAt(me, 1000 + 2 * STEP_100MS, 1000);

    hold(platform::KEY_S); // back and right: each component divided
    frame(100);
    expectAt(me, 1000 + 2 * STEP_100MS + STEP_100MS / DIAGONAL, 1000 - STEP_100MS / DIAGONAL);
}

TEST_F(Simulation, KeyChangesTurnsBeyondTenDegreesAndTeleportsForceAStateMessage) {
    hold(platform::KEY_Z);
    hold(platform::KEY_S);
    frame(100);
    EXPECT_DOUBLE_EQ(me.posX, 1000); // opposite keys cancel...
    EXPECT_DOUBLE_EQ(me.posY, 1000);
    EXPECT_EQ(me.keys[KEY_FORWARD], 1); // ...yet both are sent
    EXPECT_EQ(me.keys[KEY_BACK], 1);
    EXPECT_EQ(me.stateSendTimer, 500);

    me.stateSendTimer = 0;
    me.yaw = 10.0; // same keys, a turn of exactly 10: nothing forced
    frame(100);
    EXPECT_EQ(me.stateSendTimer, 0);
    EXPECT_DOUBLE_EQ(me.sentYaw, 0);

    me.yaw = -10.001;
    frame(100);
    EXPECT_EQ(me.stateSendTimer, 500);
    EXPECT_DOUBLE_EQ(me.sentYaw, -10.001);

    me.stateSendTimer = 0;
    release(platform::KEY_S);
    frame(100);
    EXPECT_EQ(me.stateSendTimer, 500);

    // Same keys, no turn, but a teleporter crossed.
    jeu->map.teleporters[0] = Teleporteur{0, 'h', 3, 5, 8, 8, 90};
    jeu->map.teleporterCount = 1;
    me.stateSendTimer = 0;
    me.posX = 350;
    me.posY = 490;
    me.yaw = 90;
    me.sentYaw = 90;
    frame(100);
    expectAt(me, 850, 850, 0);
    EXPECT_DOUBLE_EQ(me.yaw, 90);
    EXPECT_EQ(me.stateSendTimer, 500);
}

TEST_F(Simulation, WallsCancelTheCrossingComponentBeforeTheDiagonalDivision) {
    addWall('h', 5, 0, 20); // y = 500
    me.posX = 300;
    me.posY = 450; // leading edge at 485
    me.yaw = 45;
    hold(platform::KEY_Z);
    frame(100);
    EXPECT_GT(me.posX, 300 + 20); // slides
    EXPECT_DOUBLE_EQ(me.posY, 450);

    addWall('v', 12, 0, 20); // x = 1200
    me.posX = 1140; // edge at 1175: the full 30-unit step crosses, a shortened one would not
    me.posY = 1000;
    me.yaw = 0;
    hold(platform::KEY_Q);
    frame(100);
    expectAt(me, 1140, 1000 + STEP_100MS / DIAGONAL);
}

TEST_F(SimulationOnline, HealthBoxHealsAndIsAnnounced) {
    jeu->map.healthBoxes[0] = CaisseDeSoin{0, 20, 20, 0, 0};
    jeu->map.healthBoxes[1] = CaisseDeSoin{0, 2, 2, 0, 0};
    jeu->map.healthBoxCount = 2;
    me.posX = 250;
    me.posY = 250;
    me.health = 90;
    frame(10);
    EXPECT_DOUBLE_EQ(me.health, 100);
    EXPECT_EQ(jeu->map.healthBoxes[1].taken, 1);
    expectFrame(MSG_TAKE_BOX, 1);
    EXPECT_TRUE(peer.quiet());
}

TEST_F(SimulationOnline, SeveralShootersInOneFrameAndTheFragNamesTheFirstLethalOne) {
    me.health = 25;
    shootAtMe(1);
    shootAtMe(3);
    shootAtMe(3);
    shootAtMe(6);
    shootAtMe(HOST_ID); // own bullets never hurt
    frame(10);

    expectFrame(MSG_HIT, 1);
    expectFrame(MSG_HIT, 3);
    Message frag;
    expectFrame(MSG_FRAG, HOST_ID, &frag);
    double killer = -1;
    memcpy(&killer, frag.payload, sizeof killer);
    EXPECT_DOUBLE_EQ(killer, 3.0);
    for (int32_t i = 8; i < PAYLOAD_SIZE; ++i)
        EXPECT_EQ(frag.payload[i], 0) << i;
    expectFrame(MSG_HIT, 6); // after death: the hit, no second frag
    EXPECT_TRUE(peer.quiet());

    EXPECT_DOUBLE_EQ(me.health, -15);
    EXPECT_EQ(me.dead, 1);
    EXPECT_EQ(jeu->deathTimer, 3000 - 10); // the countdown runs in the death frame too
    expectAt(me, 500000, 500000, 0);
    const int32_t last = (jeu->texte.next + TEXTE_SLOTS - 1) % TEXTE_SLOTS;
    EXPECT_STREQ(jeu->texte.lines[last], "Vous etes mort...");
}

TEST_F(Simulation, HitsFlashWhileAliveAndExactlyZeroKills) {
    shootAtMe(2);
    frame(10);
    EXPECT_DOUBLE_EQ(me.health, 65);
    EXPECT_DOUBLE_EQ(me.damageFlash, 1.0);
    frame(100);
    EXPECT_NEAR(me.damageFlash, 0.9, 1e-9);
    frame(2000);
    EXPECT_DOUBLE_EQ(me.damageFlash, 0);
    EXPECT_EQ(me.dead, 0);

    me.health = 20;
    shootAtMe(4);
    shootAtMe(4);
    frame(10);
    EXPECT_EQ(me.dead, 1);
    EXPECT_DOUBLE_EQ(me.health, 0);
    EXPECT_DOUBLE_EQ(me.damageFlash, 0); // a lethal hit does not flash
}

TEST_F(Simulation, RespawnsAfterThreeSecondsOfFrameTime) {
    jeu->map.spawns[0] = Apparition{4, 6};
    jeu->map.spawnCount = 1;
    me.health = 10;
    me.yaw = 33;
    me.pitch = 12;
    shootAtMe(5);
    frame(10); // death frame: the countdown already runs by this frame's time
    ASSERT_EQ(me.dead, 1);
    EXPECT_EQ(jeu->deathTimer, 2990);

    frame(1000);
    frame(1000);
    frame(989);
    EXPECT_EQ(me.dead, 1);
    EXPECT_EQ(jeu->deathTimer, 1);
    EXPECT_DOUBLE_EQ(me.posX, 500000);

    frame(1);
    EXPECT_EQ(me.dead, 0);
    EXPECT_EQ(jeu->deathTimer, 3100);
    expectAt(me, 450, 650, 0);
    EXPECT_DOUBLE_EQ(me.health, 75);
    EXPECT_DOUBLE_EQ(me.yaw, 0);
    EXPECT_DOUBLE_EQ(me.sentYaw, 0);
    EXPECT_DOUBLE_EQ(me.pitch, 12);
}

TEST_F(Simulation, DoorsOpenForTheLocalAndEveryPresentPlayer) {
    Map& map = jeu->map;
    // Already in the motion they will take, so no change near us cuts the update short.
    map.doors[0] = Porte{0, 'h', 5, 3, 4, 0, 3, 0, DOOR_OPENING};    // pivot (300, 500)
    map.doors[1] = Porte{0, 'h', 30, 30, 31, 0, 3, 0, DOOR_OPENING}; // pivot (3000, 3000)
    map.doors[2] = Porte{0, 'h', 60, 60, 61, 0, 3, 0, DOOR_STOPPED}; // pivot (6000, 6000)
    map.doorCount = 3;
    me.posX = 300;
    me.posY = 400;
    Joueur& present = jeu->remotePlayers[3];
    present.state = PLAYER_PRESENT;
    present.posX = 3000;
    present.posY = 3050;
    Joueur& absent = jeu->remotePlayers[5];
    absent.posX = 6000;
    absent.posY = 6000;
    jeu->options.doorSounds = 1; // silent here, but the path must run
    frame(100);
    frame(100);
    EXPECT_EQ(map.doors[0].opening, 200);
    EXPECT_EQ(map.doors[1].opening, 200);
    EXPECT_EQ(map.doors[2].opening, 0);
}

TEST_F(Simulation, OtherPlayersShowTheirStateThenWalkOn) {
    Joueur& other = jeu->remotePlayers[2];
    other.state = PLAYER_PRESENT;
    other.posX = 1000;
    other.posY = 1000;
    other.keys[KEY_FORWARD] = 1;
    other.keys[KEY_LEFT] = 1;
    frame(100);
    expectAt(other, 1000 + STEP_100MS / DIAGONAL, 1000 + STEP_100MS / DIAGONAL);

    const uint8_t forward[4] = {1, 0, 0, 0};
    pushSnapshot(jeu->joueurs, 5000, 2, 2000, 2000, 90, 0, forward, 100);
    frame(100);
    expectAt(other, 2000, 2000 + STEP_100MS);

    Joueur& away = jeu->remotePlayers[4];
    away.posX = 700;
    away.keys[KEY_BACK] = 1;
    addWall('h', 21, 0, 30); // y = 2100: a 60-unit step of slot 2 would cross it
    frame(200);
    EXPECT_DOUBLE_EQ(away.posX, 700);
    EXPECT_NEAR(other.posY, 2000 + STEP_100MS, NEAR);
}

TEST_F(Simulation, MouseTurnsAndTiltsTheViewWithinEightyEightDegrees) {
    jeu->options.horizontalSensitivity = 200;
    cursorAt(testsupport::FIXTURE_WIDTH / 2 + 10, testsupport::FIXTURE_HEIGHT / 2 - 10);
    frame(10);
    EXPECT_DOUBLE_EQ(me.yaw, -2);  // right turns right
    EXPECT_DOUBLE_EQ(me.pitch, 4); // up looks up
    EXPECT_EQ(jeu->cursorPos[0], testsupport::FIXTURE_WIDTH / 2 + 10);

    frame(10); // the cursor went back to the fixed point
    EXPECT_DOUBLE_EQ(me.yaw, -2);

    cursorAt(testsupport::FIXTURE_WIDTH / 2, 0);
    frame(10);
    EXPECT_DOUBLE_EQ(me.pitch, 88);
    cursorAt(testsupport::FIXTURE_WIDTH / 2, testsupport::FIXTURE_HEIGHT);
    frame(10);
    EXPECT_DOUBLE_EQ(me.pitch, 88 - 120);
    cursorAt(testsupport::FIXTURE_WIDTH / 2, testsupport::FIXTURE_HEIGHT * 2);
    frame(10);
    EXPECT_DOUBLE_EQ(me.pitch, -88);
}

TEST_F(Simulation, OpenChatStopsWalkingAndTurningButTheWorldGoesOn) {
    jeu->map.doors[0] = Porte{0, 'h', 10, 10, 11, 0, 2, 0, DOOR_STOPPED}; // pivot (1000, 1000)
    jeu->map.doorCount = 1;
    Joueur& other = jeu->remotePlayers[1];
    other.state = PLAYER_PRESENT;
    other.keys[KEY_FORWARD] = 1;
    jeu->chatOpen = 1;
    hold(platform::KEY_Z);
    cursorAt(0, 0);
    shootAtMe(0);
    frame(100);
    EXPECT_DOUBLE_EQ(me.posX, 1000);
    EXPECT_DOUBLE_EQ(me.yaw, 0);
    EXPECT_DOUBLE_EQ(me.pitch, 0);
    EXPECT_EQ(me.keys[KEY_FORWARD], 0);
    EXPECT_DOUBLE_EQ(me.health, 65);
    EXPECT_EQ(jeu->map.doors[0].opening, 100);
    EXPECT_NEAR(other.posX, STEP_100MS, NEAR);

    jeu->chatOpen = 0; // a free mouse steers nothing either
    jeu->mouseCaptured = 0;
    frame(100);
    EXPECT_DOUBLE_EQ(me.posX, 1000);
    EXPECT_DOUBLE_EQ(me.yaw, 0);
}

} // namespace
