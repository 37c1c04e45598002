// What every fuzz target shares: a quiet standard output, a scratch game folder the target
// works in while it runs one input, and the split of one input into several files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "kit/TempFolder.h"

namespace fuzzsupport {

// The game prints a great deal; libFuzzer reports on standard error, which stays.
inline void quietStdout() {
    fflush(stdout);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    dup2(null, STDOUT_FILENO);
    close(null);
}

// Stops the target at once when a property of the game's state does not hold: libFuzzer
// then keeps the input, like any other crash.
inline void require(bool holds, const char* what) {
    if (holds) return;
    fprintf(stderr, "property broken: %s\n", what);
    abort();
}

// One scratch folder per process, in memory when /dev/shm exists; removed when the fuzzer
// exits normally. A target works inside it (kit::WorkingFolder) only while it runs an input,
// so libFuzzer's relative paths (corpus, artifacts) keep meaning what they meant.
inline const kit::TempFolder& gameFolder() {
    static const kit::TempFolder shm("/dev/shm");
    static const kit::TempFolder tmp("/tmp");
    require(shm.ok() || tmp.ok(), "a scratch folder");
    return shm.ok() ? shm : tmp;
}

// Inputs holding several files separate them with this line.
constexpr char PART_SEPARATOR[] = "\n====\n";

// One part of an input: a window on libFuzzer's buffer, never copied.
struct Part {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    bool present = false;
};

// Cuts `data` at each separator into at most `count` parts; the last part keeps whatever
// follows, separators included. Parts the input does not reach are absent.
inline void splitParts(const uint8_t* data, size_t size, Part* parts, int32_t count) {
    const size_t sep = sizeof PART_SEPARATOR - 1;
    for (int32_t i = 0; i < count; ++i)
        parts[i] = Part();
    size_t start = 0;
    for (int32_t i = 0; i < count; ++i) {
        parts[i].bytes = data + start;
        parts[i].present = true;
        const void* found =
            i + 1 < count ? memmem(data + start, size - start, PART_SEPARATOR, sep) : nullptr;
        if (found == nullptr) {
            parts[i].size = size - start;
            return;
        }
        const size_t end = static_cast<size_t>(static_cast<const uint8_t*>(found) - data);
        parts[i].size = end - start;
        start = end + sep;
    }
}

} // namespace fuzzsupport
