"""The window functions and statements of vestrun.exe on a real window: one
program measures, moves, minimises, maximises and restores its own window,
finds a second program's window by a prefix of its caption in other letter
case, renames it and closes it with @POSTMESSAGE, types keys into itself with
@SENDKEYS and reads them back with INPUT and @INKEY$, and answers a
MESSAGEBOX; the results go to a file. Collected by run_wine_tests.py.
"""
import os

from wine_harness import MB_ICONERROR, TestFailure, windows_path, x_regex

PROGRAM_PARTNER = """' the second program: found, renamed and closed by the first
WINDOWTITLE "Partnerfenster Zwei"
PRINT "Partner"
WHILE 1
ENDWHILE
"""

PROGRAM_MAIN = """' window functions on its own window and on the partner's
DECLARE W%, C%, H%, N%, A$
WINDOWTITLE "Fensterfunktionen"
PRINT "Start"
SETWINDOWPOS %HWND = 30, 40 - 320, 240
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
PRINT #1, "rect "; %WINLEFT; " "; %WINTOP; " "; %WINRIGHT; " "; %WINBOTTOM
C% = @CLIENTWIDTH(%HWND)
H% = @CLIENTHEIGHT(%HWND)
PRINT #1, "client "; @GT(C%, 200); @LT(C%, 321); @GT(H%, 100); @LT(H%, 241)
SETWINDOWPOS %HWND = 50, 60 - 330, 250 ; 0
C% = @CLIENTWIDTH(%HWND)
PRINT #1, "after0 "; %WINLEFT; " "; %WINTOP; " "; %WINRIGHT
W% = @FINDWINDOW("partnerFENSTER")
PRINT #1, "found "; @NEQ(W%, 0); @NEQ(W%, %HWND); @GT(@CLIENTWIDTH(W%), 0)
PRINT #1, "none "; @FINDWINDOW("Kein solches Fenster"); " "; @CLIENTWIDTH(0); " "; @CLIENTHEIGHT(0)
SETTEXT W%, "Umbenannt vom Test"
ENABLEWINDOW W%, 0
ENABLEWINDOW W%, 1
PRINT #1, "renamed "; @EQU(@FINDWINDOW("umbenannt VOM"), W%); " "; @FINDWINDOW("Partnerfenster")
PRINT #1, "string ["; @LOADSTRING$(0, 9999); "]"
PRINT #1, "full "; @FULLPATH$("sub\\\\..\\\\b.txt")
PRINT #1, "short ["; @SHORTPATH$("fehlt.txt"); "] "; @SHORTPATH$("ERGEBNIS.TXT")
PRINT #1, "icons "; @GT(@ICONCOUNT("shell32.dll"), 0); " "; @ICONCOUNT("ERGEBNIS.TXT")
WINDOWMIN
PRINT #1, "min "; @CLIENTWIDTH(%HWND)
WINDOWMAX
PRINT #1, "max "; @GT(@CLIENTWIDTH(%HWND), 330)
WINDOWNORMAL
PRINT #1, "normal "; @EQU(@CLIENTWIDTH(%HWND), C%)
N% = @SENDKEYS(%HWND, @ADD$("Ab1! x,.-", @CHR$(13)))
INPUT A$
PRINT #1, "keys "; N%; " ["; A$; "]"
A$ = @INKEY$()
A$ = ""
N% = @SENDKEY(0, 66)
N% = 0
WHILE @AND(@EQU(@LEN(A$), 0), @LT(N%, 2000))
  A$ = @INKEY$()
  N% = @ADD(N%, 1)
ENDWHILE
PRINT #1, "key ["; A$; "]"
PRINT #1, "post "; @POSTMESSAGE(W%, 16, 0, 0)
CLOSE #1
MESSAGEBOX "Fertig?", "Frage", 1
ASSIGN #1, "BOX.TXT"
REWRITE #1
PRINT #1, %DLGRESULT
CLOSE #1
"""


def test_window_functions(ctx):
    """The functions on the program's own window and on a second program's."""
    s = ctx.session
    folder = ctx.folder('winfuncs', {})
    ctx.compile(folder, 'partner', PROGRAM_PARTNER)
    ctx.compile(folder, 'fenster', PROGRAM_MAIN)
    partner = s.start(ctx.vestrun, ['partner.vsc'], folder, 'winfuncs-partner.log')
    s.wait_window(x_regex(b'Partnerfenster Zwei'), partner, 'winfuncs partner')
    proc = s.start(ctx.vestrun, ['fenster.vsc'], folder, 'winfuncs.log')
    box = s.wait_window(x_regex(b'Frage'), proc, 'winfuncs box')
    s.save_screen('winfuncs')
    s.answer(box, 'Escape')
    ctx.expect_exit(s.wait_exit(proc, 'winfuncs'), 0, 'window functions')
    ctx.expect_exit(s.wait_exit(partner, 'winfuncs partner'), 255, 'partner closed by WM_CLOSE')
    with open(os.path.join(folder, 'ERGEBNIS.TXT'), 'rb') as f:
        got = f.read().decode('cp1252').split('\r\n')
    want = [
        'rect 30 40 350 280',
        'client 1111',
        'after0 50 60 380',
        'found 111',
        'none 0 0 0',
        'renamed 1 0',
        'string []',
        'full ' + windows_path(os.path.join(folder, 'b.txt')),
        'short [] ERGEBNIS.TXT',
        'icons 1 0',
        'min 0',
        'max 1',
        'normal 1',
        'keys 1 [Ab1! x,.-]',
        'key [b]',
        'post 1',
        '',
    ]
    if got != want:
        diff = ['%r, expected %r' % (g, w) for g, w in zip(got, want) if g != w]
        raise TestFailure('ERGEBNIS.TXT: %s (all: %r)' % ('; '.join(diff), got))
    with open(os.path.join(folder, 'BOX.TXT'), 'rb') as f:
        if f.read() != b'2\r\n':
            raise TestFailure('MESSAGEBOX cancelled: %DLGRESULT is not 2')


def test_setwindowpos_negative(ctx):
    """SETWINDOWPOS with a negative height stops the program with box 223."""
    s = ctx.session
    folder = ctx.folder('winfuncs-negative', {})
    ctx.compile(folder, 'negativ', "' a negative height\nSETWINDOWPOS %HWND = 0, 0 - 100, -1\nPRINT \"x\"\n")
    text = b'Negative Fenstergr\xf6\xdfe!'
    ref = s.reference_box(text, b'Zeile      2!', MB_ICONERROR, folder, 'winfuncs-negative')
    proc = s.start(ctx.vestrun, ['negativ.vsc'], folder, 'winfuncs-negative.log')
    s.expect_box(proc, ref, text, MB_ICONERROR, 'winfuncs-negative')
    ctx.expect_exit(s.wait_exit(proc, 'winfuncs-negative'), 2, 'SETWINDOWPOS negative')


TESTS = [
    ('winfuncs', test_window_functions, True),
    ('winfuncs-negative', test_setwindowpos_negative, True),
]
