"""Drawing in the window of vestrun.exe: every figure, the solid, hollow and
hatched brushes, pens, FILL, CLS with a colour, console text in COLOR 15,1,
COLOR's colours left for a DRAWTEXT (window and a SAVEBMP of the shadow), a TBOX frame, DRAWTEXT with a font of its own and ENUMFONTS, each checked at known
pixels that the program reads back with @GETPIXEL into PIXEL.TXT. A REPAINT
at the end restores the window from its shadow copy, so the same pixels read
the same again only when every figure went to the shadow too.

Collected by run_wine_tests.py through TESTS.
"""
import os
import struct

from wine_harness import TestFailure

# 15-bit colours: black, red, green, blue, white, the console's dark blue.
BLACK, RED, GREEN, BLUE, WHITE, DARK_BLUE = 0, 31, 992, 31744, 32767, 17408

PROGRAM = r"""' draws and reads its pixels back into PIXEL.TXT
DECLARE N%, X%, Y%, X1%, Y1%, X2%, Y2%, C&, A%, B%
ASSIGN #1, "PIXEL.TXT"
REWRITE #1
WINDOWTITLE "Zeichnen"
' console text, white on dark blue, on a window cleared to red
CLS 31
COLOR 15, 1
PRINT "########"
X1% = 0
Y1% = 0
X2% = 120
Y2% = 40
C& = 32767
GOSUB "COUNT"
A% = N%
C& = 17408
GOSUB "COUNT"
B% = N%
C& = 31
GOSUB "COUNT"
PRINT #1, "color "; A%; " "; B%; " "; N%
' CLS 31 made red the brush: a rectangle over the text is red inside
RECTANGLE 0, 0 - 120, 40
PRINT #1, "cls "; @GETPIXEL(300, 300); " "; @GETPIXEL(60, 10); " "; @GETPIXEL(0, 10)
' figures on white; text colours define the hatch background
CLS
TEXTCOLOR 0, 32767
SETPIXEL 10, 10, 992
PRINT #1, "setpixel "; @GETPIXEL(10, 10); " "; @GETPIXEL(11, 10)
LINE 20, 20 - 60, 20
PRINT #1, "line "; @GETPIXEL(40, 20); " "; @GETPIXEL(40, 21); " "; @GETPIXEL(60, 20)
LINETO 60, 40
PRINT #1, "lineto "; @GETPIXEL(60, 30)
MOVETO 20, 30
LINETO 50, 30
PRINT #1, "moveto "; @GETPIXEL(35, 30); " "; @GETPIXEL(15, 30)
USEPEN 0, 1, 31744
USEBRUSH 1, 992
RECTANGLE 70, 10 - 110, 50
PRINT #1, "solid "; @GETPIXEL(70, 30); " "; @GETPIXEL(90, 30); " "; @GETPIXEL(109, 30); " "; @GETPIXEL(110, 30)
USEBRUSH 0, 0
RECTANGLE 120, 10 - 160, 50
PRINT #1, "hollow "; @GETPIXEL(120, 30); " "; @GETPIXEL(140, 30)
USEPEN 0, 1, 0
USEBRUSH 2, 31
RECTANGLE 170, 10 - 230, 70
X1% = 200
X2% = 201
Y1% = 16
Y2% = 64
C& = 31
GOSUB "COUNT"
A% = N%
C& = 32767
GOSUB "COUNT"
PRINT #1, "hatch "; A%; " "; N%
USEBRUSH 1, 31
ELLIPSE 240, 10 - 300, 70
PRINT #1, "ellipse "; @GETPIXEL(270, 40); " "; @GETPIXEL(242, 12); " "; @GETPIXEL(240, 40)
ROUNDRECT 10, 80 - 70, 140; 20, 20
PRINT #1, "roundrect "; @GETPIXEL(40, 110); " "; @GETPIXEL(11, 81); " "; @GETPIXEL(40, 80)
PIE 80, 80 - 140, 140; 140, 110; 110, 80
PRINT #1, "pie "; @GETPIXEL(122, 98); " "; @GETPIXEL(98, 122); " "; @GETPIXEL(98, 98)
CHORD 150, 80 - 210, 140; 210, 110; 150, 110
PRINT #1, "chord "; @GETPIXEL(180, 95); " "; @GETPIXEL(180, 125)
ARC 220, 80 - 280, 140; 280, 110; 220, 110
X1% = 250
X2% = 251
Y1% = 78
Y2% = 142
C& = 0
GOSUB "COUNT"
PRINT #1, "arc "; N%; " "; @GETPIXEL(250, 100)
USEBRUSH 0, 0
RECTANGLE 10, 150 - 60, 200
USEBRUSH 1, 992
FILL 30, 170, 0
PRINT #1, "fill "; @GETPIXEL(30, 170); " "; @GETPIXEL(12, 152); " "; @GETPIXEL(10, 170); " "; @GETPIXEL(65, 170)
TRUECOLOR 1
PRINT #1, "truecolor "; @GETPIXEL(30, 170); " "; @GETPIXEL(140, 30)
TRUECOLOR 0
PRINT #1, "outside "; @GETPIXEL(-1, -1)
ENUMFONTS
PRINT #1, "enumfonts "; @GT(%LISTLAST, 0)
' graphic text: a 40-pixel bold font, red on green, then blue and transparent
USEFONT "Arial", 40, 0, 1, 0, 0
TEXTCOLOR 31, 992
DRAWTEXT 320, 10, "WWWW"
X1% = 320
X2% = 520
Y1% = 10
Y2% = 60
C& = 31
GOSUB "COUNT"
A% = N%
C& = 992
GOSUB "COUNT"
B% = N%
Y1% = 35
C& = 31
GOSUB "COUNT"
PRINT #1, "drawtext "; A%; " "; B%; " "; N%
TEXTCOLOR 31744, -1
DRAWTEXT 320, 80, "WWWW"
Y1% = 80
Y2% = 130
C& = 31744
GOSUB "COUNT"
A% = N%
C& = 992
GOSUB "COUNT"
PRINT #1, "transparent "; A%; " "; N%
' COLOR's palette colours stay in both targets for DRAWTEXT, until TEXTCOLOR
TEXTCOLOR 0, 31
COLOR 0, 10
DRAWTEXT 400, 200, "    "
SAVEBMP "COLOR.BMP", 400, 200 - 8, 8
TEXTCOLOR 0, 31744
DRAWTEXT 400, 260, "    "
SAVEBMP "TEXTCOLOR.BMP", 400, 260 - 8, 8
PRINT #1, "colors "; @GETPIXEL(404, 204); " "; @GETPIXEL(404, 264)
' the shadow holds the same: a repaint changes no pixel
REPAINT
N% = 0
WHILE @LT(N%, 200)
  N% = @ADD(N%, 1)
ENDWHILE
PRINT #1, "repaint "; @GETPIXEL(90, 30); " "; @GETPIXEL(270, 40); " "; @GETPIXEL(30, 170); " "; @GETPIXEL(40, 20)
' a double frame of OEM line characters, black on white
CLS
COLOR 0, 15
TBOX 3, 3 - 8, 20; 1
X1% = 0
X2% = 200
Y1% = 0
Y2% = 160
C& = 0
GOSUB "COUNT"
A% = N%
' the frame's extent: the first and last rows and columns with black
X1% = 1000
Y1% = 1000
X2% = -1
Y2% = -1
Y% = 0
WHILE @LT(Y%, 160)
  X% = 0
  WHILE @LT(X%, 200)
    IF @EQU(@GETPIXEL(X%, Y%), 0)
      CASE @LT(X%, X1%) : X1% = X%
      CASE @GT(X%, X2%) : X2% = X%
      CASE @LT(Y%, Y1%) : Y1% = Y%
      Y2% = Y%
    ENDIF
    X% = @ADD(X%, 1)
  ENDWHILE
  Y% = @ADD(Y%, 1)
ENDWHILE
PRINT #1, "tbox "; A%; " "; X1%; " "; Y1%; " "; X2%; " "; Y2%
CLOSE #1
END

COUNT:
N% = 0
Y% = Y1%
WHILE @LT(Y%, Y2%)
  X% = X1%
  WHILE @LT(X%, X2%)
    CASE @EQU(@GETPIXEL(X%, Y%), C&) : N% = @ADD(N%, 1)
    X% = @ADD(X%, 1)
  ENDWHILE
  Y% = @ADD(Y%, 1)
ENDWHILE
RETURN
"""

