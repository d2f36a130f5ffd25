"""The harness of the Wine tests of the Windows runner (vestrun.exe).

vestrun.exe runs in a fresh Wine prefix on a private X server (Xvfb) and is
used as a person would use it: windows found by their captions, keys pressed
with xdotool, screenshots, the files the program writes, the exit code.
A box or the open dialog must equal, pixel for pixel, the same box shown
straight from the Win32 API by reference_box.c (built here with mingw-w64).
No window manager runs, so windows have no title bar: a caption is read back
from the X window name (UTF-8). The tests are cases (the format: "cases"
below); main() runs them and prints "wine tests: P passed, F failed" last.
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
import sys
import tempfile
import threading
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import run_program  # noqa: E402  (the case format's sections)
PROGRAMS = os.path.join(os.path.dirname(HERE), 'programs')

# The open dialog of a run without a program, as Windows-1252 bytes.
OPEN_TITLE = b'VESTIL\xb2-Datei laden:'
OPEN_FILTER = b'Vestil-Code (*.vsc)|*.VSC|All (*.*)|*.*'

# Bounds for things that normally take a second or two.
WINDOW_TIMEOUT = 60
EXIT_TIMEOUT = 60
STEP_TIMEOUT = 30
WINEBOOT_TIMEOUT = 600

# The cross tools of the runner's kind (main sets the 64-bit ones for a 64-bit runner).
MINGW = 'i686-w64-mingw32'

# Pixel kinds of the "pixels" action and of the box icons.
PIXELS = {
    'dark': lambda r, g, b: r < 64 and g < 64 and b < 64,
    'white': lambda r, g, b: r > 240 and g > 240 and b > 240,
    'darkblue': lambda r, g, b: (r, g, b) == (0, 0, 0x88),
    'red': lambda r, g, b: r > 200 and g < 200 and b < 200,
}
ICON_COLOURS = {  # box style: the error icon is a red disc, the warning icon a yellow triangle
    0x10: ('red error', lambda r, g, b: r >= 180 and g <= 80 and b <= 80),
    0x30: ('yellow warning', lambda r, g, b: r >= 200 and g >= 160 and b <= 80),
}


class TestFailure(Exception):
    pass


def pe_is_64_bit(path):
    """True for an x86-64 PE executable."""
    with open(path, 'rb') as f:
        data = f.read(4096)
    lfanew, = struct.unpack_from('<I', data, 0x3c)
    return struct.unpack_from('<H', data, lfanew + 4)[0] == 0x8664


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


def x_regex(caption_cp1252):
    """An xdotool name pattern matching exactly this caption (X shows UTF-8)."""
    return '^' + re.escape(caption_cp1252.decode('cp1252')) + '$'


def windows_path(path):
    """A Linux path as Wine's drive Z: shows it."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def read_text(path):
    try:
        with open(path, 'rb') as f:
            return f.read().decode('cp1252')
    except OSError:
        return ''


def header_only_program():
    """A program file with the header only: it loads and ends at once."""
    return b' KVN-VESTIL3' + b'\0' * 8 + b'  ' + b'\0' * 10


def bind_with_python(runner, program, out):
    """Appends a program to a copy of the runner and writes its offset at 0x80,
    after three filler bytes, so that no byte of the offset is 0 by chance of
    the file alignment (the runner reads from the offset to the end)."""
    with open(runner, 'rb') as f:
        exe = bytearray(f.read())
    if struct.unpack_from('<I', exe, 0x80)[0] != 0:
        raise TestFailure('%s already carries an appended program' % runner)
    exe += b'\xa5\xa5\xa5'
    if not all(len(exe).to_bytes(4, 'little')[:3]):
        raise TestFailure('offset 0x%x has a zero byte; choose other filler' % len(exe))
    struct.pack_into('<I', exe, 0x80, len(exe))
    with open(out, 'wb') as f:
        f.write(bytes(exe) + program)


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


