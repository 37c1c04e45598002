// The process environment. The game is configured by its options file; the environment
// only says where an installed game keeps the user's files (HOME, XDG folders) and holds
// settings that tests need.
#pragma once

namespace platform {

// The value of variable `name`, or null when it is not set.
const char* environmentValue(const char* name);

} // namespace platform
