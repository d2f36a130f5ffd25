"""The window statements of vestrun.exe: WINDOW moves and sizes the window,
WINDOWSTYLE's bits show in the window's style, menu and class background;
examples/form.vsl (WINDOWSTYLE 0x200) works from the keyboard alone. (The
box of WINDOW, PAINTMODE, the DDE round trip and the style options of the
pump: tests/wine/window.cases.)

The helper winstmt_helper.c (built with the mingw compiler of the tested
exe) reads the window's geometry and style into a file, covers and uncovers
the window, and plays the DDE partner. Collected by run_wine_tests.py.
"""
import os
import shutil
import subprocess

from wine_harness import TestFailure, x_regex
from window_wine import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
FORM = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'examples', 'form.vsl')
# Sets the style, then WINDOW makes the window or moves the one PRINT made;
# READY.TXT tells the test it stands, ENDE.TXT ends the program.
PROGRAM_STYLE = """' style and rectangle of the window
WINDOWTITLE "%s"
WINDOWSTYLE %d
%s
WINDOW 20, 30 - 400, 300
ASSIGN #1, "READY.TXT"
REWRITE #1
CLOSE #1
WHILE @EQU(@LEN(@FINDFIRST$("ENDE.TXT")), 0)
ENDWHILE
"""

WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_THICKFRAME, WS_SYSMENU = 0x10000, 0x20000, 0x40000, 0x80000
WS_POPUP, WS_CAPTION = 0x80000000, 0x00C00000


def helper(ctx):
    """winstmt_helper.exe, built again when its source is newer."""
    exe = os.path.join(ctx.session.work, 'winstmt_helper.exe')
    source = os.path.join(HERE, 'winstmt_helper.c')
    if not os.path.isfile(exe) or os.path.getmtime(exe) < os.path.getmtime(source):
        cc = next((c for c in (ctx.mingw + '-gcc-posix', ctx.mingw + '-gcc') if shutil.which(c)), None)
        if not cc:
            raise TestFailure('no %s-gcc to build the helper' % ctx.mingw)
        subprocess.run([cc, '-std=c11', '-O2', '-Wall', '-Wextra', '-Werror', '-mwindows', '-static', '-s',
                        '-o', exe, source], check=True, timeout=300)
    return exe


def run_helper(ctx, folder, args, name):
    s = ctx.session
    proc = s.start(helper(ctx), args, folder, name + '-helper.log')
    code = s.wait_exit(proc, name + ' helper')
    if code != 0:
        raise TestFailure('%s: the helper ended with %d' % (name, code))


def window_info(ctx, name, title, options, before=''):
    """Runs PROGRAM_STYLE; returns (x, y, w, h, style, menu). (The class
    background cannot be read from another process.)"""
    s = ctx.session
    folder = ctx.folder(name, {})
    ctx.compile(folder, 'stil', PROGRAM_STYLE % (title, options, before))
    proc = s.start(ctx.vestrun, ['stil.vsc'], folder, name + '.log')
    wait_for('the window set up', lambda: os.path.exists(os.path.join(folder, 'READY.TXT')), proc)
    run_helper(ctx, folder, ['info', title, 'INFO.TXT'], name)
    with open(os.path.join(folder, 'INFO.TXT')) as f:
        fields = f.read().split()
    s.save_screen(name)
    open(os.path.join(folder, 'ENDE.TXT'), 'w').close()
    ctx.expect_exit(s.wait_exit(proc, name), 0, name)
    x, y, w, h = (int(v) for v in fields[:4])
    return x, y, w, h, int(fields[4], 16), fields[5] == '1'


