"""The harness of the Wine tests of the Windows runner (vestrun.exe).

vestrun.exe runs in a fresh Wine prefix on a private X server (Xvfb) and is
used as a person would use it: the tests find its windows by their captions,
take screenshots, press keys with xdotool and check the exit code.

Boxes and dialogs are checked against a reference: reference_box.c (built here
with mingw-w64) shows the expected box or open dialog straight from the Win32
API, and a screenshot of vestrun.exe's window must equal a screenshot of the
reference pixel for pixel, so text, icon and buttons are all compared. The
X server runs no window manager, so windows have no title bar: the caption is
read back from the X window name instead (Wine gives it as UTF-8). The icon of
each box is also looked for by its colour.

This module holds the X server, the Wine prefix, running programs, the
xdotool and screenshot helpers, the box checks, the Context that every test
receives, and main(), which runs a list of tests and prints the summary
"wine tests: P passed, F failed" last; and the runner of the cases (below).
The other tests live in the files *_wine.py beside it; run_wine_tests.py
collects both. A test is a tuple (name, function(ctx), needs_wine); a
failing test raises TestFailure.
"""
import argparse
import glob
import hashlib
import os
import pwd
import re
import shlex
import shutil
import signal
import struct
import subprocess
import tempfile
import threading
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))

# The texts of the runner's boxes, as Windows-1252 bytes.
LOADER_CAPTION = b'V E S T I L \xb2'
MB_ICONERROR = 0x10
IDOK = 1
OPEN_TITLE = b'VESTIL\xb2-Datei laden:'                              # "VESTIL\xb2-" + 800
OPEN_FILTER = b'Vestil-Code (*.vsc)|*.VSC|All (*.*)|*.*'
OPEN_DEFAULT_EXT = b'*.*'

# Bounds for things that normally take a second or two.
WINDOW_TIMEOUT = 60
EXIT_TIMEOUT = 60
WINEBOOT_TIMEOUT = 600



# The cross tools of the runner's kind (set by main from the runner tested).
MINGW = 'i686-w64-mingw32'


def pe_is_64_bit(path):
    """True for an x86-64 PE executable."""
    with open(path, 'rb') as f:
        data = f.read(4096)
    lfanew, = struct.unpack_from('<I', data, 0x3c)
    machine, = struct.unpack_from('<H', data, lfanew + 4)
    return machine == 0x8664


def start_xvfb(screen, log=subprocess.DEVNULL):
    """Starts a private X server; returns the process and its display (":N")."""
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ['Xvfb', '-displayfd', str(write_fd), '-screen', '0', screen, '-nolisten', 'tcp'],
        pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
    os.close(write_fd)
    number = b''
    with os.fdopen(read_fd, 'rb') as r:
        while not number.endswith(b'\n'):
            c = r.read(1)
            if not c:
                raise TestFailure('Xvfb did not start')
            number += c
    return xvfb, ':' + number.decode().strip()

class TestFailure(Exception):
    pass


def x_regex(caption_cp1252):
    """An xdotool name pattern matching exactly this caption (X shows UTF-8)."""
    return '^' + re.escape(caption_cp1252.decode('cp1252')) + '$'


def header_only_program():
    """A program file with the header only: it loads and ends at once."""
    header = b' KVN-VESTIL3' + b'\0' * 8 + b'  ' + b'\0' * 10
    assert len(header) == 32
    return header


def not_a_program():
    return b'Dies ist kein Programm, nur etwas Text.\r\n'


def bind_with_python(runner, program, out):
    """Appends a program to a copy of the runner and writes its offset at 0x80.

    Three filler bytes go before the program, so that no byte of the offset is
    0 by chance of the file alignment (the runner reads the program from the
    offset to the end of the file; what lies before it does not matter)."""
    with open(runner, 'rb') as f:
        exe = bytearray(f.read())
    if struct.unpack_from('<I', exe, 0x80)[0] != 0:
        raise TestFailure('%s already carries an appended program' % runner)
    exe += b'\xa5\xa5\xa5'
    offset = len(exe)
    if not all(offset.to_bytes(4, 'little')[:3]):
        raise TestFailure('offset 0x%x has a zero byte; choose other filler' % offset)
    struct.pack_into('<I', exe, 0x80, offset)
    with open(out, 'wb') as f:
        f.write(bytes(exe) + program)


class Ppm:
    """A screenshot in binary PPM form (P6, 8 bits per channel)."""

    def __init__(self, data):
        m = re.match(rb'P6\s+(\d+)\s+(\d+)\s+(\d+)\s', data)
        if not m or m.group(3) != b'255':
            raise TestFailure('unexpected screenshot format')
        self.width, self.height = int(m.group(1)), int(m.group(2))
        self.pixels = data[m.end():]
        self.data = data
        self.digest = hashlib.sha1(data).hexdigest()

    def count(self, rect, predicate):
        x0, y0, w, h = rect
        n = 0
        for y in range(max(0, y0), min(self.height, y0 + h)):
            row = 3 * (y * self.width)
            for x in range(max(0, x0), min(self.width, x0 + w)):
                i = row + 3 * x
                if predicate(self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]):
                    n += 1
        return n


