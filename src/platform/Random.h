// Random numbers for the whole process: the game and the transport's threads draw from one
// seeded sequence, one draw at a time.
#pragma once
#include <cstdint>

namespace platform {

// A number from 0 to n, both included, in 32768 steps (n itself once in 32768 draws). The
// sequence is seeded from the tick counter at the first draw.
double randomUpTo(int32_t n);

} // namespace platform

namespace platform {

// 32 bits from the system's entropy source: unlike randomUpTo, two processes started in the
// same millisecond draw different words.
uint32_t randomWord();

} // namespace platform
