// The player's settings and their 72-byte file "options".
#pragma once
#include <cstdint>

#include "platform/File.h"

constexpr int32_t PSEUDO_SIZE = 32;
constexpr int32_t OPTIONS_FILE_SIZE = 72;
// "options": in the game folder, or in the user's settings folder once installed.
extern const char* const OPTIONS_FILE_NAME;

// The defaults, which the editor also shows as such.
constexpr int32_t DEFAULT_WIDTH = 640;
constexpr int32_t DEFAULT_HEIGHT = 480;
constexpr int32_t DEFAULT_MAX_FPS = 300;
constexpr int32_t DEFAULT_VISIBILITY = 100;
constexpr int32_t DEFAULT_SENSITIVITY = 100;

// In memory order; the file stores `colour` right after the sensitivities.
struct Options {
    int32_t width;
    int32_t height;
    int32_t maxFps;
    int32_t visibility;            // fog ends at visibility*100, far plane at visibility*200
    int32_t fog;                   // 1 linear fog, 0 none
    int32_t verticalSensitivity;   // scales the yaw (horizontal mouse motion)
    int32_t horizontalSensitivity; // scales the pitch (vertical mouse motion)
    int32_t doorSounds;
    int32_t smoothRemotePlayers; // always 1 once loaded
    char pseudo[PSEUDO_SIZE];    // zero-terminated, at most 31 characters
    int32_t colour;              // 0 noir .. 7 turquoise
};

// Reads the options file into `o`. A missing or short file is replaced by the defaults; the result
// is then that of saving them. 0 on success, 1 on failure.
int32_t loadOptions(Options& o);

// Puts the defaults into `o`; the pseudo bytes after "noob\0" are kept as they were.
void fillDefaultOptions(Options& o);

// Prints what it does, fills the defaults and saves them; the result is that of saving.
int32_t setDefaultOptions(Options& o);

// Writes `o` to the options file, created anew. 1 only when the file cannot be created; short
// writes are reported on the console but do not change the result.
int32_t saveOptions(const Options& o);

// One little-endian 4-byte transfer. 0 on success, 1 (with a message) when short.
int32_t readInt32(platform::File& file, int32_t& field);
int32_t writeInt32(platform::File& file, int32_t value);