def test_window_rect_and_style(ctx):
    """WINDOW 20,30-400,300 moves the window PRINT made to that place and size
    (or larger, to hold the grid's cells); the
    default style has the four frame bits and the menu "LEER"; WINDOWSTYLE
    2+8+16 leaves out the maximize box, the thick frame and the menu; 0x40
    makes a pop-up window."""
    x, y, w, h, style, menu = window_info(ctx, 'winstmt-rect', 'Rahmen', 15, 'PRINT "vorher"')
    # The window grows where its client area would not hold the grid of
    # 50 x 20 cells (cells of the stock fonts, here up to 10 x 16 pixels).
    if (x, y) != (20, 30) or not 400 <= w <= 520 or not 300 <= h <= 380:
        raise TestFailure('WINDOW 20,30-400,300 gave %r' % ((x, y, w, h),))
    frame = WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME | WS_SYSMENU
    if style & frame != frame or style & WS_POPUP or not menu:
        raise TestFailure('default style %08x, menu %s' % (style, menu))
    _, _, _, _, style, menu = window_info(ctx, 'winstmt-style', 'Schmal', 2 + 8 + 16)
    if style & frame != WS_MINIMIZEBOX | WS_SYSMENU or menu:
        raise TestFailure('WINDOWSTYLE 26: style %08x, menu %s' % (style, menu))
    _, _, _, _, style, menu = window_info(ctx, 'winstmt-popup', 'Popup', 15 + 64)
    if not style & WS_POPUP or style & WS_CAPTION == WS_CAPTION:
        raise TestFailure('WINDOWSTYLE 79: style %08x' % style)


def test_form_keyboard(ctx):
    """examples/form.vsl driven by the keyboard alone: Enter in the edit field
    (13, the dialog's OK) adds the text as "Hinzufügen" does, Tab goes on to the list, Alt+S
    presses "Löschen" for the entry selected there, Alt+F "Fragen...", whose
    input dialog Enter confirms; after each button the focus is back in the
    edit field, and Escape ends the program."""
    s = ctx.session
    name = 'winstmt-form'
    folder = ctx.folder(name, {})
    p = subprocess.run([ctx.need_vestcomp(), FORM, '-o', os.path.join(folder, 'form.vsc')],
                       stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
    if p.returncode != 0:
        raise TestFailure('vestcomp failed on form.vsl: %s' % p.stdout.decode(errors='replace'))
    title = 'VESTIL - form.vsl'
    proc = s.start(ctx.vestrun, ['form.vsc'], folder, name + '.log')
    window = s.wait_window(x_regex(title.encode()), proc, name)
    state_file = os.path.join(folder, 'FORM.TXT')

    def expect(focus, entries, what):
        want = [focus.lower()] + entries
        got = []

        def reached():
            nonlocal got
            run_helper(ctx, folder, ['form', title, 'FORM.TXT'], name)
            with open(state_file, encoding='cp1252') as f:
                got = f.read().splitlines()
            got[:1] = [got[0].lower()] if got else []
            return got == want
        try:
            wait_for(what, reached, proc, timeout=15)
        except TestFailure:
            s.save_screen(name)
            raise TestFailure('%s: focus and list %s, expected %s' % (what, got, want))
    expect('Edit', ['Apfel', 'Birne', 'Kirsche'], 'the form ready')
    s.type_text(window, 'Melone')
    s.press(window, 'Return')
    expect('Edit', ['Apfel', 'Birne', 'Kirsche', 'Melone'], 'Enter in the edit field')
    s.press(window, 'Tab', 'Tab')
    expect('ListBox', ['Apfel', 'Birne', 'Kirsche', 'Melone'], 'Tab, Tab')
    s.press(window, 'Home')
    s.press(window, 'alt+s')
    expect('Edit', ['Birne', 'Kirsche', 'Melone'], 'Alt+S in the list')
    s.press(window, 'alt+f')
    dialog = s.wait_window(x_regex(b'Fragen'), proc, name + ' input dialog')
    s.answer(dialog, 'Return')
    expect('Edit', ['Birne', 'Kirsche', 'Melone', 'Pflaume'], 'Alt+F, Enter in the input dialog')
    s.press(window, 'Escape')
    ctx.expect_exit(s.wait_exit(proc, name), 0, 'Escape in form.vsl')


TESTS = [
    ('winstmt-rect-style', test_window_rect_and_style, True),
    ('winstmt-form', test_form_keyboard, True),
]
