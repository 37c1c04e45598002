#include "media/Image.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/File.h"

namespace {

// Every upload and screenshot uses these masks: bytes R, G, B, A in memory (little-endian),
// which is what GL_RGBA with GL_UNSIGNED_BYTE reads.
constexpr Uint32 MASK_R = 0x000000FF;
constexpr Uint32 MASK_G = 0x0000FF00;
constexpr Uint32 MASK_B = 0x00FF0000;
constexpr Uint32 MASK_A = 0xFF000000;

constexpr int32_t CURSOR_MAX_SIDE = 1024; // far beyond any cursor; bounds the bit planes

// The map loader also runs from the console and from tests, where no window exists:
// GL calls there would have no context to act on.
bool glWindowOpen() {
    const SDL_Surface* screen = SDL_GetVideoSurface();
    return screen != nullptr && (screen->flags & SDL_OPENGL) != 0;
}

SDL_Surface* loadImage(const char* path) {
    if (path == nullptr) return nullptr;
    char native[4096];
    platform::toNativePath(path, native, sizeof native);
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

SDL_Surface* createRgbaSurface(int width, int height) {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, MASK_R, MASK_G, MASK_B, MASK_A);
}

// One pixel of a 32-bit RGBA surface as its XPM character.
char xpmPixel(Uint32 pixel) {
    const Uint32 red = pixel & 0xFF, green = (pixel >> 8) & 0xFF, blue = (pixel >> 16) & 0xFF;
    const Uint32 alpha = pixel >> 24;
    if (alpha < 128) return ' ';
    return red < 128 && green < 128 && blue < 128 ? 'X' : '.';
}

int32_t writeText(platform::File& file, const char* text) {
    const size_t length = strlen(text);
    return file.write(text, length) == length ? 0 : -1;
}

// The XPM text of an RGBA surface, written row after row.
int32_t writeXpm(platform::File& file, const char* imagePath, SDL_Surface* image) {
    const int paddedWidth = (image->w + 7) / 8 * 8;
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
    snprintf(line, sizeof line, "\t\t\" %d %d 3 1 \",\n", paddedWidth, image->h);
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
    if (SDL_LockSurface(image) != 0) {
        delete[] row;
        return -1;
    }
    for (int y = 0; y < image->h && failed == 0; ++y) {
        const Uint8* pixels = static_cast<const Uint8*>(image->pixels) + y * image->pitch;
        size_t k = 0;
        row[k++] = '\t';
        row[k++] = '\t';
        row[k++] = '"';
        for (int x = 0; x < paddedWidth; ++x) {
            Uint32 pixel = 0;
            if (x < image->w) memcpy(&pixel, pixels + x * 4, 4);
            row[k++] = x < image->w ? xpmPixel(pixel) : ' ';
        }
        row[k++] = '"';
        row[k++] = ',';
        row[k++] = '\n';
        row[k] = '\0';
        failed |= writeText(file, row);
    }
    SDL_UnlockSurface(image);
    delete[] row;
    failed |= writeText(file, "\t\t\"0,0\"\n");
    failed |= writeText(file, "\t};\n");
    return failed;
}

} // namespace

uint32_t loadTexture(const char* path, bool mipmapped) {
    if (!glWindowOpen()) return 0;
    SDL_Surface* loaded = loadImage(path);
    if (loaded == nullptr) return 0;
    SDL_Surface* converted = convertToRgba(loaded);
    SDL_FreeSurface(loaded);
    // Out of memory: give up on this image rather than upload from a missing buffer.
    if (converted == nullptr) return 0;
    SDL_Surface* flipped = flipSurface(converted);
    SDL_FreeSurface(converted);
    if (flipped == nullptr) return 0;

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    if (mipmapped) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, flipped->w, flipped->h, GL_RGBA, GL_UNSIGNED_BYTE,
                          flipped->pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, 4, flipped->w, flipped->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     flipped->pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    SDL_FreeSurface(flipped);
    return name;
}

SDL_Surface* flipSurface(SDL_Surface* source) {
    if (source == nullptr) return nullptr;
    const SDL_PixelFormat* f = source->format;
    SDL_Surface* copy = SDL_CreateRGBSurface(0, source->w, source->h, f->BitsPerPixel, f->Rmask,
                                             f->Gmask, f->Bmask, f->Amask);
    if (copy == nullptr) return nullptr;
    if (SDL_LockSurface(source) != 0) {
        SDL_FreeSurface(copy);
        return nullptr;
    }
    if (SDL_LockSurface(copy) != 0) {
        SDL_UnlockSurface(source);
        SDL_FreeSurface(copy);
        return nullptr;
    }
    const size_t rowBytes = source->pitch < copy->pitch ? source->pitch : copy->pitch;
    for (int i = 0; i < source->h; ++i) {
        const Uint8* from = static_cast<const Uint8*>(source->pixels) +
                            static_cast<size_t>(source->h - 1 - i) * source->pitch;
        memcpy(static_cast<Uint8*>(copy->pixels) + static_cast<size_t>(i) * copy->pitch, from,
               rowBytes);
    }
    SDL_UnlockSurface(copy);
    SDL_UnlockSurface(source);
    return copy;
}

