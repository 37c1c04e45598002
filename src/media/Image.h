// Images from disk into OpenGL textures, and the small image utilities of the game.
#pragma once
#include <cstdint>

struct SDL_Surface;
struct SDL_Cursor;

// Loads an image (JPEG, GIF, TGA...) as a 32-bit RGBA texture, mipmapped or not.
// Returns the OpenGL texture name, or 0 when the file cannot be read or no GL window is open.
// The new texture is left bound. Backslashes in the path are taken as folder separators.
uint32_t loadTexture(const char* path, bool mipmapped);

// A new surface, the source mirrored top to bottom (same size and format); the caller frees
// both. Null when the source is null or no memory is left.
SDL_Surface* flipSurface(SDL_Surface* source);

// Writes the current GL viewport as a BMP file. 0 on success, -1 on failure.
int32_t saveScreenshot(const char* path);

// Draws the x, y and z axes from the origin in red, green and blue, `scale` units long.
void drawAxes(double scale);

// Switches the window to the largest full-screen OpenGL mode and reports its size through
// the pointers that are not null. 0 when switched or when there is nothing to choose
// (no listed mode, or any size allowed); -1 when the switch fails.
int32_t chooseFullScreenMode(int32_t* width, int32_t* height);

// Writes an image as C source of a three-colour XPM (black, white, transparent) usable by
// cursorFromXpm; rows are padded with blanks to a multiple of 8 pixels. 0 on success, -1
// when the image cannot be read or the output cannot be written.
int32_t writeXpmSource(const char* imagePath, const char* outputPath);

// Builds a cursor from the strings of such an XPM (size line, three colour lines, the rows,
// then the hot spot "x,y"). Null when the text is malformed or the cursor cannot be made.
SDL_Cursor* cursorFromXpm(const char* const* xpm);
