#include "platform/SoftwareRenderer.h"

#include <cstdlib>

namespace platform {

void drawWithoutRendererThreads() {
    setenv("LP_NUM_THREADS", "0", 0); // 0: never replaces the user's own choice
}

} // namespace platform
