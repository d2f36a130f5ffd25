"""Bitmaps in the window of vestrun.exe: DRAWBMP of generated BMP files of
every depth (1, 4, 8, 16, 24, 32 bits; bottom-up and top-down, RLE8),
DRAWSIZEDBMP stretching, MLOADBMP with MCOPYBMP mode 3 twice restoring the
window, MCOPYSIZEDBMP, COPYDBMP and COPYSIZEDBMP within the window, SAVEBMP
checked byte by byte and drawn back, DRAWEXTBMP by number and by name from a
resource library built here with the mingw tools, a REPAINT from the shadow
copy, and the broken files that give 228 (and 229 for a file that cannot be
made). The program reads its pixels back with @GETPIXEL (TRUECOLOR 1, so
0x00BBGGRR) into PIXEL.TXT.

Collected by run_wine_tests.py through TESTS.
"""
import os
import shutil
import struct
import subprocess
import sys

from wine_harness import TestFailure

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), 'bmp'))
import bmp_samples  # noqa: E402

# The picture's colours as 0xRRGGBB: white, red, green, blue.
COLORS = [0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF]
bmp_samples.COLORS = COLORS
PIC = bmp_samples.PICTURE          # 5 x 3, top row first
PIC1 = [[i & 1 for i in r] for r in PIC]


