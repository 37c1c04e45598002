// One step of the game by the last frame's duration: the local player, the map, bullets,
// damage, death and respawn, doors, other players' dead reckoning and mouse look.
#pragma once

#include "platform/Saisie.h"

struct Jeu;

// The keys held and the cursor come from `saisie`, read just before the step.
void simulate(Jeu& jeu, const platform::Saisie& saisie);
