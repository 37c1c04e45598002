"""Map textures and player skins, painted pixel by pixel from seeded noise."""

import math
import random

from picture import Fractal, Noise, Picture, clamp, mix


def grain(pic, fractal, strength):
    """Darkens and lightens every pixel a little, so flat areas look like material."""
    for y in range(pic.height):
        for x in range(pic.width):
            pic.shade(x, y, 1.0 + (fractal.at(x, y) - 0.5) * strength)


def bevel_rect(pic, x0, y0, x1, y1, width, light, dark):
    """Lights the top and left edges of a rectangle and darkens the bottom and right."""
    for i in range(width):
        for x in range(x0 + i, x1 - i):
            pic.shade(x, y0 + i, light)
            pic.shade(x, y1 - 1 - i, dark)
        for y in range(y0 + i, y1 - i):
            pic.shade(x0 + i, y, light)
            pic.shade(x1 - 1 - i, y, dark)


def disc(pic, cx, cy, radius, colour, soft=1.0):
    r = int(radius + soft + 1)
    for y in range(int(cy) - r, int(cy) + r + 1):
        for x in range(int(cx) - r, int(cx) + r + 1):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            pic.blend(x, y, colour, clamp((radius + soft - d) / soft))


def rivet(pic, cx, cy, radius):
    """A small dome: light on its upper left, dark on its lower right."""
    r = int(radius + 2)
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            dx, dy = x - cx, y - cy
            d = math.hypot(dx, dy)
            if d <= radius:
                pic.shade(x, y, 1.25 - 0.5 * (dx + dy) / (2 * radius))
            elif d <= radius + 1.2:
                pic.shade(x, y, 0.7)


