#!/usr/bin/env python3
"""Draws the runner's icon and cursor resources into a folder.

Icons (each .ico holds a 32 x 32 and a 16 x 16 image): baum (tree), computer,
dos (a DOS prompt), drucker (printer), editor (page and pencil), eimer
(bucket), eis (ice cream), fileicon (a file), gesicht (face), knopf1 and
knopf2 (a push button up and pressed), muell (rubbish bin), muenze (coin),
sand (hourglass), stein (stone), text (a page of text), wasser (water drop),
weg (a road), windows (a window). Cursors (32 x 32, black and white with a
mask): drucker (arrow with a small printer), schieben (four arrows, move),
groesse (diagonal double arrow, size).

Each picture is a list of shapes given by signed distance functions in a
32-unit square (y downwards), drawn in order, each with a fill colour and an
optional outline one pixel wide at the size drawn. Every pixel takes the
colour that most of its 4 x 4 sub-samples see, so both sizes come from the
same drawing without blending colours. Python standard library only.

Fixed colours the tests rely on: the crown of the tree (baum) is GREEN at
unit (16, 10), the face (gesicht) is YELLOW at (16, 16).

usage: make_images.py OUTPUT_FOLDER
"""
import math
import os
import struct
import sys

UNITS = 32.0
SUB = 4  # sub-samples per pixel along each axis

# Colours as (red, green, blue).
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DARK = (64, 64, 64)
GREY = (128, 128, 128)
SILVER = (192, 192, 192)
LIGHT = (224, 224, 224)
BROWN = (139, 90, 43)
DARK_BROWN = (92, 58, 25)
GREEN = (34, 160, 34)
DARK_GREEN = (0, 100, 0)
LIGHT_GREEN = (120, 200, 80)
BLUE = (30, 90, 220)
NAVY = (0, 0, 128)
SKY = (150, 210, 255)
WATER = (40, 130, 230)
RED = (220, 30, 30)
DARK_RED = (140, 0, 0)
YELLOW = (255, 220, 0)
GOLD = (230, 180, 20)
DARK_GOLD = (150, 100, 0)
PINK = (255, 150, 180)
CREAM = (250, 240, 200)
WAFER = (215, 160, 80)
SAND = (235, 200, 110)
STONE = (150, 150, 140)
STONE_LIGHT = (190, 190, 180)
STONE_DARK = (100, 100, 95)


# Signed distances: negative inside.
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1) * min(rx, ry)


def box(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius
    return d


def segment(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def d(x, y):
        t = 0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) - width / 2
    return d


def polygon(*points):
    n = len(points)

    def d(x, y):
        inside = False
        best = float('inf')
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
            ex, ey = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(x - ax - t * ex, y - ay - t * ey))
        return -best if inside else best
    return d


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def union(*parts):
    return lambda x, y: min(p(x, y) for p in parts)


def intersect(*parts):
    return lambda x, y: max(p(x, y) for p in parts)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def half_plane(nx, ny, c):
    """Inside where nx * x + ny * y < c."""
    length = math.hypot(nx, ny)
    return lambda x, y: (nx * x + ny * y - c) / length


# A shape: (distance, fill, outline); outline None draws the fill only.
def S(distance, fill, outline=BLACK):
    return (distance, fill, outline)


def render(shapes, size):
    """Rows of colours (None: transparent), top row first."""
    scale = UNITS / size
    pixel_units = scale  # one pixel of this size, in units
    rows = []
    offsets = [(k + 0.5) / SUB for k in range(SUB)]
    for py in range(size):
        row = []
        for px in range(size):
            votes = {}
            for oy in offsets:
                for ox in offsets:
                    x, y = (px + ox) * scale, (py + oy) * scale
                    colour = None
                    for distance, fill, outline in shapes:
                        d = distance(x, y)
                        if d <= 0:
                            colour = outline if (outline is not None and d > -pixel_units) else fill
                    votes[colour] = votes.get(colour, 0) + 1
            # Most votes; ties go to the colour drawn (not transparency).
            row.append(max(votes.items(), key=lambda kv: (kv[1], kv[0] is not None))[0])
        rows.append(row)
    return rows


# ---- the icons ----

def baum():
    return [
        S(box(13.5, 18, 18.5, 30), BROWN),
        S(union(circle(16, 10, 8), circle(9.5, 15, 6), circle(22.5, 15, 6), circle(16, 17, 6)), GREEN, DARK_GREEN),
        S(circle(12, 8, 2), LIGHT_GREEN, None),
        S(circle(20.5, 14, 1.5), LIGHT_GREEN, None),
    ]


