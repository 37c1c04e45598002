// Keyboard and cursor as the game needs them: is a key held, is Shift held, where is the
// cursor, put it back at the fixed point. Tests can replace the real devices with a fake
// keyboard and cursor, so the simulation runs without a display.
#pragma once
#include <cstdint>

namespace platform {

// Key codes are SDL 1.2 key symbols (SDLK_z is 'z', and so on).
bool isKeyDown(int32_t key);
bool isShiftDown();
// Shift as it was when a key event was made, from the event's modifier bits: several events
// can wait for one frame, and by then Shift may already be released or pressed for the next.
bool wasShiftDown(uint32_t eventModifiers);

// Cursor position in window pixels.
void readCursor(int32_t& x, int32_t& y);
// Puts the cursor at (x, y) in window pixels.
void warpCursor(int32_t x, int32_t y);
void showCursor(bool visible);

// The fake devices, for tests: when enabled, the functions above read and write these.
void useFakeInput(bool enabled);
void setFakeKey(int32_t key, bool down);
void setFakeShift(bool down);
void setFakeCursor(int32_t x, int32_t y);

} // namespace platform
