#include "platform/Saisie.h"

#include <SDL/SDL.h>

#include <cstring>

#include "platform/Keyboard.h"

namespace platform {

static_assert(KEY_BACKSPACE == SDLK_BACKSPACE && KEY_TAB == SDLK_TAB && KEY_RETURN == SDLK_RETURN &&
                  KEY_ESCAPE == SDLK_ESCAPE && KEY_SPACE == SDLK_SPACE && KEY_COMMA == SDLK_COMMA &&
                  KEY_PERIOD == SDLK_PERIOD && KEY_0 == SDLK_0 && KEY_2 == SDLK_2 &&
                  KEY_4 == SDLK_4 && KEY_9 == SDLK_9 && KEY_BACKQUOTE == SDLK_BACKQUOTE &&
                  KEY_A == SDLK_a && KEY_D == SDLK_d && KEY_Q == SDLK_q && KEY_S == SDLK_s &&
                  KEY_Z == SDLK_z && KEY_KP0 == SDLK_KP0 && KEY_KP9 == SDLK_KP9 &&
                  KEY_F1 == SDLK_F1 && KEY_F2 == SDLK_F2 && KEY_F6 == SDLK_F6 &&
                  KEY_COUNT == SDLK_LAST,
              "key codes are SDL's key symbols");
static_assert(BUTTON_LEFT == SDL_BUTTON_LEFT && BUTTON_MIDDLE == SDL_BUTTON_MIDDLE &&
                  BUTTON_RIGHT == SDL_BUTTON_RIGHT,
              "buttons are numbered as SDL numbers them");

namespace {

// The event as the game takes it; false for those it does not act on.
bool translate(const SDL_Event& event, Evenement& out) {
    out = Evenement{};
    switch (event.type) {
    case SDL_ACTIVEEVENT:
        // The mouse entering or leaving the window alone changes nothing for the game.
        if ((event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) == 0) return false;
        out.kind = EVENT_FOCUS;
        out.gained = event.active.gain != 0 ? 1 : 0;
        return true;
    case SDL_KEYDOWN:
        out.kind = EVENT_KEY;
        out.code = event.key.keysym.sym;
        // Shift as it was when the key went down: several events can wait for one frame, and
        // by then Shift may already be released or pressed for the next key.
        out.shift = (event.key.keysym.mod & KMOD_SHIFT) != 0 ? 1 : 0;
        return true;
    case SDL_MOUSEBUTTONDOWN:
        out.kind = EVENT_BUTTON;
        out.code = event.button.button;
        return true;
    case SDL_QUIT:
        out.kind = EVENT_QUIT;
        return true;
    default:
        return false;
    }
}

} // namespace

void clearSaisie(Saisie& saisie) {
    memset(&saisie, 0, sizeof saisie);
}

void readEvents(Saisie& saisie) {
    if (saisie.eventCount < 0 || saisie.eventCount > SAISIE_EVENTS) saisie.eventCount = 0;
    SDL_Event event;
    while (saisie.eventCount < SAISIE_EVENTS && SDL_PollEvent(&event)) {
        if (translate(event, saisie.events[saisie.eventCount])) ++saisie.eventCount;
    }
}

void readDevices(Saisie& saisie) {
    for (int32_t key = 0; key < KEY_COUNT; ++key)
        saisie.keysHeld[key] = isKeyDown(key) ? 1 : 0;
    readCursor(saisie.cursorX, saisie.cursorY);
}

void dropEvents(Saisie& saisie, int32_t count) {
    if (count <= 0) return;
    if (count >= saisie.eventCount) {
        saisie.eventCount = 0;
        return;
    }
    saisie.eventCount -= count;
    memmove(saisie.events, saisie.events + count,
            static_cast<size_t>(saisie.eventCount) * sizeof saisie.events[0]);
}

} // namespace platform
