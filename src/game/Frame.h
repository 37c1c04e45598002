// Drawing one frame: camera, bullets, players, map, then the overlay (flash, reticle,
// health bar, messages, chat line, names of players in view), then the swap.
#pragma once
#include <cstdint>

struct Jeu;

void renderFrame(Jeu& jeu);
void setupCamera(const Jeu& jeu);
void drawPlayers(const Jeu& jeu);
void drawPlayerModel(double x, double y, double yaw, double pitch, int32_t colour,
                     const uint32_t textures[2], bool fullBody);
void drawDamageFlash(const Jeu& jeu);
void drawReticle(const Jeu& jeu);
void drawHealthBar(const Jeu& jeu);
bool isPlayerInView(double ownX, double ownY, double ownYaw, double otherX, double otherY);
