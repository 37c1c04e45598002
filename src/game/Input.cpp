#include "game/Input.h"

#include "game/Jeu.h"
#include "game/Protocole.h"
#include "net/Reseau.h"
#include "platform/Keyboard.h"

#include <SDL/SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double DEG_TO_RAD = 3.1418 / 180;
constexpr double SHOT_HEIGHT = 117.0;
constexpr double SHOT_SPEED = 10000.0;

// The character a key adds to the chat line, or 0 for none.
uint8_t chatCharacter(int32_t sym, bool shift) {
    if (sym == SDLK_COMMA) return '?';
    if (sym == SDLK_BACKQUOTE) return '!';
    if (sym == SDLK_PERIOD) return '.';
    if (sym >= SDLK_KP0 && sym <= SDLK_KP9) return static_cast<uint8_t>(sym - 208);
    if (shift) {
        if (sym >= SDLK_0 && sym <= SDLK_9) return static_cast<uint8_t>(sym);
        if (sym >= SDLK_a && sym <= SDLK_z) return static_cast<uint8_t>(sym - 32);
        if (sym == SDLK_SPACE) return ' ';
        return 0;
    }
    if (sym == SDLK_4) return '\'';
    if (sym == SDLK_2) return '$';
    if (sym >= SDLK_a && sym <= SDLK_z) return static_cast<uint8_t>(sym);
    if (sym == SDLK_SPACE) return ' ';
    return 0;
}

void pressReturn(Jeu& jeu) {
    if (jeu.chatOpen == 0) {
        jeu.chatOpen = 1;
        jeu.mouseCaptured = 0;
        jeu.texte.openChat();
        return;
    }
    char* text = jeu.texte.takeChat();
    if (text != nullptr && text[0] != '\0') {
        uint8_t payload[PAYLOAD_SIZE] = {};
        snprintf(reinterpret_cast<char*>(payload), sizeof payload, "%s", text);
        jeu.reseau->post(MSG_SAY, jeu.localPlayer.id, payload);
    }
    free(text);
    jeu.chatOpen = 0;
    jeu.mouseCaptured = 1;
}

void fire(Jeu& jeu) {
    const Joueur& me = jeu.localPlayer;
    const double a = me.yaw * DEG_TO_RAD;
    const double b = me.pitch * DEG_TO_RAD;
    const double shot[6] = {me.posX,
                            me.posY,
                            SHOT_HEIGHT,
                            cos(a) * SHOT_SPEED,
                            sin(a) * SHOT_SPEED,
                            tan(b) * SHOT_SPEED};
    uint8_t payload[PAYLOAD_SIZE];
    memcpy(payload, shot, sizeof shot);
    jeu.reseau->sendMessage(MSG_SHOT, me.id, payload, -1);
    jeu.tir.fire(shot[0], shot[1], shot[2], shot[3], shot[4], shot[5], me.id);
    jeu.fireCooldown = FIRE_COOLDOWN;
    jeu.son.playSound(SON_PAN);
}

// False when the key ends the game.
bool pressKey(Jeu& jeu, int32_t sym, uint32_t modifiers) {
    switch (sym) {
    case SDLK_ESCAPE:
    case SDLK_F2:
        jeu.mouseCaptured = 1 - jeu.mouseCaptured;
        return true;
    case SDLK_TAB:
    case SDLK_F1:
        jeu.reseau->post(MSG_SHOW_SCORES, 0, nullptr);
        return true;
    case SDLK_F6:
        return false;
    case SDLK_RETURN:
        pressReturn(jeu);
        return true;
    case SDLK_BACKSPACE:
        if (jeu.chatOpen != 0) jeu.texte.deleteChat();
        return true;
    default:
        break;
    }
    if (jeu.chatOpen != 0) {
        const uint8_t c = chatCharacter(sym, platform::wasShiftDown(modifiers));
        if (c != 0) jeu.texte.appendChat(c);
    }
    return true;
}

} // namespace

bool handleEvents(Jeu& jeu) {
    if (stopRequested != 0) {
        printf("L'hote vous a expulse de la partie\n");
        return false;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_ACTIVEEVENT:
            if ((event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0)
                jeu.mouseCaptured = event.active.gain;
            break;
        case SDL_KEYDOWN:
            if (!pressKey(jeu, event.key.keysym.sym, event.key.keysym.mod)) return false;
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT && jeu.fireCooldown < 0) fire(jeu);
            break;
        case SDL_QUIT:
            return false;
        default:
            break;
        }
    }
    return true;
}

void updateMouseCapture(Jeu& jeu) {
    // SDL warps in window coordinates, so the fixed point is the window's centre.
    const int32_t fixedX = jeu.options.width / 2;
    const int32_t fixedY = jeu.options.height / 2;
    platform::readCursor(jeu.cursorPos[0], jeu.cursorPos[1]);
    jeu.mouseDx = jeu.cursorPos[0] - fixedX;
    jeu.mouseDy = jeu.cursorPos[1] - fixedY;
    if (jeu.mouseCaptured == 1 && jeu.chatOpen == 0) {
        platform::showCursor(false);
        platform::warpCursor(fixedX, fixedY);
    } else {
        platform::showCursor(true);
    }
}
