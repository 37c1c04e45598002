// The game window: the video system, one window with an OpenGL context, its caption, showing
// a drawn frame, key repeat, and the cursors of the window system.
#pragma once
#include <cstdint>

struct SDL_Cursor;

namespace platform {

// Starts the video system on an X display. A busy X server may turn a connection away for a
// moment and SDL then falls back to another driver, so the screen is tried three times,
// 200 ms apart; only X11 counts, since GLUT would end the process on any other. 0 or 1.
int32_t startVideo();
void setWindowCaption(const char* caption);
// Opens the window, 32 bits per pixel, with an OpenGL context current on this thread.
// 0, or 1 when no such window can be opened.
int32_t openGlWindow(int32_t width, int32_t height);
// True while a window with an OpenGL context is open.
bool hasGlWindow();
// Shows the frame drawn since the last call.
void showFrame();
// Repeats a held key's press after `delayMs`, then every `intervalMs`.
void repeatKeys(int32_t delayMs, int32_t intervalMs);
// Ends the video system, the window with it, and whatever else of SDL was started.
void stopVideo();

// Builds a cursor from the strings of a three-colour XPM (size line, three colour lines, the
// rows, then the hot spot "x,y"), as media/Image.h writes them. Null when the text is
// malformed or the cursor cannot be made.
SDL_Cursor* cursorFromXpm(const char* const* xpm);

} // namespace platform