def computer():
    return [
        S(polygon((11, 23), (21, 23), (23, 27), (9, 27)), SILVER),
        S(box(2, 2, 30, 23, 1.5), SILVER),
        S(box(5, 5, 27, 19.5), BLUE, NAVY),
        S(segment(8, 8, 14, 8, 1.5), SKY, None),
        S(box(3, 26.5, 29, 31, 1), LIGHT),
        S(segment(6, 28.8, 26, 28.8, 1.2), GREY, None),
        S(circle(26.5, 21.3, 0.9), LIGHT_GREEN, None),
    ]


def dos():
    text = (
        # C
        segment(7, 10, 5, 10, 1.6), segment(5, 10, 5, 16, 1.6), segment(5, 16, 7, 16, 1.6),
        # :
        box(9, 11, 10.6, 12.6), box(9, 14.4, 10.6, 16),
        # backslash
        segment(12.5, 10, 15.5, 16, 1.6),
        # >
        segment(17.5, 10, 20.5, 13, 1.6), segment(20.5, 13, 17.5, 16, 1.6),
        # the blinking cursor
        box(22.5, 14.5, 27, 16.2),
    )
    return [
        S(box(1, 3, 31, 29, 1), BLACK, GREY),
        S(box(2, 4, 30, 7), GREY, None),
        S(union(*text), WHITE, None),
        S(union(segment(5, 21, 12, 21, 1.4), segment(5, 25, 9, 25, 1.4)), SILVER, None),
    ]


def drucker():
    return [
        S(box(8, 2, 24, 14), WHITE),
        S(box(2, 12, 30, 25, 2), SILVER),
        S(box(5, 22, 27, 30), WHITE),
        S(union(segment(8, 25, 24, 25, 1.2), segment(8, 27.5, 20, 27.5, 1.2)), DARK, None),
        S(box(5, 19.5, 27, 22), DARK, None),
        S(circle(25.5, 15.5, 1.2), LIGHT_GREEN, None),
        S(union(segment(11, 6, 21, 6, 1.2), segment(11, 9, 18, 9, 1.2)), GREY, None),
    ]


def page(fold=7):
    """A page with a folded top-right corner."""
    return [
        S(polygon((5, 1), (27 - fold, 1), (27, 1 + fold), (27, 31), (5, 31)), WHITE),
        S(polygon((27 - fold, 1), (27, 1 + fold), (27 - fold, 1 + fold)), SILVER),
    ]


def editor():
    lines = union(*[segment(8, y, 20 if y < 12 else 23, y, 1.4) for y in (7, 11, 15, 19)])
    pencil = [
        S(polygon((26, 6), (30, 10), (15, 25), (11, 21)), YELLOW),
        S(polygon((26, 6), (30, 10), (28, 12), (24, 8)), PINK),
        S(polygon((11, 21), (15, 25), (9, 27)), WAFER),
        S(circle(9.6, 26.2, 1.3), BLACK, None),
    ]
    return page() + [S(lines, GREY, None)] + pencil


def eimer():
    return [
        S(intersect(ring(16, 11, 11, 1.8), half_plane(0, 1, 11)), DARK, None),
        S(polygon((4, 11), (28, 11), (24.5, 30), (7.5, 30)), BLUE, NAVY),
        S(ellipse(16, 11, 12, 3), WATER, NAVY),
        S(segment(7.5, 16, 9, 26, 1.6), SKY, None),
        S(segment(6, 20.5, 26, 20.5, 1.2), NAVY, None),
    ]


def eis():
    cone = polygon((8, 15), (24, 15), (16, 31))
    hatch = union(*[segment(6 + k * 4, 15, 14 + k * 4, 31, 0.9) for k in range(-2, 5)],
                  *[segment(26 - k * 4, 15, 18 - k * 4, 31, 0.9) for k in range(-2, 5)])
    return [
        S(cone, WAFER, DARK_BROWN),
        S(intersect(hatch, cone, lambda x, y: cone(x, y) + 1.0), DARK_BROWN, None),
        S(circle(16, 14, 7.5), CREAM, DARK_BROWN),
        S(circle(16, 8, 6.5), PINK, DARK_RED),
        S(circle(21, 4, 1.8), RED, DARK_RED),
        S(circle(13.5, 6, 1.5), WHITE, None),
    ]


def fileicon():
    return page(9) + [S(box(9, 16, 23, 24, 1), WATER, NAVY)]


def gesicht():
    return [
        S(circle(16, 16, 14.5), YELLOW, DARK_GOLD),
        S(ellipse(11, 12, 2, 3), BLACK, None),
        S(ellipse(21, 12, 2, 3), BLACK, None),
        S(intersect(ring(16, 15, 8.5, 2.2), half_plane(0, -1, -19)), BLACK, None),
    ]


