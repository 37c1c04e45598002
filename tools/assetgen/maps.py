"""The generated maps (the maze and the stress map), their texture lists and the two list
files. The training room and the arena are written by hand in data/maps/."""

import random

# Every map with its texture list, in map number order.
MAPS = [
    ("arene", "l'arene : neuf salles, portes, teleporteurs et caisses de soin"),
    ("salle", "la salle d'entrainement, pour decouvrir chaque element"),
    ("labyrinthe", "le grand labyrinthe, 16 points d'apparition, pour huit joueurs"),
    ("stress", "la map de mesure : chaque table d'elements remplie jusqu'a sa limite"),
]

LIMITS = {"mur": 511, "plafon": 511, "apparition": 255, "teleporteur": 255, "porte": 127,
          "caisse de soin": 127}


def texture_list(entries, title):
    lines = [title]
    for number, (name, note) in enumerate(entries):
        entry = "rien" if name is None else "donnees\\textures\\" + name
        lines.append("<%s>%s%d %s" % (entry, " " * max(1, 36 - len(entry)), number, note))
    return "\n".join(lines) + "\n"


def list_files():
    """The list of maps and the list of texture lists; entry N of each belongs to map N."""
    maps = ["Les maps du jeu. Le numero d'une map est son rang dans cette liste, a partir de 0.",
            "Le texte hors des chevrons est libre ; chaque nom est relatif au dossier du jeu."]
    textures = ["Les listes de textures : la liste N donne les textures de la map N."]
    for number, (name, note) in enumerate(MAPS):
        maps.append("<maps\\%s.map>%s%d %s" % (name, " " * (14 - len(name)), number, note))
        textures.append("<maps\\%s.list>%s%d" % (name, " " * (14 - len(name)), number))
    return "\n".join(maps) + "\n", "\n".join(textures) + "\n"


class MapText:
    """Collects the elements of one map and writes them tag by tag."""

    def __init__(self, header):
        self.header = header
        self.sections = []

    def section(self, tag, comment, items):
        """items: (texture, repeat or None, text of the element's groups)."""
        lines = ["<%s>" % tag]
        if comment:
            lines.append("  " + comment)
        current = (None, None)
        row = []
        for texture, repeat, groups in items:
            setting = ""
            if texture != current[0]:
                setting += "[%d]" % texture
            if repeat is not None and repeat != current[1]:
                setting += "{%d}" % repeat
            current = (texture, repeat if repeat is not None else current[1])
            if setting:
                if row:
                    lines.append("  " + " ".join(row))
                    row = []
                row.append(setting)
            row.append(groups)
            if len(row) >= 6:
                lines.append("  " + " ".join(row))
                row = []
        if row:
            lines.append("  " + " ".join(row))
        self.sections.append("\n".join(lines))

    def text(self):
        return self.header.strip() + "\n\n" + "\n\n".join(self.sections) + "\n\n<fin>\n"


def wall(o, line, a, b, lo, hi):
    return "(%s,%d,%d,%d)(%d,%d)" % (o, line, a, b, lo, hi)


# ----------------------------------------------------------------------------------------
# The maze: 20 x 20 passages of 2 x 2 cells, with loops, plazas, doors and teleporters.

MAZE_N = 20          # passages per side
MAZE_STEP = 2        # cells per passage
MAZE_SIZE = MAZE_N * MAZE_STEP

MAZE_TEXTURES = [
    ("sol_dalles.jpg", "sol"),
    ("mur_pierre.jpg", "murs du labyrinthe"),
    ("mur_brique.jpg", "murs autour des places"),
    ("mur_beton.jpg", "enceinte"),
    ("porte.jpg", "portes"),
    ("teleporteur.jpg", "teleporteurs"),
    ("soin.jpg", "caisses de soin"),
    ("plafond.jpg", "plafonds des places"),
    ("caisse_bois.jpg", "bloc de la place centrale"),
]
TX_FLOOR, TX_STONE, TX_BRICK, TX_OUTER, TX_DOOR, TX_TELE, TX_BOX, TX_CEIL, TX_CRATE = range(9)

# Plazas: (first passage x, first passage y, size in passages).
PLAZAS = [(8, 8, 4), (3, 3, 2), (15, 3, 2), (3, 15, 2), (15, 15, 2)]


def in_plaza(i, j):
    return any(px <= i < px + s and py <= j < py + s for px, py, s in PLAZAS)


def near_plaza(i, j):
    return any(px - 1 <= i <= px + s and py - 1 <= j <= py + s for px, py, s in PLAZAS)


