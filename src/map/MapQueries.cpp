#include "map/Map.h"

#include "platform/Random.h"

#include <cstdint>

namespace {

constexpr double CELL = 100.0;
constexpr double PLAYER_RADIUS = 35.0;
constexpr double RADIUS_CELLS = 0.35;
constexpr int64_t BOX_REACH2 = 800;
constexpr int32_t BOX_RESPAWN_MS = 30000;
constexpr double BOX_HEAL = 15.0;
constexpr double FULL_HEALTH = 100.0;
constexpr double DOOR_MIN_REACH2 = 40000.0;
constexpr double DOOR_SOUND_RANGE2 = 1000000.0;
constexpr double DOOR_RISE = 0.8;

// Positions come from the network too: NaN or huge values must not be cut to int32 blindly.
// NaN lands far away so it reaches nothing.
int32_t cutToInt32(double v) {
    if (!(v == v)) return INT32_MAX;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int32_t clampToInt32(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v));
}

// A count as the tables can hold it, whatever was written into it.
int32_t bounded(int32_t count, int32_t capacity) {
    return count < 0 ? 0 : (count > capacity ? capacity : count);
}

// Walls reach the players only when their lower or upper edge is at height 0 or 1.
bool blocksPlayers(const Mur& w) {
    return w.minHeight == 0 || w.minHeight == 1 || w.maxHeight == 0 || w.maxHeight == 1;
}

// `along`, `across` and their steps are the player's position and step along the wall's line
// and across it; the same tests serve horizontal and vertical walls with the axes exchanged.
void clipAgainstWall(const Mur& w, double& stepAlong, double& stepAcross, double along,
                     double across) {
    const double line = w.line * CELL;
    const double from = w.from * CELL;
    const bool inSpan =
        ((w.from - RADIUS_CELLS) * CELL < along && along < (w.to + RADIUS_CELLS) * CELL) ||
        ((w.to - RADIUS_CELLS) * CELL < along && along < (w.from + RADIUS_CELLS) * CELL);
    if (inSpan) {
        if (across > line && stepAcross < 0) {
            const double edge = across - PLAYER_RADIUS;
            if (signOf(edge - line) != signOf(edge + stepAcross - line)) stepAcross = 0;
        } else if (across <= line && stepAcross > 0) {
            const double edge = across + PLAYER_RADIUS;
            if (signOf(edge - line) != signOf(edge + stepAcross - line)) stepAcross = 0;
        }
    }
    const bool nearLine =
        (w.line - RADIUS_CELLS) * CELL <= across && across <= (w.line + RADIUS_CELLS) * CELL;
    if (nearLine) {
        if (from < along && along < (w.to + RADIUS_CELLS) * CELL && stepAlong < 0) stepAlong = 0;
        if ((w.from - RADIUS_CELLS) * CELL < along && along < from && stepAlong > 0) stepAlong = 0;
    }
}

bool crossesPanel(const Teleporteur& t, double dx, double dy, double px, double py) {
    const double x = t.x * CELL;
    const double y = t.y * CELL;
    if (t.orientation == 'h')
        return x < px && px < x + CELL && signOf(py - y) != signOf(py + dy - y);
    return y < py && py < y + CELL && signOf(px - x) != signOf(px + dx - x);
}

// Squared distance check in 64 bits: each square is tested first so the sum cannot overflow.
bool withinReach(int64_t dx, int64_t dy, int64_t reach2) {
    const int64_t x2 = dx * dx;
    const int64_t y2 = dy * dy;
    return x2 < reach2 && y2 < reach2 && x2 + y2 < reach2;
}

// Grid point a door turns around: the integer middle of its span (toward zero) on its line.
void doorCentre(const Porte& d, double& cx, double& cy) {
    const double middle = static_cast<double>((static_cast<int64_t>(d.from) + d.to) / 2) * CELL;
    const double line = d.line * CELL;
    cx = d.orientation == 'h' ? middle : line;
    cy = d.orientation == 'h' ? line : middle;
}

double squaredDistance(double x, double y, double cx, double cy) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy);
}

// Moves one door by dt toward open or closed and returns its new motion.
int32_t moveDoor(Porte& d, bool near, int32_t dt) {
    int64_t opening = d.opening;
    if (near) {
        d.motion = DOOR_OPENING;
        opening += dt;
    } else {
        d.motion = DOOR_CLOSING;
        opening -= dt;
    }
    d.opening = clampToInt32(opening);
    if (d.opening < 0) {
        d.motion = DOOR_STOPPED;
        d.opening = 0;
    }
    const double limit = d.maxHeight * DOOR_RISE * CELL;
    if (d.opening > limit) {
        d.motion = DOOR_STOPPED;
        d.opening = cutToInt32(limit);
    }
    return d.motion;
}

// Whether a step from `pos` ends on the other side of the plane `line` (on the step's axis).
bool crossesPlane(double line, double pos, double step) {
    return (pos - line > 0) != (pos + step - line > 0);
}

// Shortens a bullet step crossing the plane `line` (its axis given by `pos`/`step`) where the
// crossing point lies within the wall's span and heights.
bool shortenAtPlane(double line, double pos, double along, double z, double& step,
                    double& stepAlong, double& stepZ, double from, double to, double zl,
                    double zh) {
    if (!crossesPlane(line, pos, step)) return false;
    const double d = line - pos;
    const double o = d * stepAlong / step;
    const double oz = d * stepZ / step;
    if (!(from < along + o && along + o < to && zl < z + oz && z + oz < zh)) return false;
    step = d;
    stepAlong = o;
    stepZ = oz;
    return true;
}

} // namespace