# The lines whose every value is known exactly.
EXACT = {
    'cls': [RED, RED, BLACK],
    'setpixel': [GREEN, WHITE],
    'line': [BLACK, WHITE, WHITE],         # LineTo leaves out the end point
    'lineto': [BLACK],
    'moveto': [BLACK, WHITE],
    'solid': [BLUE, GREEN, BLUE, WHITE],   # the right edge is the last pixel inside
    'hollow': [BLUE, WHITE],
    'hatch': [6, 42],                      # 48 rows of a horizontal hatch: one line in 8
    'ellipse': [RED, WHITE, BLACK],
    'roundrect': [RED, WHITE, BLACK],
    'pie': [RED, WHITE, WHITE],            # the quarter from 0 to 90 degrees
    'chord': [RED, WHITE],                 # the upper half
    'arc': [1, WHITE],                     # only the top of the column, no interior
    'fill': [GREEN, GREEN, BLACK, WHITE],
    'truecolor': [0x00ff00, 0xffffff],
    'outside': [-1],
    'enumfonts': [1],                      # the window's DC has fonts
    'repaint': [GREEN, RED, GREEN, BLACK],
    'colors': [GREEN, BLUE],
}


def bmp_pixel(path, x, y):
    """The (r, g, b) of a pixel of a 24- or 32-bit bottom-up BMP file."""
    with open(path, 'rb') as f:
        data = f.read()
    offset, = struct.unpack_from('<I', data, 10)
    width, height, _, bits = struct.unpack_from('<iiHH', data, 18)
    row = (width * bits // 8 + 3) // 4 * 4
    i = offset + (height - 1 - y) * row + x * bits // 8
    return data[i + 2], data[i + 1], data[i]


def check(values):
    problems = []
    for key, want in EXACT.items():
        if values.get(key) != want:
            problems.append('%s: %s, expected %s' % (key, values.get(key), want))
    white, blue, red = values.get('color', [0, 0, 0])
    # Glyph strokes in white, the cells' background dark blue, below the
    # text row the red of CLS 31, nothing else.
    if white < 30 or blue < 400 or red < 400 or white + blue + red != 120 * 40:
        problems.append('COLOR 15,1 text: %d white, %d dark blue, %d red' % (white, blue, red))
    red, green, red_low = values.get('drawtext', [0, 0, 0])
    # 40-pixel bold glyphs reach below row 35, which a default font does not.
    if red < 300 or green < 300 or red_low < 50:
        problems.append('DRAWTEXT opaque: %d red, %d green, %d red below row 35' % (red, green, red_low))
    blue, green = values.get('transparent', [0, 1])
    if blue < 300 or green != 0:
        problems.append('DRAWTEXT transparent: %d blue, %d green' % (blue, green))
    frame, left, top, right, bottom = values.get('tbox', [0, 0, 0, 0, 0])
    # Rows 3 to 8, columns 3 to 20: 18 cells of at least 7 pixels across,
    # 6 rows of at least 10 pixels down, starting two cells in. The glyphs
    # themselves are those of the platform's OEM font.
    if (frame < 150 or not 2 * 7 <= left < 2 * 12 or not 2 * 10 <= top < 2 * 20
            or right - left < 17 * 7 or bottom - top < 5 * 10):
        problems.append('TBOX: %d black pixels from (%d, %d) to (%d, %d)' % (frame, left, top, right, bottom))
    return problems


def test_drawing(ctx):
    """Every primitive, brush and text statement at known pixels."""
    s = ctx.session
    folder = ctx.folder('draw-pixels', {})
    ctx.compile(folder, 'zeichnen', PROGRAM)
    proc = s.start(ctx.vestrun, ['zeichnen.vsc'], folder, 'draw-pixels.log')
    ctx.expect_exit(s.wait_exit(proc, 'draw-pixels'), 0, 'drawing')
    path = os.path.join(folder, 'PIXEL.TXT')
    if not os.path.exists(path):
        raise TestFailure('the program wrote no PIXEL.TXT')
    values = {}
    with open(path, 'rb') as f:
        for line in f.read().decode('cp1252').splitlines():
            key, *numbers = line.split()
            values[key] = [int(n) for n in numbers]
    problems = check(values)
    for name, want in (('COLOR.BMP', (0, 255, 0)), ('TEXTCOLOR.BMP', (0, 0, 255))):
        got = bmp_pixel(os.path.join(folder, name), 4, 4)
        if got != want:
            problems.append('%s of the shadow: %s, expected %s' % (name, got, want))
    if problems:
        raise TestFailure('; '.join(problems))


TESTS = [
    ('draw-pixels', test_drawing, True),
]
