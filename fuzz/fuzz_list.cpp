// List files ("liste des maps.list", "liste des textures.list", texture lists): the whole
// input is the content of one list file.
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "map/TagReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(INT32_MAX)) return 0;
    static NameTable names;
    // Leftovers of the previous input must not hide an entry left unterminated.
    memset(names, 'x', sizeof names);
    const int32_t count =
        readListBuffer(reinterpret_cast<const char*>(data), static_cast<int32_t>(size), names);
    fuzzsupport::require(count >= 0 && count <= LIST_MAX_ENTRIES, "entry count in range");
    // The console prints these and the loader opens them as file names.
    for (int32_t i = 0; i < count; ++i)
        fuzzsupport::require(memchr(names[i], '\0', LIST_ENTRY_SIZE) != nullptr,
                             "every entry terminated inside its slot");
    return 0;
}
