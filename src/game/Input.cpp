#include "game/Input.h"

#include "game/Jeu.h"
#include "game/Protocole.h"
#include "net/Reseau.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using platform::Evenement;
using platform::Saisie;

namespace {

constexpr double DEG_TO_RAD = 3.1418 / 180;
constexpr double SHOT_HEIGHT = 117.0;
constexpr double SHOT_SPEED = 10000.0;

// The character a key adds to the chat line, or 0 for none.
uint8_t chatCharacter(int32_t sym, bool shift) {
    if (sym == platform::KEY_COMMA) return '?';
    if (sym == platform::KEY_BACKQUOTE) return '!';
    if (sym == platform::KEY_PERIOD) return '.';
    if (sym >= platform::KEY_KP0 && sym <= platform::KEY_KP9)
        return static_cast<uint8_t>(sym - 208);
    if (shift) {
        if (sym >= platform::KEY_0 && sym <= platform::KEY_9) return static_cast<uint8_t>(sym);
        if (sym >= platform::KEY_A && sym <= platform::KEY_Z) return static_cast<uint8_t>(sym - 32);
        if (sym == platform::KEY_SPACE) return ' ';
        return 0;
    }
    if (sym == platform::KEY_4) return '\'';
    if (sym == platform::KEY_2) return '$';
    if (sym >= platform::KEY_A && sym <= platform::KEY_Z) return static_cast<uint8_t>(sym);
    if (sym == platform::KEY_SPACE) return ' ';
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
bool pressKey(Jeu& jeu, int32_t sym, bool shift) {
    switch (sym) {
    case platform::KEY_ESCAPE:
    case platform::KEY_F2:
        jeu.mouseCaptured = 1 - jeu.mouseCaptured;
        return true;
    case platform::KEY_TAB:
    case platform::KEY_F1:
        jeu.reseau->post(MSG_SHOW_SCORES, 0, nullptr);
        return true;
    case platform::KEY_F6:
        return false;
    case platform::KEY_RETURN:
        pressReturn(jeu);
        return true;
    case platform::KEY_BACKSPACE:
        if (jeu.chatOpen != 0) jeu.texte.deleteChat();
        return true;
    default:
        break;
    }
    if (jeu.chatOpen != 0) {
        const uint8_t c = chatCharacter(sym, shift);
        if (c != 0) jeu.texte.appendChat(c);
    }
    return true;
}

} // namespace

bool handleEvents(Jeu& jeu, Saisie& saisie) {
    if (stopRequested != 0) {
        printf("L'hote vous a expulse de la partie\n");
        return false;
    }
    bool goesOn = true;
    int32_t handled = 0;
    while (goesOn && handled < saisie.eventCount && handled < platform::SAISIE_EVENTS) {
        const Evenement& event = saisie.events[handled++];
        switch (event.kind) {
        case platform::EVENT_FOCUS:
            jeu.mouseCaptured = event.gained;
            break;
        case platform::EVENT_KEY:
            goesOn = pressKey(jeu, event.code, event.shift != 0);
            break;
        case platform::EVENT_BUTTON:
            if (event.code == platform::BUTTON_LEFT) shoot(jeu);
            break;
        case platform::EVENT_QUIT:
            goesOn = false;
            break;
        default:
            break;
        }
    }
    platform::dropEvents(saisie, handled);
    return goesOn;
}

bool shoot(Jeu& jeu) {
    if (jeu.fireCooldown >= 0) return false;
    fire(jeu);
    return true;
}

void updateMouseCapture(Jeu& jeu, const Saisie& saisie) {
    // SDL warps in window coordinates, so the fixed point is the window's centre.
    jeu.cursorPos[0] = saisie.cursorX;
    jeu.cursorPos[1] = saisie.cursorY;
    jeu.mouseDx = jeu.cursorPos[0] - jeu.options.width / 2;
    jeu.mouseDy = jeu.cursorPos[1] - jeu.options.height / 2;
}

bool heldCursorPoint(const Jeu& jeu, int32_t& x, int32_t& y) {
    x = jeu.options.width / 2;
    y = jeu.options.height / 2;
    return jeu.mouseCaptured == 1 && jeu.chatOpen == 0;
}
