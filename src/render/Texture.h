// Textures from image files, screenshots of the window, and the axes drawn for debugging.
// Each needs the game window's OpenGL context and does nothing without one.
#pragma once
#include <cstdint>

// Loads an image (JPEG, GIF, TGA...) as a texture, mipmapped or not, the image's bottom row
// as the texture's first: RGBA when the image has see-through texels (alpha below 255),
// RGB when it has none, so that the texture itself says whether blending can change a pixel.
// Returns the OpenGL texture name, or 0 when the file cannot be read or no GL window is
// open. The new texture is left bound. Backslashes in the path are taken as folder
// separators.
uint32_t loadTexture(const char* path, bool mipmapped);

// True when the texture has an alpha channel (0, no texture, has none). Binds it.
bool hasAlpha(uint32_t texture);
// Binds a texture for the 3D scene, with blending on only where it can change a pixel: a
// texture without alpha (and 0, under the scene's opaque colours) writes the same pixels
// unblended, and a software renderer writes them faster.
void useTexture(uint32_t texture);

// Writes the current GL viewport as a BMP file. 0 on success, -1 on failure.
int32_t saveScreenshot(const char* path);

// Draws the x, y and z axes from the origin in red, green and blue, `scale` units long.
void drawAxes(double scale);
