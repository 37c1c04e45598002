#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();
}

uint32_t ticks() {
    auto since = std::chrono::steady_clock::now() - processStart;
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void sleepMs(uint32_t ms) {
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace platform
