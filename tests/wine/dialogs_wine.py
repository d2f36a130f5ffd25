"""The standard dialogs of vestrun.exe under Wine, answered with the keyboard
through xdotool: the input dialog (OK stays disabled while the edit is
empty; Escape cancels), a list dialog of style 0 (small and sorted), the edit
dialog confirmed unchanged (every item ends with CR LF, so a third, empty
item appears) and rewritten, the open dialog with the name of an existing
file typed in, the save dialog cancelled, a message box function, and
ADDWINDOWS finding the main window by its title.

One program shows them one after another, each found by its caption, and
writes what it got to ERGEBNIS.TXT. Collected by run_wine_tests.py through
TESTS.
"""
import os
import time

from wine_harness import TestFailure, windows_path, x_regex
from waits_wine import read_text

PROGRAM = """' the standard dialogs, answered with the keyboard
DECLARE A$, N%
WINDOWTITLE "Dialoge"
PRINT "Dialoge"
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
A$ = @INPUT$("Wert:", "Eingabe", "alt")
PRINT #1, "A|"; A$; "|"; %DLGRESULT; "|"; $INPUTDLG
A$ = @INPUT$("Wert:", "Zweite Eingabe", "x")
PRINT #1, "B|"; A$; "|"; %DLGRESULT; "|"; $INPUTDLG
ADDLIST "Kirsche"
ADDLIST "apfel"
ADDLIST "Birne"
A$ = @LISTBOX$("Obstliste", 0)
PRINT #1, "C|"; A$; "|"; %DLGRESULT; "|"; %LISTINDEX; "|"; $CHOSEN
CLEARLIST
ADDLIST "a"
ADDLIST "b"
N% = @EDITBOX("Bearbeiten", 1)
PRINT #1, "E|"; N%; "|"; %DLGRESULT; "|"; %LISTLAST; "|"; @LISTITEM$(0); "|"; @LISTITEM$(1); "|"; @LISTITEM$(2)
N% = @EDITBOX("Neu schreiben", 2)
PRINT #1, "F|"; N%; "|"; %DLGRESULT; "|"; %LISTLAST; "|"; @LISTITEM$(0); "|"; @LISTITEM$(1)
A$ = @FILEOPEN$("Oeffnen", "Texte|*.TXT|")
PRINT #1, "G|"; A$; "|"; %DLGRESULT; "|"; $CHOSEN
A$ = @FILESAVE$("Speichern", "neu.txt")
PRINT #1, "H|"; A$; "|"; %DLGRESULT; "|"; $CHOSEN
N% = @MESSAGEBOX("Weiter?", "Frage", 1)
PRINT #1, "M|"; N%; "|"; %DLGRESULT
CLEARLIST
ADDWINDOWS "dIALOGE"
PRINT #1, "W|"; %LISTLAST; "|"; @LISTITEM$(0)
CLOSE #1
"""


def dialog(s, caption, proc):
    """The dialog of that caption, once it takes keys."""
    window = s.wait_window(x_regex(caption), proc, caption.decode('cp1252'))
    time.sleep(0.5)
    return window


def test_dialogs(ctx):
    s = ctx.session
    folder = ctx.folder('dialogs', {'DATEN.TXT': b'Daten\r\n'})
    ctx.compile(folder, 'dialoge', PROGRAM)
    proc = s.start(ctx.vestrun, ['dialoge.vsc'], folder, 'dialogs.log')

    # The initial text is selected: BackSpace empties the edit, and Return
    # on the disabled OK leaves the dialog open.
    window = dialog(s, b'Eingabe', proc)
    s.press(window, 'BackSpace')
    s.press(window, 'Return')
    time.sleep(1.5)
    if window not in s.visible_windows('.'):
        raise TestFailure('the input dialog closed with an empty edit')
    s.save_screen('dialogs-input-empty')
    s.type_text(window, '  42 ')
    s.answer(window, 'Return')

    s.answer(dialog(s, b'Zweite Eingabe', proc), 'Escape')

    # Style 0 is the small sorted list: apfel, Birne, Kirsche.
    window = dialog(s, b'Obstliste', proc)
    s.press(window, 'Home')
    s.press(window, 'Down')
    s.save_screen('dialogs-list')
    s.answer(window, 'Return')

    # Confirmed unchanged; then the selected text replaced by two lines.
    s.answer(dialog(s, b'Bearbeiten', proc), 'alt+o')
    window = dialog(s, b'Neu schreiben', proc)
    s.type_text(window, 'eins')
    s.press(window, 'Return')
    s.type_text(window, 'zwei')
    s.save_screen('dialogs-edit')
    s.answer(window, 'alt+o')

    # The open dialog may start in the folder the runner's last open dialog
    # showed (Wine keeps it per program), so the whole path is typed.
    window = dialog(s, b'Oeffnen', proc)
    s.type_text(window, windows_path(os.path.join(folder, 'DATEN.TXT')))
    s.answer(window, 'Return')
    s.answer(dialog(s, b'Speichern', proc), 'Escape')
    s.answer(dialog(s, b'Frage', proc), 'Escape')

    ctx.expect_exit(s.wait_exit(proc, 'dialogs'), 0, 'dialogs')
    lines = [line for line in read_text(os.path.join(folder, 'ERGEBNIS.TXT')).split('\r\n') if line]
    if len(lines) != 9:
        raise TestFailure('the program wrote %r' % lines)
    opened = lines[5].split('|')
    expected = ['A|42|1|42', 'B||2|42', 'C|Birne|1|1|Birne', 'E|1|1|2|a|b|', 'F|1|1|1|eins|zwei']
    if lines[:5] != expected or lines[7:] != ['M|2|2', 'W|0|Dialoge']:
        raise TestFailure('the program wrote %r' % lines)
    if (len(opened) != 4 or opened[1].upper() != windows_path(os.path.join(folder, 'DATEN.TXT')).upper()
            or opened[2] != '1' or opened[3] != opened[1]):
        raise TestFailure('@FILEOPEN$ gave %r' % lines[5])
    if lines[6] != 'H||2|' + opened[1]:
        raise TestFailure('@FILESAVE$ cancelled gave %r' % lines[6])


TESTS = [
    ('dialogs', test_dialogs, True),
]