def brick(size=256, seed=11):
    pic = Picture(size, size)
    rng = random.Random(seed)
    noise = Fractal(size, 8, 4, seed)
    rows, per_row = 16, 8
    bh, bw = size // rows, size // per_row
    mortar = (0.72, 0.70, 0.66)
    tones = {}
    for row in range(rows):
        for col in range(per_row):
            base = rng.choice([(0.62, 0.30, 0.22), (0.56, 0.26, 0.20), (0.66, 0.36, 0.26),
                               (0.50, 0.24, 0.19)])
            tones[(row, col)] = tuple(c * rng.uniform(0.9, 1.1) for c in base)
    for y in range(size):
        row = y // bh
        shift = (bw // 2) if row % 2 else 0
        for x in range(size):
            xs = (x + shift) % size
            col = xs // bw
            in_mortar = (y % bh) < 2 or (xs % bw) < 2
            n = noise.at(x, y)
            if in_mortar:
                pic.set(x, y, tuple(c * (0.85 + 0.3 * n) for c in mortar))
            else:
                t = tones[(row, col % per_row)]
                edge = 0.9 if (y % bh) == 2 or (xs % bw) == 2 else 1.0
                pic.set(x, y, tuple(c * (0.75 + 0.5 * n) * edge for c in t))
    return pic


def concrete(size=256, seed=12):
    pic = Picture(size, size)
    noise = Fractal(size, 4, 6, seed)
    spots = Noise(size, 32, seed + 1)
    for y in range(size):
        for x in range(size):
            v = 0.62 + 0.22 * (noise.at(x, y) - 0.5) - 0.12 * max(0.0, spots.at(x, y) - 0.75)
            pic.set(x, y, (v, v * 0.99, v * 0.96))
    panel = size // 2
    for p in range(0, size, panel):
        for i in range(size):
            pic.shade(i, p, 0.55)
            pic.shade(i, p + 1, 0.8)
            pic.shade(p, i, 0.55)
            pic.shade(p + 1, i, 0.8)
    # Tie holes left by the formwork.
    for py in range(0, size, panel):
        for px in range(0, size, panel):
            for hx, hy in ((24, 24), (panel - 24, 24), (24, panel - 24), (panel - 24, panel - 24)):
                disc(pic, px + hx, py + hy, 3.5, (0.25, 0.25, 0.24))
    return pic


def metal(size=256, seed=13):
    pic = Picture(size, size)
    streak = Fractal(size, 4, 5, seed)
    fine = Noise(size, 128, seed + 1)
    base = (0.58, 0.62, 0.68)
    for y in range(size):
        for x in range(size):
            # Brushed metal: noise stretched along x.
            v = 0.85 + 0.2 * (streak.at(x // 8, y) - 0.5) + 0.08 * (fine.at(x // 4, y) - 0.5)
            pic.set(x, y, tuple(c * v for c in base))
    plate = size // 2
    for py in range(0, size, plate):
        for px in range(0, size, plate):
            bevel_rect(pic, px, py, px + plate, py + plate, 3, 1.18, 0.7)
            for k in range(12, plate - 8, 26):
                for rx, ry in ((px + k, py + 9), (px + k, py + plate - 10), (px + 9, py + k),
                               (px + plate - 10, py + k)):
                    rivet(pic, rx, ry, 3)
    return pic


def stone(size=256, seed=14):
    pic = Picture(size, size)
    rng = random.Random(seed)
    noise = Fractal(size, 8, 5, seed)
    y = 0
    heights = [40, 48, 36, 44, 40, 48]
    rows = []
    for h in heights:
        rows.append((y, h))
        y += h
    for ry, rh in rows:
        x = rng.randrange(0, 40)
        widths = []
        while x < size + x:
            w = rng.choice([48, 56, 64, 72, 80])
            widths.append((x, w))
            x += w
            if x >= size + widths[0][0]:
                break
        for bx, bw in widths:
            tone = rng.uniform(0.5, 0.7)
            tint = (tone * 1.0, tone * 0.96, tone * 0.88)
            for yy in range(ry, ry + rh):
                for xx in range(bx, bx + bw):
                    x0 = xx % size
                    gap = yy - ry < 3 or xx - bx < 3
                    n = noise.at(x0, yy)
                    if gap:
                        pic.set(x0, yy % size, (0.28, 0.27, 0.25))
                    else:
                        edge = 1.12 if yy - ry < 6 or xx - bx < 6 else 0.85 if (
                            ry + rh - yy < 5 or bx + bw - xx < 5) else 1.0
                        pic.set(x0, yy % size, tuple(c * (0.7 + 0.6 * n) * edge for c in tint))
    return pic


def floor_tiles(size=256, seed=15):
    pic = Picture(size, size)
    noise = Fractal(size, 8, 4, seed)
    tile = size // 4
    light, dark = (0.80, 0.78, 0.72), (0.62, 0.60, 0.56)
    for y in range(size):
        for x in range(size):
            t = light if ((x // tile) + (y // tile)) % 2 == 0 else dark
            n = 0.88 + 0.24 * noise.at(x, y)
            if x % tile < 2 or y % tile < 2:
                pic.set(x, y, (0.35, 0.34, 0.32))
            else:
                pic.set(x, y, tuple(c * n for c in t))
    for ty in range(0, size, tile):
        for tx in range(0, size, tile):
            bevel_rect(pic, tx + 2, ty + 2, tx + tile, ty + tile, 2, 1.1, 0.85)
    return pic


def grating(size=256, seed=16):
    """Diamond plate: raised tear drops in two directions on dark steel."""
    pic = Picture(size, size)
    noise = Fractal(size, 4, 4, seed)
    for y in range(size):
        for x in range(size):
            v = 0.42 + 0.12 * noise.at(x, y)
            pic.set(x, y, (v, v * 1.02, v * 1.06))
    step = 32
    for cy in range(0, size, step):
        for cx in range(0, size, step):
            for k, (ox, oy, ang) in enumerate(((8, 8, 0.8), (24, 24, -0.8))):
                px, py = cx + ox, cy + oy
                ca, sa = math.cos(ang), math.sin(ang)
                for dy in range(-10, 11):
                    for dx in range(-10, 11):
                        u = dx * ca + dy * sa
                        w = -dx * sa + dy * ca
                        if (u / 9.0) ** 2 + (w / 2.6) ** 2 <= 1.0:
                            light = 1.45 if w < 0 else 1.1
                            pic.shade((px + dx) % size, (py + dy) % size, light)
    return pic


def ceiling(size=256, seed=17):
    pic = Picture(size, size)
    noise = Fractal(size, 8, 3, seed)
    panel = size // 4
    for y in range(size):
        for x in range(size):
            v = 0.82 + 0.08 * noise.at(x, y)
            pic.set(x, y, (v, v, v * 0.97))
            if x % panel < 3 or y % panel < 3:
                pic.set(x, y, (0.45, 0.46, 0.48))
    # Two light panels in the repeat, glowing a little past their frame.
    for lx, ly in ((panel, panel), (3 * panel, 3 * panel)):
        for y in range(ly + 3, ly + panel):
            for x in range(lx + 3, lx + panel):
                pic.set(x, y, (1.0, 1.0, 0.96))
        bevel_rect(pic, lx + 3, ly + 3, lx + panel, ly + panel, 3, 0.9, 0.9)
    return pic


def door(size=256, seed=18):
    pic = Picture(size, size)
    noise = Fractal(size, 4, 4, seed)
    base = (0.55, 0.58, 0.52)
    for y in range(size):
        for x in range(size):
            v = 0.9 + 0.2 * (noise.at(x, y) - 0.5)
            pic.set(x, y, tuple(c * v for c in base))
    # Vertical ribs.
    for rx in range(24, size - 16, 40):
        for y in range(20, size - 56):
            for x in range(rx, rx + 12):
                pic.shade(x, y, 1.15 if x < rx + 4 else 0.95 if x < rx + 9 else 0.7)
    # Hazard band at the bottom row of the image: the edge that rises first.
    band = 40
    for y in range(size - band, size):
        for x in range(size):
            stripe = ((x + y) // 20) % 2 == 0
            pic.set(x, y, (0.95, 0.78, 0.1) if stripe else (0.12, 0.12, 0.12))
    bevel_rect(pic, 0, size - band, size, size, 3, 1.1, 0.7)
    bevel_rect(pic, 0, 0, size, size, 6, 1.2, 0.6)
    # A small window near the top.
    for y in range(36, 76):
        for x in range(96, 160):
            t = (y - 36) / 40.0
            pic.set(x, y, mix((0.55, 0.75, 0.85), (0.25, 0.35, 0.45), t))
    bevel_rect(pic, 94, 34, 162, 78, 3, 0.6, 1.25)
    return pic


def teleporter(size=256, seed=19):
    pic = Picture(size, size)
    swirl = Fractal(size, 4, 4, seed)
    c = size / 2.0
    for y in range(size):
        for x in range(size):
            dx, dy = (x + 0.5 - c) / c, (y + 0.5 - c) / c
            r = math.hypot(dx, dy)
            a = math.atan2(dy, dx)
            wave = 0.5 + 0.5 * math.sin(r * 18.0 - a * 3.0 + swirl.at(x, y) * 6.0)
            glow = clamp(1.15 - r)
            v = 0.25 + 0.55 * glow + 0.3 * wave * glow
            pic.set(x, y, (clamp(v * 0.45), clamp(v * 0.85), clamp(v * 1.2)))
    # Frame, so the panel edges are clear from the side.
    for y in range(size):
        for x in range(size):
            if x < 10 or x >= size - 10 or y < 10 or y >= size - 10:
                pic.set(x, y, (0.3, 0.32, 0.38))
    bevel_rect(pic, 0, 0, size, size, 4, 1.3, 0.6)
    bevel_rect(pic, 10, 10, size - 10, size - 10, 2, 0.6, 1.3)
    return pic


def health_box(size=128, seed=20):
    pic = Picture(size, size)
    noise = Fractal(size, 4, 3, seed)
    for y in range(size):
        for x in range(size):
            v = 0.9 + 0.08 * noise.at(x, y)
            pic.set(x, y, (v, v, v))
    arm, long_ = 14, 40
    m = size // 2
    pic.fill_rect(m - arm, m - long_, m + arm, m + long_, (0.85, 0.1, 0.1))
    pic.fill_rect(m - long_, m - arm, m + long_, m + arm, (0.85, 0.1, 0.1))
    bevel_rect(pic, 0, 0, size, size, 6, 1.05, 0.6)
    return pic


def crate(size=128, seed=21):
    pic = Picture(size, size)
    grain_noise = Fractal(size, 4, 5, seed)
    rings = Noise(size, 16, seed + 1)
    base = (0.72, 0.52, 0.30)
    for y in range(size):
        for x in range(size):
            v = 0.8 + 0.25 * grain_noise.at(x, y * 8 % size) + 0.1 * math.sin(
                (y + rings.at(x, y) * 30) * 0.6)
            pic.set(x, y, tuple(c * v for c in base))
    for py in range(0, size, 32):
        for x in range(size):
            pic.shade(x, py, 0.55)
    frame = 14
    bevel_rect(pic, 0, 0, size, size, frame, 1.0, 1.0)
    for y in range(size):
        for x in range(size):
            if x < frame or y < frame or x >= size - frame or y >= size - frame:
                pic.shade(x, y, 1.08)
            # Diagonal brace.
            if abs(x - y) < 9 and frame <= x < size - frame:
                pic.shade(x, y, 1.1 if x - y < -4 else 0.9 if x - y > 4 else 1.05)
    bevel_rect(pic, 0, 0, size, size, 3, 1.2, 0.6)
    bevel_rect(pic, frame, frame, size - frame, size - frame, 2, 0.7, 1.2)
    for rx, ry in ((7, 7), (size - 8, 7), (7, size - 8), (size - 8, size - 8)):
        rivet(pic, rx, ry, 3)
    return pic


def skin_body(size=128, seed=22):
    """j1: the body box. The box maps the image's x axis onto the height, bottom-up on some
    faces and top-down on others, so the design is mirrored about the middle column: a
    collar and a belt at both ends of x, a chest plate and an emblem in the middle."""
    pic = Picture(size, size)
    noise = Fractal(size, 4, 4, seed)
    for y in range(size):
        for x in range(size):
            v = 0.86 + 0.12 * noise.at(x, y)
            pic.set(x, y, (v, v, v))
    for x0 in (10, size - 22):  # belt and collar
        for y in range(size):
            for x in range(x0, x0 + 12):
                pic.set(x, y, (0.5, 0.5, 0.53) if (y // 8) % 2 else (0.58, 0.58, 0.61))
        bevel_rect(pic, x0, 0, x0 + 12, size, 2, 1.3, 0.6)
    # Chest plate across the middle, with an emblem.
    bevel_rect(pic, 36, 14, size - 36, size - 14, 3, 1.15, 0.7)
    for k in range(22, size - 20, 21):
        rivet(pic, 42, k, 2)
        rivet(pic, size - 43, k, 2)
    disc(pic, size / 2, size / 2, 13, (0.45, 0.47, 0.52))
    disc(pic, size / 2, size / 2, 9, (0.97, 0.97, 0.97))
    disc(pic, size / 2, size / 2, 4, (0.6, 0.62, 0.68))
    # A seam down each side, where the faces meet.
    for x in range(size):
        pic.shade(x, 2, 0.7)
        pic.shade(x, size - 3, 0.7)
    return pic


def skin_limbs(size=128, seed=23):
    """j2: the base and the arms. Their boxes map the image turned a quarter on some faces,
    so the plating is the same along both axes: four plates between grip bands."""
    pic = Picture(size, size)
    noise = Fractal(size, 4, 4, seed)
    for y in range(size):
        for x in range(size):
            v = 0.86 + 0.12 * noise.at(x, y)
            pic.set(x, y, (v, v, v * 0.98))
    half, band = size // 2, 10
    for y in range(size):
        for x in range(size):
            across = abs(x - half) < band // 2 or x < band // 2 or x >= size - band // 2
            down = abs(y - half) < band // 2 or y < band // 2 or y >= size - band // 2
            if across or down:
                ribbed = ((x + y) // 4) % 2 == 0
                pic.set(x, y, (0.52, 0.52, 0.55) if ribbed else (0.6, 0.6, 0.63))
    for py in (band // 2, half + band // 2):
        for px in (band // 2, half + band // 2):
            bevel_rect(pic, px, py, px + half - band, py + half - band, 3, 1.15, 0.72)
            for rx, ry in ((px + 8, py + 8), (px + half - band - 9, py + 8),
                           (px + 8, py + half - band - 9),
                           (px + half - band - 9, py + half - band - 9)):
                rivet(pic, rx, ry, 3)
    return pic


def reticle(size=64):
    """White sight with a dark outline, so it reads on bright and dark walls alike."""
    pic = Picture(size, size, (0.0, 0.0, 0.0, 0.0))
    c = size / 2.0
    dark, white = (0.05, 0.05, 0.05), (1.0, 1.0, 1.0)

    def shape(x, y, grow):
        dx, dy = x + 0.5 - c, y + 0.5 - c
        r = math.hypot(dx, dy)
        ring = abs(r - 13.0) <= 1.5 + grow
        dot = r <= 2.0 + grow
        ticks = (abs(dx) <= 1.0 + grow and 18.0 - grow <= abs(dy) <= 28.0 + grow) or (
            abs(dy) <= 1.0 + grow and 18.0 - grow <= abs(dx) <= 28.0 + grow)
        return ring or dot or ticks

    for y in range(size):
        for x in range(size):
            if shape(x, y, 0.0):
                pic.set(x, y, white + (1.0,))
            elif shape(x, y, 1.5):
                pic.set(x, y, dark + (1.0,))
    return pic


# Map textures by file name, in the order the texture lists usually use them.
MAP_TEXTURES = [
    ("sol_dalles.jpg", floor_tiles),
    ("sol_tole.jpg", grating),
    ("mur_brique.jpg", brick),
    ("mur_beton.jpg", concrete),
    ("mur_metal.jpg", metal),
    ("mur_pierre.jpg", stone),
    ("plafond.jpg", ceiling),
    ("porte.jpg", door),
    ("teleporteur.jpg", teleporter),
    ("soin.jpg", health_box),
    ("caisse_bois.jpg", crate),
]
