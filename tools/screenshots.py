#!/usr/bin/env python3
"""Takes the README's screenshots of the GUI examples: runs each example in
vestrun.exe under Wine in a private Xvfb, drives it as a person would (a key,
a click, a few timer ticks), and saves the window as docs/screenshots/NAME.png.

usage: tools/screenshots.py [--vestrun EXE] [--vestcomp build/vestcomp]
(default EXE: build-win32/vestrun.exe, or build-win64/vestrun.exe where this
kernel runs no 32-bit programs; put tools/wine64 first on PATH for that one)
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'wine'))
import wine_harness  # noqa: E402

OUT = os.path.join(ROOT, 'docs', 'screenshots')


def drive_gui(session, window):
    """examples/gui.vsl: a key, a click on the picture, three timer ticks."""
    session.press(window, 'v')
    session.xdotool('mousemove', '--window', window, '560', '280')
    time.sleep(0.2)
    # Held for a moment, as a person's click is: the program reads the
    # button after the wait.
    session.xdotool('mousedown', '1')
    time.sleep(0.5)
    session.xdotool('mouseup', '1')
    time.sleep(3.5)


def drive_form(session, window):
    """examples/form.vsl: an entry typed and added with the button, the
    input dialog's entry added, the second list entry selected."""
    session.xdotool('type', '--delay', '80', 'Melone')
    time.sleep(0.3)
    click(session, window, 355, 31)
    time.sleep(0.5)
    click(session, window, 355, 69)
    time.sleep(1.5)
    session.xdotool('key', 'Return')
    time.sleep(2.0)
    click(session, window, 80, 82)
    time.sleep(1.0)


def drive_pictures(session, window):
    """examples/pictures.vsl: nothing to do; it draws and waits for a key."""
    time.sleep(1.0)


def click(session, window, x, y):
    """A click at client point (x, y) of the window (below the caption and
    the menu bar: Wine draws them inside the X window)."""
    session.xdotool('mousemove', '--window', window, str(x + CLIENT_X), str(y + CLIENT_Y))
    time.sleep(0.2)
    session.xdotool('mousedown', '1')
    time.sleep(0.2)
    session.xdotool('mouseup', '1')


# Where the client area starts within the X window of a captioned window
# with a menu bar.
CLIENT_X, CLIENT_Y = 0, 19

# name, caption, how it is driven, the keys that end it
ONLY = os.environ.get('VESTIL_SHOTS')
EXAMPLES_ALL = [('gui', 'VESTIL - gui.vsl', drive_gui, ['Escape']),
            ('form', 'VESTIL - form.vsl', drive_form, ['alt+d', 'b']),
            ('pictures', 'VESTIL - pictures.vsl', drive_pictures, ['space'])]
EXAMPLES = [e for e in EXAMPLES_ALL if not ONLY or e[0] in ONLY.split(',')]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    default = os.path.join(ROOT, 'build-win32', 'vestrun.exe')
    parser.add_argument('--vestrun', default=default)
    parser.add_argument('--vestcomp', default=os.path.join(ROOT, 'build', 'vestcomp'))
    args = parser.parse_args()
    vestrun = os.path.abspath(args.vestrun)
    if wine_harness.pe_is_64_bit(vestrun):
        wine_harness.MINGW = 'x86_64-w64-mingw32'
    os.makedirs(OUT, exist_ok=True)
    work = tempfile.mkdtemp(prefix='vestil-shots-')
    session = wine_harness.Session(work)
    try:
        session.start_x()
        session.boot_wine()
        for name, caption, drive, keys in EXAMPLES:
            vsc = os.path.join(work, name + '.vsc')
            subprocess.run([args.vestcomp, os.path.join(ROOT, 'examples', name + '.vsl'), '-o', vsc],
                           check=True, stdout=subprocess.DEVNULL)
            proc = session.start(vestrun, [name + '.vsc'], work, name + '.log')
            window = session.wait_window(wine_harness.x_regex(caption.encode('cp1252')), proc, name)
            time.sleep(1.0)
            drive(session, window)
            png = os.path.join(OUT, name + '.png')
            p = subprocess.run(['import', '-window', window, png], env=session.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=60)
            if p.returncode != 0:
                raise SystemExit('import failed: %s' % p.stderr.decode(errors='replace'))
            for key in keys:
                session.press(window, key)
                time.sleep(0.3)
            session.wait_exit(proc, name)
            print('saved %s' % os.path.relpath(png, ROOT))
    finally:
        session.clean_up()
        session.keep_server('-k')
        if session.xvfb:
            session.xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()
