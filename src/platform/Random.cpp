#include "platform/Random.h"

#include <cstdlib>
#include <random>

#include "platform/Clock.h"
#include "platform/Sync.h"

namespace platform {

namespace {

constexpr int32_t RANDOM_TOP = 32767;

// The transport's threads draw numbers too: one seed per process, one draw at a time.
Lock randomLock;
bool seeded = false;

} // namespace

double randomUpTo(int32_t n) {
    Guard guard(randomLock);
    if (!seeded) {
        std::srand(ticks());
        seeded = true;
    }
    // Fifteen bits whatever the runtime's RAND_MAX, so the result stays within [0, n].
    const int32_t r = std::rand() / (RAND_MAX / (RANDOM_TOP + 1) + 1);
    return r / static_cast<double>(RANDOM_TOP) * n;
}

uint32_t randomWord() {
    std::random_device device;
    return static_cast<uint32_t>(device());
}

} // namespace platform
