#include "platform/Memory.h"

#include <malloc.h>

namespace platform {

namespace {

// Blocks below this come from the heap and go back to it when freed, however large (the
// renderer's blocks are far smaller than this).
constexpr int MMAP_THRESHOLD = 64 << 20;
// The heap's free top is given back to the system only beyond this.
constexpr int TRIM_THRESHOLD = 256 << 20;

} // namespace

void keepFreedMemory() {
    mallopt(M_MMAP_THRESHOLD, MMAP_THRESHOLD);
    mallopt(M_TRIM_THRESHOLD, TRIM_THRESHOLD);
}

} // namespace platform