def knopf(pressed):
    light, dark = (DARK, WHITE) if pressed else (WHITE, DARK)
    shift = 1 if pressed else 0
    return [
        S(box(1, 7, 31, 25), SILVER),
        S(polygon((2, 8), (30, 8), (2, 24)), light, None),
        S(polygon((30, 8), (30, 24), (2, 24)), dark, None),
        S(box(4, 10, 28, 22), SILVER, None),
        S(box(8 + shift, 14 + shift, 24 + shift, 18 + shift), DARK if not pressed else BLACK, None),
        S(box(9 + shift, 15 + shift, 23 + shift, 17 + shift), RED if pressed else GREEN, None),
    ]


def muell():
    ribs = union(*[segment(x, 13, x, 27, 1.4) for x in (11.5, 16, 20.5)])
    return [
        S(polygon((6, 10), (26, 10), (24, 31), (8, 31)), SILVER, DARK),
        S(ribs, GREY, None),
        S(box(4, 6, 28, 10, 1), GREY, DARK),
        S(box(12.5, 2.5, 19.5, 6.5, 1), GREY, DARK),
    ]


def muenze():
    one = union(segment(14, 11, 17, 8.5, 2.2), segment(17, 8.5, 17, 23, 2.2), segment(13.5, 23, 20.5, 23, 2.2))
    return [
        S(circle(16, 16, 14.5), GOLD, DARK_GOLD),
        S(ring(16, 16, 11.5, 1.2), DARK_GOLD, None),
        S(one, DARK_GOLD, None),
        S(intersect(ring(16, 16, 13, 1.2), half_plane(1, 1, 26)), YELLOW, None),
    ]


def sand():
    glass = union(polygon((7, 4), (25, 4), (17.3, 16), (25, 28), (7, 28), (14.7, 16)))
    return [
        S(glass, SKY, GREY),
        S(polygon((12, 9.5), (20, 9.5), (16.5, 15), (15.5, 15)), SAND, None),
        S(segment(16, 14, 16, 26, 1.2), SAND, None),
        S(polygon((16, 20.5), (22.5, 26.5), (9.5, 26.5)), SAND, None),
        S(box(4, 1, 28, 4.5, 1), BROWN, DARK_BROWN),
        S(box(4, 27.5, 28, 31, 1), BROWN, DARK_BROWN),
    ]


def stein():
    rock = polygon((3, 22), (6, 13), (13, 7), (22, 8), (29, 15), (30, 25), (23, 29), (9, 29))
    return [
        S(rock, STONE, STONE_DARK),
        S(polygon((8, 14), (13.5, 9.5), (20, 10), (15, 15)), STONE_LIGHT, None),
        S(polygon((23, 26), (27.5, 22), (27.5, 16.5), (28.5, 24.5)), STONE_DARK, None),
        S(segment(12, 20, 18, 23, 1.0), STONE_DARK, None),
    ]


def text():
    widths = (20, 22, 16, 22, 19, 22, 12)
    lines = union(*[segment(8, 6 + 3.4 * i, 3 + w, 6 + 3.4 * i, 1.3) for i, w in enumerate(widths)])
    return page(6) + [S(lines, BLACK, None)]


def wasser():
    drop = union(circle(16, 20, 9.5), polygon((16, 1.5), (24.6, 16), (7.4, 16)))
    return [
        S(drop, WATER, NAVY),
        S(intersect(ring(16, 20, 6.5, 1.8), half_plane(1, -1, -5)), SKY, None),
    ]


def weg():
    road = polygon((14.5, 12), (17.5, 12), (30, 32), (2, 32))
    dashes = union(*[intersect(polygon((15.6, 12), (16.4, 12), (17, 32), (15, 32)), box(0, a, 32, b))
                     for a, b in ((13, 15), (17.5, 21), (24, 29))])
    return [
        S(box(0, 2, 32, 12.5), SKY, None),
        S(box(0, 12, 32, 30), LIGHT_GREEN, None),
        S(circle(25, 6.5, 3), YELLOW, None),
        S(road, GREY, None),
        S(dashes, WHITE, None),
    ]


def windows():
    return [
        S(box(1, 3, 31, 29), SILVER),
        S(box(2, 4, 30, 9), NAVY, None),
        S(box(3, 10, 29, 28), WHITE, GREY),
        S(box(26, 5, 29, 8), SILVER, None),
        S(box(22, 5, 25, 8), SILVER, None),
        S(segment(4, 6.5, 14, 6.5, 1.2), WHITE, None),
    ]


