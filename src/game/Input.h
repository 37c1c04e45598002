// The window's input as the game acts on it: focus, function keys, chat line, firing and
// quitting from the frame's events; the mouse capture that turns cursor motion into view
// offsets. All of it reads the frame's input record, never a device.
#pragma once
#include <cstdint>

#include "platform/Saisie.h"

struct Jeu;

// Acts on the record's events in order, taking each out as it is handled. False when the
// game must stop (close button, F6, or kicked by the host, which is checked before any
// event); the events after the one that stopped it stay in the record.
bool handleEvents(Jeu& jeu, platform::Saisie& saisie);

// The fire button: once the cooldown has run out (below 0), a bullet leaves the local
// player's eye level (117 units) along its view at 10000 units a second; it goes to every
// peer (MSG_SHOT) and into the shot table, the cooldown starts again (FIRE_COOLDOWN) and the
// shot is heard. True when a shot left.
bool shoot(Jeu& jeu);

// The cursor of the record, as an offset from the fixed point (the window's centre).
void updateMouseCapture(Jeu& jeu, const platform::Saisie& saisie);
// True, with the fixed point in (x, y), while the mouse steers the view: the cursor is then
// hidden and put back there after each simulation step. False while it is free and shown.
bool heldCursorPoint(const Jeu& jeu, int32_t& x, int32_t& y);
