#include "game/Tir.h"

#include "map/Map.h"

#include <cstdio>

namespace {

constexpr double HIT_DISTANCE_SQUARED = 900.0; // 30 units from the line of flight
constexpr double BODY_BOTTOM = 24.0;
constexpr double BODY_TOP = 144.0;
constexpr int32_t OWNERS = 8;

void empty(Balle& b) {
    b.x = -1.0;
    b.y = -1.0;
    b.z = -1.0;
    b.dx = 0;
    b.dy = 0;
    b.dz = 0;
}

bool insideBody(double h) {
    return h > BODY_BOTTOM && h < BODY_TOP;
}

void countHit(int32_t owner, int32_t hits[OWNERS]) {
    if (owner < 0 || owner >= OWNERS) {
        std::printf("Erreur: balle anonyme (voir Tir)\n");
        return;
    }
    hits[owner]++;
}

// Hits of one step (sx, sy, sz) from the bullet's position against the player at (px, py):
// one per crossing of the player's x or y inside the body band.
int32_t crossings(const Balle& b, double sx, double sy, double sz, double px, double py) {
    const double a = -sy;
    const double bb = sx;
    const double norm = a * a + bb * bb;
    // A step without horizontal part crosses nothing.
    if (!(norm > 0)) return 0;
    const double c = sy * b.x - sx * b.y;
    const double side = a * px + bb * py + c;
    if (!(side * side / norm < HIT_DISTANCE_SQUARED)) return 0;
    int32_t count = 0;
    if (signOf(px - b.x) != signOf(px - b.x - sx) && insideBody((px - b.x) / sx * sz + b.z)) {
        count++;
    }
    if (signOf(py - b.y) != signOf(py - b.y - sy) && insideBody((py - b.y) / sy * sz + b.z)) {
        count++;
    }
    return count;
}

} // namespace

void Tir::init() {
    for (Balle& b : balles) {
        b.owner = -1;
        b.stopped = 0;
        empty(b);
    }
    nextSlot = 0;
}

void Tir::fire(double x, double y, double z, double dx, double dy, double dz, int32_t owner) {
    if (nextSlot < 0 || nextSlot >= TIR_SLOTS) nextSlot = 0;
    Balle& b = balles[nextSlot];
    b.x = x;
    b.y = y;
    b.z = z;
    b.dx = dx;
    b.dy = dy;
    b.dz = dz;
    b.owner = owner;
    b.stopped = 0;
    nextSlot = (nextSlot + 1) % TIR_SLOTS;
}

void Tir::update(double playerX, double playerY, int32_t dt, Map& map, int32_t hits[8]) {
    for (int32_t i = 0; i < OWNERS; i++)
        hits[i] = 0;
    for (Balle& b : balles) {
        if (!isLive(b)) continue;
        double sx = dt * b.dx / 1000;
        double sy = dt * b.dy / 1000;
        double sz = dt * b.dz / 1000;
        if (map.clipShot(b.x, b.y, b.z, sx, sy, sz)) b.stopped = 1;
        const int32_t n = crossings(b, sx, sy, sz, playerX, playerY);
        for (int32_t k = 0; k < n; k++)
            countHit(b.owner, hits);
        b.x += sx;
        b.y += sy;
        b.z += sz;
        if (b.stopped) b.x = -1.0;
    }
}

int32_t Tir::liveBullets(double centres[TIR_SLOTS][3]) const {
    int32_t count = 0;
    for (const Balle& b : balles) {
        if (!isLive(b)) continue;
        centres[count][0] = b.x;
        centres[count][1] = b.y;
        centres[count][2] = b.z;
        ++count;
    }
    return count;
}

// Written so that NaN fails every test and is never live.
bool Tir::isLive(const Balle& b) {
    return b.x > 0 && b.x < 100000 && b.y > 0 && b.y < 100000 && b.z > 0 && b.z < 500;
}
