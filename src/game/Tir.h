// The table of bullets in flight, shared by every player's shots on this machine.
#pragma once
#include <cstdint>

class Map;

struct Balle {
    int32_t owner;   // shooter's player number
    uint8_t stopped; // met a wall during the current step
    double x, y, z;
    double dx, dy, dz; // map units per second
};

constexpr int32_t TIR_SLOTS = 100;

class Tir {
  public:
    Balle balles[TIR_SLOTS];
    int32_t nextSlot;

    void init();
    void fire(double x, double y, double z, double dx, double dy, double dz, int32_t owner);
    // Moves every live bullet by `dt` ms; fills `hits` with counts per shooter 0..7.
    void update(double playerX, double playerY, int32_t dt, Map& map, int32_t hits[8]);
    void draw() const;

    static bool isLive(const Balle& b);
};
