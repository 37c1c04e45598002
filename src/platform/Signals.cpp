#include "platform/Signals.h"

#include <csignal>
#include <pthread.h>

namespace platform {

namespace {

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

int holdStopSignals() {
    const sigset_t set = stopSignals();
    return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0 ? 0 : 1;
}

int waitStopSignal() {
    const sigset_t set = stopSignals();
    int signal = 0;
    // Fails only for a set that names no valid signal, which this one does not.
    sigwait(&set, &signal);
    return signal;
}

} // namespace platform
