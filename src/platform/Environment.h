// The process environment. The game is configured by its options file alone; this is read
// only for settings that tests need.
#pragma once

namespace platform {

// The value of variable `name`, or null when it is not set.
const char* environmentValue(const char* name);

} // namespace platform
