#include "map/Map.h"

#include <GL/gl.h>

namespace {

constexpr int32_t HORIZONTAL = 'h';

// Cells to map units, in double so that a wild value from a map file cannot overflow.
double units(int32_t cells) {
    return cells * 100.0;
}

// How many times the image repeats over `cells` cells. A repeat of 0 would make the
// coordinates infinite; it is read as 1, the image once per cell.
double repetitions(int32_t a, int32_t b, int32_t repeat) {
    const double span = absValue(static_cast<double>(b) - a);
    return repeat == 0 ? span : span / repeat;
}

// Counts come from the loader, but a count beyond its table must never be walked.
int32_t bounded(int32_t count, int32_t slots) {
    if (count < 0) return 0;
    return count < slots ? count : slots;
}

void corner(double s, double t, double x, double y, double z) {
    glTexCoord2d(s, t);
    glVertex3d(x, y, z);
}

// A vertical quad from a to b along a grid line l, between heights zl and zh.
void uprightQuad(bool horizontal, double a, double b, double l, double zl, double zh, double s,
                 double t) {
    glBegin(GL_QUADS);
    if (horizontal) {
        corner(0, 0, a, l, zl);
        corner(s, 0, b, l, zl);
        corner(s, t, b, l, zh);
        corner(0, t, a, l, zh);
    } else {
        corner(0, 0, l, a, zl);
        corner(s, 0, l, b, zl);
        corner(s, t, l, b, zh);
        corner(0, t, l, a, zh);
    }
    glEnd();
}

} // namespace

void Map::render() const {
    if (ready != 1) return;
    renderCeilings();
    renderWalls();
    renderTeleporters();
    renderDoors();
    renderHealthBoxes();
}

void Map::renderCeilings() const {
    const int32_t n = bounded(ceilingCount, MAP_CEILINGS);
    for (int32_t i = 0; i < n; i++) {
        const Plafon& p = ceilings[i];
        const double s = repetitions(p.x1, p.x2, p.repeat);
        const double t = repetitions(p.y1, p.y2, p.repeat);
        const double z = units(p.height);
        glBindTexture(GL_TEXTURE_2D, textureFor(p.texture));
        glBegin(GL_QUADS);
        corner(0, 0, units(p.x1), units(p.y1), z);
        corner(s, 0, units(p.x2), units(p.y1), z);
        corner(s, t, units(p.x2), units(p.y2), z);
        corner(0, t, units(p.x1), units(p.y2), z);
        glEnd();
    }
}

void Map::renderWalls() const {
    const int32_t n = bounded(wallCount, MAP_WALLS);
    for (int32_t i = 0; i < n; i++) {
        const Mur& m = walls[i];
        const double s = repetitions(m.from, m.to, m.repeat);
        const double t = repetitions(m.minHeight, m.maxHeight, m.repeat);
        glBindTexture(GL_TEXTURE_2D, textureFor(m.texture));
        uprightQuad(m.orientation == HORIZONTAL, units(m.from), units(m.to), units(m.line),
                    units(m.minHeight), units(m.maxHeight), s, t);
    }
}

void Map::renderTeleporters() const {
    const int32_t n = bounded(teleporterCount, MAP_TELEPORTERS);
    for (int32_t i = 0; i < n; i++) {
        const Teleporteur& p = teleporters[i];
        const double px = units(p.x);
        const double py = units(p.y);
        glBindTexture(GL_TEXTURE_2D, textureFor(p.texture));
        glBegin(GL_QUADS);
        if (p.orientation == HORIZONTAL) {
            corner(0, 0, px + 100, py, 0);
            corner(1, 0, px, py, 0);
            corner(1, 1, px, py, 200);
            corner(0, 1, px + 100, py, 200);
        } else {
            corner(0, 0, px, py + 100, 0);
            corner(1, 0, px, py, 0);
            corner(1, 1, px, py, 200);
            corner(0, 1, px, py + 100, 200);
        }
        glEnd();
    }
}

void Map::renderDoors() const {
    const int32_t n = bounded(doorCount, MAP_DOORS);
    for (int32_t i = 0; i < n; i++) {
        const Porte& d = doors[i];
        const double height = static_cast<double>(d.maxHeight) - d.minHeight;
        // The image is cut at the top as the door rises into the ceiling.
        const double t = height == 0 ? 1.0 : 1.0 - d.opening / height / 100.0;
        glBindTexture(GL_TEXTURE_2D, textureFor(d.texture));
        uprightQuad(d.orientation == HORIZONTAL, units(d.from), units(d.to), units(d.line),
                    units(d.minHeight) + d.opening, units(d.maxHeight), 1.0, t);
    }
}

void Map::renderHealthBoxes() const {
    const int32_t n = bounded(healthBoxCount, MAP_HEALTH_BOXES);
    for (int32_t i = 0; i < n; i++) {
        const CaisseDeSoin& c = healthBoxes[i];
        if (c.taken != 0) continue;
        drawBox((c.x + 0.5 - 0.2) * 100, (c.y + 0.5 - 0.2) * 100, 0, (c.x + 0.5 + 0.2) * 100,
                (c.y + 0.5 + 0.2) * 100, 40, 1, 1, textureFor(c.texture));
    }
}

void drawBox(double x1, double y1, double z1, double x2, double y2, double z2, int32_t s, int32_t t,
             uint32_t texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    const double zs[2] = {z1, z2};
    for (const double z : zs) {
        glTexCoord2i(0, 0);
        glVertex3d(x1, y1, z);
        glTexCoord2i(0, t);
        glVertex3d(x1, y2, z);
        glTexCoord2i(s, t);
        glVertex3d(x2, y2, z);
        glTexCoord2i(s, 0);
        glVertex3d(x2, y1, z);
    }
    const double xs[2] = {x1, x2};
    for (const double x : xs) {
        glTexCoord2i(0, 0);
        glVertex3d(x, y1, z2);
        glTexCoord2i(0, t);
        glVertex3d(x, y2, z2);
        glTexCoord2i(s, t);
        glVertex3d(x, y2, z1);
        glTexCoord2i(s, 0);
        glVertex3d(x, y1, z1);
    }
    const double ys[2] = {y1, y2};
    for (const double y : ys) {
        glTexCoord2i(0, 0);
        glVertex3d(x2, y, z1);
        glTexCoord2i(s, 0);
        glVertex3d(x2, y, z2);
        glTexCoord2i(s, t);
        glVertex3d(x1, y, z2);
        glTexCoord2i(0, t);
        glVertex3d(x1, y, z1);
    }
    glEnd();
}
