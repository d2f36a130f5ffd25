"""BMP files for the reader's tests: good ones of every bit depth (bottom-up
and top-down, RLE, bit fields) with the colours the reader must decode, and
broken ones it must reject. Run as a script with the path of bmp_check, it
checks the reader on them and SAVEBMP's layout for each depth, byte by byte."""
import os
import struct
import subprocess
import sys
import tempfile

# A 5 x 3 picture (top row first) of 0xRRGGBB colours drawn from 4 colours,
# so that every depth can hold it.
COLORS = [0x000000, 0xFF0000, 0x00FF00, 0x2040C0]
PICTURE = [[0, 1, 2, 3, 0],
           [3, 3, 1, 0, 2],
           [1, 0, 0, 2, 3]]


def bmp(width, height, bits, pixels, table=b"", compression=0, masks=b"",
        header_size=40, offset=None, image_size=None, colors_used=0,
        planes=1, magic=b"BM", extra_header=b""):
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, planes, bits,
                       compression, len(pixels) if image_size is None else image_size,
                       2835, 2835, colors_used, 0) + extra_header
    if offset is None:
        offset = 14 + len(info) + len(masks) + len(table)
    body = info + masks + table
    body += b"\0" * max(0, offset - 14 - len(body)) + pixels
    return magic + struct.pack("<IHHI", 14 + len(body), 0, 0, offset) + body


def table(n):
    t = b""
    for i in range(n):
        c = COLORS[i] if i < len(COLORS) else 0x808080
        t += bytes([c & 0xFF, c >> 8 & 0xFF, c >> 16, 0])
    return t


def rows(bits, pic, top_down=False, pack=None):
    """Pixel rows of indexes (bits <= 8) or colours, padded to 4 bytes."""
    out = b""
    order = pic if top_down else list(reversed(pic))
    for r in order:
        if bits in (1, 4):
            v, n = 0, 0
            row = b""
            for i in r:
                v = v << bits | i
                n += bits
                if n == 8:
                    row += bytes([v])
                    v, n = 0, 0
            if n:
                row += bytes([v << (8 - n)])
        elif bits == 8:
            row = bytes(r)
        else:
            row = b"".join(pack(COLORS[i]) for i in r)
        out += row + b"\0" * (-len(row) % 4)
    return out


def p24(c):
    return bytes([c & 0xFF, c >> 8 & 0xFF, c >> 16])


def p32(c):
    return p24(c) + b"\0"


def p16(c, green=5):
    """5-5-5 or 5-6-5 bits."""
    r, g, b = c >> 16 >> 3, (c >> 8 & 0xFF) >> (8 - green), (c & 0xFF) >> 3
    return struct.pack("<H", r << (5 + green) | g << 5 | b)


