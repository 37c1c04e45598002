// Clock and sleep.
#pragma once
#include <cstdint>

namespace platform {

// Milliseconds since the process started (like SDL's tick counter; wraps after 49 days).
uint32_t ticks();

// Sleeps at least `ms` milliseconds; 0 yields the processor once.
void sleepMs(uint32_t ms);

} // namespace platform
