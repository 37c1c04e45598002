// One player as the game knows it: the local player, or one of the 8 remote slots.
#pragma once
#include <cstdint>

#include "net/Reseau.h"

// Player numbers: clients 0..6, the host 7; -1 for "not assigned yet" and for "all peers".
constexpr int32_t HOST_ID = NET_HOST_NUMBER;
constexpr int32_t MAX_PLAYERS = 8;

// States of a remote slot.
constexpr int32_t PLAYER_PRESENT = 1;
constexpr int32_t PLAYER_ABSENT = 2;

enum : int32_t { KEY_FORWARD = 0, KEY_BACK = 1, KEY_LEFT = 2, KEY_RIGHT = 3 };

struct Joueur {
    double health;      // points (local player only)
    double pitch;       // degrees, positive upwards
    double yaw;         // degrees, 0 along +x, growing towards +y, not wrapped
    double sentYaw;     // yaw at the last turn-forced state message (local)
    double posX, posY;  // map units
    double damageFlash; // 0..1 (local)
    int32_t colour;     // 0..7
    int32_t score;
    char version[50];       // version stamp the player sent (remote)
    char name[100];         // pseudo the player sent (remote)
    int32_t id;             // own number (local, -1 until known) or the slot's number
    int32_t state;          // 0 local, PLAYER_PRESENT or PLAYER_ABSENT
    int32_t stateSendTimer; // ms since the last periodic state message (local)
    uint8_t keys[4];        // forward, back, left, right
    uint8_t dead;           // between death and respawn (local)
};

// True for a player number that names a slot of the remote table.
inline bool isPlayerNumber(int32_t n) {
    return n >= 0 && n < MAX_PLAYERS;
}
