// Text in the game window: a bitmap font drawn in a 640 x 480 overlay (origin bottom left,
// y up, stretched over the window), the list of timed messages and the chat input line.
// Game thread only; every drawing call needs the game window's GL context.
#pragma once
#include <cstdint>

#include "platform/Chrono.h"

constexpr int32_t TEXTE_SLOTS = 15;      // messages on screen at most
constexpr int32_t TEXTE_LINE_SIZE = 256; // 255 characters and the terminator
constexpr int32_t TEXTE_LIFETIME = 5000; // ms a message stays on screen
constexpr int32_t TEXTE_CHAT_MAX = 39;   // characters in the chat line

// Builds the 95 glyph lists (characters 32..126) from the font texture: a grid of
// 16 x 8 cells, character c in cell c - 32 counted from the top-left. Call once, after the
// window opened. Drawing text before this prints a console error and draws nothing.
void buildFont(uint32_t texture);
bool isFontReady();

// Open and close the overlay: both matrices saved and replaced by an orthographic
// 0..640 x 0..480 projection, depth test off; end2D restores them and turns the depth test on.
void begin2D();
void end2D();

// Draws one line formatted into at most 255 characters, the lower-left corner of its first
// glyph at overlay (x, y); glyphs are 16 units square, advance 10 units, and scale with
// `scale`. Colours: "white", "red", "green", "blue", "yellow", "cyan", "purple"; another name
// keeps the current colour. Characters outside 32..126 are skipped. Leaves the colour white.
void drawText(int32_t x, int32_t y, const char* colour, double scale, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

class Texte {
  public:
    char lines[TEXTE_SLOTS][TEXTE_LINE_SIZE]; // ring of message texts
    int32_t rows[TEXTE_SLOTS];                // display row per slot, 0 = bottom; -1 = empty
    int32_t timeLeft[TEXTE_SLOTS];            // ms until the slot's message goes away
    int32_t next;                             // slot the next message overwrites
    platform::Chrono clock;                   // time between two drawings of the list
    char chatText[TEXTE_LINE_SIZE];           // the chat line being typed, terminated
    int32_t chatLength;
    uint8_t chatActive;

    // Empties the message list and closes the chat line.
    void initMessages();
    // Adds one formatted line (at most 255 characters) at the bottom; older lines climb one
    // row; the 16th line shown overwrites the oldest.
    void addMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Takes `elapsed` ms off every shown message; those that fall below 0 go away.
    void expireMessages(uint32_t elapsed);
    // Once per frame inside the overlay: ages the messages by the time since the last call,
    // draws the shown ones at (10, 30 + 20 x row) and the open chat line with a "|" cursor at
    // (10, 10). Texts are drawn as they are, never used as formats.
    void drawMessages();

    // Chat line editing: open empties it; append ignores characters beyond 39 and delete an
    // empty line; both do nothing while the line is closed.
    void openChat();
    void appendChat(uint8_t c);
    void deleteChat();
    // Closes the chat line and returns a copy of its text (0 to 39 characters), allocated
    // with malloc: the caller frees it. Null only when memory runs out.
    char* takeChat();
};