class Session:
    """The X server, the Wine prefix and the helpers that drive them."""

    def __init__(self, work, keep_prefix):
        self.work = work
        self.keep_prefix = keep_prefix
        self.xvfb = None
        self.env = dict(os.environ)
        self.shots = os.path.join(work, 'shots')
        self.logs = os.path.join(work, 'logs')
        os.makedirs(self.shots, exist_ok=True)
        os.makedirs(self.logs, exist_ok=True)
        self.reference_exe = None
        self.reference_frames = {}
        self.programs = []

    # --- the X server -------------------------------------------------------
    def start_x(self):
        self.xvfb, self.env['DISPLAY'] = start_xvfb(
            '1024x768x24', open(os.path.join(self.logs, 'xvfb.log'), 'wb'))
        print('X server on display %s' % self.env['DISPLAY'], flush=True)

    def stop_x(self):
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()

    # --- Wine -----------------------------------------------------------------
    def boot_wine(self):
        prefix = os.path.join(self.work, 'prefix')
        self.env.update({
            'WINEPREFIX': prefix,
            # A prefix of the runner's own kind: the 64-bit build serves where
            # the kernel runs no 32-bit programs.
            'WINEARCH': 'win64' if MINGW.startswith('x86_64') else 'win32',
            'WINEDEBUG': '-all',
            # No Mono or Gecko installer boxes while the prefix is made.
            'WINEDLLOVERRIDES': 'mscoree,mshtml=',
        })
        self.env.setdefault('HOME', self.work)
        if os.path.isdir(prefix) and self.keep_prefix:
            print('Reusing the Wine prefix %s' % prefix, flush=True)
        else:
            shutil.rmtree(prefix, ignore_errors=True)
            start = time.monotonic()
            self.run_quiet(['wineboot', '-i'], WINEBOOT_TIMEOUT, 'wineboot.log')
            self.run_quiet(['wineserver', '-w'], WINEBOOT_TIMEOUT, 'wineboot.log')
            print('wineboot -i: %.1f s' % (time.monotonic() - start), flush=True)
        # A persistent server keeps the prefix warm between the runs.
        subprocess.Popen(['wineserver', '-p'], env=self.env, stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).wait(60)

    def stop_wine(self):
        if 'WINEPREFIX' in self.env:
            subprocess.run(['wineserver', '-k'], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def run_quiet(self, argv, timeout, log):
        with open(os.path.join(self.logs, log), 'ab') as out:
            try:
                p = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=subprocess.STDOUT, timeout=timeout)
            except subprocess.TimeoutExpired:
                raise TestFailure('%s did not finish within %d s' % (' '.join(argv), timeout))
        if p.returncode != 0:
            raise TestFailure('%s failed with exit code %d' % (' '.join(argv), p.returncode))

    def start(self, exe, args, cwd, log):
        """Starts a Windows program; `wine` returns with the program's exit code."""
        with open(os.path.join(self.logs, log), 'ab') as out:
            proc = subprocess.Popen(['wine', exe] + list(args), cwd=cwd, env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
        self.programs.append(proc)
        return proc

    def clean_up(self):
        """After a test: ends what a failed test left running."""
        running = [p for p in self.programs if p.poll() is None]
        self.programs = []
        if running:
            self.kill_programs(running[0])
            for p in running:
                p.wait()

    def wait_exit(self, proc, what):
        try:
            return proc.wait(EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            self.kill_programs(proc)
            raise TestFailure('%s did not end within %d s' % (what, EXIT_TIMEOUT))

    def kill_programs(self, proc):
        """Ends whatever still runs in the prefix (all of it is this run's)."""
        self.stop_wine()
        try:
            proc.wait(30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
        # Start the persistent server again for the next test.
        subprocess.Popen(['wineserver', '-p'], env=self.env, stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).wait(60)

    # --- windows, keys and screenshots -------------------------------------------
    def xdotool(self, *args, check=True):
        p = subprocess.run(['xdotool'] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        if check and p.returncode != 0:
            raise TestFailure('xdotool %s failed: %s' % (' '.join(args), p.stderr.decode(errors='replace')))
        return p

    def visible_windows(self, pattern):
        p = self.xdotool('search', '--onlyvisible', '--name', pattern, check=False)
        return [w for w in p.stdout.decode().split() if w]

    def wait_window(self, pattern, proc, what):
        """Waits until a visible window whose name matches pattern exists; fails
        early when proc (None: a program not started here) ends first."""
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while time.monotonic() < deadline:
            windows = self.visible_windows(pattern)
            if windows:
                if len(windows) > 1:
                    raise TestFailure('%d windows match %r' % (len(windows), pattern))
                return windows[0]
            if proc is not None and proc.poll() is not None:
                raise TestFailure('%s: the program ended (exit code %d) without showing %s'
                                  % (what, proc.returncode, pattern))
            time.sleep(0.25)
        self.save_screen('timeout-' + re.sub(r'\W+', '_', what))
        raise TestFailure('%s: no window %r within %d s' % (what, pattern, WINDOW_TIMEOUT))

    def window_name(self, window):
        return self.xdotool('getwindowname', window).stdout.rstrip(b'\n')

    def window_rect(self, window):
        out = self.xdotool('getwindowgeometry', '--shell', window).stdout.decode()
        values = dict(line.split('=', 1) for line in out.split() if '=' in line)
        return tuple(int(values[k]) for k in ('X', 'Y', 'WIDTH', 'HEIGHT'))

    def press(self, window, *keys):
        self.xdotool('windowfocus', '--sync', window)
        self.xdotool('key', '--clearmodifiers', *keys)

    def answer(self, window, key):
        """Presses a key that closes the window. A key that reaches a window
        before it takes input is lost; then the window is still there, and
        the key is pressed once more, as a person would."""
        for _ in range(3):
            self.press(window, key)
            deadline = time.monotonic() + 5
            while time.monotonic() < deadline:
                if window not in self.visible_windows('.'):
                    return
                time.sleep(0.25)
            print('  (the window took no %s; pressing it again)' % key, flush=True)
        raise TestFailure('the window stays open after %s' % key)

    def type_text(self, window, text):
        self.xdotool('windowfocus', '--sync', window)
        self.xdotool('type', '--delay', '50', text)

    def screenshot(self):
        p = subprocess.run(['import', '-window', 'root', '-depth', '8', 'ppm:-'], env=self.env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=60)
        if p.returncode != 0:
            raise TestFailure('import failed: %s' % p.stderr.decode(errors='replace'))
        return Ppm(p.stdout)

    def frames(self, seconds=2.0):
        """Screenshots over a short while; a caret may blink, the rest must settle."""
        shots = {}
        last = None
        end = time.monotonic() + seconds
        while time.monotonic() < end or len(shots) == 0:
            shot = self.screenshot()
            shots[shot.digest] = shot
            last = shot
            time.sleep(0.2)
        return shots, last

    def save(self, ppm, name):
        path = os.path.join(self.shots, name + '.png')
        subprocess.run(['convert', 'ppm:-', path], input=ppm.data, env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        return path

    def save_screen(self, name):
        try:
            return self.save(self.screenshot(), name)
        except Exception:  # only a help for the reader of a failure
            return None

    # --- the reference --------------------------------------------------------------
    def build_reference(self):
        self.reference_exe = build_helper(self.work, 'reference_box', '-lcomdlg32')

    def reference(self, fields, pattern, close_key, cwd, expected_exit, name, cache_key):
        """Screenshots of the reference window for the given spec fields."""
        if cache_key in self.reference_frames:
            return self.reference_frames[cache_key]
        spec = os.path.join(self.work, 'ref-%s.spec' % name)
        with open(spec, 'wb') as f:
            f.write(b'\0'.join(fields))
        proc = self.start(self.reference_exe, [windows_path(spec)], cwd, 'reference.log')
        window = self.wait_window(pattern, proc, 'reference ' + name)
        frames, last = self.frames()
        self.save(last, 'reference-' + name)
        self.answer(window, close_key)
        code = self.wait_exit(proc, 'the reference ' + name)
        if code != expected_exit:
            raise TestFailure('the reference %s ended with %d, not %d' % (name, code, expected_exit))
        self.reference_frames[cache_key] = frames
        return frames

    def reference_box(self, caption, text, style, cwd, name):
        """The reference of a message box; take it before vestrun.exe starts, so
        that only one box is on the screen at a time."""
        return self.reference([b'box', str(style).encode(), caption, text], x_regex(caption),
                              'Return', cwd, IDOK, name, (caption, text, style))

    def reference_open(self, cwd, name):
        # The dialog lists the folder, so its picture depends on the folder.
        return self.reference([b'open', OPEN_TITLE, OPEN_FILTER, OPEN_DEFAULT_EXT],
                              x_regex(OPEN_TITLE), 'Escape', cwd, 0, name, ('open', cwd))

    # --- checks -------------------------------------------------------------------------
    def expect_same(self, got_frames, got_last, ref_frames, name):
        if set(got_frames) & set(ref_frames):
            return
        path = self.save(got_last, 'mismatch-' + name)
        raise TestFailure('%s differs from the reference (see %s and reference-*.png)' % (name, path))

    def expect_box(self, proc, ref, caption, style, name, key='Return'):
        """Checks a box of vestrun.exe against the reference screenshots (taken
        before vestrun.exe started) and answers it with the key."""
        window = self.wait_window(x_regex(caption), proc, name)
        shown = self.window_name(window)
        if shown != caption.decode('cp1252').encode('utf-8'):
            raise TestFailure('box caption %r' % shown)
        frames, last = self.frames()
        self.save(last, name)
        icon = style & 0xF0
        if icon in ICON_COLOURS:
            colour, predicate = ICON_COLOURS[icon]
            n = last.count(self.window_rect(window), predicate)
            if n < 50:
                raise TestFailure('%s: no %s icon in the box (%d pixels)' % (name, colour, n))
        self.expect_same(frames, last, ref, name)
        self.answer(window, key)



# The icons of the box styles, found by their colour: the error icon is a red
# disc, the warning icon a yellow triangle.
ICON_COLOURS = {
    0x10: ('red error', lambda r, g, b: r >= 180 and g <= 80 and b <= 80),
    0x30: ('yellow warning', lambda r, g, b: r >= 200 and g >= 160 and b <= 80),
}


def windows_path(path):
    """A Linux path as Wine's drive Z: shows it."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


class Context:
    def __init__(self, session, args):
        self.session = session
        self.vestrun = os.path.abspath(args.vestrun)
        self.vestcomp = os.path.abspath(args.vestcomp) if args.vestcomp else None

    def need_vestcomp(self):
        if not self.vestcomp or not os.path.isfile(self.vestcomp):
            raise TestFailure('this test needs the native vestcomp (--vestcomp; %s)' % self.vestcomp)
        return self.vestcomp

    def compile(self, folder, name, source, check=True):
        """Compiles VESTIL source (ASCII) with vestcomp into folder/NAME.vsc;
        check=False for a program that makes on purpose a mistake the
        compiler would report (vestcomp --no-check)."""
        vestcomp = self.need_vestcomp()
        vsl = os.path.join(folder, name + '.vsl')
        vsc = os.path.join(folder, name + '.vsc')
        with open(vsl, 'w', encoding='ascii') as f:
            f.write(source)
        p = subprocess.run([vestcomp] + ([] if check else ['--no-check']) + [vsl, '-o', vsc],
                           stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        if p.returncode != 0:
            raise TestFailure('vestcomp failed on %s: %s' % (vsl, p.stdout.decode(errors='replace')))
        return vsc

    def folder(self, name, files):
        """A fresh folder for one test, holding the given files."""
        path = os.path.join(self.session.work, 'run', name)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        for file_name, data in files.items():
            with open(os.path.join(path, file_name), 'wb') as f:
                f.write(data)
        return path

    def run_to_exit(self, exe, args, cwd, name):
        """Runs a program that must end without showing any window."""
        s = self.session
        proc = s.start(exe, args, cwd, name + '.log')
        deadline = time.monotonic() + EXIT_TIMEOUT
        while proc.poll() is None:
            windows = s.visible_windows('.')
            if windows:
                names = [s.xdotool('getwindowname', w, check=False).stdout.strip() for w in windows]
                shown = ', '.join(repr(n.decode('utf-8', 'replace')) for n in names)
                s.save_screen('unexpected-' + name)
                raise TestFailure('%s: a window appeared: %s' % (name, shown))
            if time.monotonic() > deadline:
                raise TestFailure('%s did not end within %d s' % (name, EXIT_TIMEOUT))
            time.sleep(0.25)
        return proc.returncode

    def expect_exit(self, code, expected, what):
        if code != expected:
            self.session.save_screen('exit-' + re.sub(r'\W+', '_', what))
            raise TestFailure('%s: exit code %d, expected %d' % (what, code, expected))



def main(tests, description):
    """Runs the tests named on the command line (default: all of them)."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--vestrun', required=True, help='the vestrun.exe to test')
    default_vestcomp = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'build', 'vestcomp')
    parser.add_argument('--vestcomp', default=default_vestcomp if os.path.isfile(default_vestcomp) else None,
                        help='the native vestcomp, to compile and bind test programs')
    parser.add_argument('--work', help='work directory (prefix, screenshots, logs)')
    parser.add_argument('--keep-prefix', action='store_true',
                        help='reuse the Wine prefix of an earlier run instead of a fresh one')
    parser.add_argument('tests', nargs='*', help='names of the tests to run (default: all)')
    args = parser.parse_args()

    names = [t[0] for t in tests]
    for name in args.tests:
        if name not in names:
            parser.error('unknown test %s (known: %s)' % (name, ', '.join(names)))
    selected = [t for t in tests if not args.tests or t[0] in args.tests]

    if not os.path.isfile(args.vestrun):
        print('wine tests: %s does not exist' % args.vestrun)
        print('wine tests: 0 passed, 1 failed')
        return 1
    work = os.path.abspath(args.work or os.path.join(os.path.dirname(os.path.abspath(args.vestrun)),
                                                     'wine-tests'))
    os.makedirs(work, exist_ok=True)
    for old in ('shots', 'logs', 'run'):
        shutil.rmtree(os.path.join(work, old), ignore_errors=True)

    global MINGW
    if pe_is_64_bit(args.vestrun):
        MINGW = 'x86_64-w64-mingw32'
        print('wine tests: %s is a 64-bit build; reference programs and the prefix are 64-bit too'
              % args.vestrun, flush=True)
    session = Session(work, args.keep_prefix)
    ctx = Context(session, args)
    ctx.mingw = MINGW
    passed, failed = [], []
    started = time.monotonic()
    try:
        if any(needs_wine for _, _, needs_wine in selected):
            session.start_x()
            session.boot_wine()
            session.build_reference()
        for name, func, _ in selected:
            t0 = time.monotonic()
            try:
                func(ctx)
            except TestFailure as e:
                failed.append(name)
                print('FAIL %s: %s' % (name, e), flush=True)
            except Exception:
                failed.append(name)
                print('FAIL %s: unexpected error' % name, flush=True)
                traceback.print_exc()
            else:
                passed.append(name)
                print('PASS %s (%.1f s)' % (name, time.monotonic() - t0), flush=True)
            session.clean_up()
    except TestFailure as e:
        print('wine tests: setup failed: %s' % e, flush=True)
        failed.extend(n for n, _, _ in selected if n not in passed and n not in failed)
    finally:
        session.stop_wine()
        session.stop_x()
    print('wine tests took %.1f s; screenshots and logs in %s' % (time.monotonic() - started, work))
    print('wine tests: %d passed, %d failed' % (len(passed), len(failed)))
    return 1 if failed else 0


# --- cases -------------------------------------------------------------------------
# The Wine tests are cases in tests/wine/*.cases and tests/programs/*.cases. A
# case headed "=== WINE NAME title" runs here only, "=== BOTH NAME title" here
# and in the console runner, "=== CASE title" in the console runner only
# (tests/run_program.py). The source follows, then sections "== KIND [ARG]":
#   == args, env, setup, vestcomp, exit   as in run_program.py; the setup's
#                     Python runs after the compile, in `folder`
#   == run FILE       run FILE instead of the compiled PROG.VSC (a NAME.vsl is
#                     the case's source, not compiled); "-": the actions only
#   == file NAME [crlf] [noeol] [nocase]  a file the program wrote
#   == needs odbc|socat|printer   set-up the case cannot do without (no printer: skipped)
#   == serial         COM1 leads to a pseudo-terminal pair whose other end
#                     answers as this dict says {last byte received: answer}
#   == received       what that device must have received
#   == check          Python run at the end (folder, fail(text), ctx; pdf(document)
#                     gives (path, pages) of a job, diagonal, words, red_share)
#   == actions        one a line; without this section no window may show:
#     window CAPTION        wait for it; the keys go to it
#     step N                until SCHRITT.TXT holds N
#     still N               the program still waits in step N after a while
#     key KEY...  type TEXT  answer KEY (a key that closes the window)
#     click BUTTON X Y      held for a moment;  move X Y
#     open                  the window and its program are still there
#     box STYLE CAPTION|TEXT[|KEY]  a box equal to the reference box (taken
#                           before the run), answered with KEY (Return)
#     opendialog            the open dialog equals the reference
#     pixels KIND >= N[%]   waits for N pixels (or N % of the window) of a
#                           kind of PIXELS; "<" checks at once
#     run EXE ARG...        vestrun, a file of the folder or tests/wine/EXE.c
#                           built, run to exit code 0 (with no window, unless
#                           a program started here still runs)
#     start EXE ARG...      started; "end N": the last one started ends with N
#     wait NAME [TEXT]      until the file is there and starts with TEXT
#     stopped NAME          until the file stops growing
#     touch NAME  copy FROM TO  sleep SECONDS  shot NAME
# Texts may say @FOLDER@ (the test folder as Wine shows it), @DIR@ (its Unix
# path), @RUNNER@ (vestrun.exe, backslashes doubled), @EXE@ (its file name),
# @VERSION@ (the project's), @CLASSLONG@ (user32's entry for the class values
# on the runner's kind: GetClassLongA, GetClassLongPtrA on 64 bits).
PROGRAMS = os.path.join(os.path.dirname(HERE), 'programs')
STEP_TIMEOUT = 30


PIXELS = {
    'dark': lambda r, g, b: r < 64 and g < 64 and b < 64,
    'white': lambda r, g, b: r > 240 and g > 240 and b > 240,
    'darkblue': lambda r, g, b: (r, g, b) == (0, 0, 0x88),
}


def read_text(path):
    try:
        with open(path, 'rb') as f:
            return f.read().decode('cp1252')
    except OSError:
        return ''


def parse_cases(path):
    """The Wine cases of a .cases file: (name, source, [(kind, args, text)])."""
    out, cur = [], None
    with open(path, encoding='utf-8') as f:
        for line in f:
            if line.startswith('=== '):
                head = line[4:].split()
                cur = None
                if head[0] in ('WINE', 'BOTH'):
                    cur = [head[1], [], []]
                    out.append(cur)
            elif cur is not None:
                if cur[2] or line.startswith('== '):
                    if line.startswith('== '):
                        parts = line[3:].split()
                        cur[2].append([parts[0], parts[1:], []])
                    else:
                        cur[2][-1][2].append(line)
                else:
                    cur[1].append(line)
    return [(n, ''.join(src), [(k, a, ''.join(t)) for k, a, t in secs]) for n, src, secs in out]


def mingw_cc():
    cc = next((c for c in (MINGW + '-gcc-posix', MINGW + '-gcc') if shutil.which(c)), None)
    if not cc:
        raise TestFailure('no %s-gcc' % MINGW)
    return cc


def build_helper(work, name, *libs):
    """tests/wine/NAME.c built into the work directory, again when the source is newer."""
    exe, source = os.path.join(work, name + '.exe'), os.path.join(HERE, name + '.c')
    if os.path.isfile(exe) and os.path.getmtime(exe) >= os.path.getmtime(source):
        return exe
    subprocess.run([mingw_cc(), '-std=c11', '-O2', '-Wall', '-Wextra', '-Werror', '-mwindows', '-static', '-s',
                    '-o', exe, source] + list(libs), check=True, timeout=300)
    return exe


class SerialPair:
    """COM1 of the prefix leads to one end of a socat pseudo-terminal pair (Wine's
    Ports key keeps the dosdevices link), COM9 to nothing; a thread plays the
    device at the other end."""

    def __init__(self, s, answers, last):
        if not shutil.which('socat'):
            raise TestFailure('socat is not installed (tools/install_deps.sh)')
        self.ptys = tempfile.mkdtemp(prefix='vestil-serial-', dir=s.work)
        a, b = os.path.join(self.ptys, 'A'), os.path.join(self.ptys, 'B')
        self.socat = subprocess.Popen(['socat', 'pty,raw,echo=0,link=' + a, 'pty,raw,echo=0,link=' + b],
                                      stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not (os.path.exists(a) and os.path.exists(b)):
            if time.monotonic() > deadline:
                raise TestFailure('socat did not make the pseudo-terminals')
            time.sleep(0.05)
        links = (('COM1', os.path.realpath(a)), ('COM9', os.path.join(self.ptys, 'missing')))
        for name, target in links:
            s.run_quiet(['wine', 'reg', 'add', 'HKLM\\Software\\Wine\\Ports', '/v', name, '/d', target, '/f'],
                        120, 'serial-reg.log')
            link = os.path.join(s.env['WINEPREFIX'], 'dosdevices', name.lower())
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(target, link)
        self.received = bytearray()
        self.peer = os.open(b, os.O_RDWR | os.O_NOCTTY)

        def device():
            end = time.monotonic() + 60
            while time.monotonic() < end and not self.received.endswith(last):
                data = os.read(self.peer, 100)
                self.received.extend(data)
                if data[-1:] in answers:
                    os.write(self.peer, answers[data[-1:]])
        self.thread = threading.Thread(target=device, daemon=True)
        self.thread.start()

    def close(self):
        self.thread.join(5)
        os.close(self.peer)
        self.socat.send_signal(signal.SIGTERM)
        self.socat.wait(10)
        shutil.rmtree(self.ptys, ignore_errors=True)


def run_case(ctx, name, source, sections):
    s = ctx.session
    kinds = {k: (a, t) for k, a, t in sections}
    for need in kinds.get('needs', ([], ''))[0]:
        if need == 'odbc' and not os.path.exists('/etc/odbcinst.ini'):
            raise TestFailure('unixODBC with the SQLite driver is not installed (tools/install_deps.sh)')
        if need == 'socat' and not shutil.which('socat'):
            raise TestFailure('socat is not installed (tools/install_deps.sh)')
        if need == 'printer' and printer_missing():
            print('SKIP %s: %s' % (name, printer_missing()), flush=True)
            return
    started = time.time()
    folder = ctx.folder(name, {})
    entry = 'GetClassLongPtrA' if MINGW.startswith('x86_64') else 'GetClassLongA'
    with open(os.path.join(os.path.dirname(os.path.dirname(HERE)), 'CMakeLists.txt')) as f:
        version = re.search(r'project\(vestil VERSION (\S+)', f.read()).group(1)

    def subst(text):
        return (text.replace('@FOLDER@', windows_path(folder)).replace('@DIR@', folder)
                .replace('@RUNNER@', windows_path(ctx.vestrun).replace('\\', '\\\\'))
                .replace('@EXE@', os.path.basename(ctx.vestrun)).replace('@CLASSLONG@', entry).replace('@VERSION@', version))
    run = kinds.get('run', (['PROG.VSC'], ''))[0][0]
    if run.lower().endswith('.vsl'):
        with open(os.path.join(folder, run), 'w', encoding='utf-8') as f:
            f.write(subst(source))
    elif source.strip():
        vsl = os.path.join(folder, 'prog.vsl')
        with open(vsl, 'w', encoding='utf-8') as f:
            f.write(subst(source))
        p = subprocess.run([ctx.need_vestcomp(), vsl, '-o', os.path.join(folder, 'PROG.VSC'), '--no-map']
                           + kinds.get('vestcomp', ([], ''))[0], stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        if p.returncode != 0:
            raise TestFailure('vestcomp failed: %s' % p.stdout.decode(errors='replace'))
    if 'setup' in kinds:
        def write(fname, data):
            with open(os.path.join(folder, fname), 'wb') as f:
                f.write(data if isinstance(data, bytes) else data.encode('cp1252'))
        exec(kinds['setup'][1], {'write': write, 'folder': folder, 'os': os, 'tests': os.path.dirname(HERE),
                                 'vestrun': ctx.vestrun, 'vestcomp': ctx.vestcomp, 'subprocess': subprocess,
                                 'header_only_program': header_only_program, 'not_a_program': not_a_program,
                                 'bind_with_python': bind_with_python, 'cc': mingw_cc})
    args = [run] + [a for a in kinds.get('args', ([], ''))[1].split('\n') if a]
    env = [l.split('=', 1) for l in kinds.get('env', ([], ''))[1].splitlines() if '=' in l]
    actions = [line.rstrip('\n').lstrip().partition(' ') for line in kinds.get('actions', ([], ''))[1].splitlines()]
    actions = [(verb, subst(rest)) for verb, _, rest in actions]
    # The reference boxes first: one box on the screen at a time.
    refs = {}
    for verb, rest in actions:
        if verb == 'opendialog':
            refs['open'] = s.reference_open(folder, name)
        if verb == 'box':
            style, text = rest.split(' ', 1)
            caption, text, key = (text + '|Return').split('|')[:3]
            caption, text = (t.encode('cp1252').replace(b'\\r\\n', b'\r\n') for t in (caption, text))
            refs[rest] = (s.reference_box(caption, text, int(style, 0), folder, name), caption, int(style, 0), key)
    s.env.update(env)
    received = kinds.get('received', ([], ''))[1].strip().encode()
    serial = SerialPair(s, eval(kinds['serial'][1]), received[-1:]) if 'serial' in kinds else None
    st = {'procs': [], 'window': None, 'folder': folder, 'name': name, 'refs': refs}
    try:
        if 'actions' not in kinds:
            code = ctx.run_to_exit(ctx.vestrun, args, folder, name)
        else:
            if run != '-':
                st['procs'].append(s.start(ctx.vestrun, args, folder, name + '.log'))
            for verb, rest in actions:
                act(ctx, st, verb, rest)
            code = s.wait_exit(st['procs'][-1], name) if st['procs'] else 0
    finally:
        for k, _ in env:
            del s.env[k]
        if serial:
            serial.close()
    ctx.expect_exit(code, int(kinds.get('exit', ([], '0'))[1].strip() or 0), name)
    if serial and bytes(serial.received) != received:
        raise TestFailure('the device received %r' % bytes(serial.received))
    for kind, fargs, text in sections:
        if kind != 'file':
            continue
        want = subst(text)
        if 'noeol' in fargs and want.endswith('\n'):
            want = want[:-1]
        if 'crlf' in fargs:
            want = want.replace('\n', '\r\n')
        path = os.path.join(folder, fargs[0])
        if not os.path.exists(path):
            raise TestFailure('%s was not written' % fargs[0])
        got = read_text(path)
        if 'nocase' in fargs:
            got, want = got.upper(), want.upper()
        if got != want:
            bad = [(g, w) for g, w in zip(got.splitlines(), want.splitlines()) if g != w]
            raise TestFailure('%s differs: %s\n--- got\n%s' % (
                fargs[0], '; '.join('%r, expected %r' % b for b in bad[:5]), got))
    if 'check' in kinds:
        def fail(text):
            raise TestFailure(text)
        exec(kinds['check'][1], {'folder': folder, 'fail': fail, 'os': os, 'ctx': ctx, 'diagonal': diagonal,
                                 'words': words, 'red_share': red_share, 'pdf': lambda doc: wait_pdf(doc, started)})


# --- printing: the CUPS queue "PDF" of cups-pdf (tools/setup_printer.sh), which
# Wine reports as the default printer; each job becomes a PDF named after its
# document, read back with poppler's pdfinfo, pdftotext and pdftoppm.
def printer_missing():
    """Why printing cannot be tested here, or None."""
    for tool in ('lpstat', 'pdfinfo', 'pdftotext', 'pdftoppm'):
        if not shutil.which(tool):
            return '%s is not installed (tools/install_deps.sh)' % tool
    p = subprocess.run(['lpstat', '-d'], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
    if b'PDF' not in p.stdout:
        return 'no CUPS default printer PDF (tools/setup_printer.sh): %s' % p.stdout.decode(errors='replace').strip()
    return None


def wait_pdf(doc, since):
    """(path, pages) of the PDF of the document doc printed after `since`, once
    cups-pdf has finished it; the folder is the Out setting of cups-pdf."""
    out = '${HOME}/PDF'
    if os.path.exists('/etc/cups/cups-pdf.conf'):
        out = (re.findall(r'^\s*Out\s+(\S+)', open('/etc/cups/cups-pdf.conf', errors='replace').read(), re.M)
               or [out])[-1]
    out = out.replace('${HOME}', pwd.getpwuid(os.getuid()).pw_dir)
    deadline = time.monotonic() + 90
    while time.monotonic() < deadline:
        for path in glob.glob(os.path.join(out, '*.pdf')):
            if doc.lower() in os.path.basename(path).lower() and os.path.getmtime(path) >= since - 1:
                p = subprocess.run(['pdfinfo', path], capture_output=True, timeout=30)
                if p.returncode == 0:
                    return path, int(re.search(rb'^Pages:\s+(\d+)', p.stdout, re.M).group(1))
        time.sleep(1)
    raise TestFailure('no PDF of %s appeared in %s within 90 s' % (doc, out))


def raster(path, page, colour=False):
    """Page `page` at 50 pixels per inch: (width, height, data), grey or RGB."""
    data = subprocess.run(['pdftoppm', '-r', '50', '-f', str(page), '-l', str(page)] + ([] if colour else ['-gray'])
                          + [path], stdout=subprocess.PIPE, check=True, timeout=60).stdout
    m = re.match(rb'P[56]\s+(\d+)\s+(\d+)\s+255\s', data)
    return int(m.group(1)), int(m.group(2)), data[m.end():]


def diagonal(path):
    """Rows at 30, 50 and 70 % of page 1 are dark at one place each, which
    moves right by 22/3 in for every 11 in down."""
    w, h, data = raster(path, 1)
    centres = []
    for y in (int(h * 0.3), int(h * 0.5), int(h * 0.7)):
        dark = [x for x in range(w) if data[y * w + x] < 128]
        if not dark or dark[-1] - dark[0] > 6:
            raise TestFailure('page 1, row %d of %d: dark pixels at %s, expected one stroke' % (y, h, dark[:20]))
        centres.append((y, (dark[0] + dark[-1]) / 2))
    slope = (centres[-1][1] - centres[0][1]) / (centres[-1][0] - centres[0][0])
    if not 0.6 <= slope <= 0.74:
        raise TestFailure('the diagonal runs %.2f across per pixel down, expected 2/3' % slope)


def words(path):
    """{(page, word): height in points} as pdftotext finds them."""
    found, page = {}, 0
    for line in subprocess.run(['pdftotext', '-bbox', path, '-'], stdout=subprocess.PIPE, check=True,
                               timeout=60).stdout.decode(errors='replace').splitlines():
        page += '<page ' in line
        m = re.search(r'yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">(\w+)<', line)
        if m:
            found[(page, m.group(3))] = float(m.group(2)) - float(m.group(1))
    return found


def red_share(path, page):
    """The share of clearly red pixels on a page."""
    w, h, data = raster(path, page, colour=True)
    return sum(1 for i in range(0, w * h * 3, 3) if data[i] > 200 and data[i + 1] < 80 and data[i + 2] < 80) / (w * h)


def act(ctx, st, verb, rest):
    s, window, folder, name = ctx.session, st['window'], st['folder'], st['name']
    proc = st['procs'][-1] if st['procs'] else None
    words = shlex.split(rest) if '"' in rest else rest.split()
    if verb == 'window':
        st['window'] = s.wait_window(x_regex(rest.encode('cp1252')), proc, name)
    elif verb == 'step':
        path = os.path.join(folder, 'SCHRITT.TXT')
        deadline = time.monotonic() + STEP_TIMEOUT
        while read_text(path).strip() != rest:
            if proc.poll() is not None:
                raise TestFailure('the program ended (%d) before step %s' % (proc.returncode, rest))
            if time.monotonic() > deadline:
                raise TestFailure('the program did not reach step %s (at %r)' % (rest, read_text(path)))
            time.sleep(0.2)
        time.sleep(0.5)
    elif verb == 'key':
        s.press(window, *words)
    elif verb == 'type':
        s.type_text(window, rest)
    elif verb == 'answer':
        s.answer(window, rest)
    elif verb == 'click':
        s.xdotool('mousemove', '--window', window, words[1], words[2])
        time.sleep(0.2)
        s.xdotool('mousedown', words[0])
        time.sleep(0.5)
        s.xdotool('mouseup', words[0])
    elif verb == 'move':
        s.xdotool('mousemove', '--window', window, words[0], words[1])
    elif verb == 'still':
        time.sleep(1.5)
        if proc.poll() is not None or read_text(os.path.join(folder, 'SCHRITT.TXT')).strip() != rest:
            raise TestFailure('step %s: the wait ended too early' % rest)
    elif verb == 'open':
        time.sleep(1.5)
        if window not in s.visible_windows('.') or proc is not None and proc.poll() is not None:
            raise TestFailure('the window closed')
    elif verb == 'box':
        ref, caption, style, key = st['refs'][rest]
        s.expect_box(proc, ref, caption, style, name, key)
    elif verb == 'opendialog':
        ref = st['refs']['open']
        st['window'] = s.wait_window(x_regex(OPEN_TITLE), proc, name)
        frames, last = s.frames()
        s.expect_same(frames, last, ref, name)
    elif verb == 'shot':
        s.save_screen(name + '-' + rest)
    elif verb == 'sleep':
        time.sleep(float(rest))
    elif verb in ('run', 'start'):
        exe = {'vestrun': ctx.vestrun}.get(words[0]) or os.path.join(folder, words[0])
        if words[0].endswith('.c'):
            exe = build_helper(s.work, words[0][:-2])
        if verb == 'start':
            st['procs'].append(s.start(exe, words[1:], folder, name + '.log'))
        elif st['procs']:  # beside a window
            ctx.expect_exit(s.wait_exit(s.start(exe, words[1:], folder, name + '.log'), rest), 0, rest)
        else:
            ctx.expect_exit(ctx.run_to_exit(exe, words[1:], folder, name + '-' + words[0]), 0, rest)
    elif verb == 'pixels':
        # pixels KIND >= N[%] waits for that many in the window; "<" checks once
        test, op, n = PIXELS[words[0]], words[1], words[2]
        rect = s.window_rect(window)
        least = int(n[:-1]) * rect[2] * rect[3] // 100 if n.endswith('%') else int(n)
        deadline = time.monotonic() + (WINDOW_TIMEOUT if op == '>=' else 0)
        while True:
            got = s.screenshot().count(rect, test)
            if (got >= least) == (op == '>='):
                break
            if time.monotonic() > deadline:
                s.save_screen(name + '-pixels')
                raise TestFailure('%d %s pixels in the window, expected %s %d' % (got, words[0], op, least))
            time.sleep(0.25)
    elif verb == 'stopped':
        path = os.path.join(folder, rest)
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while True:
            size = os.path.getsize(path) if os.path.exists(path) else 0
            time.sleep(1.0)
            if size and size == os.path.getsize(path):
                break
            if time.monotonic() > deadline:
                raise TestFailure('%s goes on growing' % rest)
    elif verb == 'wait':
        path = os.path.join(folder, words[0])
        deadline = time.monotonic() + STEP_TIMEOUT
        while not read_text(path) or not read_text(path).startswith(' '.join(words[1:])):
            if proc is not None and proc.poll() is not None or time.monotonic() > deadline:
                raise TestFailure('%s was not written' % rest)
            time.sleep(0.2)
    elif verb == 'touch':
        open(os.path.join(folder, rest), 'w').close()
    elif verb == 'copy':
        shutil.copy(os.path.join(folder, words[0]), os.path.join(folder, words[1]))
    elif verb == 'end':
        ctx.expect_exit(s.wait_exit(st['procs'].pop(), name), int(rest), name)
    else:
        raise TestFailure('unknown action %r' % verb)


def calibration(ctx):
    """Two boxes that differ in one character do not compare equal."""
    s = ctx.session
    folder = ctx.folder('calibration', {})
    a = s.reference_box(LOADER_CAPTION, b'Keine VESTIL\xb2 Datei!', MB_ICONERROR, folder, 'calibration-a')
    b = s.reference_box(LOADER_CAPTION, b'Keine VESTIL2 Datei!', MB_ICONERROR, folder, 'calibration-b')
    if set(a) & set(b):
        raise TestFailure('the screenshots of different boxes are equal')


def case_tests():
    """The calibration of the reference boxes, then the Wine cases of
    tests/wine/*.cases and tests/programs/*.cases as tests (name, function, True)."""
    tests = [('calibration', calibration, True)]
    for path in sorted(glob.glob(os.path.join(HERE, '*.cases'))) + sorted(glob.glob(os.path.join(PROGRAMS, '*.cases'))):
        for name, source, sections in parse_cases(path):
            tests.append((name, lambda ctx, c=(name, source, sections): run_case(ctx, *c), True))
    return tests
