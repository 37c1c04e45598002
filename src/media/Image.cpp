#include "media/Image.h"

#include <SDL/SDL_image.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/File.h"
#include "platform/GameFolders.h"

namespace {

// Bytes R, G, B, A in memory (little-endian), the order OpenGL's GL_RGBA reads.
constexpr Uint32 MASK_R = 0x000000FF;
constexpr Uint32 MASK_G = 0x0000FF00;
constexpr Uint32 MASK_B = 0x00FF0000;
constexpr Uint32 MASK_A = 0xFF000000;

size_t rowBytes(const Image& image) {
    return static_cast<size_t>(image.width) * 4;
}

SDL_Surface* decode(const char* path) {
    if (path == nullptr) return nullptr;
    char native[4096];
    platform::findDataFile(path, native, sizeof native);
    return IMG_Load(native);
}

// A 32-bit RGBA copy of any loaded image; colour keys become alpha 0 on the way.
SDL_Surface* convertToRgba(SDL_Surface* source) {
    SDL_PixelFormat format;
    memset(&format, 0, sizeof format);
    format.BitsPerPixel = 32;
    format.BytesPerPixel = 4;
    format.Rmask = MASK_R;
    format.Gmask = MASK_G;
    format.Bmask = MASK_B;
    format.Amask = MASK_A;
    format.Rshift = 0;
    format.Gshift = 8;
    format.Bshift = 16;
    format.Ashift = 24;
    format.alpha = 255;
    return SDL_ConvertSurface(source, &format, 0);
}

// The rows of a 32-bit surface, copied without the surface's padding.
int32_t copyPixels(SDL_Surface* surface, Image& out) {
    out.width = surface->w;
    out.height = surface->h;
    const size_t row = rowBytes(out);
    out.pixels = new (std::nothrow) uint8_t[row * static_cast<size_t>(out.height) + 1];
    if (out.pixels == nullptr || SDL_LockSurface(surface) != 0) {
        freeImage(out);
        return 1;
    }
    for (int32_t y = 0; y < out.height; ++y)
        memcpy(out.pixels + row * static_cast<size_t>(y),
               static_cast<const Uint8*>(surface->pixels) +
                   static_cast<size_t>(y) * static_cast<size_t>(surface->pitch),
               row);
    SDL_UnlockSurface(surface);
    return 0;
}

// One RGBA pixel as its XPM character.
char xpmPixel(const uint8_t* p) {
    if (p[3] < 128) return ' ';
    return p[0] < 128 && p[1] < 128 && p[2] < 128 ? 'X' : '.';
}

int32_t writeText(platform::File& file, const char* text) {
    const size_t length = strlen(text);
    return file.write(text, length) == length ? 0 : -1;
}

// The XPM text of an image, written row after row.
int32_t writeXpm(platform::File& file, const char* imagePath, const Image& image) {
    const int paddedWidth = (image.width + 7) / 8 * 8;
    // The array is named after the path cut at its first '.', folders included.
    char name[4096];
    size_t n = 0;
    for (; imagePath[n] != '\0' && imagePath[n] != '.' && n + 1 < sizeof name; ++n)
        name[n] = imagePath[n];
    name[n] = '\0';

    char line[4200];
    snprintf(line, sizeof line, "const char *%s[] =\n", name);
    int32_t failed = writeText(file, line);
    failed |= writeText(file, "\t{\n");
    failed |= writeText(file, "\t\t/* width height num_colors chars_per_pixel */\n");
    snprintf(line, sizeof line, "\t\t\" %d %d 3 1 \",\n", paddedWidth, image.height);
    failed |= writeText(file, line);
    failed |= writeText(file, "\t\t/* colors */\n");
    failed |= writeText(file, "\t\t\"X c #000000\",\n");
    failed |= writeText(file, "\t\t\". c #ffffff\",\n");
    failed |= writeText(file, "\t\t\"  c None\",\n");
    failed |= writeText(file, "\t\t/* pixels */\n");
    if (failed != 0) return -1;

    const size_t rowLength = static_cast<size_t>(paddedWidth) + 6; // tabs, quotes, comma, newline
    char* row = new (std::nothrow) char[rowLength + 1];
    if (row == nullptr) return -1;
    for (int y = 0; y < image.height && failed == 0; ++y) {
        const uint8_t* pixels = image.pixels + rowBytes(image) * static_cast<size_t>(y);
        size_t k = 0;
        row[k++] = '\t';
        row[k++] = '\t';
        row[k++] = '"';
        for (int x = 0; x < paddedWidth; ++x)
            row[k++] = x < image.width ? xpmPixel(pixels + x * 4) : ' ';
        row[k++] = '"';
        row[k++] = ',';
        row[k++] = '\n';
        row[k] = '\0';
        failed |= writeText(file, row);
    }
    delete[] row;
    failed |= writeText(file, "\t\t\"0,0\"\n");
    failed |= writeText(file, "\t};\n");
    return failed;
}

} // namespace

int32_t loadImage(const char* path, Image& out) {
    out = Image{0, 0, nullptr};
    SDL_Surface* loaded = decode(path);
    if (loaded == nullptr) return 1;
    SDL_Surface* converted = convertToRgba(loaded);
    SDL_FreeSurface(loaded);
    // Out of memory: give up on this image rather than read from a missing buffer.
    if (converted == nullptr) return 1;
    const int32_t result = copyPixels(converted, out);
    SDL_FreeSurface(converted);
    return result;
}

void freeImage(Image& image) {
    delete[] image.pixels;
    image = Image{0, 0, nullptr};
}

int32_t saveBmp(const char* path, const Image& image) {
    if (path == nullptr || image.pixels == nullptr) return -1;
    SDL_Surface* surface =
        SDL_CreateRGBSurface(0, image.width, image.height, 32, MASK_R, MASK_G, MASK_B, MASK_A);
    if (surface == nullptr) return -1;
    if (SDL_LockSurface(surface) != 0) {
        SDL_FreeSurface(surface);
        return -1;
    }
    const size_t row = rowBytes(image);
    for (int32_t y = 0; y < image.height; ++y)
        memcpy(static_cast<Uint8*>(surface->pixels) +
                   static_cast<size_t>(y) * static_cast<size_t>(surface->pitch),
               image.pixels + row * static_cast<size_t>(y), row);
    SDL_UnlockSurface(surface);
    char native[4096];
    platform::toNativePath(path, native, sizeof native);
    SDL_RWops* stream = SDL_RWFromFile(native, "wb");
    const int saved = stream != nullptr ? SDL_SaveBMP_RW(surface, stream, 1) : -1;
    SDL_FreeSurface(surface);
    return saved == 0 ? 0 : -1;
}

int32_t writeXpmSource(const char* imagePath, const char* outputPath) {
    if (outputPath == nullptr) return -1;
    Image image;
    if (loadImage(imagePath, image) != 0) return -1;
    platform::File file;
    int32_t result = -1;
    if (file.createWrite(outputPath) == 0) result = writeXpm(file, imagePath, image);
    file.close();
    freeImage(image);
    return result;
}
