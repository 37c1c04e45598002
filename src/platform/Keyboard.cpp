#include "platform/Keyboard.h"

#include <SDL/SDL.h>

#include <atomic>

namespace platform {

namespace {

constexpr int32_t kKeyCount = SDLK_LAST;

struct FakeInput {
    std::atomic<bool> enabled{false};
    bool keys[kKeyCount] = {};
    bool shift = false;
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    bool cursorVisible = true;
};

FakeInput fake;

bool validKey(int32_t key) {
    return key >= 0 && key < kKeyCount;
}

} // namespace

bool isKeyDown(int32_t key) {
    if (!validKey(key)) return false;
    if (fake.enabled) return fake.keys[key];
    int count = 0;
    const Uint8* state = SDL_GetKeyState(&count);
    return state != nullptr && key < count && state[key] != 0;
}

bool isShiftDown() {
    if (fake.enabled) return fake.shift;
    return (SDL_GetModState() & KMOD_SHIFT) != 0;
}

bool wasShiftDown(uint32_t eventModifiers) {
    if (fake.enabled) return fake.shift;
    return (eventModifiers & KMOD_SHIFT) != 0;
}

void readCursor(int32_t& x, int32_t& y) {
    if (fake.enabled) {
        x = fake.cursorX;
        y = fake.cursorY;
        return;
    }
    int cx = 0, cy = 0;
    SDL_GetMouseState(&cx, &cy);
    x = cx;
    y = cy;
}

void warpCursor(int32_t x, int32_t y) {
    if (fake.enabled) {
        fake.cursorX = x;
        fake.cursorY = y;
        return;
    }
    SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y));
}

void showCursor(bool visible) {
    if (fake.enabled) {
        fake.cursorVisible = visible;
        return;
    }
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void useFakeInput(bool enabled) {
    fake.enabled = enabled;
}

void setFakeKey(int32_t key, bool down) {
    if (validKey(key)) fake.keys[key] = down;
}

void setFakeShift(bool down) {
    fake.shift = down;
}

void setFakeCursor(int32_t x, int32_t y) {
    fake.cursorX = x;
    fake.cursorY = y;
}

} // namespace platform
