// Textures from image files, screenshots of the window, and the axes drawn for debugging.
// Each needs the game window's OpenGL context and does nothing without one.
#pragma once
#include <cstdint>

// Loads an image (JPEG, GIF, TGA...) as a 32-bit RGBA texture, mipmapped or not, the image's
// bottom row as the texture's first. Returns the OpenGL texture name, or 0 when the file
// cannot be read or no GL window is open. The new texture is left bound. Backslashes in the
// path are taken as folder separators.
uint32_t loadTexture(const char* path, bool mipmapped);

// Writes the current GL viewport as a BMP file. 0 on success, -1 on failure.
int32_t saveScreenshot(const char* path);

// Draws the x, y and z axes from the origin in red, green and blue, `scale` units long.
void drawAxes(double scale);
