// The model of one map: its textures and six fixed tables of elements, in cells of 100 units.
#pragma once
#include <cstdint>

struct ChampDeVision;

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
    uint32_t textureIds[MAP_TEXTURES];
    char textureNames[MAP_TEXTURES][64];
    int32_t textureCount;
    int32_t ready;
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

    // Loading (Map.cpp). forPlay 1 loads textures and stores; 0 prints one line per element.
    int32_t load(const char* name, uint8_t forPlay, int32_t number);
    int32_t loadTextureList(int32_t number);
    void clear();
    // Texture name of an element's texture number; 0 (untextured) outside 0..255.
    uint32_t textureFor(int32_t texture) const;

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

    // Drawing (MapRender.cpp); draws nothing unless ready. Elements that the camera of the
    // current OpenGL matrices cannot see are not sent: they would give no pixel.
    void render() const;
    // The same through a given view; through makeWholeSpace every element is sent.
    void render(const ChampDeVision& view) const;
    // The five kinds in render's order; each draws its counted elements, ready or not.
    void renderCeilings(const ChampDeVision& view) const;
    void renderWalls(const ChampDeVision& view) const;
    void renderTeleporters(const ChampDeVision& view) const;
    void renderDoors(const ChampDeVision& view) const;
    void renderHealthBoxes(const ChampDeVision& view) const;
};

int32_t signOf(double v);
double absValue(double v);

// A textured axis-aligned box, texture repeated s by t times on each face (MapRender.cpp).
void drawBox(double x1, double y1, double z1, double x2, double y2, double z2, int32_t s, int32_t t,
             uint32_t texture);
