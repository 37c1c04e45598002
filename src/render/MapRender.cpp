#include "render/MapRender.h"

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

// One quad as sent: texture coordinates and corners, in the order they are sent.
struct Quad {
    double st[4][2];
    double xyz[4][3];
};

void setCorner(Quad& q, int32_t i, double s, double t, double x, double y, double z) {
    q.st[i][0] = s;
    q.st[i][1] = t;
    q.xyz[i][0] = x;
    q.xyz[i][1] = y;
    q.xyz[i][2] = z;
}

// Binds the element's texture and sends its quad, unless the camera cannot see any of it.
void drawQuad(const ChampDeVision& view, uint32_t texture, const Quad& q) {
    if (isOutsideView(view, q.xyz, 4)) return;
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    for (int32_t i = 0; i < 4; ++i) {
        glTexCoord2d(q.st[i][0], q.st[i][1]);
        glVertex3d(q.xyz[i][0], q.xyz[i][1], q.xyz[i][2]);
    }
    glEnd();
}

// A vertical quad from a to b along a grid line l, between heights zl and zh.
Quad uprightQuad(bool horizontal, double a, double b, double l, double zl, double zh, double s,
                 double t) {
    Quad q;
    if (horizontal) {
        setCorner(q, 0, 0, 0, a, l, zl);
        setCorner(q, 1, s, 0, b, l, zl);
        setCorner(q, 2, s, t, b, l, zh);
        setCorner(q, 3, 0, t, a, l, zh);
    } else {
        setCorner(q, 0, 0, 0, l, a, zl);
        setCorner(q, 1, s, 0, l, b, zl);
        setCorner(q, 2, s, t, l, b, zh);
        setCorner(q, 3, 0, t, l, a, zh);
    }
    return q;
}

void drawCeilings(const Map& map, const TexturesMap& textures, const ChampDeVision& view) {
    const int32_t n = bounded(map.ceilingCount, MAP_CEILINGS);
    for (int32_t i = 0; i < n; i++) {
        const Plafon& p = map.ceilings[i];
        const double s = repetitions(p.x1, p.x2, p.repeat);
        const double t = repetitions(p.y1, p.y2, p.repeat);
        const double z = units(p.height);
        Quad q;
        setCorner(q, 0, 0, 0, units(p.x1), units(p.y1), z);
        setCorner(q, 1, s, 0, units(p.x2), units(p.y1), z);
        setCorner(q, 2, s, t, units(p.x2), units(p.y2), z);
        setCorner(q, 3, 0, t, units(p.x1), units(p.y2), z);
        drawQuad(view, textureFor(textures, p.texture), q);
    }
}

void drawWalls(const Map& map, const TexturesMap& textures, const ChampDeVision& view) {
    const int32_t n = bounded(map.wallCount, MAP_WALLS);
    for (int32_t i = 0; i < n; i++) {
        const Mur& m = map.walls[i];
        const double s = repetitions(m.from, m.to, m.repeat);
        const double t = repetitions(m.minHeight, m.maxHeight, m.repeat);
        drawQuad(view, textureFor(textures, m.texture),
                 uprightQuad(m.orientation == HORIZONTAL, units(m.from), units(m.to), units(m.line),
                             units(m.minHeight), units(m.maxHeight), s, t));
    }
}

void drawTeleporters(const Map& map, const TexturesMap& textures, const ChampDeVision& view) {
    const int32_t n = bounded(map.teleporterCount, MAP_TELEPORTERS);
    for (int32_t i = 0; i < n; i++) {
        const Teleporteur& p = map.teleporters[i];
        const double px = units(p.x);
        const double py = units(p.y);
        // One cell wide, two high, drawn from the far end of the cell back to its corner.
        const bool horizontal = p.orientation == HORIZONTAL;
        drawQuad(view, textureFor(textures, p.texture),
                 uprightQuad(horizontal, (horizontal ? px : py) + 100, horizontal ? px : py,
                             horizontal ? py : px, 0, 200, 1, 1));
    }
}

void drawDoors(const Map& map, const TexturesMap& textures, const ChampDeVision& view) {
    const int32_t n = bounded(map.doorCount, MAP_DOORS);
    for (int32_t i = 0; i < n; i++) {
        const Porte& d = map.doors[i];
        const double height = static_cast<double>(d.maxHeight) - d.minHeight;
        // The image is cut at the top as the door rises into the ceiling.
        const double t = height == 0 ? 1.0 : 1.0 - d.opening / height / 100.0;
        drawQuad(view, textureFor(textures, d.texture),
                 uprightQuad(d.orientation == HORIZONTAL, units(d.from), units(d.to), units(d.line),
                             units(d.minHeight) + d.opening, units(d.maxHeight), 1.0, t));
    }
}

void drawHealthBoxes(const Map& map, const TexturesMap& textures, const ChampDeVision& view) {
    const int32_t n = bounded(map.healthBoxCount, MAP_HEALTH_BOXES);
    for (int32_t i = 0; i < n; i++) {
        const CaisseDeSoin& c = map.healthBoxes[i];
        if (c.taken != 0) continue;
        const double x1 = (c.x + 0.5 - 0.2) * 100;
        const double y1 = (c.y + 0.5 - 0.2) * 100;
        const double x2 = (c.x + 0.5 + 0.2) * 100;
        const double y2 = (c.y + 0.5 + 0.2) * 100;
        const double corners[8][3] = {{x1, y1, 0},  {x2, y1, 0},  {x1, y2, 0},  {x2, y2, 0},
                                      {x1, y1, 40}, {x2, y1, 40}, {x1, y2, 40}, {x2, y2, 40}};
        if (isOutsideView(view, corners, 8)) continue;
        drawBox(x1, y1, 0, x2, y2, 40, 1, 1, textureFor(textures, c.texture));
    }
}

} // namespace

void drawMap(const Map& map, const TexturesMap& textures) {
    ChampDeVision view;
    currentChampDeVision(view);
    drawMap(map, textures, view);
}

void drawMap(const Map& map, const TexturesMap& textures, const ChampDeVision& view) {
    if (map.ready != 1) return;
    drawCeilings(map, textures, view);
    drawWalls(map, textures, view);
    drawTeleporters(map, textures, view);
    drawDoors(map, textures, view);
    drawHealthBoxes(map, textures, view);
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