int32_t saveScreenshot(const char* path) {
    if (path == nullptr || !glWindowOpen()) return -1;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0) return -1;
    SDL_Surface* shot = createRgbaSurface(viewport[2], viewport[3]);
    if (shot == nullptr) return -1;
    SDL_LockSurface(shot);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE,
                 shot->pixels);
    SDL_UnlockSurface(shot);
    // GL reads from the bottom row up; a BMP viewer expects the top row first.
    SDL_Surface* flipped = flipSurface(shot);
    SDL_FreeSurface(shot);
    if (flipped == nullptr) return -1;
    char native[4096];
    platform::toNativePath(path, native, sizeof native);
    SDL_RWops* stream = SDL_RWFromFile(native, "wb");
    const int saved = stream != nullptr ? SDL_SaveBMP_RW(flipped, stream, 1) : -1;
    SDL_FreeSurface(flipped);
    return saved == 0 ? 0 : -1;
}

void drawAxes(double scale) {
    if (!glWindowOpen()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushMatrix();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glLineWidth(2.0f);
    glScaled(scale, scale, scale);
    glBegin(GL_LINES);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 1.0f);
    glEnd();
    glPopMatrix();
    glPopAttrib();
}

int32_t chooseFullScreenMode(int32_t* width, int32_t* height) {
    const Uint32 flags = SDL_FULLSCREEN | SDL_OPENGL;
    SDL_Rect** modes = SDL_ListModes(nullptr, flags);
    if (modes == nullptr || modes == reinterpret_cast<SDL_Rect**>(-1) || modes[0] == nullptr)
        return 0;
    // SDL lists the largest mode first.
    const int w = modes[0]->w, h = modes[0]->h;
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    const int bpp = info != nullptr && info->vfmt != nullptr ? info->vfmt->BitsPerPixel : 32;
    return SDL_SetVideoMode(w, h, bpp, flags) != nullptr ? 0 : -1;
}

int32_t writeXpmSource(const char* imagePath, const char* outputPath) {
    if (outputPath == nullptr) return -1;
    SDL_Surface* loaded = loadImage(imagePath);
    if (loaded == nullptr) return -1;
    SDL_Surface* image = convertToRgba(loaded);
    SDL_FreeSurface(loaded);
    if (image == nullptr) return -1;
    platform::File file;
    int32_t result = -1;
    if (file.createWrite(outputPath) == 0) result = writeXpm(file, imagePath, image);
    file.close();
    SDL_FreeSurface(image);
    return result;
}

SDL_Cursor* cursorFromXpm(const char* const* xpm) {
    if (xpm == nullptr || xpm[0] == nullptr) return nullptr;
    int width = 0, height = 0;
    if (sscanf(xpm[0], "%d %d", &width, &height) != 2) return nullptr;
    if (width <= 0 || height <= 0 || width % 8 != 0 || width > CURSOR_MAX_SIDE ||
        height > CURSOR_MAX_SIDE)
        return nullptr;
    for (int i = 1; i <= 4 + height; ++i)
        if (xpm[i] == nullptr) return nullptr; // rows or hot spot missing
    int hotX = 0, hotY = 0;
    if (sscanf(xpm[4 + height], "%d,%d", &hotX, &hotY) != 2) return nullptr;

    const size_t rowBytes = static_cast<size_t>(width / 8);
    const size_t planeBytes = rowBytes * static_cast<size_t>(height);
    Uint8* data = new (std::nothrow) Uint8[planeBytes]();
    Uint8* mask = new (std::nothrow) Uint8[planeBytes]();
    SDL_Cursor* cursor = nullptr;
    if (data != nullptr && mask != nullptr) {
        for (int y = 0; y < height; ++y) {
            const char* row = xpm[4 + y];
            const size_t length = strlen(row);
            for (int x = 0; x < width && static_cast<size_t>(x) < length; ++x) {
                const size_t at = static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x / 8);
                const Uint8 bit = static_cast<Uint8>(0x80 >> (x % 8));
                if (row[x] == 'X') { // black
                    data[at] |= bit;
                    mask[at] |= bit;
                } else if (row[x] == '.') { // white
                    mask[at] |= bit;
                }
            }
        }
        cursor = SDL_CreateCursor(data, mask, width, height, hotX, hotY);
    }
    delete[] data;
    delete[] mask;
    return cursor;
}
