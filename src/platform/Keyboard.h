// Keyboard and cursor as the game needs them: is a key held, where is the cursor, put it
// back at the fixed point, show or hide it. The game reads them through the input record of
// platform/Saisie.h.
#pragma once
#include <cstdint>

namespace platform {

// Key codes are those of platform/Saisie.h (SDL 1.2 key symbols).
bool isKeyDown(int32_t key);

// Cursor position in window pixels.
void readCursor(int32_t& x, int32_t& y);
// Puts the cursor at (x, y) in window pixels.
void warpCursor(int32_t x, int32_t y);
void showCursor(bool visible);

} // namespace platform
