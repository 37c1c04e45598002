#include "platform/Chrono.h"

#include "platform/Clock.h"

namespace platform {

void Chrono::clear() {
    now = 0;
    previous = 0;
    elapsed = 0;
}

void Chrono::tick() {
    now = ticks();
    // Unsigned subtraction stays right across the counter's wrap.
    elapsed = now - previous;
    previous = now;
}

} // namespace platform
