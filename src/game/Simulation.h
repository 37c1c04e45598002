// One step of the game by the last frame's duration: the local player, the map, bullets,
// damage, death and respawn, doors, other players' dead reckoning and mouse look.
#pragma once

struct Jeu;

void simulate(Jeu& jeu);
