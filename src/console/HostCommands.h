// Console commands that act on the map display and on the running game. Requests for the
// game go through the network object's queue; the game thread carries them out.
#pragma once
#include <cstdint>

struct Console;

// affichemap N: prints the elements of map N as read at start.
void showMap(Console& console, int32_t n);
// dire: posts the 48-byte text line as a chat message, once started.
void say(Console& console, const char text[48]);
// score: asks the game to show the scores, once started.
void showScore(Console& console);
// chargemap N (host): switches everybody to map N of the list file as it is now.
void loadMap(Console& console, int32_t n);
// expulse N, N already checked to be 0..6: the host kicks that player, once started.
void kick(Console& console, int32_t n);
// reset (host): every score back to 0.
void resetScores(Console& console);
