#include "game/Frame.h"

#include "game/Jeu.h"
#include "platform/Window.h"

#include <cmath>

namespace {

constexpr double DEG_TO_RAD = 3.1418 / 180;
constexpr double NAME_RANGE_SQUARED = 640000.0; // 800 units
constexpr double NAME_CONE = 0.8;               // cos^2 of about 26.6 degrees

static_assert(TIR_SLOTS <= SCENE_BULLETS, "every bullet in flight can be drawn");
static_assert(MAX_PLAYERS <= SCENE_PLAYERS, "every player can be drawn");

Silhouette silhouetteOf(const Joueur& j) {
    return {j.posX, j.posY, j.yaw, j.pitch, j.colour};
}

void describePlayers(const Jeu& jeu, Scene& scene) {
    const Joueur& me = jeu.localPlayer;
    scene.playerCount = 0;
    scene.nameCount = 0;
    for (const Joueur& r : jeu.remotePlayers) {
        if (r.state != PLAYER_PRESENT) continue;
        scene.players[scene.playerCount++] = silhouetteOf(r);
        if (isPlayerInView(me.posX, me.posY, me.yaw, r.posX, r.posY))
            scene.names[scene.nameCount++] = r.name;
    }
    scene.self = silhouetteOf(me);
}

} // namespace

Camera cameraOf(const Jeu& jeu) {
    const Joueur& me = jeu.localPlayer;
    return {jeu.options.width, jeu.options.height, jeu.options.visibility, me.posX, me.posY, me.yaw,
            me.pitch};
}

void describeFrame(Jeu& jeu, Scene& scene) {
    scene.camera = cameraOf(jeu);
    scene.bulletCount = jeu.tir.liveBullets(scene.bullets);
    describePlayers(jeu, scene);
    scene.playerTextures[0] = jeu.playerTextures[0];
    scene.playerTextures[1] = jeu.playerTextures[1];
    scene.map = &jeu.map;
    scene.mapTextures = &jeu.mapTextures;
    scene.damageFlash = jeu.localPlayer.damageFlash;
    scene.reticleTexture = jeu.reticleTexture;
    scene.health = jeu.localPlayer.health;
    scene.texte = &jeu.texte;
}

void renderFrame(Jeu& jeu) {
    Scene scene;
    describeFrame(jeu, scene);
    drawScene(scene);
    platform::showFrame();
}

bool isPlayerInView(double ownX, double ownY, double ownYaw, double otherX, double otherY) {
    const double dx = otherX - ownX;
    const double dy = otherY - ownY;
    const double c = cos(ownYaw * DEG_TO_RAD);
    const double s = sin(ownYaw * DEG_TO_RAD);
    const double distance2 = dx * dx + dy * dy;
    if (!(distance2 < NAME_RANGE_SQUARED)) return false;
    const double dot = c * dx + s * dy;
    if (!(dot > 0)) return false;
    return dot * dot / ((c * c + s * s) * distance2) > NAME_CONE;
}
