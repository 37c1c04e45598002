// The game protocol: what each message type means, the join handshake, the host's relaying,
// scores and taunts, the version check, map changes, and the periodic state message.
#pragma once
#include <cstdint>

#include "game/Joueur.h"

struct Jeu;

enum : int32_t {
    MSG_ASSIGN_ID = 0,
    MSG_NEW_PLAYER = 1,
    MSG_NAME = 2,
    MSG_SCORE = 3,
    MSG_LOAD_MAP = 5,
    MSG_COLOUR = 6,
    MSG_VERSION = 7,
    MSG_CHANGE_MAP = 8,
    MSG_TAKE_BOX = 9,
    MSG_STATE = 10,
    MSG_SHOT = 12,
    MSG_FRAG = 13,
    MSG_KICKED = 14,
    MSG_SAY = 15,
    MSG_CHAT = 16,
    MSG_SHOW_SCORES = 17,
    MSG_KICK = 18,
    MSG_HIT = 19,
    MSG_PLAYER_LEFT = 20,
    MSG_HOST_LOST = 21,
    MSG_RESET_SCORES = 22,
};

// The version stamp every process sends and the host compares.
extern const char* const VERSION_STAMP;

// Handles every queued message, then sends the periodic state when it is due.
void dispatchMessages(Jeu& jeu);

// Introduces player n (number, name, version, score, colour) to one peer or to all (-1).
void announcePlayer(Jeu& jeu, int32_t n, int32_t score, const char name[48], int32_t colour,
                    int32_t peer);
