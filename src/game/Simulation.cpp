#include "game/Simulation.h"

#include "game/Input.h"
#include "game/Jeu.h"
#include "game/Protocole.h"
#include "net/Reseau.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr double DEG_TO_RAD = 3.1418 / 180;
constexpr double WALK_SPEED = 3.0 * 100 / 1000; // units per ms
constexpr double STRAFE_ANGLE = 1.5709;
constexpr double DIAGONAL_DIVISOR = 1.414;
constexpr double DAMAGE_PER_HIT = 10.0;
constexpr double FLASH_ON_HIT = 1.0;
constexpr double FLASH_DECAY = 0.001; // per ms
constexpr double PARKING = 500000.0;  // far outside every map: bullets and boxes miss it
constexpr double RESPAWN_HEALTH = 75.0;
constexpr int32_t FORCED_SEND = 500;
constexpr double TURN_THRESHOLD = 10.0;
constexpr double MOUSE_DIVISOR = 500.0;
constexpr double PITCH_LIMIT = 88.0;
constexpr double CELL = 100.0;
constexpr int32_t MAX_DOOR_POSITIONS = 8;

// The player's step for one frame from its four key flags, turned by its yaw.
// Opposite keys cancel; the diagonal shortening is left to the caller.
void walkStep(double yaw, const uint8_t keys[4], int32_t t, double& dx, double& dy) {
    const double a = yaw * DEG_TO_RAD;
    if (keys[KEY_FORWARD] != 0) {
        dx += std::cos(a) * WALK_SPEED * t;
        dy += std::sin(a) * WALK_SPEED * t;
    }
    if (keys[KEY_BACK] != 0) {
        dx -= std::cos(a) * WALK_SPEED * t;
        dy -= std::sin(a) * WALK_SPEED * t;
    }
    if (keys[KEY_LEFT] != 0) {
        dx += std::cos(a + STRAFE_ANGLE) * WALK_SPEED * t;
        dy += std::sin(a + STRAFE_ANGLE) * WALK_SPEED * t;
    }
    if (keys[KEY_RIGHT] != 0) {
        dx += std::cos(a - STRAFE_ANGLE) * WALK_SPEED * t;
        dy += std::sin(a - STRAFE_ANGLE) * WALK_SPEED * t;
    }
}

bool isDiagonal(const uint8_t keys[4]) {
    const bool moving = keys[KEY_FORWARD] != 0 || keys[KEY_BACK] != 0;
    const bool strafing = keys[KEY_LEFT] != 0 || keys[KEY_RIGHT] != 0;
    return moving && strafing;
}

// The frame time as the queries take it; a stalled clock cannot wrap it negative.
int32_t frameTime(const Jeu& jeu) {
    const uint32_t elapsed = jeu.frameTimer.elapsed;
    return elapsed > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(elapsed);
}

bool steersView(const Jeu& jeu) {
    return jeu.mouseCaptured == 1 && jeu.chatOpen == 0;
}

// A game without a transport (tools, tests) simulates silently.
void sendToAll(Jeu& jeu, int32_t type, int32_t argument, const void* payload) {
    if (jeu.reseau != nullptr) jeu.reseau->sendMessage(type, argument, payload, -1);
}

// Z, S, Q, D are the keys held as the frame's input was read, whatever its key events said.
void readMovementKeys(const Jeu& jeu, const platform::Saisie& saisie, uint8_t keys[4]) {
    memset(keys, 0, 4);
    if (!steersView(jeu)) return;
    keys[KEY_FORWARD] = saisie.keysHeld[platform::KEY_Z] != 0 ? 1 : 0;
    keys[KEY_BACK] = saisie.keysHeld[platform::KEY_S] != 0 ? 1 : 0;
    keys[KEY_LEFT] = saisie.keysHeld[platform::KEY_Q] != 0 ? 1 : 0;
    keys[KEY_RIGHT] = saisie.keysHeld[platform::KEY_D] != 0 ? 1 : 0;
}

// Teleporters and health boxes act on the step and the position before the move.
void touchMapElements(Jeu& jeu, double& dx, double& dy, int32_t t) {
    Joueur& me = jeu.localPlayer;
    if (jeu.map.crossTeleporters(dx, dy, me.posX, me.posY, me.yaw)) {
        me.stateSendTimer = FORCED_SEND;
        jeu.son.playSound(SON_TELEPORTEUR);
    }
    const int32_t box = jeu.map.takeHealthBox(me.posX, me.posY, me.health, t);
    if (box != -1) {
        jeu.son.playSound(SON_CAISSE);
        sendToAll(jeu, MSG_TAKE_BOX, box, nullptr);
    }
}

void die(Jeu& jeu, int32_t killer) {
    Joueur& me = jeu.localPlayer;
    uint8_t payload[PAYLOAD_SIZE] = {};
    const double shooter = killer;
    memcpy(payload, &shooter, sizeof shooter);
    sendToAll(jeu, MSG_FRAG, me.id, payload);
    jeu.deathTimer = DEATH_TIMER_DEAD;
    me.posX = PARKING;
    me.posY = PARKING;
    jeu.son.playSound(SON_MAL);
    jeu.texte.addMessage("Vous etes mort...");
    me.dead = 1;
}

// Shooter by shooter, so the frag names the first whose damage was lethal.
void applyDamage(Jeu& jeu, const int32_t hits[MAX_PLAYERS]) {
    Joueur& me = jeu.localPlayer;
    for (int32_t i = 0; i < MAX_PLAYERS; ++i) {
        if (hits[i] == 0 || i == me.id) continue;
        sendToAll(jeu, MSG_HIT, i, nullptr);
        me.health -= hits[i] * DAMAGE_PER_HIT;
        if (me.health > 0) {
            me.damageFlash = FLASH_ON_HIT;
            jeu.son.playSound(SON_MAL);
        } else if (jeu.deathTimer > DEATH_TIMER_DEAD) {
            die(jeu, i);
        }
    }
}

