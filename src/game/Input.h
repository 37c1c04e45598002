// Events of the game window: focus, function keys, chat line, firing, quitting; and the
// mouse capture that turns cursor motion into view offsets.
#pragma once

struct Jeu;

// Drains the window's event queue. False when the game must stop (window closed, F6, kick).
bool handleEvents(Jeu& jeu);

// Reads the cursor's offset from the fixed point and, while captured, puts it back there.
void updateMouseCapture(Jeu& jeu);