def via16(c, green=5):
    """The colour a 16-bit pixel decodes to: each field scaled up to 255."""
    r, g, b = c >> 16 >> 3, (c >> 8 & 0xFF) >> (8 - green), (c & 0xFF) >> 3
    return (r * 255 // 31) << 16 | (g * 255 // ((1 << green) - 1)) << 8 | b * 255 // 31


def expect(conv=lambda c: c, pic=PICTURE):
    return [[conv(COLORS[i]) for i in r] for r in pic]


def rle8(pic):
    """Bottom-up RLE8: a run for the first two pixels, then an absolute run."""
    out = b""
    for r in reversed(pic):
        out += bytes([1, r[0], 1, r[1]]) + bytes([0, len(r) - 2]) + bytes(r[2:])
        out += b"\0" * (-(len(r) - 2) % 2)
        out += b"\0\0"
    return out + b"\0\1"


def rle4(pic):
    out = b""
    for r in reversed(pic):
        out += bytes([1, r[0] << 4])
        rest = r[1:]
        data = bytes((rest[i] << 4) | (rest[i + 1] if i + 1 < len(rest) else 0)
                     for i in range(0, len(rest), 2))
        out += bytes([0, len(rest)]) + data + b"\0" * (-len(data) % 2) + b"\0\0"
    return out + b"\0\1"


def good():
    """name -> (file bytes, expected colours top row first)."""
    w, h = 5, 3
    g = {}
    for bits in (1, 4, 8):
        pic = [[i & ((1 << bits) - 1) for i in r] for r in PICTURE] if bits == 1 else PICTURE
        n = 1 << bits
        g["bits%d" % bits] = (bmp(w, h, bits, rows(bits, pic), table(n)), expect(pic=pic))
        g["bits%d_topdown" % bits] = (bmp(w, -h, bits, rows(bits, pic, True), table(n)), expect(pic=pic))
    # A short table named by the colours-used field.
    g["bits8_used4"] = (bmp(w, h, 8, rows(8, PICTURE), table(4), colors_used=4), expect())
    g["bits16"] = (bmp(w, h, 16, rows(16, PICTURE, pack=p16)), expect(via16))
    g["bits16_565"] = (bmp(w, h, 16, rows(16, PICTURE, pack=lambda c: p16(c, 6)), compression=3,
                           masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)), expect(lambda c: via16(c, 6)))
    g["bits24"] = (bmp(w, h, 24, rows(24, PICTURE, pack=p24)), expect())
    g["bits32_fields"] = (bmp(w, h, 32, rows(32, PICTURE, pack=p32), compression=3,
                              masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF)), expect())
    g["rle8"] = (bmp(w, h, 8, rle8(PICTURE), table(256), compression=1), expect())
    g["rle4"] = (bmp(w, h, 4, rle4(PICTURE), table(16), compression=2), expect())
    # A delta skips to the top row's third pixel: the rest stays index 0.
    delta = b"\0\2\2\2" + bytes([1, 1]) + b"\0\1"
    g["rle8_delta"] = (bmp(w, h, 8, delta, table(4), compression=1, colors_used=4),
                       [[0, 0, COLORS[1], 0, 0], [0] * 5, [0] * 5])
    # Pixel data after a gap (offset beyond the table), as SAVEBMP writes.
    g["bits24_gap"] = (bmp(w, h, 24, rows(24, PICTURE, pack=p24), offset=58), expect())
    return g