def carve_maze(rng):
    """Walls between passages: east[i][j] is the wall on the east of passage (i, j)."""
    n = MAZE_N
    east = [[True] * n for _ in range(n)]
    north = [[True] * n for _ in range(n)]
    seen = [[False] * n for _ in range(n)]
    stack = [(0, 0)]
    seen[0][0] = True
    while stack:
        i, j = stack[-1]
        options = [(i + di, j + dj) for di, dj in ((1, 0), (-1, 0), (0, 1), (0, -1))
                   if 0 <= i + di < n and 0 <= j + dj < n and not seen[i + di][j + dj]]
        if not options:
            stack.pop()
            continue
        ni, nj = rng.choice(options)
        if ni != i:
            east[min(i, ni)][j] = False
        else:
            north[i][min(j, nj)] = False
        seen[ni][nj] = True
        stack.append((ni, nj))
    # Loops, so that nobody is cornered in a long dead end with no way round.
    for _ in range(70):
        i, j = rng.randrange(n - 1), rng.randrange(n - 1)
        if rng.random() < 0.5:
            east[i][j] = False
        else:
            north[i][j] = False
    for px, py, s in PLAZAS:
        for i in range(px, px + s):
            for j in range(py, py + s):
                if i < px + s - 1:
                    east[i][j] = False
                if j < py + s - 1:
                    north[i][j] = False
    return east, north


def openings(east, north, i, j):
    n = MAZE_N
    sides = []
    if i + 1 < n and not east[i][j]:
        sides.append("e")
    if i > 0 and not east[i - 1][j]:
        sides.append("w")
    if j + 1 < n and not north[i][j]:
        sides.append("n")
    if j > 0 and not north[i][j - 1]:
        sides.append("s")
    return sides


def merged_runs(flags):
    """Index ranges [a, b) of consecutive True values."""
    runs, start = [], None
    for k, flag in enumerate(flags + [False]):
        if flag and start is None:
            start = k
        elif not flag and start is not None:
            runs.append((start, k))
            start = None
    return runs


