// Requests from outside to stop: SIGINT (Ctrl+C) and SIGTERM (kill, service managers).
#pragma once

namespace platform {

// Holds both signals back from the calling thread and from every thread it starts from now
// on, so that they wait for waitStopSignal instead of killing the process at a random
// point. Call before any other thread starts. 0, or 1 when they cannot be held.
int holdStopSignals();
// Blocks until SIGINT or SIGTERM arrives (held as above); returns its number.
int waitStopSignal();

} // namespace platform
