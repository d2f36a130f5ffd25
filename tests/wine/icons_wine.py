"""Icons and cursors of vestrun.exe under Wine, in one program that writes
what it sees to ERGEBNIS.TXT: the runner's icons drawn at known places and
read back with @GETPIXEL (the tree's crown is green, the face yellow, the
corners of the tree and of the drop transparent), the first icon of
vestrun.exe itself by DRAWFILEICON (the tree again: named resources come in
order of their names), a system icon; under ERRORMODE -1 the numbers of the
failures (224 for an icon that does not exist, 225 for DRAWSYSICON 5, 230
for SETCURSOR 14); SETCURSOR 4, 5 and 13 taken, and a cursor that does not
load leaving the class cursor as it was; an icon drawn before the window
exists being no error; SETICON changing the class icon (class values read
with GetClassLongA on the 32-bit build, where
GetClassLongPtrA is only a macro, and GetClassLongPtrA on the 64-bit one); SHOWCURSOR 0 twice leaving the display count at -1
and SHOWCURSOR 1 at 0 (read by calling ShowCursor itself, and put back).

Collected by run_wine_tests.py through TESTS.
"""
import os

import wine_harness
from wine_harness import TestFailure, windows_path

WHITE, CROWN_GREEN, TRUNK_BROWN, FACE_YELLOW = 0xFFFFFF, 0x22A022, 0x2B5A8B, 0x00DCFF

PROGRAM = r"""' icons and cursors
DECLARE A&, B&, N%, X%, Y%
DEFFN CLASS(2) !"user32.dll","@CLASSLONG@"
DEFFN POINTER(1) !"user32.dll","ShowCursor"
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
' before the window: an icon that exists is no error, one that does not is
ERRORMODE -1
DRAWICON "BAUM", 0, 0
N% = %ERRORKIND
DRAWICON "KEINS", 0, 0
PRINT #1, "ohne "; N%; " "; %ERRORKIND
ERRORMODE 1
WINDOWTITLE "Ikonen"
PRINT "Ikonen"
TRUECOLOR 1
DRAWICON "BAUM", 100, 100
PRINT #1, "baum "; @GETPIXEL(116, 110); " "; @GETPIXEL(100, 100); " "; @GETPIXEL(115, 125)
DRAWICON "gesicht", 200, 100
DRAWICON "WASSER", 500, 100
PRINT #1, "gesicht "; @GETPIXEL(216, 116); " "; @GETPIXEL(500, 100); " "; @GETPIXEL(531, 131)
DRAWFILEICON "@RUNNER@", 0, 400, 100
PRINT #1, "datei "; @GETPIXEL(416, 110); " "; @GETPIXEL(400, 100)
DRAWSYSICON 1, 300, 100
N% = 0
Y% = 100
WHILE @LT(Y%, 132)
  X% = 300
  WHILE @LT(X%, 332)
    CASE @NEQ(@GETPIXEL(X%, Y%), 16777215) : N% = @ADD(N%, 1)
    X% = @ADD(X%, 1)
  ENDWHILE
  Y% = @ADD(Y%, 1)
ENDWHILE
PRINT #1, "system "; @GT(N%, 100); " "; %ERRORKIND
ERRORMODE -1
DRAWICON "KEINS", 0, 200
PRINT #1, "keins "; %ERRORKIND; " "; &ERRORNUMBER
DRAWICON "1", 0, 200
PRINT #1, "nummer "; %ERRORKIND
DRAWFILEICON "@RUNNER@", 99, 0, 200
PRINT #1, "index "; %ERRORKIND
DRAWFILEICON "FEHLT.EXE", 0, 0, 200
PRINT #1, "fehlt "; %ERRORKIND
DRAWSYSICON 5, 0, 200
PRINT #1, "sys5 "; %ERRORKIND; " "; &ERRORNUMBER
SETCURSOR 4
SETCURSOR 5
SETCURSOR 13
A& = @CLASS(%HWND, -12)
SETEXTCURSOR 0, "KEINER"
B& = @CLASS(%HWND, -12)
PRINT #1, "cursor "; %ERRORKIND; " "; @NEQ(A&, 0); " "; @EQU(A&, B&)
SETCURSOR 14
PRINT #1, "cursor14 "; %ERRORKIND; " "; &ERRORNUMBER
A& = @CLASS(%HWND, -14)
SETICON "BAUM"
B& = @CLASS(%HWND, -14)
PRINT #1, "seticon "; %ERRORKIND; " "; @NEQ(A&, B&); " "; @NEQ(B&, 0)
SETICON "KEINS"
PRINT #1, "seticon-keins "; %ERRORKIND; " "; &ERRORNUMBER
SHOWCURSOR 0
SHOWCURSOR 0
A& = @POINTER(1)
B& = @POINTER(0)
PRINT #1, "hidden "; A&; " "; B&
SHOWCURSOR 1
A& = @POINTER(0)
B& = @POINTER(1)
PRINT #1, "shown "; A&; " "; B&
CLOSE #1
"""

EXPECTED = {
    'baum': [CROWN_GREEN, WHITE, TRUNK_BROWN],
    'gesicht': [FACE_YELLOW, WHITE, WHITE],  # the drop has no black: its corners must still show through
    'datei': [CROWN_GREEN, WHITE],
    'system': [1, 0],
    'keins': [2, 224],
    'nummer': [2],
    'index': [2],
    'fehlt': [2],
    'sys5': [2, 225],
    'ohne': [0, 2],
    'cursor': [0, 1, 1],
    'cursor14': [2, 230],
    'seticon': [0, 1, 1],
    'seticon-keins': [2, 224],
    'hidden': [0, -1],
    'shown': [-1, 0],
}


def test_icons(ctx):
    """Every icon statement, the cursor table and the pointer's count."""
    s = ctx.session
    folder = ctx.folder('icons', {})
    # 32-bit user32 exports no GetClassLongPtrA.
    entry = 'GetClassLongPtrA' if wine_harness.MINGW.startswith('x86_64') else 'GetClassLongA'
    program = PROGRAM.replace('@CLASSLONG@', entry)
    # A file-name text decodes a doubled backslash into one.
    ctx.compile(folder, 'ikonen', program.replace('@RUNNER@', windows_path(ctx.vestrun).replace('\\', '\\\\')))
    proc = s.start(ctx.vestrun, ['ikonen.vsc'], folder, 'icons.log')
    ctx.expect_exit(s.wait_exit(proc, 'icons'), 0, 'icons')
    path = os.path.join(folder, 'ERGEBNIS.TXT')
    if not os.path.exists(path):
        raise TestFailure('the program wrote no ERGEBNIS.TXT')
    values = {}
    with open(path, 'rb') as f:
        for line in f.read().decode('cp1252').splitlines():
            key, *numbers = line.split()
            values[key] = [int(n) for n in numbers]
    problems = ['%s: %s, expected %s' % (k, values.get(k), v) for k, v in EXPECTED.items() if values.get(k) != v]
    if problems:
        raise TestFailure('; '.join(problems))


TESTS = [
    ('icons', test_icons, True),
]
