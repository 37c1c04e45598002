// Threads: detached, never joined; they end with their function or with the process.
#pragma once

namespace platform {

using ThreadEntry = void (*)(void* argument);

// Starts `entry(argument)` on a new detached thread. Returns 0, or 1 when it cannot start.
int startThread(ThreadEntry entry, void* argument);

// Ends the whole process at once, live threads included, after flushing standard output.
[[noreturn]] void exitProcess(int status);

} // namespace platform