void respawn(Jeu& jeu) {
    Joueur& me = jeu.localPlayer;
    jeu.deathTimer = DEATH_TIMER_ALIVE;
    int32_t cell[2] = {1, 1};
    jeu.map.pickSpawn(cell);
    me.posX = (cell[0] + 0.5) * CELL;
    me.posY = (cell[1] + 0.5) * CELL;
    me.sentYaw = 0;
    me.yaw = 0;
    me.health = RESPAWN_HEALTH;
    me.dead = 0;
}

void countDownDeath(Jeu& jeu, int32_t t) {
    if (jeu.localPlayer.dead == 0) return;
    if (jeu.deathTimer >= 0) jeu.deathTimer -= t;
    if (jeu.deathTimer <= 0) respawn(jeu);
}

// Doors open for the local player first, then for every present remote player.
void moveDoors(Jeu& jeu, int32_t t) {
    double xs[MAX_DOOR_POSITIONS];
    double ys[MAX_DOOR_POSITIONS];
    int32_t n = 0;
    xs[n] = jeu.localPlayer.posX;
    ys[n] = jeu.localPlayer.posY;
    ++n;
    for (int32_t k = 0; k < MAX_PLAYERS && n < MAX_DOOR_POSITIONS; ++k) {
        const Joueur& r = jeu.remotePlayers[k];
        if (r.state != PLAYER_PRESENT) continue;
        xs[n] = r.posX;
        ys[n] = r.posY;
        ++n;
    }
    const int32_t motion = jeu.map.updateDoors(n, xs, ys, t);
    if (jeu.options.doorSounds == 0) return;
    if (motion == DOOR_OPENING) jeu.son.playSound(SON_OUVRE);
    if (motion == DOOR_CLOSING) jeu.son.playSound(SON_FERME);
}

// A state message goes out at once after a key change or a turn of more than 10 degrees.
void forceStateOnChange(Joueur& me, const uint8_t keys[4]) {
    if (memcmp(keys, me.keys, 4) != 0) me.stateSendTimer = FORCED_SEND;
    const double d = me.yaw - me.sentYaw;
    const double s = d >= 0 ? 1.0 : -1.0;
    if (s * d > TURN_THRESHOLD) {
        me.stateSendTimer = FORCED_SEND;
        me.sentYaw = me.yaw;
    }
    memcpy(me.keys, keys, 4);
}

// Between two states each present player walks on with the keys and heading it last sent.
void deadReckon(const Map& map, Joueur& r, int32_t t) {
    double dx = 0;
    double dy = 0;
    walkStep(r.yaw, r.keys, t, dx, dy);
    if (isDiagonal(r.keys)) {
        dx /= DIAGONAL_DIVISOR;
        dy /= DIAGONAL_DIVISOR;
    }
    map.clipMove(dx, dy, r.posX, r.posY);
    r.posX += dx;
    r.posY += dy;
}

void moveRemotePlayers(Jeu& jeu, int32_t t) {
    ageSnapshots(jeu.joueurs, t);
    for (Joueur& r : jeu.remotePlayers) {
        showSnapshot(jeu.joueurs, r);
        if (r.state == PLAYER_PRESENT) deadReckon(jeu.map, r, t);
    }
}

// Horizontal mouse motion turns about the vertical axis, vertical motion tilts the view.
void lookWithMouse(Jeu& jeu) {
    Joueur& me = jeu.localPlayer;
    if (steersView(jeu)) {
        // In doubles: a sensitivity read from a file must not overflow an int product.
        me.yaw -=
            static_cast<double>(jeu.mouseDx) * jeu.options.verticalSensitivity / MOUSE_DIVISOR;
        me.pitch -=
            static_cast<double>(jeu.mouseDy) * jeu.options.horizontalSensitivity / MOUSE_DIVISOR;
    }
    if (me.pitch > PITCH_LIMIT) me.pitch = PITCH_LIMIT;
    if (me.pitch < -PITCH_LIMIT) me.pitch = -PITCH_LIMIT;
}

} // namespace

void simulate(Jeu& jeu, const platform::Saisie& saisie) {
    Joueur& me = jeu.localPlayer;
    const int32_t t = frameTime(jeu);

    double dx = 0;
    double dy = 0;
    uint8_t keys[4];
    readMovementKeys(jeu, saisie, keys);
    walkStep(me.yaw, keys, t, dx, dy);

    jeu.map.clipMove(dx, dy, me.posX, me.posY);
    touchMapElements(jeu, dx, dy, t);

    int32_t hits[MAX_PLAYERS] = {};
    jeu.tir.update(me.posX, me.posY, t, jeu.map, hits);
    me.damageFlash -= t * FLASH_DECAY;
    if (me.damageFlash < 0) me.damageFlash = 0;
    applyDamage(jeu, hits);
    countDownDeath(jeu, t);
    moveDoors(jeu, t);

    // Only shortens a step the walls and teleporters already allowed.
    if (isDiagonal(keys)) {
        dx /= DIAGONAL_DIVISOR;
        dy /= DIAGONAL_DIVISOR;
    }
    me.posX += dx;
    me.posY += dy;

    forceStateOnChange(me, keys);
    moveRemotePlayers(jeu, t);
    updateMouseCapture(jeu, saisie);
    lookWithMouse(jeu);
}
