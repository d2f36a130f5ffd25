#!/usr/bin/env python3
"""Writes vestil.ico, the program icon "VESTIL": 32 x 32 pixels, 16 colours.

A yellow V on a dark blue tile with a lighter frame, drawn from a few lines of
geometry so that the icon lives in the repository as this script, not as a
binary file.

usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

SIZE = 32

# The 16 colours of the standard VGA palette, as (blue, green, red, 0).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]  # (red, green, blue) by index
BLACK, NAVY, GREY, BLUE, YELLOW, WHITE = 0, 4, 8, 12, 11, 15


def colour_at(x, y):
    """Palette index of pixel (x, y), y = 0 at the top; None = transparent."""
    # Round the four corners off by one pixel.
    if (x in (0, SIZE - 1)) and (y in (0, SIZE - 1)):
        return None
    if x in (0, SIZE - 1) or y in (0, SIZE - 1):
        return BLACK
    if x in (1, SIZE - 2) or y in (1, SIZE - 2):
        return BLUE
    # The V: two strokes from the top corners to the bottom middle, each about
    # five pixels wide, with a dark shadow one pixel to the right.
    top, bottom = 5, 27
    if top <= y <= bottom:
        t = (y - top) / (bottom - top)
        left_centre = 6 + t * (15.5 - 6)
        right_centre = 25 - t * (25 - 15.5)
        half = 2.6 - 1.2 * t
        if abs(x - left_centre) <= half or abs(x - right_centre) <= half:
            return YELLOW
        if abs(x - 1 - left_centre) <= half or abs(x - 1 - right_centre) <= half:
            return GREY
    return NAVY


def build_ico():
    xor_rows = []
    and_rows = []
    # DIB rows are stored bottom-up.
    for y in range(SIZE - 1, -1, -1):
        nibbles = []
        mask_bits = 0
        for x in range(SIZE):
            c = colour_at(x, y)
            if c is None:
                nibbles.append(0)
                mask_bits |= 1 << (SIZE - 1 - x)
            else:
                nibbles.append(c)
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        and_rows.append(struct.pack('>I', mask_bits))  # 32 bits: already 4-byte aligned
    xor_data = b''.join(xor_rows)
    and_data = b''.join(and_rows)
    palette = b''.join(struct.pack('<4B', b, g, r, 0) for (r, g, b) in PALETTE)
    # BITMAPINFOHEADER; the height counts the XOR and the AND image together.
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(xor_data) + len(and_data), 0, 0, 16, 0)
    image = header + palette + xor_data + and_data
    # ICONDIR and one ICONDIRENTRY.
    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], 'wb') as f:
        f.write(build_ico())


if __name__ == '__main__':
    main()
