#include "map/Map.h"

#include "map/TagReader.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const TEXTURE_LISTS = "liste des textures.list";

// The values of one element in group order, before they are printed or stored.
struct Element {
    char orientation;
    int32_t values[7];
};

int32_t valuesPerGroup(int32_t mode) {
    return mode == 0 ? 1 : (mode == 1 ? 2 : 3);
}

// The modes of the groups that make one element of `kind`; returns how many groups.
int32_t groupModes(int32_t kind, int32_t modes[3]) {
    switch (kind) {
    case TAG_PLAFON:
        modes[0] = 0;
        modes[1] = 1;
        modes[2] = 1;
        return 3;
    case TAG_MUR:
    case TAG_PORTE:
    case TAG_TELEPORTEUR:
        modes[0] = 2;
        modes[1] = 1;
        return 2;
    default: // apparition, caisse de soin
        modes[0] = 1;
        return 1;
    }
}

bool isElementKind(int32_t code) {
    return code >= TAG_APPARITION && code <= TAG_TELEPORTEUR;
}

// Reads the groups of one element; the result is that of the last group read.
int32_t readElement(int32_t kind, const char* buffer, int32_t& pos, int32_t size,
                    int32_t settings[2], Element& e) {
    int32_t modes[3];
    const int32_t groups = groupModes(kind, modes);
    int32_t result = END_OF_DATA;
    int32_t filled = 0;
    for (int32_t g = 0; g < groups; ++g) {
        int32_t values[3] = {0, 0, 0};
        result = readGroup(modes[g], buffer, pos, size, settings, e.orientation, values);
        const int32_t count = valuesPerGroup(modes[g]);
        for (int32_t v = 0; v < count; ++v)
            e.values[filled++] = values[v];
    }
    return result;
}

void printElement(int32_t kind, const Element& e, int32_t texture) {
    const int32_t* v = e.values;
    const bool horizontal = e.orientation == 'h';
    switch (kind) {
    case TAG_APPARITION:
        std::printf("Apparition aux coordonnees: (%d,%d)\n", v[0], v[1]);
        break;
    case TAG_PLAFON:
        std::printf("Plafon d'une hauteur de: %d faisant un rectangle allant de (%d,%d) a "
                    "(%d,%d)\n",
                    v[0], v[1], v[2], v[3], v[4]);
        break;
    case TAG_MUR:
        std::printf(horizontal ? "Mur horizontal avec y=%d allant de x=%d a x=%d d'une hauteur "
                                 "min %d et max %d\n"
                               : "Mur Vertical   avec x=%d allant de y=%d a y=%d d'une hauteur "
                                 "min %d et max %d\n",
                    v[0], v[1], v[2], v[3], v[4]);
        break;
    case TAG_PORTE:
        std::printf(horizontal ? "Porte horizontale avec y=%d allant de x=%d a x=%d d'une "
                                 "hauteur min %d et max %d\n"
                               : "Porte Verticale   avec x=%d allant de y=%d a y=%d d'une "
                                 "hauteur min %d et max %d\n",
                    v[0], v[1], v[2], v[3], v[4]);
        break;
    case TAG_TELEPORTEUR:
        std::printf(horizontal ? "Teleporteur horizontal allant de (%d,%d) a (%d,%d)\n"
                               : "Teleporteur vertical allant de (%d,%d) a (%d,%d)\n",
                    v[0], v[1], v[3], v[4]);
        break;
    case TAG_CAISSE_DE_SOIN:
        std::printf("Caisse de soin aux coordonnees: (%d,%d) avec la texture %d\n", v[0], v[1],
                    texture);
        break;
    default:
        break;
    }
}

void rising(int32_t& low, int32_t& high) {
    if (low > high) {
        const int32_t t = low;
        low = high;
        high = t;
    }
}

// A full table keeps its count, so the next element overwrites the last slot.
void countIf(bool kept, int32_t& count, int32_t capacity) {
    if (kept && count < capacity - 1) ++count;
}

void storeCeiling(Map& m, const Element& e, const int32_t settings[2]) {
    Plafon& p = m.ceilings[m.ceilingCount];
    p = {settings[0], settings[1], e.values[0], e.values[1], e.values[2], e.values[3], e.values[4]};
    rising(p.x1, p.x2);
    rising(p.y1, p.y2);
    countIf(p.x1 != p.x2 && p.y1 != p.y2, m.ceilingCount, MAP_CEILINGS);
}

