"""The main window of vestrun.exe and the text console in it, checked by its
pixels: PRINT paints text into the window, a line typed into the window
reaches INPUT, the characters of a ruler stand in their cells however they
were written, and Ctrl+C stops the script but keeps the window open until it
is closed (Alt+F4: exit code 255). (A program that only computes shows no
window: tests/wine/window.cases.)

Results come from files the programs write and from screenshots of the
window. Collected by run_wine_tests.py through TESTS.
"""
import os
import struct
import time

from wine_harness import EXIT_TIMEOUT, TestFailure, x_regex

# Ten rows of 40 characters, then a typed line goes to ERGEBNIS.TXT.
PROGRAM_PRINT_INPUT = """' prints into the window and reads a typed line
DECLARE A$, N%
WINDOWTITLE "Konsole"
WHILE @LT(N%, 10)
  PRINT "########################################"
  N% = @ADD(N%, 1)
ENDWHILE
COLOR 15, 1
PRINT "  weiss auf dunkelblau  "
COLOR 0, 15
PRINT "Name? ";
INPUT A$
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
PRINT #1, A$; "|"; @LEN(A$)
CLOSE #1
"""

# Runs until it is stopped; each round appends to ZAEHLER.TXT.
PROGRAM_ENDLESS = """' prints, then runs until stopped
WINDOWTITLE "Abbruch"
ASSIGN #1, "ZAEHLER.TXT"
REWRITE #1
PRINT "########################################"
WHILE 1
  PRINT #1, "x"
ENDWHILE
"""

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

TEXT_PIXELS = 1500  # ten rows of '#' give several thousand dark pixels


def dark(r, g, b):
    return r < 64 and g < 64 and b < 64


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


def dark_pixels(s, window):
    return s.screenshot().count(s.window_rect(window), lambda r, g, b: dark(r, g, b))


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


def file_size(path):
    return os.path.getsize(path) if os.path.exists(path) else 0


def test_print_and_input(ctx):
    """PRINT paints dark text on the white window, after COLOR 15,1 on dark
    blue; a line typed into the
    window is read by INPUT and written to a file; the window goes at the
    normal end, exit code 0."""
    s = ctx.session
    folder = ctx.folder('window-print-input', {})
    ctx.compile(folder, 'konsole', PROGRAM_PRINT_INPUT)
    proc = s.start(ctx.vestrun, ['konsole.vsc'], folder, 'window-print-input.log')
    window = s.wait_window(x_regex(b'Konsole'), proc, 'window-print-input')
    wait_for('text in the window', lambda: dark_pixels(s, window) >= TEXT_PIXELS, proc)
    shot = s.screenshot()
    s.save(shot, 'window-print-input')
    x, y, w, h = s.window_rect(window)
    white = shot.count((x, y, w, h), lambda r, g, b: r > 240 and g > 240 and b > 240)
    if white < w * h // 2:
        raise TestFailure('the window is not mostly white (%d of %d pixels)' % (white, w * h))
    blue = shot.count((x, y, w, h), lambda r, g, b: r == 0 and g == 0 and b == 0x88)
    if blue < 24 * 8 * 10:
        raise TestFailure('COLOR 15,1 painted %d dark blue pixels' % blue)
    s.type_text(window, 'Hallo Welt')
    s.press(window, 'BackSpace', 'BackSpace', 'Return')
    ctx.expect_exit(s.wait_exit(proc, 'window-print-input'), 0, 'print and input')
    with open(os.path.join(folder, 'ERGEBNIS.TXT'), 'rb') as f:
        got = f.read()
    if got != b'Hallo We|8\r\n':
        raise TestFailure('INPUT read %r' % got)


def test_ctrl_c_keeps_window(ctx):
    """Ctrl+C stops the script at once (its file stops growing); the window
    stays open with its text until it is closed; exit code 255."""
    s = ctx.session
    folder = ctx.folder('window-break', {})
    ctx.compile(folder, 'endlos', PROGRAM_ENDLESS)
    counter = os.path.join(folder, 'ZAEHLER.TXT')
    proc = s.start(ctx.vestrun, ['endlos.vsc'], folder, 'window-break.log')
    window = s.wait_window(x_regex(b'Abbruch'), proc, 'window-break')
    wait_for('the script running', lambda: file_size(counter) > 0, proc)
    s.press(window, 'ctrl+c')

    def stopped():
        before = file_size(counter)
        time.sleep(1.0)
        return file_size(counter) == before
    wait_for('the script stopped', stopped, proc)
    if not s.visible_windows(x_regex(b'Abbruch')):
        raise TestFailure('the window went with the stop')
    if dark_pixels(s, window) < 200:
        raise TestFailure('the text is gone from the stopped window')
    s.press(window, 'alt+F4')
    ctx.expect_exit(s.wait_exit(proc, 'window-break'), 255, 'stopped by Ctrl+C')


TESTS = [
    ('window-print-input', test_print_and_input, True),
    ('window-ruler', test_ruler, True),
    ('window-ctrl-c', test_ctrl_c_keeps_window, True),
]
