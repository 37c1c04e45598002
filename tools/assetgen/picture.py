"""Pixel buffers, tileable noise and the files ImageMagick turns them into."""

import math
import os
import random
import shutil
import struct
import subprocess
import tempfile
import zlib


def convert_program():
    """The ImageMagick converter; the Debian package installs it as /usr/bin/convert."""
    if os.path.exists("/usr/bin/convert"):
        return "/usr/bin/convert"
    found = shutil.which("convert")
    if found is None:
        raise SystemExit("assetgen: ImageMagick 'convert' is missing (scripts/install-deps)")
    return found


def run_convert(args):
    subprocess.run([convert_program()] + args, check=True)


class Picture:
    """An RGBA image held as floats in 0..1, row 0 at the top."""

    def __init__(self, width, height, colour=(0.0, 0.0, 0.0, 1.0)):
        self.width = width
        self.height = height
        self.pixels = [list(colour) for _ in range(width * height)]

    def get(self, x, y):
        return self.pixels[(y % self.height) * self.width + (x % self.width)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            p = self.pixels[y * self.width + x]
            p[0], p[1], p[2] = colour[0], colour[1], colour[2]
            if len(colour) > 3:
                p[3] = colour[3]

    def blend(self, x, y, colour, amount):
        """Mixes `colour` over the pixel by `amount` (0..1)."""
        if 0 <= x < self.width and 0 <= y < self.height and amount > 0.0:
            p = self.pixels[y * self.width + x]
            a = min(1.0, amount)
            for c in range(3):
                p[c] = p[c] * (1.0 - a) + colour[c] * a

    def shade(self, x, y, factor):
        if 0 <= x < self.width and 0 <= y < self.height:
            p = self.pixels[y * self.width + x]
            for c in range(3):
                p[c] = p[c] * factor

    def fill_rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.set(x, y, colour)

    def rgb_bytes(self):
        out = bytearray()
        for p in self.pixels:
            out += bytes(to_byte(p[c]) for c in range(3))
        return bytes(out)

    def rgba_bytes(self):
        out = bytearray()
        for p in self.pixels:
            out += bytes(to_byte(p[c]) for c in range(4))
        return bytes(out)


def to_byte(v):
    return max(0, min(255, int(round(v * 255.0))))


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(a[i] * (1.0 - t) + b[i] * t for i in range(len(a)))


def smooth(t):
    return t * t * (3.0 - 2.0 * t)


class Noise:
    """Value noise that tiles over `size` pixels, so textures repeat without seams."""

    def __init__(self, size, cells, seed):
        rng = random.Random(seed)
        self.size = size
        self.cells = cells
        self.grid = [rng.random() for _ in range(cells * cells)]

    def at(self, x, y):
        fx = x * self.cells / self.size
        fy = y * self.cells / self.size
        ix, iy = int(math.floor(fx)), int(math.floor(fy))
        tx, ty = smooth(fx - ix), smooth(fy - iy)
        c = self.cells
        g = self.grid
        a = g[(iy % c) * c + ix % c]
        b = g[(iy % c) * c + (ix + 1) % c]
        d = g[((iy + 1) % c) * c + ix % c]
        e = g[((iy + 1) % c) * c + (ix + 1) % c]
        top = a + (b - a) * tx
        bottom = d + (e - d) * tx
        return top + (bottom - top) * ty


class Fractal:
    """Several octaves of tileable noise, from `cells` lattice cells upwards; values 0..1."""

    def __init__(self, size, cells, octaves, seed):
        self.layers = [Noise(size, cells * (2 ** o), seed * 31 + o) for o in range(octaves)]

    def at(self, x, y):
        total, weight, amp = 0.0, 0.0, 1.0
        for layer in self.layers:
            total += layer.at(x, y) * amp
            weight += amp
            amp *= 0.5
        return total / weight


def write_png(path, picture, alpha):
    """A plain PNG (RGB or RGBA, 8 bits), the hand-over format to ImageMagick."""
    raw = picture.rgba_bytes() if alpha else picture.rgb_bytes()
    stride = picture.width * (4 if alpha else 3)
    rows = bytearray()
    for y in range(picture.height):
        rows.append(0)
        rows += raw[y * stride:(y + 1) * stride]

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        f.write(chunk(b"IEND", b""))


def write_tga(path, picture):
    """A 32-bit run-length TGA, top row first. Written here rather than by ImageMagick, whose
    TGA writer flags its rows as bottom-first while storing them top-first."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    raw = picture.rgba_bytes()
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, picture.width,
                         picture.height, 32, 0x28)  # 8 alpha bits, origin at the top left
    body = bytearray()
    for y in range(picture.height):
        row = [raw[(y * picture.width + x) * 4:(y * picture.width + x) * 4 + 4]
               for x in range(picture.width)]
        row = [bytes((p[2], p[1], p[0], p[3])) for p in row]  # stored as B, G, R, A
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 128 and row[x + run] == row[x]:
                run += 1
            if run > 1:
                body.append(0x80 | (run - 1))
                body += row[x]
                x += run
                continue
            start = x
            while x < len(row) and x - start < 128 and (
                    x + 1 >= len(row) or row[x + 1] != row[x]):
                x += 1
            if x == start:
                x += 1
            body.append(x - start - 1)
            for p in row[start:x]:
                body += p
    with open(path, "wb") as f:
        f.write(header + bytes(body))


def save(picture, path, alpha=False):
    """Writes `picture` to `path` in the format its extension names (jpg, tga, gif...)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "source.png")
        write_png(source, picture, alpha)
        args = [source, "-strip"]
        if path.endswith(".jpg"):
            args += ["-quality", "90", "-sampling-factor", "1x1"]
        run_convert(args + [path])
