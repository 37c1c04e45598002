// The game protocol: what each message type means, the join handshake, the host's relaying,
// scores and taunts, the version check, map changes, and the periodic state message.
// Game thread only.
#pragma once
#include <cstdint>
#include <cstdio>

#include "game/Joueur.h"
#include "net/Reseau.h"

struct Jeu;

// Wire types travel between processes; local ones (8, 15, 17, 18, 21) are only posted by a
// process to its own queue. 20 and 22 start local on the host and are then relayed.
enum : int32_t {
    MSG_ASSIGN_ID = NET_WELCOME,     // host to a new client: f64 player number
    MSG_NEW_PLAYER = 1,              // player number, no payload
    MSG_NAME = 2,                    // player number, text: pseudo
    MSG_SCORE = 3,                   // player number, f64: score
    MSG_LOAD_MAP = 5,                // map number, text: map name (host to clients)
    MSG_COLOUR = 6,                  // player number, f64: colour 0..7
    MSG_VERSION = 7,                 // sender's own number, text: version stamp
    MSG_CHANGE_MAP = 8,              // local (host console): map number, text: map name
    MSG_TAKE_BOX = 9,                // health box index, no payload
    MSG_STATE = 10,                  // sender's number, state payload (see below)
    MSG_SHOT = 12,                   // shooter's number, six f64: start x, y, z, velocity x, y, z
    MSG_FRAG = 13,                   // victim's number, f64: killer's number
    MSG_KICKED = 14,                 // host to the kicked client only
    MSG_SAY = 15,                    // local: text to say as chat
    MSG_CHAT = 16,                   // speaker's number, text
    MSG_SHOW_SCORES = 17,            // local: print and show the scores
    MSG_KICK = 18,                   // local (host console, version check): player number
    MSG_HIT = 19,                    // shooter's number: the victim tells the shooter it hit
    MSG_PLAYER_LEFT = NET_PEER_LEFT, // player number
    MSG_HOST_LOST = NET_HOST_LOST,   // local on a client: the host's connection ended
    MSG_RESET_SCORES = 22,
};

// State payload (MSG_STATE): byte offsets inside the 48 bytes.
constexpr int32_t STATE_KEYS_AT = 0;   // 4 key bytes: forward, back, left, right
constexpr int32_t STATE_TICKS_AT = 8;  // f64: the sender's tick count when built
constexpr int32_t STATE_POS_X_AT = 16; // f64
constexpr int32_t STATE_POS_Y_AT = 24; // f64
constexpr int32_t STATE_YAW_AT = 32;   // f64, degrees
constexpr int32_t STATE_PITCH_AT = 40; // f64, degrees

// Frame time (ms) between two periodic state messages; the simulation writes it into
// stateSendTimer to force one at the end of the frame.
constexpr int32_t STATE_SEND_PERIOD = 500;
// The host kicks a client whose version stamp differs once this many states in a row
// have been counted, at the next one.
constexpr int32_t VERSION_MISMATCH_LIMIT = 20;

// The version stamp every process sends and the host compares: "13:48:01".
extern const char* const VERSION_STAMP;

struct Message;

// Handles every queued message, then sends the periodic state when it is due.
void dispatchMessages(Jeu& jeu);
// The two halves of dispatchMessages, for peers that look at each message first (the bot):
// acts on one message; adds the last frame's duration to stateSendTimer and sends the
// state once it reaches 500 ms.
void handleMessage(Jeu& jeu, const Message& m);
// Host, on a receive thread: the frames a client's connection may have relayed to every client
// as they arrive, before the dispatch acts on them: its own player's states and shots, the
// two kinds every peer needs soonest. Everything else keeps the dispatch's order.
bool relaysOnReceipt(const Message& frame, int32_t slot);
void sendStateIfDue(Jeu& jeu);
// Host: shows the map and the players to discovery probes (dispatchMessages does it too).
void showGameOnLan(Jeu& jeu);

// Where the protocol prints its console texts: standard output unless set (null restores
// it). The headless bot keeps its standard output for its own record.
void setConsoleOutput(FILE* out);

// Introduces player n (number, name, version, score, colour) to one peer or to all (-1).
// Only the text of `name` up to its terminator (47 characters at most) is read.
void announcePlayer(Jeu& jeu, int32_t n, int32_t score, const char name[48], int32_t colour,
                    int32_t peer);

// True when a map name received from the network or the console stays inside the game
// folder: not absolute ('/' or '\' first, or a drive letter) and no ".." component.
bool isSafeMapName(const char* name);
