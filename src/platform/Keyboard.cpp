#include "platform/Keyboard.h"

#include <SDL/SDL.h>

namespace platform {

bool isKeyDown(int32_t key) {
    if (key < 0 || key >= SDLK_LAST) return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyState(&count);
    return state != nullptr && key < count && state[key] != 0;
}

void readCursor(int32_t& x, int32_t& y) {
    int cx = 0, cy = 0;
    SDL_GetMouseState(&cx, &cy);
    x = cx;
    y = cy;
}

void warpCursor(int32_t x, int32_t y) {
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
}

void showCursor(bool visible) {
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

} // namespace platform
