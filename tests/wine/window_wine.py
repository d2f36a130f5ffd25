"""The console's cells in the main window of vestrun.exe, checked by its
pixels: the characters of a ruler stand in their cells however they were
written. (The other window tests: tests/wine/window.cases.) Collected by
run_wine_tests.py through TESTS.
"""
import os
import struct
import time

from wine_harness import EXIT_TIMEOUT, TestFailure, x_regex

# Rows of digits with a blank row between them (an 80-character line wraps
# and its line end then leaves the next row empty): a ruler printed alone,
# the same digits in PRINT items (a number among them), around a LOCATE into
# the middle of a row, and a typed INPUT line; then the shadow as a BMP.
RULER = '0123456789' * 8
PROGRAM_RULER = """' the console's cells in one ruler after another
DECLARE A$
WINDOWTITLE "Lineal"
COLOR 12, 15
PRINT "%s"
PRINT "01234567890123456789"; "0"; 123456789; "0123456789"; "0123456789";
PRINT "0123456789"; "01234567890123456789"
LOCATE 5, 41
PRINT "%s";
LOCATE 5, 1
PRINT "%s"
PRINT
INPUT A$
SAVEBMP "LINEAL.BMP", 0, 0 - 1000, 200
ASSIGN #1, "READY.TXT"
REWRITE #1
CLOSE #1
WHILE @EQU(@LEN(@FINDFIRST$("ENDE.TXT")), 0)
ENDWHILE
""" % (RULER, RULER[:40], RULER[:40])

def wait_for(what, condition, proc, timeout=EXIT_TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        if proc is not None and proc.poll() is not None:
            raise TestFailure('%s: the program ended with %d first' % (what, proc.returncode))
        time.sleep(0.25)
    raise TestFailure('%s: not within %d s' % (what, timeout))


def glyph_rows(width, height, pixel):
    """The rows of red glyphs of a picture, top to bottom: for each band of
    pixel rows with red in it, the pixel columns with red, counted from the
    first red column of the first band."""
    bands, band = [], None
    for y in range(height):
        xs = {x for x in range(width) if pixel(x, y)}
        if xs:
            band = band or set()
            band |= xs
        elif band:
            bands.append(band)
            band = None
    if band:
        bands.append(band)
    if not bands:
        return []
    left = min(bands[0])
    return [sorted(x - left for x in b) for b in bands]


def red(r, g, b):
    return r > 200 and g < 200 and b < 200


def test_ruler(ctx):
    """Console text in its cells: the digits of a ruler stand in the same
    pixel columns whether printed alone, in PRINT items, around a LOCATE or
    typed into INPUT; on the window (all 80 columns inside it) and on the
    shadow copy alike."""
    s = ctx.session
    folder = ctx.folder('window-ruler', {})
    ctx.compile(folder, 'lineal', PROGRAM_RULER)
    proc = s.start(ctx.vestrun, ['lineal.vsc'], folder, 'window-ruler.log')
    window = s.wait_window(x_regex(b'Lineal'), proc, 'window-ruler')
    wait_for('the rows printed', lambda: s.screenshot().count(s.window_rect(window), red) > 2000, proc)
    s.type_text(window, RULER[:40])
    s.press(window, 'Return')
    wait_for('the shadow saved', lambda: os.path.exists(os.path.join(folder, 'READY.TXT')), proc)
    shot = s.screenshot()
    s.save(shot, 'window-ruler')
    x0, y0, w, h = s.window_rect(window)
    open(os.path.join(folder, 'ENDE.TXT'), 'w').close()
    ctx.expect_exit(s.wait_exit(proc, 'window-ruler'), 0, 'ruler')

    def screen(x, y):
        i = 3 * ((y0 + y) * shot.width + x0 + x)
        return red(*shot.pixels[i:i + 3])
    with open(os.path.join(folder, 'LINEAL.BMP'), 'rb') as f:
        bmp = f.read()
    offset, = struct.unpack_from('<I', bmp, 10)
    bw, bh, _, bits = struct.unpack_from('<iiHH', bmp, 18)
    stride = (bw * bits // 8 + 3) // 4 * 4

    def shadow(x, y):
        i = offset + (bh - 1 - y) * stride + x * bits // 8
        return red(bmp[i + 2], bmp[i + 1], bmp[i])
    for name, rows in (('window', glyph_rows(min(w, shot.width - x0), min(h, shot.height - y0), screen)),
                       ('shadow', glyph_rows(bw, bh, shadow))):
        if len(rows) != 4:
            raise TestFailure('%s: %d rows of red glyphs, expected 4' % (name, len(rows)))
        ruler, items, located, typed = rows
        half = [x for x in ruler if x <= typed[-1]]
        if items != ruler or located != ruler or typed != half or abs(2 * len(half) - len(ruler)) > 20:
            raise TestFailure('%s: the rows leave their cells (columns %s .. %s, %s .. %s, %s .. %s, %s .. %s)'
                              % (name, ruler[0], ruler[-1], items[0], items[-1], located[0], located[-1],
                                 typed[0], typed[-1]))
        if name == 'window':
            on_window = ruler
        elif ruler != on_window:
            raise TestFailure('the window shows the ruler to column %d, the shadow to %d'
                              % (on_window[-1], ruler[-1]))


TESTS = [
    ('window-ruler', test_ruler, True),
]