def bgr(c):
    return (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16


def files():
    s = bmp_samples
    w, h = 5, 3
    f = {
        'B1.BMP': s.bmp(w, h, 1, s.rows(1, PIC1), s.table(2)),
        'B4.BMP': s.bmp(w, h, 4, s.rows(4, PIC), s.table(16)),
        'B8.BMP': s.bmp(w, h, 8, s.rows(8, PIC), s.table(256)),
        'B8T.BMP': s.bmp(w, -h, 8, s.rows(8, PIC, True), s.table(256)),
        'R8.BMP': s.bmp(w, h, 8, s.rle8(PIC), s.table(256), compression=1),
        'B16.BMP': s.bmp(w, h, 16, s.rows(16, PIC, pack=s.p555)),
        'B24.BMP': s.bmp(w, h, 24, s.rows(24, PIC, pack=s.p24)),
        'B24T.BMP': s.bmp(w, -h, 24, s.rows(24, PIC, True, pack=s.p24)),
        'B32.BMP': s.bmp(w, h, 32, s.rows(32, PIC, pack=s.p32)),
    }
    bad = s.bad()
    f['BAD12.BMP'] = bad['header12']
    f['BADRLE.BMP'] = bad['rle8_run_past_row']
    f['BADCUT.BMP'] = bad['truncated_pixels']
    f['BADOFF.BMP'] = bad['offset_past_end']
    return f


DRAWN = [('B1', PIC1), ('B4', PIC), ('B8', PIC), ('B8T', PIC), ('R8', PIC), ('B16', PIC), ('B24', PIC),
         ('B24T', PIC), ('B32', PIC)]


def program():
    p = ["' draws bitmaps and reads their pixels back into PIXEL.TXT",
         'DECLARE X%, Y%, X1%, Y1%, D%, K$, H&',
         'ASSIGN #1, "PIXEL.TXT"',
         'REWRITE #1',
         'WINDOWTITLE "Bitmaps"',
         'CLS',
         'TRUECOLOR 1',
         'D% = 1']
    # Each file at its own place, read back 5 x 3.
    for k, (name, _) in enumerate(DRAWN):
        x = 10 + 10 * k
        p += ['DRAWBMP "%s.BMP", %d, 10' % (name, x),
              'PRINT #1, "size%s "; %%BMPWIDTH; " "; %%BMPHEIGHT' % name,
              'K$ = "%s"' % name, 'X1%% = %d' % x, 'Y1% = 10', 'GOSUB "BLOCK"']
    p += [
        # Stretched 10 times: the centres of the cells.
        'DRAWSIZEDBMP "B24.BMP", 200, 10 - 50, 30; 0',
        'K$ = "sized"', 'X1% = 205', 'Y1% = 15', 'D% = 10', 'GOSUB "BLOCK"', 'D% = 1',
        # The memory bitmap XORed twice onto white: inverted, then white.
        'MLOADBMP "B32.BMP"',
        'PRINT #1, "mload "; %BMPWIDTH; " "; %BMPHEIGHT',
        'MCOPYBMP 0, 0 - 5, 3 > 300, 10; 3',
        'K$ = "xor1"', 'X1% = 300', 'Y1% = 10', 'GOSUB "BLOCK"',
        'MCOPYBMP 0, 0 - 5, 3 > 300, 10; 3',
        'K$ = "xor2"', 'GOSUB "BLOCK"',
        # A part of it without a mode, and stretched twice.
        'MCOPYBMP 1, 1 - 3, 2 > 320, 10',
        'K$ = "mpart"', 'X1% = 319', 'Y1% = 9', 'GOSUB "BLOCK"',
        'MCOPYSIZEDBMP 0, 0 - 5, 3 > 340, 10 - 10, 6; 0',
        'K$ = "msized"', 'X1% = 341', 'Y1% = 11', 'D% = 2', 'GOSUB "BLOCK"', 'D% = 1',
        # Within the window.
        'COPYDBMP 70, 10 - 5, 3 > 400, 10; 0',
        'K$ = "copyd"', 'X1% = 400', 'Y1% = 10', 'GOSUB "BLOCK"',
        'COPYSIZEDBMP 70, 10 - 5, 3 > 420, 10 - 15, 9',
        'K$ = "copysized"', 'X1% = 421', 'Y1% = 11', 'D% = 3', 'GOSUB "BLOCK"', 'D% = 1',
        # SAVEBMP of the 24-bit picture, drawn back elsewhere.
        'SAVEBMP "SAVED.BMP", 70, 10 - 5, 3',
        'PRINT #1, "saved "; %BMPWIDTH; " "; %BMPHEIGHT',
        'DRAWBMP "SAVED.BMP", 10, 50',
        'K$ = "redraw"', 'X1% = 10', 'Y1% = 50', 'GOSUB "BLOCK"',
        # Resources of a library, by number and by name.
        'H& = @LOADLIB("BILDER.DLL")',
        'PRINT #1, "lib "; @GT(H&, 0)',
        'DRAWEXTBMP H&, "101", 10, 100',
        'K$ = "ext101"', 'X1% = 10', 'Y1% = 100', 'GOSUB "BLOCK"',
        'DRAWEXTBMP H&, "BILD", 30, 100; 0',
        'PRINT #1, "extsize "; %BMPWIDTH; " "; %BMPHEIGHT',
        'K$ = "extname"', 'X1% = 30', 'Y1% = 100', 'GOSUB "BLOCK"',
        'DRAWSIZEDEXTBMP H&, "101", 50, 100 - 10, 6; 0',
        'K$ = "extsized"', 'X1% = 51', 'Y1% = 101', 'D% = 2', 'GOSUB "BLOCK"', 'D% = 1',
        # The shadow holds all of it.
        'REPAINT',
        'X% = 0',
        'WHILE @LT(X%, 200)', '  X% = @ADD(X%, 1)', 'ENDWHILE',
        'K$ = "rB8"', 'X1% = 30', 'Y1% = 10', 'GOSUB "BLOCK"',
        'K$ = "rsized"', 'X1% = 205', 'Y1% = 15', 'D% = 10', 'GOSUB "BLOCK"', 'D% = 1',
        'K$ = "rmpart"', 'X1% = 319', 'Y1% = 9', 'GOSUB "BLOCK"',
        'K$ = "rcopyd"', 'X1% = 400', 'Y1% = 10', 'GOSUB "BLOCK"',
        'K$ = "rext"', 'X1% = 30', 'Y1% = 100', 'GOSUB "BLOCK"',
        # Files that do not load, a library bitmap that does not exist, a
        # file that cannot be made.
        'ERRORMODE -1',
    ]
    for name in ('BAD12.BMP', 'BADRLE.BMP', 'BADCUT.BMP', 'BADOFF.BMP', 'NOSUCH.BMP'):
        p += ['DRAWBMP "%s", 0, 0' % name, 'PRINT #1, "err %s "; %%ERRORKIND; " "; &ERRORNUMBER' % name]
    p += ['MLOADBMP "BADRLE.BMP"', 'PRINT #1, "err mload "; %ERRORKIND; " "; &ERRORNUMBER',
          'MCOPYBMP 0, 0 - 5, 3 > 300, 10; 0',
          'K$ = "nomem"', 'X1% = 300', 'Y1% = 10', 'GOSUB "BLOCK"',
          'DRAWEXTBMP H&, "NICHTDA", 0, 0', 'PRINT #1, "err ext "; %ERRORKIND; " "; &ERRORNUMBER',
          'SAVEBMP "NODIR\\X.BMP", 0, 0 - 5, 5', 'PRINT #1, "err save "; %ERRORKIND; " "; &ERRORNUMBER',
          'CLOSE #1', 'END', '',
          'BLOCK:',
          'Y% = 0',
          'WHILE @LT(Y%, 3)',
          '  X% = @ADD(Y1%, @MUL(Y%, D%))',
          '  PRINT #1, K$; " "; @GETPIXEL(X1%, X%); " "; @GETPIXEL(@ADD(X1%, D%), X%); " "; '
          '@GETPIXEL(@ADD(X1%, @MUL(2, D%)), X%); " "; @GETPIXEL(@ADD(X1%, @MUL(3, D%)), X%); " "; '
          '@GETPIXEL(@ADD(X1%, @MUL(4, D%)), X%)',
          '  Y% = @ADD(Y%, 1)',
          'ENDWHILE',
          'RETURN', '']
    return '\n'.join(p)


def build_library(ctx, folder, bitmaps):
    """BILDER.DLL: no code, two bitmap resources: 101 and "BILD"."""
    windres = shutil.which(ctx.mingw + '-windres')
    cc = next((c for c in (ctx.mingw + '-gcc-posix', ctx.mingw + '-gcc') if shutil.which(c)), None)
    if not windres or not cc:
        raise TestFailure('no %s-gcc or -windres to build the resource library' % ctx.mingw)
    for name, data in bitmaps.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)
    with open(os.path.join(folder, 'bilder.rc'), 'w') as f:
        f.write('101 BITMAP "R101.BMP"\nBILD BITMAP "RBILD.BMP"\n')
    with open(os.path.join(folder, 'bilder.c'), 'w') as f:
        f.write('int bilder_marker;\n')
    subprocess.run([windres, 'bilder.rc', '-O', 'coff', '-o', 'bilder.res'], cwd=folder, check=True, timeout=120)
    # A low fixed base: the module number a script holds is 32 bits wide.
    subprocess.run([cc, '-shared', '-static-libgcc', '-o', 'BILDER.DLL', 'bilder.c', 'bilder.res',
                    '-Wl,--image-base,0x10000000', '-Wl,--disable-dynamicbase'],
                   cwd=folder, check=True, timeout=300)


