// One frame's input as the window gives it to the game: the events that came, in order, and
// the keys held and the cursor's place when they were last read. The game acts on this
// record and reads no device, so a bot, a test or a replay can fill it just as well.
#pragma once
#include <cstdint>

namespace platform {

// Key codes: SDL 1.2's key symbols, where letters, digits and punctuation are their ASCII
// codes (letters in lower case).
constexpr int32_t KEY_BACKSPACE = 8;
constexpr int32_t KEY_TAB = 9;
constexpr int32_t KEY_RETURN = 13;
constexpr int32_t KEY_ESCAPE = 27;
constexpr int32_t KEY_SPACE = 32;
constexpr int32_t KEY_COMMA = 44;
constexpr int32_t KEY_PERIOD = 46;
constexpr int32_t KEY_0 = 48;
constexpr int32_t KEY_2 = 50;
constexpr int32_t KEY_4 = 52;
constexpr int32_t KEY_9 = 57;
constexpr int32_t KEY_BACKQUOTE = 96;
constexpr int32_t KEY_A = 97;
constexpr int32_t KEY_D = 100;
constexpr int32_t KEY_Q = 113;
constexpr int32_t KEY_S = 115;
constexpr int32_t KEY_Z = 122;
constexpr int32_t KEY_KP0 = 256;
constexpr int32_t KEY_KP9 = 265;
constexpr int32_t KEY_F1 = 282;
constexpr int32_t KEY_F2 = 283;
constexpr int32_t KEY_F6 = 287;
constexpr int32_t KEY_COUNT = 323; // codes run from 0 to KEY_COUNT - 1

constexpr int32_t BUTTON_LEFT = 1;
constexpr int32_t BUTTON_MIDDLE = 2;
constexpr int32_t BUTTON_RIGHT = 3;

enum : uint8_t {
    EVENT_FOCUS,  // the window gained or lost the keyboard focus, or was shown or hidden
    EVENT_KEY,    // a key went down (its repeats too)
    EVENT_BUTTON, // a mouse button went down
    EVENT_QUIT,   // the window's close button
};

struct Evenement {
    uint8_t kind;   // EVENT_*
    uint8_t gained; // EVENT_FOCUS: 1 gained, 0 lost
    uint8_t shift;  // EVENT_KEY: 1 when Shift was held as the key went down
    int32_t code;   // EVENT_KEY: the key's code; EVENT_BUTTON: the button's number
};

// What the window system queues at most: a frame's events fit.
constexpr int32_t SAISIE_EVENTS = 128;

struct Saisie {
    int32_t eventCount;
    Evenement events[SAISIE_EVENTS]; // not handled yet, oldest first
    uint8_t keysHeld[KEY_COUNT];     // 1 while the key is down
    int32_t cursorX, cursorY;        // window pixels
};

// No event, no key held, the cursor at (0, 0).
void clearSaisie(Saisie& saisie);
// Appends the events waiting in the window's queue behind those not handled yet, as long as
// the record has room (the others wait in the queue for the next read). Events the game does
// not act on (key and button releases, mouse motion, mouse focus alone...) are dropped.
void readEvents(Saisie& saisie);
// Reads the keys held and the cursor's place, as they are now.
void readDevices(Saisie& saisie);
// Takes the first `count` events out of the record; those after them move to the front.
void dropEvents(Saisie& saisie, int32_t count);

} // namespace platform
