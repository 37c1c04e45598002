#include "platform/Thread.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace platform {

int startThread(ThreadEntry entry, void* argument) {
    try {
        std::thread(entry, argument).detach();
    } catch (const std::system_error&) {
        return 1;
    }
    return 0;
}

void exitProcess(int status) {
    fflush(stdout);
    fflush(stderr);
    // No static destructors under the feet of threads that still run.
    _exit(status);
}

} // namespace platform
