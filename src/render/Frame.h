// Drawing one frame from a description of what it shows: the camera, bullets, players and
// map in 3D, then the 640 x 480 overlay (damage flash, reticle, health bar, messages and the
// chat line, names of the players in view). The game fills a Scene each frame; this draws
// it and reads nothing else.
#pragma once
#include <cstdint>

#include "map/Map.h"
#include "render/Texte.h"
#include "render/TexturesMap.h"

// Where the view is taken from: the window's shape, the view distance, the point the eye
// stands above (130 units up) and its angles in degrees (yaw 0 along +x, pitch up).
struct Camera {
    int32_t width, height;
    int32_t visibility; // the far plane lies visibility x 200 units away
    double x, y;
    double yaw, pitch;
};

// A player's model: where it stands and looks, and its colour (0..7; others are not tinted).
struct Silhouette {
    double x, y;
    double yaw, pitch;
    int32_t colour;
};

constexpr int32_t SCENE_BULLETS = 100;
constexpr int32_t SCENE_PLAYERS = 8;

struct Scene {
    Camera camera;
    int32_t bulletCount;
    double bullets[SCENE_BULLETS][3]; // centres of the bullets in flight
    int32_t playerCount;
    Silhouette players[SCENE_PLAYERS]; // the other players, drawn whole
    Silhouette self;                   // the local player: only its arms, before the eye
    uint32_t playerTextures[2];
    const Map* map; // drawn only when ready
    const TexturesMap* mapTextures;
    double damageFlash; // 0..1: the strength of the red over the view
    uint32_t reticleTexture;
    double health; // the bar is 2 units long per point; none at 0 or below
    Texte* texte;  // its messages age as they are drawn
    int32_t nameCount;
    const char* names[SCENE_PLAYERS]; // written in blue, the first lowest
};

// Clears the window and sets both matrices for the camera.
void setupCamera(const Camera& camera);
// Small black spheres; leaves the colour white and the matrix as it was. Needs glutInit.
void drawBullets(const double (*centres)[3], int32_t count);
// A player's boxes (base, body and arms), or only the arms before the eye, tinted by its
// colour; leaves the colour white.
void drawPlayerModel(const Silhouette& player, const uint32_t textures[2], bool fullBody);
// Overlay pieces, between begin2D and end2D.
void drawDamageFlash(double strength);
void drawReticle(uint32_t texture);
void drawHealthBar(double health);
// The whole frame, flushed; the window then shows it (platform/Window.h).
void drawScene(const Scene& scene);
