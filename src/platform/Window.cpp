#include "platform/Window.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Clock.h"

namespace platform {

namespace {

constexpr int32_t CURSOR_MAX_SIDE = 1024; // far beyond any cursor; bounds the bit planes

// Without an X display SDL may still start an off-screen or other driver, but glutInit
// would then end the whole process: only the X11 driver counts as a window on a screen.
bool videoOnX11() {
    char driver[32] = {};
    return SDL_VideoDriverName(driver, sizeof driver) != nullptr && strcmp(driver, "x11") == 0;
}

} // namespace

int32_t startVideo() {
    // Where SDL 1.2 is SDL 2 underneath, each swap would otherwise clear and blit an
    // off-screen copy of the window: two more passes over every pixel, on a software
    // renderer a good part of a frame. The window is drawn at its own size: nothing to scale.
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0); // 0: never replaces the user's own choice
    for (int32_t attempt = 0; attempt < 3; ++attempt) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) {
            if (videoOnX11()) return 0;
            SDL_Quit();
        }
        sleepMs(200);
    }
    return 1;
}

void setWindowCaption(const char* caption) {
    SDL_WM_SetCaption(caption, nullptr);
}

int32_t openGlWindow(int32_t width, int32_t height) {
    return SDL_SetVideoMode(width, height, 32, SDL_OPENGL) == nullptr ? 1 : 0;
}

bool hasGlWindow() {
    const SDL_Surface* screen = SDL_GetVideoSurface();
    return screen != nullptr && (screen->flags & SDL_OPENGL) != 0;
}

void showFrame() {
    SDL_GL_SwapBuffers();
}

void repeatKeys(int32_t delayMs, int32_t intervalMs) {
    SDL_EnableKeyRepeat(delayMs, intervalMs);
}

void stopVideo() {
    SDL_Quit();
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

} // namespace platform
