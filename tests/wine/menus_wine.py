"""The menus of vestrun.exe under Wine, driven by xdotool: a menu bar built
after the window's "LEER" item, with a drop-down, a submenu, an inserted
item and a free pop-up menu; items chosen with the keyboard reach the
program as %COMMAND after WAITMOUSE and SHOWPOPUP ("LEER"'s item
as 255, seen as 254 by the statement after the wait); appending to the shown pop-up fails with 226.
CHECKITEM, ENABLEITEM and REMOVEITEM are read back through user32's
GetMenuState. LOADMENU loads the
runner's own "LEER" and stops with box 252 for a menu that does not exist.

The program writes the step it waits in to SCHRITT.TXT and its results to
ERGEBNIS.TXT. Collected by run_wine_tests.py through TESTS.
"""
import os

from wine_harness import TestFailure, x_regex
from waits_wine import read_text, wait_step

PROGRAM = """' a menu bar chosen with the keyboard
DEFFN GETMENU(1) !"USER32","GetMenu"
DEFFN MENUSTATE(3) !"USER32","GetMenuState"
DECLARE M&
WINDOWTITLE "Menues"
PRINT "Menue"
MENUPOPUP "&Datei"
APPENDITEM 101, "&Neu"
SEPARATOR
SUBMENU "&Export"
APPENDITEM 111, "Te&xt"
APPENDITEM 112, "&dBase"
ENDSUBMENU
APPENDITEM 102, "&Schluss"
CHECKITEM 101, 5
INSERTITEM 112, 113, "T&abelle"
ENABLEITEM 102, 1
MENUITEM 200, "&Hilfe"
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
ASSIGN #2, "SCHRITT.TXT"
REWRITE #2
PRINT #2, "1"
CLOSE #2
WAITMOUSE
PRINT #1, "A "; %COMMAND
REWRITE #2
PRINT #2, "2"
CLOSE #2
WAITMOUSE
PRINT #1, "B "; %COMMAND
NEWPOPUP
APPENDITEM 301, "&Kopieren"
APPENDITEM 302, "&Einfuegen"
REWRITE #2
PRINT #2, "3"
CLOSE #2
SHOWPOPUP 40, 40
PRINT #1, "C "; %COMMAND
ERRORMODE -1
APPENDITEM 303, "weg"
PRINT #1, "E "; &ERRORNUMBER
' the item states as the window's menu holds them: checked (8), greyed (1),
' and -1 for an item that is gone
M& = @GETMENU(%HWND)
PRINT #1, "S "; @MENUSTATE(M&, 101, 0); " "; @MENUSTATE(M&, 102, 0); " "; @MENUSTATE(M&, 200, 0)
CHECKITEM 101, 0
ENABLEITEM 102, 2
REMOVEITEM 200
PRINT #1, "T "; @MENUSTATE(M&, 101, 0); " "; @MENUSTATE(M&, 102, 0); " "; @MENUSTATE(M&, 200, 0)
CLOSE #1
"""

TEXT_NOT_LOADABLE = b'Men\xfc ist nicht ladbar: KEINS'


def test_menus(ctx):
    """Alt+D, E, A chooses the inserted item of the submenu; F10 and Return
    the "LEER" item (255, which the next statement sees as 254); Down, Down,
    Return the second item of the pop-up."""
    s = ctx.session
    folder = ctx.folder('menus', {})
    ctx.compile(folder, 'menue', PROGRAM)
    proc = s.start(ctx.vestrun, ['menue.vsc'], folder, 'menus.log')
    window = s.wait_window(x_regex(b'Menues'), proc, 'menus')

    wait_step(folder, 1, proc)
    s.save_screen('menus-bar')
    s.press(window, 'alt+d')
    s.press(window, 'e')
    s.press(window, 'a')

    wait_step(folder, 2, proc)
    s.press(window, 'F10')
    s.press(window, 'Return')

    wait_step(folder, 3, proc)
    s.save_screen('menus-popup')
    s.press(window, 'Down')
    s.press(window, 'Down')
    s.press(window, 'Return')

    ctx.expect_exit(s.wait_exit(proc, 'menus'), 0, 'menus')
    lines = [line for line in read_text(os.path.join(folder, 'ERGEBNIS.TXT')).split('\r\n') if line]
    if lines != ['A 113', 'B 254', 'C 302', 'E 226', 'S 8 1 0', 'T 0 2 -1']:
        raise TestFailure('the program wrote %r' % lines)


def test_loadmenu(ctx):
    """LOADMENU 0, "LEER" takes the runner's menu; a missing one is box 252."""
    s = ctx.session
    folder = ctx.folder('menus-load', {})
    ctx.compile(folder, 'laden', "' menus from resources\nPRINT \"x\"\nLOADMENU 0, \"LEER\"\n"
                "LOADMENU 0, \"KEINS\"\nPRINT \"nicht\"\n")
    proc = s.start(ctx.vestrun, ['laden.vsc'], folder, 'menus-load.log')
    # The box stands over the window, so no reference picture: its caption
    # carries the message and the name.
    box = s.wait_window(x_regex(TEXT_NOT_LOADABLE), proc, 'menus-load')
    if s.window_name(box) != TEXT_NOT_LOADABLE.decode('cp1252').encode('utf-8'):
        raise TestFailure('box caption %r' % s.window_name(box))
    s.save_screen('menus-load')
    s.answer(box, 'Return')
    ctx.expect_exit(s.wait_exit(proc, 'menus-load'), 2, 'LOADMENU KEINS')


TESTS = [
    ('menus', test_menus, True),
    ('menus-load', test_loadmenu, True),
]
