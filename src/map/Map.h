// The model of one map: the names of its textures and six fixed tables of elements, in cells
// of 100 units. It knows nothing of drawing: render/ turns the names into textures and draws.
#pragma once
#include <cstdint>

enum : int32_t { DOOR_OPENING = 0, DOOR_CLOSING = 1, DOOR_STOPPED = 2 };

constexpr int32_t MAP_TEXTURES = 256;
constexpr int32_t MAP_CEILINGS = 512;
constexpr int32_t MAP_WALLS = 512;
constexpr int32_t MAP_SPAWNS = 256;
constexpr int32_t MAP_TELEPORTERS = 256;
constexpr int32_t MAP_DOORS = 128;
constexpr int32_t MAP_HEALTH_BOXES = 128;

// A horizontal rectangle: a floor at height 0, a ceiling above.
struct Plafon {
    int32_t texture, repeat, height, x1, y1, x2, y2;
};

struct Mur {
    int32_t texture, repeat, orientation, line, from, to, minHeight, maxHeight;
};

struct Porte {
    int32_t texture, orientation, line, from, to, minHeight, maxHeight;
    int32_t opening; // map units risen
    int32_t motion;  // DOOR_*
};

struct Teleporteur {
    int32_t texture, orientation, x, y, destX, destY, heading;
};

struct CaisseDeSoin {
    int32_t texture, x, y, respawnTimer, taken;
};

struct Apparition {
    int32_t x, y;
};

class Map {
  public:
    char textureNames[MAP_TEXTURES][64]; // the texture list: element texture n is entry n
    int32_t textureCount;
    int32_t ready; // 1 once a whole file has been stored for play
    int32_t ceilingCount;
    Plafon ceilings[MAP_CEILINGS];
    int32_t wallCount;
    Mur walls[MAP_WALLS];
    int32_t spawnCount;
    Apparition spawns[MAP_SPAWNS];
    int32_t teleporterCount;
    Teleporteur teleporters[MAP_TELEPORTERS];
    int32_t doorCount;
    Porte doors[MAP_DOORS];
    int32_t healthBoxCount;
    CaisseDeSoin healthBoxes[MAP_HEALTH_BOXES];

    // Loading (Map.cpp). For display: prints one line per element of map file `name` and
    // stores nothing. 0, or 1 when the file cannot be read or holds a wrong tag.
    int32_t printElements(const char* name);
    // For play, the two halves of a load; render/TexturesMap.h runs them with the texture
    // uploads between (loadPlayMap). First the names of texture list `number` of
    // "liste des textures.list", the user's after the shipped ones (the first list when `number` is
    // out of range; none, with a message, when that file lists nothing): 0, or 1 when a list cannot
    // be read.
    int32_t loadTextureList(int32_t number);
    // Then the elements of map file `name`, stored in place of the previous ones; ready only
    // when the whole file was read. 0, or 1 when it cannot be read or holds a wrong tag.
    int32_t loadElements(const char* name);
    // Empties the element tables and makes the map not ready; the texture names stay.
    void clear();

    // Queries (MapQueries.cpp).
    void clipMove(double& dx, double& dy, double px, double py) const;
    bool crossTeleporters(double& dx, double& dy, double& px, double& py, double& heading) const;
    int32_t takeHealthBox(double px, double py, double& health, int32_t dt);
    void markHealthBoxTaken(int32_t box);
    int32_t updateDoors(int32_t n, const double* xs, const double* ys, int32_t dt);
    // Shortens the step (dx, dy, dz) of a shot from (x, y, z) to where it meets the first wall
    // in its way; true when a wall stopped it.
    bool clipShot(double x, double y, double z, double& dx, double& dy, double& dz) const;
    void pickSpawn(int32_t cell[2]) const;
};

int32_t signOf(double v);
double absValue(double v);
