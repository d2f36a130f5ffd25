"""The waits of vestrun.exe under Wine, driven by xdotool: WAITKEY, WAITCHAR,
WAITMOUSE and WAITINPUT each end on their own event and not on another one;
a press of either button sets %MOUSEKEY, %MOUSEX, %MOUSEY and @MOUSEIN;
@INKEY$ gives the last typed character once; the timer ends WAITINPUT; a
second KILLTIMER raises 250. The timer of a program without a window ticks.

The program writes the step it waits in to SCHRITT.TXT before each wait and
its results to ERGEBNIS.TXT. Collected by run_wine_tests.py through TESTS.
"""
import os
import time

from wine_harness import TestFailure, x_regex

PROGRAM = """' waits for events in the window
DECLARE X%, Y%, T&
WINDOWTITLE "Warten"
PRINT "Warten auf Eingaben"
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
ASSIGN #2, "SCHRITT.TXT"
REWRITE #2
PRINT #2, "1"
CLOSE #2
WAITKEY
PRINT #1, "K "; %WAITRESULT; " "; %VKEY
REWRITE #2
PRINT #2, "2"
CLOSE #2
WAITCHAR
PRINT #1, "C "; %WAITRESULT; " "; %VKEY
REWRITE #2
PRINT #2, "3"
CLOSE #2
WAITMOUSE
X% = %MOUSEX
Y% = %MOUSEY
PRINT #1, "M "; %MOUSEKEY; %MOUSEKEY; " "; @INKEY$(); "|"; @INKEY$(); "| "; X%; " "; Y%
REWRITE #2
PRINT #2, "4"
CLOSE #2
WAITMOUSE
PRINT #1, "R "; %MOUSEBUTTONS; %MOUSEKEY; %MOUSEKEY; " "; %MOUSEX; " "; %MOUSEY; " "; @MOUSEIN(X%, Y% - @ADD(X%, 60), @ADD(Y%, 30)); @MOUSEIN(X%, Y% - @ADD(X%, 40), @ADD(Y%, 30))
REWRITE #2
PRINT #2, "5"
CLOSE #2
WAITINPUT
PRINT #1, "I "; %WAITRESULT; " "; %VKEY; " "; @ISKEY(68)
SETTIMER 5000
SETTIMER 300
T& = &TICKS
WAITINPUT
PRINT #1, "T "; %TIMER; %TIMER; " "; @GT(@SUB(&TICKS, T&), 250); @LT(@SUB(&TICKS, T&), 4000)
ERRORMODE -1
KILLTIMER
PRINT #1, "E "; &ERRORNUMBER;
KILLTIMER
PRINT #1, " "; &ERRORNUMBER
CLOSE #1
"""

# Where the buttons are pressed, relative to the window's top-left corner
# (frame included): well inside the client area.
PRESS_X, PRESS_Y = 120, 140
SECOND_DX, SECOND_DY = 50, 20
STEP_TIMEOUT = 30
WAIT_ENTRY = 0.5  # the program reaches its wait after writing the step
NOT_ENDED = 1.5   # a wrong event must leave the wait running this long


def read_text(path):
    try:
        with open(path, 'rb') as f:
            return f.read().decode('cp1252')
    except OSError:
        return ''


def wait_step(folder, step, proc):
    path = os.path.join(folder, 'SCHRITT.TXT')
    deadline = time.monotonic() + STEP_TIMEOUT
    while read_text(path).strip() != str(step):
        if proc.poll() is not None:
            raise TestFailure('the program ended (%d) before step %d' % (proc.returncode, step))
        if time.monotonic() > deadline:
            raise TestFailure('the program did not reach step %d (at %r)' % (step, read_text(path)))
        time.sleep(0.2)
    time.sleep(WAIT_ENTRY)


def expect_still_waiting(folder, step, proc, what):
    time.sleep(NOT_ENDED)
    if proc.poll() is not None or read_text(os.path.join(folder, 'SCHRITT.TXT')).strip() != str(step):
        raise TestFailure('step %d: %s ended the wait' % (step, what))


def press_button(s, window, button, x, y):
    """Holds the button for a moment, so that the wait sees it down."""
    s.xdotool('mousemove', '--window', window, str(x), str(y))
    time.sleep(0.2)
    s.xdotool('mousedown', str(button))
    time.sleep(0.5)
    s.xdotool('mouseup', str(button))


