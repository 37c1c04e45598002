#include "console/MapList.h"

#include <cstdio>

#include "map/TagReader.h"

namespace {

// The console thread alone lists, so one table serves both commands.
NameTable listed;

void printList(const char* fileName) {
    int32_t count = 0;
    if (readGameList(fileName, listed, count) != 0) return;
    for (int32_t i = 0; i < count && i < LIST_MAX_ENTRIES; ++i) {
        listed[i][LIST_ENTRY_SIZE - 1] = '\0';
        printf("%s\n", listed[i]);
    }
}

} // namespace

void listMaps() {
    printList("liste des maps.list");
}

void listTextures() {
    printList("liste des textures.list");
}