def maze():
    rng = random.Random(2024)
    n, s = MAZE_N, MAZE_STEP
    east, north = carve_maze(rng)

    def wall_texture(i, j):
        return TX_BRICK if near_plaza(i, j) else TX_STONE

    walls = []
    # Inner walls, merged along each grid line while their texture stays the same.
    for i in range(n - 1):
        column = [east[i][j] for j in range(n)]
        for a, b in merged_runs(column):
            j = a
            while j < b:
                k = j
                while k < b and wall_texture(i, k) == wall_texture(i, j):
                    k += 1
                walls.append((wall_texture(i, j), 2, wall("v", (i + 1) * s, j * s, k * s, 0, 3)))
                j = k
    for j in range(n - 1):
        row = [north[i][j] for i in range(n)]
        for a, b in merged_runs(row):
            i = a
            while i < b:
                k = i
                while k < b and wall_texture(k, j) == wall_texture(i, j):
                    k += 1
                walls.append((wall_texture(i, j), 2, wall("h", (j + 1) * s, i * s, k * s, 0, 3)))
                i = k
    size = MAZE_SIZE
    walls += [(TX_OUTER, 2, wall("h", 0, 0, size, 0, 5)), (TX_OUTER, 2, wall("h", size, 0, size, 0, 5)),
              (TX_OUTER, 2, wall("v", 0, 0, size, 0, 5)), (TX_OUTER, 2, wall("v", size, 0, size, 0, 5))]

    # The central plaza holds a low block; its top is a plafon at height 1.
    cx = (PLAZAS[0][0] + PLAZAS[0][2] // 2) * s
    block = (cx - 1, cx - 1, cx + 1, cx + 1)
    bx0, by0, bx1, by1 = block
    walls += [(TX_CRATE, 1, wall("h", by0, bx0, bx1, 0, 1)), (TX_CRATE, 1, wall("h", by1, bx0, bx1, 0, 1)),
              (TX_CRATE, 1, wall("v", bx0, by0, by1, 0, 1)), (TX_CRATE, 1, wall("v", bx1, by0, by1, 0, 1))]

    ceilings = [(TX_FLOOR, 2, "(0) (0,0) (%d,%d)" % (size, size))]
    for px, py, ps in PLAZAS[1:]:
        ceilings.append((TX_CEIL, 2, "(3) (%d,%d) (%d,%d)" % (px * s, py * s, (px + ps) * s,
                                                             (py + ps) * s)))
    ceilings.append((TX_CRATE, 1, "(1) (%d,%d) (%d,%d)" % block))

    # Dead ends: teleporters in the four nearest the corners, health boxes in others.
    dead = [(i, j) for i in range(n) for j in range(n)
            if len(openings(east, north, i, j)) == 1 and not near_plaza(i, j)]
    corners = [(0, 0), (n - 1, 0), (0, n - 1), (n - 1, n - 1)]
    tele_cells = []
    for ci, cj in corners:
        best = min((c for c in dead if c not in tele_cells),
                   key=lambda c: abs(c[0] - ci) + abs(c[1] - cj))
        tele_cells.append(best)
    # Each corner sends to the plaza of the opposite quadrant; two panels close the passage.
    plaza_targets = [PLAZAS[4], PLAZAS[3], PLAZAS[2], PLAZAS[1]]
    teleporters = []
    for (i, j), (px, py, ps) in zip(tele_cells, plaza_targets):
        side = openings(east, north, i, j)[0]
        dest = (px * s + 1, py * s + 1)
        heading = 45
        if side in ("e", "w"):
            x = i * s + 1
            for k in range(s):
                teleporters.append((TX_TELE, None, "(v,%d,%d,%d)(%d,%d)" % (x, j * s + k, heading,
                                                                          dest[0], dest[1] + k)))
        else:
            y = j * s + 1
            for k in range(s):
                teleporters.append((TX_TELE, None, "(h,%d,%d,%d)(%d,%d)" % (i * s + k, y, heading,
                                                                          dest[0] + k, dest[1])))
    rest = [c for c in dead if c not in tele_cells]
    rng.shuffle(rest)
    box_cells = rest[:6] + [(PLAZAS[0][0], PLAZAS[0][1]), (PLAZAS[0][0] + 3, PLAZAS[0][1] + 3)]
    boxes = [(TX_BOX, None, "(%d,%d)" % (i * s, j * s)) for i, j in box_cells]

    # Doors across a few straight passages away from the plazas, with a lintel above.
    doors = []
    candidates = []
    for i in range(n - 1):
        for j in range(n):
            if not east[i][j] and not near_plaza(i, j) and not near_plaza(i + 1, j):
                candidates.append(("v", (i + 1) * s, j * s))
    for j in range(n - 1):
        for i in range(n):
            if not north[i][j] and not near_plaza(i, j) and not near_plaza(i, j + 1):
                candidates.append(("h", (j + 1) * s, i * s))
    rng.shuffle(candidates)
    for o, line, a in candidates[:10]:
        doors.append((TX_DOOR, None, "(%s,%d,%d,%d)(0,2)" % (o, line, a, a + s)))
        walls.append((TX_BRICK, 1, wall(o, line, a, a + s, 2, 3)))

    # Sixteen spawn points spread over the maze, never on a box or a teleporter's passage.
    taken = set(box_cells) | set(tele_cells)
    spawns = []
    for gi in range(4):
        for gj in range(4):
            i, j = gi * 5 + 2, gj * 5 + 2
            while (i, j) in taken:
                i += 1
            spawns.append((None, None, "(%d,%d)" % (i * s + 1, j * s)))

    header = """
Le grand labyrinthe, 40 x 40 cases, fait par tools/assetgen : ne pas le modifier a la main.

Des couloirs de 2 cases entre des murs de 3 cases, quelques boucles pour ne pas rester coince,
cinq places dont une centrale avec un bloc bas, dix portes, quatre impasses qui teleportent
vers la place du quart oppose, huit caisses de soin et seize points d'apparition.
"""
    m = MapText(header)
    m.section("apparition", "", spawns)
    m.section("plafon", "le sol, les plafonds des places et le dessus du bloc", ceilings)
    m.section("mur", "murs du labyrinthe, enceinte, bloc central et linteaux des portes", walls)
    m.section("porte", "", doors)
    m.section("teleporteur", "", teleporters)
    m.section("caisse de soin", "", boxes)
    counts = {"mur": len(walls), "plafon": len(ceilings), "apparition": len(spawns),
              "teleporteur": len(teleporters), "porte": len(doors), "caisse de soin": len(boxes)}
    for tag, count in counts.items():
        assert count <= LIMITS[tag], (tag, count)
    return m.text(), texture_list([(f, note) for f, note in MAZE_TEXTURES],
                                  "Textures du grand labyrinthe (fait par tools/assetgen).")


# ----------------------------------------------------------------------------------------
# The stress map: 64 x 64 cells in 16 x 16 blocks of 4 x 4, every table at its limit.

STRESS_TEXTURES = [
    ("sol_dalles.jpg", ""), ("sol_tole.jpg", ""), ("mur_brique.jpg", ""), ("mur_beton.jpg", ""),
    ("mur_metal.jpg", ""), ("mur_pierre.jpg", ""), ("plafond.jpg", ""), ("porte.jpg", ""),
    ("teleporteur.jpg", ""), ("soin.jpg", ""), ("caisse_bois.jpg", ""),
]
STRESS_SIZE = 64
BLOCKS = STRESS_SIZE // 4


def stress():
    rng = random.Random(77)
    size = STRESS_SIZE
    blocks = [(p, q) for q in range(BLOCKS) for p in range(BLOCKS)]
    # One block is left without spawn, teleporter and ceiling to stay one under 256.
    open_block = (BLOCKS - 1, BLOCKS - 1)
    full = [b for b in blocks if b != open_block]

    spawns = [(None, None, "(%d,%d)" % (4 * p, 4 * q)) for p, q in full]
    floors = [(k % 2, 2, "(0) (%d,%d) (%d,%d)" % (4 * p, 4 * q, 4 * p + 4, 4 * q + 4))
              for k, (p, q) in enumerate(blocks)]
    ceilings = [(6, 2, "(4) (%d,%d) (%d,%d)" % (4 * p, 4 * q, 4 * p + 4, 4 * q + 4))
                for p, q in full]

    # Short walls, one per 2 x 2 slot on odd grid lines: none touches another or the
    # enclosure, so no cell is ever shut in. Some are beams that only stop bullets.
    heights = [(0, 2), (0, 3), (1, 3), (2, 4), (0, 5)]
    slots = [(a, b) for b in range(31) for a in range(31)]
    rng.shuffle(slots)
    walls = [(3, 2, wall("h", 0, 0, size, 0, 5)), (3, 2, wall("h", size, 0, size, 0, 5)),
             (3, 2, wall("v", 0, 0, size, 0, 5)), (3, 2, wall("v", size, 0, size, 0, 5))]
    for k, (a, b) in enumerate(sorted(slots[:LIMITS["mur"] - 4], key=lambda s: (s[1], s[0]))):
        lo, hi = heights[k % len(heights)]
        texture = (2, 4, 5, 10)[k % 4]
        if rng.random() < 0.5:
            walls.append((texture, 1, wall("h", 2 * b + 1, 2 * a + 1, 2 * a + 2, lo, hi)))
        else:
            walls.append((texture, 1, wall("v", 2 * a + 1, 2 * b + 1, 2 * b + 2, lo, hi)))

    # Teleporters on even lines, each sending to another block's spawn cell.
    teleporters = []
    for k, (p, q) in enumerate(full):
        tp, tq = full[(k * 37 + 11) % len(full)]
        teleporters.append((8, None, "(h,%d,%d,%d)(%d,%d)" % (4 * p + 2, 4 * q + 2, (k * 45) % 360,
                                                             4 * tp, 4 * tq)))
    doors = [(7, None, "(v,%d,%d,%d)(0,2)" % (4 * p + 2, 4 * q + 3, 4 * q + 4))
             for p, q in blocks[0:254:2]]
    boxes = [(9, None, "(%d,%d)" % (4 * p + 3, 4 * q)) for p, q in blocks[1:255:2]]

    header = """
Map de mesure, 64 x 64 cases, faite par tools/assetgen : ne pas la modifier a la main.

Chaque table d'elements y est remplie jusqu'a sa limite : 511 murs, 511 plafon, 255 points
d'apparition, 255 teleporteurs, 127 portes et 127 caisses de soin. Elle sert aux mesures de
vitesse ; on peut aussi y jouer.
"""
    m = MapText(header)
    m.section("apparition", "", spawns)
    m.section("plafon", "", floors + ceilings)
    m.section("mur", "", walls)
    m.section("porte", "", doors)
    m.section("teleporteur", "", teleporters)
    m.section("caisse de soin", "", boxes)
    counts = {"mur": len(walls), "plafon": len(floors) + len(ceilings), "apparition": len(spawns),
              "teleporteur": len(teleporters), "porte": len(doors), "caisse de soin": len(boxes)}
    assert counts == LIMITS, counts
    return m.text(), texture_list(STRESS_TEXTURES, "Textures de la map de mesure.")
