"""Controls of vestrun.exe under Wine: one program puts buttons, an icon,
edit fields, list and combo boxes, a check box and a scroll bar into its own
window, has a button clicked (xdotool) while it waits in WAITMOUSE, types
into an edit field with @SENDKEYS, and fills a dialog from the runner's
empty template and a window of its own class with controls. The results go
to ERGEBNIS.TXT; the step it waits in to SCHRITT.TXT. Collected by
run_wine_tests.py through TESTS.
"""
import os

from wine_harness import TestFailure, x_regex
from waits_wine import press_button, read_text, wait_step

# A user32 call through the DLL binding gives the script what it cannot make
# as a text: a list item longer than 255 characters (the area's address as
# lParam), and a window's style.
PROGRAM = """' controls in the program's own window and in windows it makes
DEFFN ADDITEM(4) !"USER32","SendMessageA"
DEFFN STYLE(2) !"USER32","GetWindowLongA"
DECLARE B1%, B2%, B3%, I%, N%, M%, L%, C%, E%, F%, K%, S%, T%, D%, W%, X%, Y%, A#, X$
DIM A#, 320
WINDOWTITLE "Steuerelemente"
PRINT "Start"
SETWINDOWPOS %HWND = 0, 0 - 640, 480
ASSIGN #1, "ERGEBNIS.TXT"
REWRITE #1
B1% = @CREATEBUTTON(%HWND, "Eins", 0, 0, 400, 300)
I% = @CREATEICON(%HWND, "VESTIL", 410, 0)
B2% = @CREATEBUTTON(%HWND, "Zwei", 410, 40, 60, 20)
N% = @CREATEICON(%HWND, "KEINES", 480, 0)
B3% = @CREATEDEFBUTTON(%HWND, "Drei", 410, 70, 60, 20)
PRINT #1, "ids "; @EQU(@GETDLGITEM(%HWND, 1000), B1%); @EQU(@GETDLGITEM(%HWND, 1001), B2%); @EQU(@GETDLGITEM(%HWND, 1002), B3%); @NEQ(I%, 0); @NEQ(N%, 0); @GETDLGITEM(%HWND, 1003)
PRINT #1, "text "; @GETTEXT$(B2%); " "; @GETTEXT$(B3%)
ASSIGN #2, "SCHRITT.TXT"
REWRITE #2
PRINT #2, "1"
CLOSE #2
WAITMOUSE
PRINT #1, "click "; %COMMAND
PRINT #1, "destroy "; @DESTROYWINDOW(B1%); @DESTROYWINDOW(B1%); @GETDLGITEM(%HWND, 1000)
ADDLIST "Zeile eins"
ADDLIST "zwei"
ADDLIST "drei"
M% = @CREATEMULTIEDIT(%HWND, "", 0, 0, 200, 100)
PRINT #1, "edit "; @LISTTOEDIT(M%); " "; @GETLINECOUNT(M%); " "; @GETLINE$(M%, 0); "|"; @GETLINE$(M%, 2); "|"; @GETLINE$(M%, 9); "|"
L% = @CREATELISTBOX(%HWND, "", 210, 0, 150, 100)
PRINT #1, "list "; @LISTSEL(L%); " "; @LISTFILL(L%); " "; @LISTADD(L%, "Vier"); " "; @LISTINSERT(L%, 0, "Null"); " "; @LISTCOUNT(L%)
PRINT #1, "find "; @LISTFIND(L%, -1, "Z"); " "; @LISTFIND(L%, 1, "z"); " "; @LISTFIND(L%, -1, "nix"); " "; @LISTDELETE(L%, 0); " "; @LISTGETTEXT$(L%, 1)
PRINT #1, "select "; @SENDMESSAGE(L%, 390, 2, 0); " "; @LISTSEL(L%); " ["; @LISTGETTEXT$(L%, 9); "]"
X$ = "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890"
AREATEXT A#, 0 = X$
AREATEXT A#, 100 = X$
AREATEXT A#, 200 = @MID$(X$, 1, 56)
X% = @ADDITEM(L%, 384, 0, A#)
AREABYTE A#, 255 = 0
Y% = @ADDITEM(L%, 384, 0, A#)
PRINT #1, "long "; X%; " "; @LEN(@LISTGETTEXT$(L%, X%)); " "; Y%; " "; @LEN(@LISTGETTEXT$(L%, Y%))
C% = @CREATECOMBOBOX(%HWND, "", 370, 0, 150, 200)
PRINT #1, "combo "; @COMBOFILL(C%); " "; @COMBOADD(C%, "aaa"); " "; @COMBODELETE(C%, 0); " "; @SENDMESSAGE(C%, 326, 0, 0)
E% = @CREATEEDIT(%HWND, "geheim", 0, 110, 100, -20)
F% = @CREATEEDIT(%HWND, "offen", 0, 140, 100, 20)
PRINT #1, "password "; @SENDMESSAGE(E%, 210, 0, 0); " "; @SENDMESSAGE(F%, 210, 0, 0); " "; @CLIENTHEIGHT(E%); " "; @CLIENTHEIGHT(F%); " "; @GETTEXT$(E%)
X% = @CREATEMULTIEDIT(%HWND, "", 0, 170, 100, -40)
PRINT #1, "styles "; @AND(@STYLE(E%, -16), 32); " "; @AND(@STYLE(F%, -16), 32); " "; @AND(@STYLE(X%, -16), 1048576); " "; @AND(@STYLE(M%, -16), 1048576)
K% = @CREATECHECKBOX(%HWND, "Haken", 110, 110, 80, 20)
SETCHECK K%, 1
X% = @GETCHECK(K%)
SETCHECK K%, 0
PRINT #1, "check "; X%; @GETCHECK(K%)
S% = @CREATEHSCROLL(%HWND, "", 110, 140, 100, 16)
SCROLLPOS S%, 40
X% = @GETSCROLLPOS(S%)
SCROLLPOS S%, 150
PRINT #1, "scroll "; X%; " "; @GETSCROLLPOS(S%)
T% = @CREATEEDIT(%HWND, "", 110, 170, 150, 20)
PRINT #1, "next "; @GETDLGITEM(%HWND, 1012); " "; @EQU(@GETDLGITEM(%HWND, 1011), T%)
X% = @SETACTIVEWINDOW(%HWND)
X% = @SETFOCUS(T%)
PRINT #1, "focus "; @EQU(@GETFOCUS(), T%); @EQU(@GETACTIVEWINDOW(), %HWND)
X% = @SENDKEYS(T%, "Ab1!$%x,.-")
PRINT #1, "keys "; @GETTEXT$(T%)
PRINT #1, "show "; @SHOWWINDOW(T%, 12); @SHOWWINDOW(T%, 5); @SHOWWINDOW(T%, 5)
D% = @CREATEDIALOG(%HWND, "Dialogfenster", 50, 50, 300, 200)
X% = @CREATEBUTTON(D%, "Im Dialog", 10, 10, 80, 24)
PRINT #1, "dialog "; @GETTEXT$(D%); " "; @NEQ(@GETDLGITEM(D%, 101), 0); @EQU(@GETDLGITEM(D%, 1012), X%); @LT(@CLIENTWIDTH(D%), 301); @GT(@CLIENTWIDTH(D%), 250)
W% = @CREATEWINDOW(%HWND, "Eigenes Fenster", 100, 100, 250, 150)
X% = @CREATETEXT(W%, "Text", 10, 10, 80, 20)
PRINT #1, "window "; @GETTEXT$(W%); " "; @EQU(@GETDLGITEM(W%, 1013), X%); @GETTEXT$(X%); " "; @GT(@CLIENTWIDTH(W%), 200)
X% = @LOADDIALOG(0, %HWND, "LDIALOG")
PRINT #1, "load "; @NEQ(X%, 0); @NEQ(@GETDLGITEM(X%, 101), 0); @LOADDIALOG(0, %HWND, "KEINS")
USEFONT "Arial", 20, 0, 1, 0, 0
CONTROLFONT 1
X% = @CREATEBUTTON(%HWND, "Schrift", 300, 300, 80, 30)
Y% = @CREATEVSCROLL(%HWND, "", 400, 300, 16, 80)
CONTROLFONT 0
N% = @CREATEBUTTON(%HWND, "Ohne", 300, 340, 80, 30)
PRINT #1, "font "; @NEQ(%FONT, 0); @EQU(@SENDMESSAGE(X%, 49, 0, 0), %FONT); @EQU(@SENDMESSAGE(Y%, 49, 0, 0), %FONT); @EQU(@SENDMESSAGE(N%, 49, 0, 0), %FONT)
STARTPAINT W%
SETPIXEL 150, 80, 992
Y% = @GETPIXEL(150, 80)
ENDPAINT
PRINT #1, "paint "; Y%
CLOSE #1
"""