void Map::clipMove(double& dx, double& dy, double px, double py) const {
    const int32_t count = bounded(wallCount, MAP_WALLS);
    for (int32_t i = 0; i < count; ++i) {
        const Mur& w = walls[i];
        if (!blocksPlayers(w)) continue;
        if (w.orientation == 'h')
            clipAgainstWall(w, dx, dy, px, py);
        else
            clipAgainstWall(w, dy, dx, py, px);
    }
}

bool Map::crossTeleporters(double& dx, double& dy, double& px, double& py, double& heading) const {
    bool teleported = false;
    const int32_t count = bounded(teleporterCount, MAP_TELEPORTERS);
    for (int32_t i = 0; i < count; ++i) {
        const Teleporteur& t = teleporters[i];
        if (!crossesPanel(t, dx, dy, px, py)) continue;
        dx = 0;
        dy = 0;
        px = (t.destX + 0.5) * CELL;
        py = (t.destY + 0.5) * CELL;
        heading = t.heading;
        teleported = true;
    }
    return teleported;
}

int32_t Map::takeHealthBox(double px, double py, double& health, int32_t dt) {
    int32_t taken = -1;
    const int32_t count = bounded(healthBoxCount, MAP_HEALTH_BOXES);
    for (int32_t i = 0; i < count; ++i) {
        CaisseDeSoin& box = healthBoxes[i];
        const int32_t dx = cutToInt32((box.x + 0.5) * CELL - px);
        const int32_t dy = cutToInt32((box.y + 0.5) * CELL - py);
        if (box.taken) {
            box.respawnTimer = clampToInt32(static_cast<int64_t>(box.respawnTimer) - dt);
            if (box.respawnTimer < 0) box.taken = 0;
            continue;
        }
        if (!withinReach(dx, dy, BOX_REACH2)) continue;
        if (health < FULL_HEALTH) {
            box.taken = 1;
            box.respawnTimer = BOX_RESPAWN_MS;
            health += BOX_HEAL;
            taken = i;
        }
        if (health > FULL_HEALTH) health = FULL_HEALTH;
    }
    return taken;
}

void Map::markHealthBoxTaken(int32_t box) {
    if (box < 0 || box >= bounded(healthBoxCount, MAP_HEALTH_BOXES)) return;
    healthBoxes[box].taken = 1;
    healthBoxes[box].respawnTimer = BOX_RESPAWN_MS;
}

int32_t Map::updateDoors(int32_t n, const double* xs, const double* ys, int32_t dt) {
    const int32_t count = bounded(doorCount, MAP_DOORS);
    if (xs == nullptr || ys == nullptr) n = 0;
    for (int32_t i = 0; i < count; ++i) {
        Porte& d = doors[i];
        const int32_t previous = d.motion;
        double cx = 0;
        double cy = 0;
        doorCentre(d, cx, cy);
        const double length = (static_cast<double>(d.to) - d.from) * CELL;
        const double reach2 = length * length < DOOR_MIN_REACH2 ? DOOR_MIN_REACH2 : length * length;
        bool near = false;
        for (int32_t k = 0; k < n && !near; ++k)
            near = squaredDistance(xs[k], ys[k], cx, cy) < reach2;
        const int32_t motion = moveDoor(d, near, dt);
        // One sound per frame: the doors after a change near the local player wait a frame.
        if (motion != previous && n > 0 &&
            squaredDistance(xs[0], ys[0], cx, cy) < DOOR_SOUND_RANGE2)
            return motion;
    }
    return DOOR_STOPPED;
}

bool Map::clipShot(double x, double y, double z, double& dx, double& dy, double& dz) const {
    bool stopped = false;
    const int32_t count = bounded(wallCount, MAP_WALLS);
    for (int32_t i = 0; i < count; ++i) {
        const Mur& w = walls[i];
        const bool horizontal = w.orientation == 'h';
        const double line = w.line * CELL;
        // Most walls are nowhere near the step: ruled out before the rest is worked out, the
        // very test shortenAtPlane starts with, so the outcome is the same.
        if (!crossesPlane(line, horizontal ? y : x, horizontal ? dy : dx)) continue;
        const double from = w.from * CELL;
        const double to = w.to * CELL;
        const double zl = w.minHeight * CELL;
        const double zh = w.maxHeight * CELL;
        const bool hit = horizontal ? shortenAtPlane(line, y, x, z, dy, dx, dz, from, to, zl, zh)
                                    : shortenAtPlane(line, x, y, z, dx, dy, dz, from, to, zl, zh);
        if (hit) stopped = true;
    }
    return stopped;
}

void Map::pickSpawn(int32_t cell[2]) const {
    const int32_t count = bounded(spawnCount, MAP_SPAWNS);
    if (count == 0) {
        cell[0] = 1;
        cell[1] = 1;
        return;
    }
    int32_t i = static_cast<int32_t>(platform::randomUpTo(count));
    // The draw reaches `count` itself once in 32768: that is the last spawn point.
    if (i >= count) i = count - 1;
    cell[0] = spawns[i].x;
    cell[1] = spawns[i].y;
}

int32_t signOf(double v) {
    return v >= 0 ? 1 : -1;
}

double absValue(double v) {
    return v > 0 ? v : -v;
}
