// Map files, loaded for display (one line per element) and for play (with the texture
// lists), then a few collision queries on what was loaded. No window: textures give 0.
//
// Input: one byte, the map number (signed) that chooses the texture list; then the map file,
// then optionally "liste des textures.list" and the texture list "textures.list", separated
// by the line "====". Missing lists get a default.
#include <cstdint>
#include <cstring>

#include "FuzzSupport.h"
#include "map/Map.h"
#include "map/TagReader.h"
#include "render/TexturesMap.h"

namespace {

const char* const MAP_FILE = "carte.map";

const kit::TempFolder* folder = nullptr;
Map* map = nullptr;
TexturesMap* textures = nullptr; // stays empty: no window

void writeFiles(const fuzzsupport::Part parts[3]) {
    folder->write(MAP_FILE, parts[0].bytes, parts[0].size);
    if (parts[1].present)
        folder->write("liste des textures.list", parts[1].bytes, parts[1].size);
    else
        folder->write("liste des textures.list", "<textures.list>");
    if (parts[2].present)
        folder->write("textures.list", parts[2].bytes, parts[2].size);
    else
        folder->write("textures.list", "<sol.jpg><mur.jpg><rien>");
}

bool terminated(const char* text, size_t size) {
    return memchr(text, '\0', size) != nullptr;
}

void checkTables(const Map& m) {
    using fuzzsupport::require;
    require(m.ceilingCount >= 0 && m.ceilingCount <= MAP_CEILINGS, "ceiling count");
    require(m.wallCount >= 0 && m.wallCount <= MAP_WALLS, "wall count");
    require(m.spawnCount >= 0 && m.spawnCount <= MAP_SPAWNS, "spawn count");
    require(m.teleporterCount >= 0 && m.teleporterCount <= MAP_TELEPORTERS, "teleporter count");
    require(m.doorCount >= 0 && m.doorCount <= MAP_DOORS, "door count");
    require(m.healthBoxCount >= 0 && m.healthBoxCount <= MAP_HEALTH_BOXES, "box count");
    require(m.textureCount >= 0 && m.textureCount <= MAP_TEXTURES, "texture count");
    for (int32_t i = 0; i < m.textureCount; ++i)
        require(terminated(m.textureNames[i], sizeof m.textureNames[i]), "texture name");
}

// A player and a bullet at one place of the map: walking, teleporters, boxes, doors, shots.
void queryAt(Map& m, double x, double y) {
    double dx = 31.0;
    double dy = -17.0;
    m.clipMove(dx, dy, x, y);
    double px = x;
    double py = y;
    double heading = 0;
    m.crossTeleporters(dx, dy, px, py, heading);
    double health = 50.0;
    m.takeHealthBox(x, y, health, 16);
    fuzzsupport::require(health <= 100.0, "health stays at most full");
    m.updateDoors(1, &x, &y, 16);
    double sx = 900.0;
    double sy = 450.0;
    double sz = -10.0;
    m.clipShot(x, y, 117.0, sx, sy, sz);
}

// The loaded elements' own places, a few of each kind: the queries look at them closely.
void runQueries(Map& m) {
    constexpr int32_t EACH = 4;
    for (int32_t i = 0; i < m.spawnCount && i < EACH; ++i)
        queryAt(m, (m.spawns[i].x + 0.5) * 100, (m.spawns[i].y + 0.5) * 100);
    for (int32_t i = 0; i < m.teleporterCount && i < EACH; ++i)
        queryAt(m, m.teleporters[i].x * 100.0 + 50, m.teleporters[i].y * 100.0 + 3);
    for (int32_t i = 0; i < m.healthBoxCount && i < EACH; ++i)
        queryAt(m, (m.healthBoxes[i].x + 0.5) * 100, (m.healthBoxes[i].y + 0.5) * 100);
    for (int32_t i = 0; i < m.doorCount && i < EACH; ++i)
        queryAt(m, m.doors[i].line * 100.0 + 20, m.doors[i].from * 100.0 + 20);
    int32_t cell[2] = {0, 0};
    m.pickSpawn(cell);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzsupport::quietStdout();
    folder = &fuzzsupport::gameFolder();
    map = new Map();
    textures = new TexturesMap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int32_t number = static_cast<int8_t>(data[0]);
    fuzzsupport::Part parts[3];
    fuzzsupport::splitParts(data + 1, size - 1, parts, 3);
    writeFiles(parts);
    kit::WorkingFolder inside(folder->path());
    *map = Map{}; // nothing carried over from the previous input

    map->printElements(MAP_FILE);
    checkTables(*map);
    loadPlayMap(*map, *textures, MAP_FILE, number);
    checkTables(*map);
    runQueries(*map);
    return 0;
}
