// A millisecond stopwatch on the process's tick counter.
#pragma once
#include <cstdint>

namespace platform {

struct Chrono {
    uint32_t now;      // tick count at the last tick()
    uint32_t previous; // tick count of the tick() before
    uint32_t elapsed;  // now - previous at the last tick(), wrapping like the counter

    void clear();
    void tick();
};

} // namespace platform
