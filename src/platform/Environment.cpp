#include "platform/Environment.h"

#include <cstdlib>

namespace platform {

const char* environmentValue(const char* name) {
    return getenv(name);
}

} // namespace platform