def bad():
    w, h = 5, 3
    ok24 = rows(24, PICTURE, pack=p24)
    ok8 = rows(8, PICTURE)
    full = bmp(w, h, 24, ok24)
    b = {}
    b["short_info_header"] = full[:50]
    b["truncated_pixels"] = full[:-1]
    b["not_bm"] = b"BA" + full[2:]
    b["header12"] = b"BM" + struct.pack("<IHHI", 26 + 48, 0, 0, 26) + struct.pack("<IHHHH", 12, w, h, 1, 24) + ok24
    b["header124"] = bmp(w, h, 24, ok24, header_size=124, extra_header=b"\0" * 84)
    b["offset_past_end"] = full[:10] + struct.pack("<I", 0x7FFFFFF0) + full[14:]
    b["offset_in_header"] = full[:10] + struct.pack("<I", 20) + full[14:]
    b["offset_leaves_too_little"] = full[:10] + struct.pack("<I", 58) + full[14:]
    b["width_negative"] = bmp(-5, h, 24, ok24)
    b["height_zero"] = bmp(w, 0, 24, ok24)
    b["height_min"] = bmp(w, -0x80000000, 24, ok24)
    b["huge_width"] = bmp(0x7FFFFFFF, 1, 1, ok24, table(2))
    b["huge_rle"] = bmp(32767, 32767, 8, b"\0\1", table(256), compression=1)
    b["bits_0"] = bmp(w, h, 0, ok8)
    b["planes_2"] = bmp(w, h, 24, ok24, planes=2)
    b["table_past_end"] = bmp(w, h, 8, b"", table(16), colors_used=0)
    b["jpeg"] = bmp(w, h, 24, ok24, compression=4)
    b["rle8_on_24"] = bmp(w, h, 24, rle8(PICTURE), compression=1)
    b["rle8_topdown"] = bmp(w, -h, 8, rle8(PICTURE), table(256), compression=1)
    b["rle8_run_past_row"] = bmp(w, h, 8, b"\6\1\0\1", table(256), compression=1)
    b["rle8_rows_past_top"] = bmp(w, h, 8, b"\0\0" * 4 + b"\1\1\0\1", table(256), compression=1)
    b["rle8_delta_past_top"] = bmp(w, h, 8, b"\0\2\0\4\0\1", table(256), compression=1)
    b["rle8_delta_cut"] = bmp(w, h, 8, b"\0\2\1", table(256), compression=1)
    b["rle8_absolute_cut"] = bmp(w, h, 8, b"\0\5\1\2\3", table(256), compression=1)
    b["rle8_absolute_past_row"] = bmp(w, h, 8, b"\1\1\0\5\1\2\3\4\5\0", table(256), compression=1)
    b["rle8_empty"] = bmp(w, h, 8, b"", table(256), compression=1)
    b["fields_on_24"] = bmp(w, h, 24, ok24, compression=3, masks=struct.pack("<III", 0xFF0000, 0xFF00, 0xFF))
    b["fields_zero_mask"] = bmp(w, h, 32, rows(32, PICTURE, pack=p32), compression=3,
                                masks=struct.pack("<III", 0xFF0000, 0, 0xFF))
    b["fields_mask_past_16"] = bmp(w, h, 16, rows(16, PICTURE, pack=p16), compression=3,
                                   masks=struct.pack("<III", 0x1F0000, 0x07E0, 0x001F))
    return b


def main(check):
    failures = []
    with tempfile.TemporaryDirectory() as d:
        files = {"good_" + k: v for k, v in good().items()}
        files.update(("bad_" + k, (v, None)) for k, v in bad().items())
        for name, (data, _) in files.items():
            with open(os.path.join(d, name), "wb") as f:
                f.write(data)
        out = subprocess.run([check, "read"] + list(files), cwd=d, capture_output=True, text=True, check=True).stdout
        seen = dict(line.split(" ", 1) for line in out.splitlines())
        for name, (_, colors) in files.items():
            want = "rejected" if colors is None else "%d %d %s" % (
                len(colors[0]), len(colors), ",".join("%06x" % c for r in colors for c in r))
            if seen.get(name) != want:
                failures.append("%s: got %s, want %s" % (name, (seen.get(name) or "")[:60], want[:60]))
        # The written layout: the header, a colour table of 2^b entries for
        # b <= 8 (none above), four zero bytes, the rows; and read back.
        for w, h, bits in ((3, 2, 1), (5, 3, 4), (5, 3, 8), (5, 3, 16), (5, 3, 24), (5, 3, 32)):
            p = os.path.join(d, "w%d.bmp" % bits)
            subprocess.run([check, "write", str(w), str(h), str(bits), p], check=True)
            t, s = 4 << bits if bits <= 8 else 0, (bits * w + 31) // 32 * 4 * h
            want = b"BM" + struct.pack("<IIIIiiHHIIiiII", t + s + 58, 0, t + 58, 40, w, h, 1, bits, 0, s, 0, 0, 0, 0)
            want += bytes(i & 255 for i in range(t)) + b"\0" * 4 + bytes((7 * i) & 255 for i in range(s))
            with open(p, "rb") as f:
                if f.read() != want:
                    failures.append("write %d bits" % bits)
            if "rejected" in subprocess.run([check, "read", p], capture_output=True, text=True, check=True).stdout:
                failures.append("write %d bits: not read back" % bits)
    for f in failures:
        print("FAIL", f)
    print("%d files, %d failures" % (len(files), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1])))