ICONS = {
    'baum': baum, 'computer': computer, 'dos': dos, 'drucker': drucker, 'editor': editor,
    'eimer': eimer, 'eis': eis, 'fileicon': fileicon, 'gesicht': gesicht,
    'knopf1': lambda: knopf(False), 'knopf2': lambda: knopf(True), 'muell': muell,
    'muenze': muenze, 'sand': sand, 'stein': stein, 'text': text, 'wasser': wasser,
    'weg': weg, 'windows': windows,
}


# ---- the cursors (white with a black outline; hotspot in pixels) ----

def arrow_shape(x, y, s):
    """The standard pointer with its tip at (x, y), s units tall."""
    k = s / 16
    return polygon((x, y), (x, y + 15 * k), (x + 3.6 * k, y + 11.4 * k), (x + 6.3 * k, y + 17 * k),
                   (x + 8.4 * k, y + 16 * k), (x + 5.8 * k, y + 10.6 * k), (x + 10.5 * k, y + 10.6 * k))


def cursor_drucker():
    return [
        S(arrow_shape(0.3, 0.3, 18), WHITE),
        S(box(17, 13, 25, 19), WHITE),
        S(box(13, 18, 29, 26, 1), WHITE),
        S(box(16, 24, 26, 30), WHITE),
        S(segment(18, 27, 24, 27, 1), BLACK, None),
    ]


def cursor_schieben():
    c = 16
    parts = [segment(c, 4, c, 28, 2.2), segment(4, c, 28, c, 2.2)]
    for dx, dy in ((0, -1), (0, 1), (-1, 0), (1, 0)):
        tip_x, tip_y = c + 14 * dx, c + 14 * dy
        base_x, base_y = c + 8 * dx, c + 8 * dy
        parts.append(polygon((tip_x, tip_y), (base_x + 4.5 * dy, base_y + 4.5 * dx),
                             (base_x - 4.5 * dy, base_y - 4.5 * dx)))
    return [S(union(*parts), WHITE)]


def cursor_groesse():
    a, b = 5, 27
    shaft = segment(a + 4, a + 4, b - 4, b - 4, 2.4)
    head1 = polygon((a, a), (a + 10, a), (a, a + 10))
    head2 = polygon((b, b), (b - 10, b), (b, b - 10))
    return [S(union(shaft, head1, head2), WHITE)]


CURSORS = {
    'drucker': (cursor_drucker, (0, 0)),
    'schieben': (cursor_schieben, (16, 16)),
    'groesse': (cursor_groesse, (16, 16)),
}


# ---- the files ----

def dib(rows, palette, bits):
    """BITMAPINFOHEADER, colour table, XOR image and AND mask of one image."""
    size = len(rows)
    index = {c: i for i, c in enumerate(palette)}
    xor = b''
    mask = b''
    for row in reversed(rows):  # DIB rows go bottom-up
        values = [index[c] if c is not None else index[BLACK] for c in row]
        if bits == 8:
            line = bytes(values)
        elif bits == 4:
            line = bytes((values[i] << 4) | values[i + 1] for i in range(0, size, 2))
        else:
            line = bytes(sum(values[i + k] << (7 - k) for k in range(8)) for i in range(0, size, 8))
        xor += line + b'\0' * (-len(line) % 4)
        bits_of_mask = 0
        for c in row:
            bits_of_mask = (bits_of_mask << 1) | (1 if c is None else 0)
        line = bits_of_mask.to_bytes(size // 8, 'big')
        mask += line + b'\0' * (-len(line) % 4)
    colours = 1 << bits
    table = b''.join(struct.pack('<4B', b, g, r, 0) for (r, g, b) in palette)
    table += b'\0' * (4 * colours - len(table))
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + table + xor + mask


def icon_file(shapes):
    images = []
    for size in (32, 16):
        rows = render(shapes, size)
        # Black first: a transparent pixel is black in the colour image, so
        # that the mask's screen colour is left as it is.
        used = [BLACK] + sorted({c for row in rows for c in row if c is not None and c != BLACK})
        bits = 4 if len(used) <= 16 else 8
        images.append((size, bits, dib(rows, used, bits)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, _, data in images)


def cursor_file(shapes, hotspot):
    rows = render(shapes, 32)
    data = dib(rows, [BLACK, WHITE], 1)
    entry = struct.pack('<BBBBHHII', 32, 32, 2, 0, hotspot[0], hotspot[1], len(data), 6 + 16)
    return struct.pack('<HHH', 0, 2, 1) + entry + data


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, draw in ICONS.items():
        with open(os.path.join(folder, name + '.ico'), 'wb') as f:
            f.write(icon_file(draw()))
    for name, (draw, hotspot) in CURSORS.items():
        with open(os.path.join(folder, name + '.cur'), 'wb') as f:
            f.write(cursor_file(draw(), hotspot))


if __name__ == '__main__':
    main()