void storeWall(Map& m, const Element& e, const int32_t settings[2]) {
    Mur& w = m.walls[m.wallCount];
    w = {settings[0], settings[1], e.orientation, e.values[0],
         e.values[1], e.values[2], e.values[3],   e.values[4]};
    rising(w.from, w.to);
    rising(w.minHeight, w.maxHeight);
    countIf(w.from != w.to && w.minHeight != w.maxHeight, m.wallCount, MAP_WALLS);
}

void storeDoor(Map& m, const Element& e, const int32_t settings[2]) {
    Porte& d = m.doors[m.doorCount];
    // A fresh door is closed and at rest: its first update reports only a real start.
    d = {settings[0], e.orientation, e.values[0], e.values[1], e.values[2],
         e.values[3], e.values[4],   0,           DOOR_STOPPED};
    rising(d.minHeight, d.maxHeight);
    countIf(d.from != d.to && d.minHeight != d.maxHeight, m.doorCount, MAP_DOORS);
}

void storeTeleporter(Map& m, const Element& e, const int32_t settings[2]) {
    m.teleporters[m.teleporterCount] = {settings[0], e.orientation, e.values[0], e.values[1],
                                        e.values[3], e.values[4],   e.values[2]};
    countIf(true, m.teleporterCount, MAP_TELEPORTERS);
}

void storeHealthBox(Map& m, const Element& e, const int32_t settings[2]) {
    m.healthBoxes[m.healthBoxCount] = {settings[0], e.values[0], e.values[1], 0, 0};
    countIf(true, m.healthBoxCount, MAP_HEALTH_BOXES);
}

void storeSpawn(Map& m, const Element& e) {
    m.spawns[m.spawnCount] = {e.values[0], e.values[1]};
    countIf(true, m.spawnCount, MAP_SPAWNS);
}

void storeElement(Map& m, int32_t kind, const Element& e, const int32_t settings[2]) {
    switch (kind) {
    case TAG_APPARITION:
        storeSpawn(m, e);
        break;
    case TAG_PLAFON:
        storeCeiling(m, e, settings);
        break;
    case TAG_MUR:
        storeWall(m, e, settings);
        break;
    case TAG_PORTE:
        storeDoor(m, e, settings);
        break;
    case TAG_TELEPORTEUR:
        storeTeleporter(m, e, settings);
        break;
    case TAG_CAISSE_DE_SOIN:
        storeHealthBox(m, e, settings);
        break;
    default:
        break;
    }
}

// Walks the tags of a map file, printing or storing each complete element.
int32_t readElements(Map& m, const char* buffer, int32_t size, bool forPlay) {
    int32_t settings[2] = {0, 1};
    int32_t pos = 0;
    int32_t code = nextTag(buffer, pos, size);
    for (;;) {
        if (code == TAG_END || code == END_OF_DATA) {
            if (forPlay) m.ready = 1;
            return 0;
        }
        if (!isElementKind(code)) {
            std::printf("Une balise incorrecte a ete detecte la map ne peut pas fonctionner\n");
            return 1;
        }
        const int32_t kind = code;
        do {
            Element e = {};
            code = readElement(kind, buffer, pos, size, settings, e);
            if (code == END_OF_DATA) break;
            if (forPlay)
                storeElement(m, kind, e, settings);
            else
                printElement(kind, e, settings[0]);
        } while (code == MORE_GROUPS);
    }
}

// Reads a whole map file for display or play; every element table starts empty.
int32_t readMapFile(Map& m, const char* name, bool forPlay) {
    if (name == nullptr) return 1;
    m.clear();
    int32_t size = 0;
    char* buffer = readWholeFile(name, size);
    const int32_t result = buffer == nullptr ? 1 : readElements(m, buffer, size, forPlay);
    delete[] buffer;
    return result;
}

} // namespace

int32_t Map::printElements(const char* name) {
    return readMapFile(*this, name, false);
}

int32_t Map::loadElements(const char* name) {
    return readMapFile(*this, name, true);
}

int32_t Map::loadTextureList(int32_t number) {
    std::printf("Listage des textures...\n");
    NameTable lists;
    int32_t listCount = 0;
    if (readGameList(TEXTURE_LISTS, lists, listCount) != 0) return 1;
    if (listCount == 0) {
        // Nothing to fall back on: the map still loads, drawn without images.
        std::printf("La liste des textures est vide: la map est chargee sans textures\n");
        textureCount = 0;
        return 0;
    }
    if (number < 0 || number >= listCount) number = 0;
    return readListFile(lists[number], textureNames, textureCount);
}

void Map::clear() {
    ready = 0;
    ceilingCount = 0;
    wallCount = 0;
    spawnCount = 0;
    teleporterCount = 0;
    doorCount = 0;
    healthBoxCount = 0;
}