def test_bitmaps(ctx):
    """Every bitmap statement at known pixels, SAVEBMP byte by byte, the errors."""
    s = ctx.session
    folder = ctx.folder('bitmaps', files())
    s2 = bmp_samples
    pic_ext = [[3, 2, 1, 0, 3], [0, 0, 1, 1, 2], [2, 2, 3, 3, 0]]
    build_library(ctx, folder, {
        'R101.BMP': s2.bmp(5, 3, 24, s2.rows(24, pic_ext, pack=s2.p24)),
        'RBILD.BMP': s2.bmp(5, 3, 8, s2.rows(8, PIC), s2.table(256)),
    })
    ctx.compile(folder, 'bilder', program())
    proc = s.start(ctx.vestrun, ['bilder.vsc'], folder, 'bitmaps.log')
    ctx.expect_exit(s.wait_exit(proc, 'bitmaps'), 0, 'bitmaps')
    path = os.path.join(folder, 'PIXEL.TXT')
    if not os.path.exists(path):
        raise TestFailure('the program wrote no PIXEL.TXT')
    values = {}
    with open(path, 'rb') as f:
        for line in f.read().decode('cp1252').splitlines():
            key, *rest = line.split()
            if key == 'err':
                values['err ' + rest[0]] = [int(n) for n in rest[1:]]
            else:
                values.setdefault(key, []).extend(int(n) for n in rest)

    def colors(pic):
        return [bgr(COLORS[i]) for r in pic for i in r]

    white = bgr(0xFFFFFF)
    want = {}
    for name, pic in DRAWN:
        want[name] = colors(pic)
        want['size' + name] = [5, 3]
    inverted = [c ^ 0xFFFFFF for c in colors(PIC)]
    part = [[white] * 5 for _ in range(3)]
    for y in range(2):
        for x in range(3):
            part[1 + y][1 + x] = bgr(COLORS[PIC[1 + y][1 + x]])
    want.update({
        'sized': colors(PIC), 'mload': [5, 3], 'xor1': inverted, 'xor2': [white] * 15,
        'mpart': [c for r in part for c in r], 'msized': colors(PIC),
        'copyd': colors(PIC), 'copysized': colors(PIC),
        'saved': [5, 3], 'redraw': colors(PIC),
        'lib': [1], 'ext101': colors(pic_ext), 'extname': colors(PIC), 'extsize': [5, 3],
        'extsized': colors(pic_ext),
        'rB8': colors(PIC), 'rsized': colors(PIC), 'rmpart': [c for r in part for c in r],
        'rcopyd': colors(PIC), 'rext': colors(PIC),
        'nomem': [white] * 15,
        'err ext': [2, 228], 'err save': [2, 229], 'err mload': [2, 228],
    })
    for name in ('BAD12.BMP', 'BADRLE.BMP', 'BADCUT.BMP', 'BADOFF.BMP', 'NOSUCH.BMP'):
        want['err ' + name] = [2, 228]
    problems = ['%s: %s, expected %s' % (k, values.get(k), v) for k, v in want.items() if values.get(k) != v]

    # The saved file, byte by byte: the display's depth b, no colour table
    # above 8 bits, four zero bytes, then the rows bottom-up.
    saved = os.path.join(folder, 'SAVED.BMP')
    data = open(saved, 'rb').read() if os.path.exists(saved) else b''
    if len(data) < 58:
        problems.append('SAVED.BMP: %d bytes' % len(data))
    else:
        bits = struct.unpack_from('<H', data, 28)[0]
        t = 4 << bits if bits <= 8 else 0
        row = (bits * 5 + 31) // 32 * 4
        size = row * 3
        head = b'BM' + struct.pack('<IIIIiiHHIIiiII', t + size + 58, 0, t + 58, 40, 5, 3, 1, bits, 0, size,
                                   0, 0, 0, 0)
        if data[:54] != head or len(data) != t + size + 58 or data[54 + t:58 + t] != b'\0\0\0\0':
            problems.append('SAVED.BMP layout: %r' % data[:64])
        elif bits in (24, 32):
            step = bits // 8
            for y in range(3):
                r = data[58 + t + row * (2 - y):]
                got = [r[x * step] | r[x * step + 1] << 8 | r[x * step + 2] << 16 for x in range(5)]
                if got != [COLORS[i] for i in PIC[y]]:
                    problems.append('SAVED.BMP row %d: %s' % (y, [hex(g) for g in got]))
    if problems:
        raise TestFailure('; '.join(problems))


TESTS = [
    ('bitmaps', test_bitmaps, True),
]
