#include "render/MapRender.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "render/Texture.h"

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

// What the map sends in one frame: each seen element's quad (or box) and texture, in three
// groups. Opaque upright elements first, then opaque floors and ceilings (upright ones hide
// those beyond them far more often than the other way round), each nearest first so that
// the depth test spares the texturing of what lies behind: where no two share a depth, the
// picture is the same in any order. See-through ones last, farthest first, so that what
// lies behind them shows through.
enum Group : int32_t { UPRIGHT, LEVEL, SEE_THROUGH };

struct Piece {
    Group group;
    double nearest; // of its corners, the least distance in front of the camera
    uint32_t texture;
    bool box; // a health box: its two opposite corners in quad.xyz[0] and [1]
    Quad quad;
};

constexpr int32_t MAP_PIECES =
    MAP_CEILINGS + MAP_WALLS + MAP_TELEPORTERS + MAP_DOORS + MAP_HEALTH_BOXES;

struct Pieces {
    const ChampDeVision* view;
    int32_t count;
    Piece pieces[MAP_PIECES];  // in file order
    int32_t order[MAP_PIECES]; // the drawing order, as indexes into pieces
};

Pieces frame; // the game thread's alone; too big for the stack

// Distance of a point in front of the camera (from the view's near side); 0 through a view
// that keeps everything, where the file order then stands.
double depth(const ChampDeVision& view, const double p[3]) {
    const double* near = view.planes[4];
    return near[0] * p[0] + near[1] * p[1] + near[2] * p[2] + near[3];
}

// Keeps an element for this frame, unless the camera cannot see any of it.
Piece* keep(const TexturesMap& textures, int32_t texture, bool upright,
            const double (*corners)[3], int32_t count) {
    const ChampDeVision& view = *frame.view;
    if (isOutsideView(view, corners, count) || frame.count >= MAP_PIECES) return nullptr;
    double nearest = depth(view, corners[0]);
    for (int32_t i = 1; i < count; ++i)
        nearest = std::min(nearest, depth(view, corners[i]));
    Piece& p = frame.pieces[frame.count++];
    p.group = isSeeThrough(textures, texture) ? SEE_THROUGH : upright ? UPRIGHT : LEVEL;
    p.nearest = std::isnan(nearest) ? 0.0 : nearest; // a NaN would break the sort
    p.texture = textureFor(textures, texture);
    p.box = count == 8;
    return &p;
}

void keepQuad(const TexturesMap& textures, int32_t texture, bool upright, const Quad& q) {
    if (Piece* p = keep(textures, texture, upright, q.xyz, 4)) p->quad = q;
}

// Ties keep the file order, so that a frame is drawn the same way every time.
bool drawnBefore(int32_t i, int32_t j) {
    const Piece& a = frame.pieces[i];
    const Piece& b = frame.pieces[j];
    if (a.group != b.group) return a.group < b.group;
    if (a.nearest != b.nearest)
        return a.group == SEE_THROUGH ? a.nearest > b.nearest : a.nearest < b.nearest;
    return i < j;
}

void sendQuad(uint32_t texture, const Quad& q) {
    useTexture(texture);
    glBegin(GL_QUADS);
    for (int32_t i = 0; i < 4; ++i) {
        glTexCoord2d(q.st[i][0], q.st[i][1]);
        glVertex3d(q.xyz[i][0], q.xyz[i][1], q.xyz[i][2]);
    }
    glEnd();
}

void sendPieces() {
    for (int32_t i = 0; i < frame.count; ++i)
        frame.order[i] = i;
    std::sort(frame.order, frame.order + frame.count, drawnBefore);
    for (int32_t i = 0; i < frame.count; ++i) {
        const Piece& p = frame.pieces[frame.order[i]];
        const double(*c)[3] = p.quad.xyz;
        if (p.box)
            drawBox(c[0][0], c[0][1], c[0][2], c[1][0], c[1][1], c[1][2], 1, 1, p.texture);
        else
            sendQuad(p.texture, p.quad);
    }
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

void keepCeilings(const Map& map, const TexturesMap& textures) {
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
        keepQuad(textures, p.texture, false, q);
    }
}

void keepWalls(const Map& map, const TexturesMap& textures) {
    const int32_t n = bounded(map.wallCount, MAP_WALLS);
    for (int32_t i = 0; i < n; i++) {
        const Mur& m = map.walls[i];
        const double s = repetitions(m.from, m.to, m.repeat);
        const double t = repetitions(m.minHeight, m.maxHeight, m.repeat);
        keepQuad(textures, m.texture, true,
                 uprightQuad(m.orientation == HORIZONTAL, units(m.from), units(m.to), units(m.line),
                             units(m.minHeight), units(m.maxHeight), s, t));
    }
}

void keepTeleporters(const Map& map, const TexturesMap& textures) {
    const int32_t n = bounded(map.teleporterCount, MAP_TELEPORTERS);
    for (int32_t i = 0; i < n; i++) {
        const Teleporteur& p = map.teleporters[i];
        const double px = units(p.x);
        const double py = units(p.y);
        // One cell wide, two high, drawn from the far end of the cell back to its corner.
        const bool horizontal = p.orientation == HORIZONTAL;
        keepQuad(textures, p.texture, true,
                 uprightQuad(horizontal, (horizontal ? px : py) + 100, horizontal ? px : py,
                             horizontal ? py : px, 0, 200, 1, 1));
    }
}

void keepDoors(const Map& map, const TexturesMap& textures) {
    const int32_t n = bounded(map.doorCount, MAP_DOORS);
    for (int32_t i = 0; i < n; i++) {
        const Porte& d = map.doors[i];
        const double height = static_cast<double>(d.maxHeight) - d.minHeight;
        // The image is cut at the top as the door rises into the ceiling.
        const double t = height == 0 ? 1.0 : 1.0 - d.opening / height / 100.0;
        keepQuad(textures, d.texture, true,
                 uprightQuad(d.orientation == HORIZONTAL, units(d.from), units(d.to), units(d.line),
                             units(d.minHeight) + d.opening, units(d.maxHeight), 1.0, t));
    }
}

void keepHealthBoxes(const Map& map, const TexturesMap& textures) {
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
        if (Piece* p = keep(textures, c.texture, true, corners, 8)) {
            setCorner(p->quad, 0, 0, 0, x1, y1, 0);
            setCorner(p->quad, 1, 0, 0, x2, y2, 40);
        }
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
    frame.view = &view;
    frame.count = 0;
    keepCeilings(map, textures);
    keepWalls(map, textures);
    keepTeleporters(map, textures);
    keepDoors(map, textures);
    keepHealthBoxes(map, textures);
    sendPieces();
}

void drawBox(double x1, double y1, double z1, double x2, double y2, double z2, int32_t s, int32_t t,
             uint32_t texture) {
    useTexture(texture);
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
