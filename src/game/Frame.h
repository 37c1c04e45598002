// What one frame shows, taken from the game record: the local player's camera and arms, the
// bullets in flight, the other players present, the map, the overlay's flash, reticle,
// health, messages, and the names of the players in view. render/Frame.h draws it.
#pragma once

#include "render/Frame.h"

struct Jeu;

// The local player's view in the game's window.
Camera cameraOf(const Jeu& jeu);
// Fills every field of `scene` from the game; the scene points into the game's record.
void describeFrame(Jeu& jeu, Scene& scene);
// Draws the frame described and shows it in the window.
void renderFrame(Jeu& jeu);
// A player's name is written while it stands within 800 units and about 26.6 degrees of the
// view's heading.
bool isPlayerInView(double ownX, double ownY, double ownYaw, double otherX, double otherY);
