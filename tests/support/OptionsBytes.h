// The 72-byte options file as tests build and compare it.
#pragma once
#include <cstdint>
#include <string>

namespace kit {

// Ten little-endian integers in file order, then the 32-byte pseudo field.
inline std::string optionsFile(const int32_t (&values)[10], const std::string& pseudo) {
    std::string bytes;
    for (int32_t v : values) {
        const uint32_t u = static_cast<uint32_t>(v);
        bytes += {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
    }
    std::string field = pseudo;
    field.resize(32, '\0');
    return bytes + field;
}

inline const int32_t DEFAULT_OPTIONS[10] = {640, 480, 300, 100, 1, 100, 100, 0, 0, 1};

} // namespace kit