# The X server's keyboard is the US layout: the keys typed are those that
# give the same character there as on the German layout @SENDKEYS assumes.
EXPECTED = [
    'ids 111110',
    'text Zwei Drei',
    'click -1000',
    'destroy 100',
    'edit 1 4 Zeile eins|drei||',
    'list -1 2 3 0 5',
    'find 1 2 -1 4 zwei',
    'select 2 2 []',
    'long 4 0 5 255',
    'combo 0 0 3 3',
    'password 42 0 20 20 geheim',
    'styles 32 0 0 1048576',
    'check 10',
    'scroll 40 100',
    'next 0 1',
    'focus 11',
    'keys Ab1!$%x,.-',
    'show 101',
    'dialog Dialogfenster 1111',
    'window Eigenes Fenster 1Text 1',
    'load 110',
    'font 1100',
    'paint 992',
    '',
]


def test_controls(ctx):
    """Identifiers, a click, the list, edit and combo messages, @SENDKEYS into
    an edit field, and controls in the two kinds of windows a script makes."""
    s = ctx.session
    folder = ctx.folder('controls', {})
    ctx.compile(folder, 'elemente', PROGRAM)
    proc = s.start(ctx.vestrun, ['elemente.vsc'], folder, 'controls.log')
    window = s.wait_window(x_regex(b'Steuerelemente'), proc, 'controls')
    wait_step(folder, 1, proc)
    s.save_screen('controls-buttons')
    # The big first button covers the client area's top left.
    press_button(s, window, 1, 150, 150)
    ctx.expect_exit(s.wait_exit(proc, 'controls'), 0, 'controls')
    got = read_text(os.path.join(folder, 'ERGEBNIS.TXT')).split('\r\n')
    bad = [(g, w) for g, w in zip(got, EXPECTED) if g != w]
    if bad or len(got) != len(EXPECTED):
        raise TestFailure('ERGEBNIS.TXT: %s (all: %r)' % ('; '.join('%r, expected %r' % b for b in bad), got))


TESTS = [
    ('controls', test_controls, True),
]
