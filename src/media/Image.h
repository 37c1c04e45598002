// Images from disk into OpenGL textures, and the small image utilities of the game.
#pragma once
#include <cstdint>

// Loads an image (JPEG, GIF, TGA...) as a 32-bit RGBA texture, mipmapped or not.
// Returns the OpenGL texture name, or 0 when the file cannot be read or no GL window is open.
uint32_t loadTexture(const char* path, bool mipmapped);