class Ppm:
    """A screenshot in binary PPM form (P6, 8 bits per channel)."""

    def __init__(self, data):
        m = re.match(rb'P6\s+(\d+)\s+(\d+)\s+255\s', data)
        if not m:
            raise TestFailure('unexpected screenshot format')
        self.width, self.height = int(m.group(1)), int(m.group(2))
        self.pixels = data[m.end():]
        self.data = data
        self.digest = hashlib.sha1(data).hexdigest()

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i:i + 3])

    def count(self, rect, predicate):
        x0, y0, w, h = rect
        n, p = 0, self.pixels
        for y in range(max(0, y0), min(self.height, y0 + h)):
            for i in range(3 * (y * self.width + max(0, x0)), 3 * (y * self.width + min(self.width, x0 + w)), 3):
                n += predicate(p[i], p[i + 1], p[i + 2])
        return n


class Session:
    """The X server, the Wine prefix, the runner under test and the helpers
    that drive them; the cases see it as `ctx`."""

    def __init__(self, work, keep_prefix, vestrun=None, vestcomp=None):
        self.work, self.keep_prefix = work, keep_prefix
        self.vestrun, self.vestcomp = vestrun, vestcomp
        self.mingw = MINGW
        self.xvfb = None
        self.env = dict(os.environ)
        self.shots = os.path.join(work, 'shots')
        self.logs = os.path.join(work, 'logs')
        os.makedirs(self.shots, exist_ok=True)
        os.makedirs(self.logs, exist_ok=True)
        self.reference_exe = None
        self.reference_frames = {}
        self.programs = []

    def start_x(self):
        self.xvfb, self.env['DISPLAY'] = start_xvfb('1024x768x24', open(os.path.join(self.logs, 'xvfb.log'), 'wb'))
        print('X server on display %s' % self.env['DISPLAY'], flush=True)

    def stop_x(self):
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()

    # --- Wine -------------------------------------------------------------------
    def boot_wine(self):
        prefix = os.path.join(self.work, 'prefix')
        self.env.update({
            'WINEPREFIX': prefix,
            # A prefix of the runner's own kind: the 64-bit build serves where
            # the kernel runs no 32-bit programs.
            'WINEARCH': 'win64' if MINGW.startswith('x86_64') else 'win32',
            'WINEDEBUG': '-all',
            'WINEDLLOVERRIDES': 'mscoree,mshtml=',  # no Mono or Gecko installer boxes
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
        self.keep_server()

    def keep_server(self):
        """A persistent server keeps the prefix warm between the runs."""
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
        self.keep_server()

    def run_to_exit(self, exe, args, cwd, name):
        """Runs a program that must end without showing any window."""
        proc = self.start(exe, args, cwd, name + '.log')
        deadline = time.monotonic() + EXIT_TIMEOUT
        while proc.poll() is None:
            windows = self.visible_windows('.')
            if windows:
                names = [self.xdotool('getwindowname', w, check=False).stdout.strip() for w in windows]
                self.save_screen('unexpected-' + name)
                raise TestFailure('%s: a window appeared: %s' % (
                    name, ', '.join(repr(n.decode('utf-8', 'replace')) for n in names)))
            if time.monotonic() > deadline:
                raise TestFailure('%s did not end within %d s' % (name, EXIT_TIMEOUT))
            time.sleep(0.25)
        return proc.returncode

    def expect_exit(self, code, expected, what):
        if code != expected:
            self.save_screen('exit-' + re.sub(r'\W+', '_', what))
            raise TestFailure('%s: exit code %d, expected %d' % (what, code, expected))

    def folder(self, name):
        """A fresh folder for one test."""
        path = os.path.join(self.work, 'run', name)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        return path

    # --- windows, keys and screenshots --------------------------------------------
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
        """Waits until one visible window's name matches pattern; fails early
        when proc (None: a program not started here) ends first."""
        deadline = time.monotonic() + WINDOW_TIMEOUT
        while time.monotonic() < deadline:
            windows = self.visible_windows(pattern)
            if len(windows) > 1:
                raise TestFailure('%d windows match %r' % (len(windows), pattern))
            if windows:
                return windows[0]
            if proc is not None and proc.poll() is not None:
                raise TestFailure('%s: the program ended (exit code %d) without showing %s'
                                  % (what, proc.returncode, pattern))
            time.sleep(0.25)
        self.save_screen('timeout-' + re.sub(r'\W+', '_', what))
        raise TestFailure('%s: no window %r within %d s' % (what, pattern, WINDOW_TIMEOUT))

    def window_rect(self, window):
        out = self.xdotool('getwindowgeometry', '--shell', window).stdout.decode()
        values = dict(line.split('=', 1) for line in out.split() if '=' in line)
        return tuple(int(values[k]) for k in ('X', 'Y', 'WIDTH', 'HEIGHT'))

    def press(self, window, *keys):
        self.xdotool('windowfocus', '--sync', window)
        self.xdotool('key', '--clearmodifiers', *keys)

    def answer(self, window, key):
        """Presses a key that closes the window. A key that reaches a window
        before it takes input is lost; then it is pressed again, as a person would."""
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
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        if p.returncode != 0:
            raise TestFailure('import failed: %s' % p.stderr.decode(errors='replace'))
        return Ppm(p.stdout)

    def frames(self, seconds=2.0):
        """Screenshots over a short while, by digest; a caret may blink, the rest must settle."""
        shots = {}
        end = time.monotonic() + seconds
        while time.monotonic() < end or not shots:
            last = self.screenshot()
            shots[last.digest] = last
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

    # --- the reference boxes ---------------------------------------------------------
    def reference(self, fields, pattern, close_key, cwd, expected_exit, name, cache_key):
        """Screenshots of the reference window for the given fields; taken before
        vestrun.exe starts, so that one box is on the screen at a time."""
        if cache_key not in self.reference_frames:
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
        return self.reference_frames[cache_key]

    def reference_box(self, caption, text, style, cwd, name):
        return self.reference([b'box', str(style).encode(), caption, text], x_regex(caption),
                              'Return', cwd, 1, name, (caption, text, style))

    def reference_open(self, cwd, name):
        # The dialog lists the folder, so its picture depends on the folder.
        return self.reference([b'open', OPEN_TITLE, OPEN_FILTER, b'*.*'], x_regex(OPEN_TITLE),
                              'Escape', cwd, 0, name, ('open', cwd))

    def expect_same(self, got_frames, got_last, ref_frames, name):
        if not set(got_frames) & set(ref_frames):
            path = self.save(got_last, 'mismatch-' + name)
            raise TestFailure('%s differs from the reference (see %s and reference-*.png)' % (name, path))

    def expect_box(self, proc, ref, caption, style, name, key):
        """A box of vestrun.exe equal to the reference, with its icon's colour,
        answered with the key."""
        window = self.wait_window(x_regex(caption), proc, name)
        shown = self.xdotool('getwindowname', window).stdout.rstrip(b'\n')
        if shown != caption.decode('cp1252').encode('utf-8'):
            raise TestFailure('box caption %r' % shown)
        frames, last = self.frames()
        self.save(last, name)
        if style & 0xF0 in ICON_COLOURS:
            colour, predicate = ICON_COLOURS[style & 0xF0]
            n = last.count(self.window_rect(window), predicate)
            if n < 50:
                raise TestFailure('%s: no %s icon in the box (%d pixels)' % (name, colour, n))
        self.expect_same(frames, last, ref, name)
        self.answer(window, key)


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


class SerialPair:
    """COM1 of the prefix leads to one end of a socat pseudo-terminal pair (Wine's
    Ports key keeps the dosdevices link), COM9 to nothing; a thread plays the
    device at the other end."""

    def __init__(self, s, answers, last):
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
        for name, target in (('COM1', os.path.realpath(a)), ('COM9', os.path.join(self.ptys, 'missing'))):
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


# --- cases --------------------------------------------------------------------------
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
#   == check          Python run at the end (folder, fail(text), ctx: the Session,
#                     shots, tests; pdf(document) gives (path, pages) of a job, diagonal,
#                     words, red_share)
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
#     shot NAME             the screen and the window's place, kept for the check
#     touch NAME  copy FROM TO  sleep SECONDS
# Texts may say @FOLDER@ (the test folder as Wine shows it), @DIR@ (its Unix
# path), @RUNNER@ (vestrun.exe, backslashes doubled), @EXE@ (its file name),
# @VERSION@ (the project's), @CLASSLONG@ (user32's entry for the class values
# on the runner's kind: GetClassLongA, GetClassLongPtrA on 64 bits).
def parse_cases(path):
    """The Wine cases of a .cases file: (name, source, sections as run_program.parse gives them)."""
    out, cur = [], None
    with open(path, encoding='utf-8') as f:
        for line in f:
            if line.startswith('=== '):
                head = line[4:].split()
                cur = [head[1], [], []] if head[0] in ('WINE', 'BOTH') else None
                out += [cur] if cur else []
            elif cur:
                (cur[2] if cur[2] or line.startswith('== ') else cur[1]).append(line)
    return [(n, ''.join(src), run_program.parse(secs)) for n, src, secs in out]


def run_case(ctx, name, source, sections):
    s = ctx
    kinds = {k: (a, t) for k, a, t in sections}
    sec = lambda kind: kinds.get(kind, ([], ''))
    for need in sec('needs')[0]:
        if need == 'odbc' and not os.path.exists('/etc/odbcinst.ini'):
            raise TestFailure('unixODBC with the SQLite driver is not installed (tools/install_deps.sh)')
        if need == 'socat' and not shutil.which('socat'):
            raise TestFailure('socat is not installed (tools/install_deps.sh)')
        if need == 'printer' and printer_missing():
            print('SKIP %s: %s' % (name, printer_missing()), flush=True)
            return
    started = time.time()
    folder = s.folder(name)
    with open(os.path.join(os.path.dirname(os.path.dirname(HERE)), 'CMakeLists.txt')) as f:
        version = re.search(r'project\(vestil VERSION (\S+)', f.read()).group(1)
    subst = {'@FOLDER@': windows_path(folder), '@DIR@': folder, '@VERSION@': version,
             '@RUNNER@': windows_path(s.vestrun).replace('\\', '\\\\'), '@EXE@': os.path.basename(s.vestrun),
             '@CLASSLONG@': 'GetClassLongPtrA' if MINGW.startswith('x86_64') else 'GetClassLongA'}
    fill = lambda text: re.sub('|'.join(subst), lambda m: subst[m.group(0)], text)
    run = (sec('run')[0] or ['PROG.VSC'])[0]
    if run.lower().endswith('.vsl'):
        with open(os.path.join(folder, run), 'w', encoding='utf-8') as f:
            f.write(fill(source))
    elif source.strip():
        vsl = os.path.join(folder, 'prog.vsl')
        with open(vsl, 'w', encoding='utf-8') as f:
            f.write(fill(source))
        p = subprocess.run([s.vestcomp, vsl, '-o', os.path.join(folder, 'PROG.VSC'), '--no-map'] + sec('vestcomp')[0],
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        if p.returncode != 0:
            raise TestFailure('vestcomp failed: %s' % p.stdout.decode(errors='replace'))
    if 'setup' in kinds:
        def write(fname, data):
            with open(os.path.join(folder, fname), 'wb') as f:
                f.write(data if isinstance(data, bytes) else data.encode('cp1252'))
        exec(kinds['setup'][1], {'write': write, 'folder': folder, 'os': os, 'tests': os.path.dirname(HERE),
                                 'vestrun': s.vestrun, 'vestcomp': s.vestcomp, 'subprocess': subprocess,
                                 'header_only_program': header_only_program, 'bind_with_python': bind_with_python,
                                 'cc': mingw_cc})
    args = [run] + [a for a in sec('args')[1].split('\n') if a]
    env = [l.split('=', 1) for l in sec('env')[1].splitlines() if '=' in l]
    actions = [line.strip().partition(' ') for line in sec('actions')[1].splitlines()]
    actions = [(verb, fill(rest)) for verb, _, rest in actions]
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
    received = sec('received')[1].strip().encode()
    serial = SerialPair(s, eval(kinds['serial'][1]), received[-1:]) if 'serial' in kinds else None
    st = {'procs': [], 'window': None, 'folder': folder, 'name': name, 'refs': refs, 'shots': {}}
    try:
        if 'actions' not in kinds:
            code = s.run_to_exit(s.vestrun, args, folder, name)
        else:
            if run != '-':
                st['procs'].append(s.start(s.vestrun, args, folder, name + '.log'))
            for verb, rest in actions:
                act(s, st, verb, rest)
            code = s.wait_exit(st['procs'][-1], name) if st['procs'] else 0
    finally:
        for k, _ in env:
            del s.env[k]
        if serial:
            serial.close()
    s.expect_exit(code, int(sec('exit')[1].strip() or 0), name)
    if serial and bytes(serial.received) != received:
        raise TestFailure('the device received %r' % bytes(serial.received))
    for kind, fargs, want in sections:
        if kind != 'file':
            continue
        want = fill(want)
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
        exec(kinds['check'][1], {'folder': folder, 'fail': fail, 'os': os, 'ctx': s, 'shots': st['shots'],
                                 'tests': os.path.dirname(HERE),
                                 'diagonal': diagonal, 'words': words, 'red_share': red_share,
                                 'pdf': lambda doc: wait_pdf(doc, started)})


def until(what, condition, proc, timeout):
    """Polls condition() until it holds; fails when proc ends first or time runs out."""
    deadline = time.monotonic() + timeout
    while not condition():
        if proc is not None and proc.poll() is not None:
            raise TestFailure('%s: the program ended (%d) first' % (what, proc.returncode))
        if time.monotonic() > deadline:
            raise TestFailure('%s: not within %d s' % (what, timeout))
        time.sleep(0.2)


def act(s, st, verb, rest):
    window, folder, name = st['window'], st['folder'], st['name']
    proc = st['procs'][-1] if st['procs'] else None
    words = shlex.split(rest) if '"' in rest else rest.split()
    if verb == 'window':
        st['window'] = s.wait_window(x_regex(rest.encode('cp1252')), proc, name)
    elif verb == 'step':
        path = os.path.join(folder, 'SCHRITT.TXT')
        until('step %s (at %r)' % (rest, read_text(path)), lambda: read_text(path).strip() == rest, proc, STEP_TIMEOUT)
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
        st['window'] = s.wait_window(x_regex(OPEN_TITLE), proc, name)
        frames, last = s.frames()
        s.expect_same(frames, last, st['refs']['open'], name)
    elif verb == 'shot':
        shot = s.screenshot()
        s.save(shot, name + '-' + rest)
        st['shots'][rest] = (shot, s.window_rect(window) if window else None)
    elif verb == 'sleep':
        time.sleep(float(rest))
    elif verb in ('run', 'start'):
        exe = {'vestrun': s.vestrun}.get(words[0]) or os.path.join(folder, words[0])
        if words[0].endswith('.c'):
            exe = build_helper(s.work, words[0][:-2])
        if verb == 'start':
            st['procs'].append(s.start(exe, words[1:], folder, name + '.log'))
        elif st['procs']:  # beside a window
            s.expect_exit(s.wait_exit(s.start(exe, words[1:], folder, name + '.log'), rest), 0, rest)
        else:
            s.expect_exit(s.run_to_exit(exe, words[1:], folder, name + '-' + words[0]), 0, rest)
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
        until('%s written' % rest, lambda: read_text(path) and read_text(path).startswith(' '.join(words[1:])),
              proc, STEP_TIMEOUT)
    elif verb == 'touch':
        open(os.path.join(folder, rest), 'w').close()
    elif verb == 'copy':
        shutil.copy(os.path.join(folder, words[0]), os.path.join(folder, words[1]))
    elif verb == 'end':
        s.expect_exit(s.wait_exit(st['procs'].pop(), name), int(rest), name)
    else:
        raise TestFailure('unknown action %r' % verb)


def calibration(s):
    """Two boxes that differ in one character do not compare equal."""
    folder = s.folder('calibration')
    a = s.reference_box(b'V E S T I L \xb2', b'Keine VESTIL\xb2 Datei!', 0x10, folder, 'calibration-a')
    b = s.reference_box(b'V E S T I L \xb2', b'Keine VESTIL2 Datei!', 0x10, folder, 'calibration-b')
    if set(a) & set(b):
        raise TestFailure('the screenshots of different boxes are equal')


def main(description):
    """Runs the cases named on the command line (default: all of them)."""
    global MINGW
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--vestrun', required=True, help='the vestrun.exe to test')
    default_vestcomp = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'build', 'vestcomp')
    parser.add_argument('--vestcomp', default=default_vestcomp,
                        help='the native vestcomp, to compile and bind test programs')
    parser.add_argument('--work', help='work directory (prefix, screenshots, logs)')
    parser.add_argument('--keep-prefix', action='store_true',
                        help='reuse the Wine prefix of an earlier run instead of a fresh one')
    parser.add_argument('tests', nargs='*', help='names of the tests to run (default: all)')
    args = parser.parse_args()

    tests = [('calibration', calibration)]
    for path in sorted(glob.glob(os.path.join(HERE, '*.cases'))) + sorted(glob.glob(os.path.join(PROGRAMS, '*.cases'))):
        for name, source, sections in parse_cases(path):
            tests.append((name, lambda s, c=(name, source, sections): run_case(s, *c)))
    names = [t[0] for t in tests]
    for name in args.tests:
        if name not in names:
            parser.error('unknown test %s (known: %s)' % (name, ', '.join(names)))
    selected = [t for t in tests if not args.tests or t[0] in args.tests]
    for path in (args.vestrun, args.vestcomp):
        if not os.path.isfile(path):
            print('wine tests: %s does not exist' % path)
            print('wine tests: 0 passed, 1 failed')
            return 1
    work = os.path.abspath(args.work or os.path.join(os.path.dirname(os.path.abspath(args.vestrun)), 'wine-tests'))
    os.makedirs(work, exist_ok=True)
    for old in ('shots', 'logs', 'run'):
        shutil.rmtree(os.path.join(work, old), ignore_errors=True)
    if pe_is_64_bit(args.vestrun):
        MINGW = 'x86_64-w64-mingw32'
        print('wine tests: %s is a 64-bit build; reference programs and the prefix are 64-bit too'
              % args.vestrun, flush=True)
    s = Session(work, args.keep_prefix, os.path.abspath(args.vestrun), os.path.abspath(args.vestcomp))
    passed, failed = [], []
    started = time.monotonic()
    try:
        s.start_x()
        s.boot_wine()
        s.reference_exe = build_helper(work, 'reference_box', '-lcomdlg32')
        for name, func in selected:
            t0 = time.monotonic()
            try:
                func(s)
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
            s.clean_up()
    except TestFailure as e:
        print('wine tests: setup failed: %s' % e, flush=True)
        failed.extend(n for n, _ in selected if n not in passed and n not in failed)
    finally:
        s.stop_wine()
        s.stop_x()
    print('wine tests took %.1f s; screenshots and logs in %s' % (time.monotonic() - started, work))
    print('wine tests: %d passed, %d failed' % (len(passed), len(failed)))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(__doc__.strip().splitlines()[0]))
