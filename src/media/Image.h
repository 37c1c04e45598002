// Images on disk: decoding (JPEG, GIF, TGA...) into plain RGBA pixels, and writing pixels out
// as a BMP file or as the C source of a three-colour XPM.
#pragma once
#include <cstdint>

// Pixels of 4 bytes R, G, B, A, rows from the top, without padding.
struct Image {
    int32_t width;
    int32_t height;
    uint8_t* pixels; // new[], width x height x 4 bytes; null when empty
};

// Decodes the image file at `path` (backslashes are taken as folder separators); colour
// keys become alpha 0. 0, or 1 when it cannot be read or decoded (`out` is then empty).
int32_t loadImage(const char* path, Image& out);
// Releases the pixels and leaves the image empty.
void freeImage(Image& image);

// Writes the image as a BMP file. 0 on success, -1 on failure.
int32_t saveBmp(const char* path, const Image& image);

// Writes an image as C source of a three-colour XPM (black, white, transparent), as the
// cursor maker of platform/Window.h reads it; rows are padded with blanks to a multiple of
// 8 pixels. 0 on success, -1 when the image cannot be read or the output cannot be written.
int32_t writeXpmSource(const char* imagePath, const char* outputPath);