def test_waits(ctx):
    """Each wait ends on its own event and not on another one; the mouse and
    key functions read what the window recorded; the timer ends WAITINPUT;
    KILLTIMER without a timer raises 250."""
    s = ctx.session
    folder = ctx.folder('waits', {})
    ctx.compile(folder, 'warten', PROGRAM)
    proc = s.start(ctx.vestrun, ['warten.vsc'], folder, 'waits.log')
    window = s.wait_window(x_regex(b'Warten'), proc, 'waits')

    wait_step(folder, 1, proc)
    press_button(s, window, 1, PRESS_X, PRESS_Y)
    expect_still_waiting(folder, 1, proc, 'a click in WAITKEY')
    s.press(window, 'a')

    wait_step(folder, 2, proc)
    press_button(s, window, 1, PRESS_X, PRESS_Y)
    expect_still_waiting(folder, 2, proc, 'a click in WAITCHAR')
    s.press(window, 'b')

    wait_step(folder, 3, proc)
    s.type_text(window, 'xy')
    expect_still_waiting(folder, 3, proc, 'keys in WAITMOUSE')
    press_button(s, window, 1, PRESS_X, PRESS_Y)

    wait_step(folder, 4, proc)
    press_button(s, window, 3, PRESS_X + SECOND_DX, PRESS_Y + SECOND_DY)

    wait_step(folder, 5, proc)
    s.xdotool('mousemove', '--window', window, str(PRESS_X + 80), str(PRESS_Y + 60))
    expect_still_waiting(folder, 5, proc, 'a mouse move in WAITINPUT')
    s.press(window, 'd')

    ctx.expect_exit(s.wait_exit(proc, 'waits'), 0, 'waits')
    lines = read_text(os.path.join(folder, 'ERGEBNIS.TXT')).split('\r\n')
    want = {'K': 'K 97 65', 'C': 'C 98 66', 'I': 'I 100 68 1', 'T': 'T 10 11', 'E': 'E 0 250'}
    got = {line[:1]: line for line in lines if line}
    for key, line in want.items():
        if got.get(key) != line:
            raise TestFailure('expected %r, got %r (all: %r)' % (line, got.get(key), lines))
    # The left press: the buttons read once, the last typed character once,
    # the position in client coordinates (the frame lies above and left).
    m = got.get('M', '').split(' ')
    if len(m) != 5 or m[1] != '10' or m[2] != 'y||':
        raise TestFailure('after the left press: %r' % got.get('M'))
    x, y = int(m[3]), int(m[4])
    if not (0 < x <= PRESS_X and 0 < y <= PRESS_Y):
        raise TestFailure('the left press at %d, %d is no client position' % (x, y))
    # The right press, SECOND_DX and SECOND_DY further: the exact distance,
    # and @MOUSEIN inside a 60 x 30 box from the first press, not a 40 x 30 one.
    r = got.get('R', '').split(' ')
    if len(r) != 5 or r[1] != '220' or (int(r[2]) - x, int(r[3]) - y) != (SECOND_DX, SECOND_DY) or r[4] != '10':
        raise TestFailure('after the right press: %r (left press at %d, %d)' % (got.get('R'), x, y))


# The timer of a program that shows no window ticks all the same.
PROGRAM_TIMER_ONLY = """' a timer without a window
SETTIMER 200
WAITINPUT
WAITINPUT
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
PRINT #1, %TIMER; %TIMER
KILLTIMER
CLOSE #1
"""


def test_timer_without_window(ctx):
    """SETTIMER before any window: its ticks end WAITINPUT; no window shows."""
    folder = ctx.folder('waits-timer', {})
    ctx.compile(folder, 'uhr', PROGRAM_TIMER_ONLY)
    ctx.expect_exit(ctx.run_to_exit(ctx.vestrun, ['uhr.vsc'], folder, 'waits-timer'), 0, 'timer only')
    got = read_text(os.path.join(folder, 'ERGEBNIS.TXT'))
    if got != '10\r\n':
        raise TestFailure('the timer without a window wrote %r' % got)


TESTS = [
    ('waits', test_waits, True),
    ('waits-timer', test_timer_without_window, True),
]
