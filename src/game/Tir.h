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
    int32_t nextSlot; // slot the next shot overwrites

    // Empties every slot.
    void init();
    // Puts one bullet in the next slot; with 100 in flight the oldest is overwritten.
    void fire(double x, double y, double z, double dx, double dy, double dz, int32_t owner);
    // Moves every live bullet by `dt` ms, stopping it at the first wall in its way, and
    // fills `hits` with the bullets per shooter 0..7 that crossed the player's x or y within
    // 30 units of (playerX, playerY) at a height strictly between 24 and 144. A bullet
    // crossing both counts twice; a shooter outside 0..7 is reported and not counted.
    // Bullets that met a wall are emptied.
    void update(double playerX, double playerY, int32_t dt, Map& map, int32_t hits[8]);
    // Copies the centres of the live bullets, in slot order; returns how many.
    int32_t liveBullets(double centres[TIR_SLOTS][3]) const;

    // Live inside the play box 0 < x < 100000, 0 < y < 100000, 0 < z < 500 (NaN is not).
    static bool isLive(const Balle& b);
};
