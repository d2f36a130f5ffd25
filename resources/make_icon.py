#!/usr/bin/env python3
"""Writes vestil.ico, the program icon "VESTIL": 32 x 32 and 16 x 16 pixels, 16 colours.

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


def colour_small(x, y):
    """The 16 x 16 image: each pixel the colour most of its 2 x 2 block has
    (a drawn colour before transparency, then the brighter one)."""
    votes = {}
    for c in (colour_at(2 * x + dx, 2 * y + dy) for dy in (0, 1) for dx in (0, 1)):
        votes[c] = votes.get(c, 0) + 1
    return max(votes.items(), key=lambda kv: (kv[1], kv[0] is not None, kv[0] or 0))[0]


def build_image(size, colour):
    xor_rows = []
    and_rows = []
    # DIB rows are stored bottom-up.
    for y in range(size - 1, -1, -1):
        nibbles = []
        mask_bits = 0
        for x in range(size):
            c = colour(x, y)
            if c is None:
                nibbles.append(0)
                mask_bits |= 1 << (size - 1 - x)
            else:
                nibbles.append(c)
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2)).ljust(4, b'\0'))
        and_rows.append(mask_bits.to_bytes(size // 8, 'big').ljust(4, b'\0'))
    xor_data = b''.join(xor_rows)
    and_data = b''.join(and_rows)
    palette = b''.join(struct.pack('<4B', b, g, r, 0) for (r, g, b) in PALETTE)
    # BITMAPINFOHEADER; the height counts the XOR and the AND image together.
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0,
                         len(xor_data) + len(and_data), 0, 0, 16, 0)
    return header + palette + xor_data + and_data


def build_ico():
    images = [(SIZE, build_image(SIZE, colour_at)), (SIZE // 2, build_image(SIZE // 2, colour_small))]
    # ICONDIR and one ICONDIRENTRY per image.
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b''.join(image for _, image in images)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], 'wb') as f:
        f.write(build_ico())


if __name__ == '__main__':
    main()
