"""The font texture: printable ASCII in a 16 x 8 grid of cells, white with a dark outline.

The game draws a glyph as a 16 x 16 quad with a 10-unit advance, showing the top 0.12 of
each 0.125-high row: so each glyph's ink fits the left 10/16 of its cell and the top 96%
of its height. Glyphs are rasterised large by ImageMagick from DejaVu Sans Mono Bold, then
averaged down here, which keeps their edges smooth at the sizes the game draws.
"""

import math
import os
import subprocess
import tempfile

from picture import Picture, clamp, convert_program

FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
TEXTURE_W, TEXTURE_H = 512, 256
CELL = 32                      # 512 / 16 columns, 256 / 8 rows
INK_X0, INK_X1 = 1, 20         # the advance is 10/16 of the cell: 20 pixels
INK_Y0, INK_Y1 = 1, 29         # the drawn part of a row is its top 30.7 pixels
POINT_SIZE = 160
OUTLINE_RADIUS = 1.4           # pixels of dark rim around the white ink
OUTLINE_ALPHA = 0.85


def read_pgm(data):
    """Width, height and bytes of a binary PGM (P5) as ImageMagick writes it."""
    fields = []
    i = 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    if fields[0] != b"P5" or int(fields[3]) != 255:
        raise SystemExit("assetgen: unexpected glyph image from ImageMagick")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[i + 1:i + 1 + width * height]
    return width, height, pixels


def render_glyph(code, tmp):
    """Coverage (0..255) of one character, as wide as its advance and as tall as a line."""
    text = chr(code)
    if text == "%":
        text = "%%"  # ImageMagick expands % escapes in labels
    elif text == "\\":
        text = "\\\\"
    path = os.path.join(tmp, "glyph.pgm")
    subprocess.run([convert_program(), "-background", "black", "-fill", "white", "-font",
                    FONT_FILE, "-pointsize", str(POINT_SIZE), "label:" + text, "-depth", "8",
                    path], check=True)
    with open(path, "rb") as f:
        return read_pgm(f.read())


def ink_rows(glyph):
    width, height, pixels = glyph
    rows = [y for y in range(height) if any(pixels[y * width:(y + 1) * width])]
    return (rows[0], rows[-1] + 1) if rows else None


def shrink(glyph, top, bottom, box_w, box_h):
    """Averages the glyph rows top..bottom into a box_w x box_h coverage map (0..1)."""
    width, _, pixels = glyph
    out = [[0.0] * box_w for _ in range(box_h)]
    sx = width / box_w
    sy = (bottom - top) / box_h
    for by in range(box_h):
        y0, y1 = top + int(by * sy), top + max(int(by * sy) + 1, int((by + 1) * sy))
        for bx in range(box_w):
            x0, x1 = int(bx * sx), max(int(bx * sx) + 1, int((bx + 1) * sx))
            total = 0
            for y in range(y0, y1):
                row = y * width
                total += sum(pixels[row + x0:row + x1])
            out[by][bx] = total / (255.0 * (y1 - y0) * (x1 - x0))
    return out


def paint_cell(pic, cell_x, cell_y, ink):
    """White ink over a dark rim, on a transparent cell."""
    box_h, box_w = len(ink), len(ink[0])

    def coverage(x, y):
        bx, by = x - INK_X0, y - INK_Y0
        return ink[by][bx] if 0 <= bx < box_w and 0 <= by < box_h else 0.0

    reach = int(math.ceil(OUTLINE_RADIUS))
    for y in range(CELL):
        for x in range(CELL):
            a_ink = coverage(x, y)
            rim = 0.0
            for dy in range(-reach, reach + 1):
                for dx in range(-reach, reach + 1):
                    d = math.hypot(dx, dy)
                    if d <= OUTLINE_RADIUS + 0.5:
                        rim = max(rim, coverage(x + dx, y + dy) * clamp(OUTLINE_RADIUS + 0.5 - d))
            a_rim = rim * OUTLINE_ALPHA
            alpha = a_ink + a_rim * (1.0 - a_ink)
            white = a_ink / alpha if alpha > 0.0 else 1.0
            pic.set(cell_x + x, cell_y + y, (white, white, white, alpha))


def build():
    pic = Picture(TEXTURE_W, TEXTURE_H, (1.0, 1.0, 1.0, 0.0))
    with tempfile.TemporaryDirectory() as tmp:
        glyphs = {code: render_glyph(code, tmp) for code in range(33, 127)}
    spans = [s for s in (ink_rows(g) for g in glyphs.values()) if s is not None]
    top = min(s[0] for s in spans)
    bottom = max(s[1] for s in spans)
    for code, glyph in glyphs.items():
        i = code - 32
        ink = shrink(glyph, top, bottom, INK_X1 - INK_X0, INK_Y1 - INK_Y0)
        paint_cell(pic, (i % 16) * CELL, (i // 16) * CELL, ink)
    return pic
