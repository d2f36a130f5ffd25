"""The Wine tests of vestrun.exe, in a fresh prefix on a private X server without a window manager."""
import argparse
import glob
import hashlib
import os
import pwd
import re
import shlex
import shutil
import struct
import subprocess
import sys
import threading
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import run_program  # noqa: E402  (the case format's sections)

# The open dialog of a run without a program, as Windows-1252 bytes.
OPEN_TITLE = b'VESTIL\xb2-Datei laden:'
OPEN_FIELDS = [b'open', OPEN_TITLE, b'Vestil-Code (*.vsc)|*.VSC|All (*.*)|*.*', b'*.*']
# A bound for things that normally take a second or two.
TIMEOUT = 60
# The cross tools of the runner's kind (main sets the 64-bit ones for a 64-bit runner).
MINGW = 'i686-w64-mingw32'
# Pixel kinds of the "pixels" action.
PIXELS = {
    'dark': lambda r, g, b: r < 64 and g < 64 and b < 64,
    'white': lambda r, g, b: r > 240 and g > 240 and b > 240,
    'red': lambda r, g, b: r > 200 and g < 200 and b < 200,
}


class TestFailure(Exception):
    pass


def x_regex(caption_cp1252):
    """An xdotool name pattern matching exactly this caption (X shows UTF-8)."""
    return '^' + re.escape(caption_cp1252.decode('cp1252')) + '$'


def pe_is_64_bit(path):
    """True for an x86-64 PE executable."""
    data = open(path, 'rb').read(4096)
    return struct.unpack_from('<H', data, struct.unpack_from('<I', data, 0x3c)[0] + 4)[0] == 0x8664


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def read_text(path):
    return open(path, 'rb').read().decode('cp1252') if os.path.isfile(path) else ''


def mingw_cc():
    return shutil.which(MINGW + '-gcc-posix') or MINGW + '-gcc'


def build_helper(work, name):
    """tests/wine/NAME.c built into the work directory, again when the source is newer."""
    exe, source = os.path.join(work, name + '.exe'), os.path.join(HERE, name + '.c')
    if not os.path.isfile(exe) or os.path.getmtime(exe) < os.path.getmtime(source):
        subprocess.run([mingw_cc(), '-std=c11', '-O2', '-Wall', '-Wextra', '-Werror', '-mwindows', '-static', '-s',
                        '-o', exe, source, '-lcomdlg32'], check=True, timeout=300)
    return exe


class Ppm:
    """A picture in binary PPM or PGM form (P6 or P5, 8 bits per channel)."""

    def __init__(self, data):
        m = re.match(rb'P[56]\s+(\d+)\s+(\d+)\s+255\s', data)
        self.width, self.height = int(m.group(1)), int(m.group(2))
        self.pixels, self.data, self.digest = data[m.end():], data, hashlib.sha1(data).hexdigest()

    def count(self, rect, predicate):
        x0, y0, w, h = rect
        n, p = 0, self.pixels
        for y in range(max(0, y0), min(self.height, y0 + h)):
            for i in range(3 * (y * self.width + max(0, x0)), 3 * (y * self.width + min(self.width, x0 + w)), 3):
                n += predicate(p[i], p[i + 1], p[i + 2])
        return n


class Session:
    """The X server, the Wine prefix, the runner under test and what drives them (`ctx` in a check)."""

    def __init__(self, work, vestrun=None, vestcomp=None):
        self.work, self.vestrun, self.vestcomp = work, vestrun, vestcomp
        self.xvfb, self.env, self.programs, self.references = None, dict(os.environ), [], {}
        self.shots, self.logs = os.path.join(work, 'shots'), os.path.join(work, 'logs')
        os.makedirs(self.shots, exist_ok=True)
        os.makedirs(self.logs, exist_ok=True)

    def start_x(self):
        """A private X server; Xvfb writes its display number into the pipe."""
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write_fd), '-screen', '0', '1024x768x24', '-nolisten',
                                      'tcp'], pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
                                     stdout=open(os.path.join(self.logs, 'xvfb.log'), 'wb'), stderr=subprocess.STDOUT)
        os.close(write_fd)
        with os.fdopen(read_fd, 'rb') as r:
            number = r.readline()
        if not number.endswith(b'\n'):
            raise TestFailure('Xvfb did not start')
        self.env['DISPLAY'] = ':' + number.decode().strip()

    def boot_wine(self):
        """A fresh prefix of the runner's kind (64-bit where the kernel runs no 32-bit programs)."""
        prefix = os.path.join(self.work, 'prefix')
        self.env.update({'WINEPREFIX': prefix, 'WINEARCH': 'win64' if MINGW.startswith('x86_64') else 'win32',
                         'WINEDEBUG': '-all', 'WINEDLLOVERRIDES': 'mscoree,mshtml='})  # no Mono or Gecko boxes
        self.env.setdefault('HOME', self.work)
        shutil.rmtree(prefix, ignore_errors=True)
        self.run_quiet(['wineboot', '-i'], 600, 'wineboot.log')
        self.run_quiet(['wineserver', '-w'], 600, 'wineboot.log')
        self.keep_server()

    def keep_server(self, flag='-p'):
        """-p: a persistent server keeps the prefix warm between the runs; -k ends all that runs in it."""
        if 'WINEPREFIX' in self.env:
            subprocess.run(['wineserver', flag], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)

    def run_quiet(self, argv, timeout, log):
        with open(os.path.join(self.logs, log), 'ab') as out:
            code = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
        if code:
            raise TestFailure('%s failed with exit code %d' % (' '.join(argv), code))

    def start(self, exe, args, cwd, log):
        """Starts a Windows program; `wine` returns with the program's exit code."""
        with open(os.path.join(self.logs, log), 'ab') as out:
            proc = subprocess.Popen(['wine', exe] + list(args), cwd=cwd, env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
        self.programs.append(proc)
        return proc

    def clean_up(self):
        """Ends what a failed test left running (all that runs in the prefix is this run's)."""
        if any(p.poll() is None for p in self.programs):
            self.keep_server('-k')
            for p in self.programs:
                p.wait(30)
            self.keep_server()
        self.programs = []

    def until(self, what, condition, proc, timeout):
        """Polls condition() until it holds; fails when proc ends first or time runs out."""
        deadline = time.monotonic() + timeout
        while not condition():
            if proc is not None and proc.poll() is not None:
                raise TestFailure('%s: the program ended (%d) first' % (what, proc.returncode))
            if time.monotonic() > deadline:
                self.save_screen('timeout-' + re.sub(r'\W+', '_', what))
                raise TestFailure('%s: not within %d s' % (what, timeout))
            time.sleep(0.2)

    def wait_exit(self, proc, what, expected=None):
        try:
            code = proc.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            self.clean_up()
            raise TestFailure('%s did not end within %d s' % (what, TIMEOUT))
        if expected is not None and code != expected:
            self.save_screen('exit-' + re.sub(r'\W+', '_', what))
            raise TestFailure('%s: exit code %d, expected %d' % (what, code, expected))
        return code

    def run_to_exit(self, exe, args, cwd, name, expected):
        """Runs a program that must end without showing any window."""
        proc = self.start(exe, args, cwd, name + '.log')

        def ended():
            if self.visible_windows('.'):
                raise TestFailure('%s: a window appeared (see %s)' % (name, self.save_screen('unexpected-' + name)))
            return proc.poll() is not None
        self.until(name + ' ends', ended, None, TIMEOUT)
        return self.wait_exit(proc, name, expected)

    # --- windows, keys and screenshots --------------------------------------------
    def xdotool(self, *args, check=True):
        p = subprocess.run(['xdotool'] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        if check and p.returncode != 0:
            raise TestFailure('xdotool %s failed: %s' % (' '.join(args), p.stderr.decode(errors='replace')))
        return p

    def visible_windows(self, pattern):
        return self.xdotool('search', '--onlyvisible', '--name', pattern, check=False).stdout.decode().split()

    def wait_window(self, pattern, proc, what):
        """The one visible window whose name matches pattern, once it shows."""
        found = []

        def shown():
            found[:] = self.visible_windows(pattern)
            if len(found) > 1:
                raise TestFailure('%d windows match %r' % (len(found), pattern))
            return found
        self.until('%s: window %r' % (what, pattern), shown, proc, TIMEOUT)
        return found[0]

    def window_rect(self, window):
        out = self.xdotool('getwindowgeometry', '--shell', window).stdout.decode()
        values = dict(line.split('=', 1) for line in out.split() if '=' in line)
        return tuple(int(values[k]) for k in ('X', 'Y', 'WIDTH', 'HEIGHT'))

    def press(self, window, *keys):
        self.xdotool('windowfocus', '--sync', window)
        self.xdotool('key', '--clearmodifiers', *keys)

    def answer(self, window, key):
        """Presses a key that closes the window, again if it came before the window took input."""
        for _ in range(3):
            self.press(window, key)
            for _ in range(20):
                if window not in self.visible_windows('.'):
                    return
                time.sleep(0.25)
        raise TestFailure('the window stays open after %s' % key)

    def screenshot(self):
        return Ppm(subprocess.run(['import', '-window', 'root', '-depth', '8', 'ppm:-'], env=self.env, check=True,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, timeout=60).stdout)

    def frames(self, seconds=2.0):
        """Screenshots over a short while, by digest (a caret may blink), and the last."""
        shots, end = {}, time.monotonic() + seconds
        while time.monotonic() < end or not shots:
            last = self.screenshot()
            shots[last.digest] = last
            time.sleep(0.2)
        return shots, last

    def save(self, ppm, name):
        path = os.path.join(self.shots, name + '.png')
        subprocess.run(['convert', 'ppm:-', path], input=ppm.data, env=self.env, timeout=60)
        return path

    def save_screen(self, name):
        try:
            return self.save(self.screenshot(), name)
        except Exception:  # only a help for the reader of a failure
            return None

    def reference(self, fields, close_key, cwd, name):
        """The frames of the reference box or dialog (the open dialog's show the folder cwd)."""
        key = tuple(fields) + (cwd if fields[0] == b'open' else '',)
        if key not in self.references:
            spec = os.path.join(self.work, 'ref-%s.spec' % name)
            with open(spec, 'wb') as f:
                f.write(b'\0'.join(fields))
            proc = self.start(build_helper(self.work, 'helper'), ['ref', windows_path(spec)], cwd, 'reference.log')
            window = self.wait_window(x_regex(fields[1 if fields[0] == b'open' else 2]), proc, 'reference ' + name)
            frames, last = self.frames()
            self.save(last, 'reference-' + name)
            self.answer(window, close_key)
            self.wait_exit(proc, 'the reference ' + name, 1 if fields[0] == b'box' else 0)
            self.references[key] = frames
        return self.references[key]

    def expect_same(self, ref, name):
        frames, last = self.frames()
        self.save(last, name)
        if not set(frames) & set(ref):
            raise TestFailure('%s differs from the reference (see %s, reference-*.png)' % (name, self.shots))


# --- printing: the CUPS queue "PDF" of cups-pdf (tools/setup_printer.sh), the default printer of
# Wine; each job becomes a PDF named after its document, read back with poppler's tools.
def wait_pdf(doc, since):
    """(path, pages) of the PDF of document doc printed after `since`, once cups-pdf wrote it."""
    out = os.path.join(pwd.getpwuid(os.getuid()).pw_dir, 'PDF')
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
    p = Ppm(subprocess.run(['pdftoppm', '-r', '50', '-f', str(page), '-l', str(page)] + ([] if colour else ['-gray'])
                           + [path], stdout=subprocess.PIPE, check=True, timeout=60).stdout)
    return p.width, p.height, p.pixels


def diagonal(path):
    """Rows at 30 and 70 % of page 1 are dark once each, moving right 22/3 in per 11 in down."""
    w, h, data = raster(path, 1)
    rows = [[x for x in range(w) if data[int(h * f) * w + x] < 128] for f in (0.3, 0.7)]
    if not all(rows) or max(r[-1] - r[0] for r in rows) > 6 or not (
            0.6 <= (rows[1][0] - rows[0][0]) / (int(h * 0.7) - int(h * 0.3)) <= 0.74):
        raise TestFailure('page 1 of %d rows: dark pixels at %s, expected one stroke of slope 2/3' % (h, rows))


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
    """COM1 leads to a socat pseudo-terminal whose other end a thread plays as the device; COM9 to nothing."""

    def __init__(self, s, answers, last):
        a, b = os.path.join(s.work, 'run', 'COM1'), os.path.join(s.work, 'run', 'peer')  # gone at the next run
        self.socat = subprocess.Popen(['socat', 'pty,raw,echo=0,link=' + a, 'pty,raw,echo=0,link=' + b])
        s.until('socat makes the pseudo-terminals', lambda: os.path.exists(a) and os.path.exists(b), None, 10)
        for name, target in (('COM1', os.path.realpath(a)), ('COM9', os.path.join(s.work, 'missing'))):
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
        self.socat.terminate()
        self.socat.wait(10)


# --- cases: "=== WINE NAME title" (here only) or "=== BOTH NAME title" (also in the console runner), the
# source, then sections as in run_program.py (args, env, setup after the compile, vestcomp, exit, file NAME
# [crlf] [noeol] [nocase]) and: run FILE (NAME.vsl: run uncompiled; "-": what the actions start);
# needs printer; serial {last byte received: answer} / received BYTES (COM1 leads to such a device);
# check: Python at the end (folder, fail, ctx the Session, shots, tests, write, pdf(document) -> (path, pages),
# diagonal, words, red_share; setup's names); actions, one a line (without them no window may show):
#   window CAPTION (the keys go to it)   open (it and its program still run)   key KEY...   type TEXT
#   answer KEY (it closes the window)   click BUTTON X Y   move X Y   sleep S   touch NAME   copy FROM TO
#   step TITLE / still TITLE   until the window's caption is TITLE / it still is after a while
#   box STYLE CAPTION|TEXT[|KEY]   a box equal to the reference box, answered with KEY (Return)
#   opendialog   the open dialog equals the reference;   shot NAME   the screen and the window's place
#   pixels KIND >= N[%]   waits for N pixels (or N % of the window) of a PIXELS kind; "<": at once
#   run / start EXE ARG...   vestrun, a file of the folder or tests/wine/EXE.c run to exit 0 (no window unless
#                            one started here runs) / started; end N: the last one started ends with N
#   wait NAME [TEXT] / stopped NAME   until the file starts with TEXT / stops growing
# Texts may say @FOLDER@ (the folder as Wine shows it), @DIR@ (its Unix path), @RUNNER@ (vestrun.exe,
# backslashes doubled), @EXE@ (its file name), @VERSION@, @CLASSLONG@ (GetClassLongPtrA on 64 bits).
def parse_cases(path):
    """The Wine cases of a .cases file: (name, source, sections as run_program.parse gives them)."""
    with open(path, encoding='utf-8') as f:
        return [(rest.split()[0], ''.join(src), run_program.parse(secs))
                for kind, rest, src, secs in run_program.case_blocks(f) if kind in ('WINE', 'BOTH')]


def run_case(s, name, source, sections):
    kinds = {k: (a, t) for k, a, t in sections}
    sec = lambda kind: kinds.get(kind, ([], ''))
    if 'needs' in kinds and b'PDF' not in subprocess.run(['lpstat', '-d'], capture_output=True, timeout=30).stdout:
        return print('SKIP %s: no default CUPS printer PDF (tools/setup_printer.sh)' % name, flush=True)
    started, folder = time.time(), os.path.join(s.work, 'run', name)
    os.makedirs(folder)
    with open(os.path.join(os.path.dirname(os.path.dirname(HERE)), 'CMakeLists.txt')) as f:
        version = re.search(r'project\(vestil VERSION (\S+)', f.read()).group(1)
    subst = {'@FOLDER@': windows_path(folder), '@DIR@': folder, '@VERSION@': version,
             '@RUNNER@': windows_path(s.vestrun).replace('\\', '\\\\'), '@EXE@': os.path.basename(s.vestrun),
             '@CLASSLONG@': 'GetClassLongPtrA' if MINGW.startswith('x86_64') else 'GetClassLongA'}
    fill = lambda text: re.sub('|'.join(subst), lambda m: subst[m.group(0)], text)
    run = (sec('run')[0] or ['PROG.VSC'])[0]
    vsl = os.path.join(folder, run if run.lower().endswith('.vsl') else 'prog.vsl')
    with open(vsl, 'w', encoding='utf-8') as f:
        f.write(fill(source))
    if source.strip() and not run.lower().endswith('.vsl'):
        p = subprocess.run([s.vestcomp, vsl, '-o', os.path.join(folder, 'PROG.VSC'), '--no-map'] + sec('vestcomp')[0],
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        if p.returncode != 0:
            raise TestFailure('vestcomp failed: %s' % p.stdout.decode(errors='replace'))

    def write(fname, data):
        with open(os.path.join(folder, fname), 'wb') as f:
            f.write(data if isinstance(data, bytes) else data.encode('cp1252'))

    def fail(text):
        raise TestFailure(text)
    names = dict(write=write, folder=folder, os=os, tests=os.path.dirname(HERE), vestrun=s.vestrun, vestcomp=s.vestcomp,
                 subprocess=subprocess, cc=mingw_cc, fail=fail, ctx=s, diagonal=diagonal, words=words,
                 red_share=red_share, pdf=lambda doc: wait_pdf(doc, started), shots={})
    exec(sec('setup')[1], names)  # the check sees what the setup defined
    args = [run] + [a for a in sec('args')[1].split('\n') if a]
    env = [l.split('=', 1) for l in sec('env')[1].splitlines() if '=' in l]
    actions = [line.strip().partition(' ') for line in sec('actions')[1].splitlines()]
    actions = [(verb, fill(rest)) for verb, _, rest in actions]
    st = {'procs': [], 'window': None, 'folder': folder, 'name': name, 'shots': names['shots']}
    for verb, rest in actions:  # the reference boxes first: one box on the screen at a time
        if verb == 'opendialog':
            s.reference(OPEN_FIELDS, 'Escape', folder, name)
        if verb == 'box':
            s.reference(box_fields(rest)[0], 'Return', folder, name)
    s.env.update(env)
    received = sec('received')[1].strip().encode()
    serial = SerialPair(s, eval(kinds['serial'][1]), received[-1:]) if 'serial' in kinds else None
    expected = int(sec('exit')[1].strip() or 0)
    try:
        if 'actions' not in kinds and run != '-':
            s.run_to_exit(s.vestrun, args, folder, name, expected)
        else:
            if run != '-':
                st['procs'].append(s.start(s.vestrun, args, folder, name + '.log'))
            for verb, rest in actions:
                act(s, st, verb, rest)
            if st['procs']:
                s.wait_exit(st['procs'][-1], name, expected)
    finally:
        for k, _ in env:
            del s.env[k]
        if serial:
            serial.close()
    if serial and bytes(serial.received) != received:
        raise TestFailure('the device received %r' % bytes(serial.received))
    for kind, fargs, want in sections:
        if kind == 'file':
            got, want = read_text(os.path.join(folder, fargs[0])), fill(want)
            if (got.upper() != want.upper()) if 'nocase' in fargs else (got != want):
                raise TestFailure('%s differs:\n--- got\n%s--- expected\n%s' % (fargs[0], got, want))
    exec(sec('check')[1], names)


def box_fields(rest):
    """The reference fields and the closing key of "box STYLE CAPTION|TEXT[|KEY]"."""
    style, text = rest.split(' ', 1)
    caption, text, key = (text + '|Return').split('|')[:3]
    return [b'box', str(int(style, 0)).encode()] + [t.encode('cp1252').replace(b'\\r\\n', b'\r\n')
                                                    for t in (caption, text)], key


def act(s, st, verb, rest):
    window, folder, name = st['window'], st['folder'], st['name']
    proc = st['procs'][-1] if st['procs'] else None
    words = shlex.split(rest) if '"' in rest else rest.split()
    path = os.path.join(folder, words[0] if words else '')
    title = lambda: s.xdotool('getwindowname', window, check=False).stdout.decode().strip()
    if verb == 'window':
        st['window'] = s.wait_window(x_regex(rest.encode('cp1252')), proc, name)
        time.sleep(0.5)  # it takes keys a moment after it shows
    elif verb == 'step':
        s.until('step %s (at %r)' % (rest, title()), lambda: title() == rest, proc, TIMEOUT)
        time.sleep(0.5)
    elif verb in ('still', 'open'):
        time.sleep(1.5)
        if proc is not None and proc.poll() is not None or verb == 'still' and title() != rest:
            raise TestFailure('step %s: the wait ended too early' % rest)
        if verb == 'open' and window not in s.visible_windows('.'):
            raise TestFailure('the window closed')
    elif verb == 'key':
        s.press(window, *words)
    elif verb == 'type':
        s.xdotool('windowfocus', '--sync', window)
        s.xdotool('type', '--delay', '50', rest)
    elif verb in ('click', 'move'):
        s.xdotool('mousemove', '--window', window, *words[-2:])
        for updown in ('mousedown', 'mouseup') if verb == 'click' else ():
            time.sleep(0.3)
            s.xdotool(updown, words[0])
    elif verb == 'box':
        fields, key = box_fields(rest)
        box = s.wait_window(x_regex(fields[2]), proc, name)
        s.expect_same(s.reference(fields, 'Return', folder, name), name)
        s.answer(box, key)
    elif verb == 'opendialog':
        st['window'] = s.wait_window(x_regex(OPEN_TITLE), proc, name)
        s.expect_same(s.reference(OPEN_FIELDS, 'Escape', folder, name), name)
    elif verb == 'shot':
        st['shots'][rest] = (s.screenshot(), s.window_rect(window) if window else None)
    elif verb in ('run', 'start'):
        exe = s.vestrun if words[0] == 'vestrun' else os.path.join(folder, words[0])
        if words[0].endswith('.c'):
            exe = build_helper(s.work, words[0][:-2])
        if verb == 'start':
            st['procs'].append(s.start(exe, words[1:], folder, name + '.log'))
        elif st['procs']:  # beside a window
            s.wait_exit(s.start(exe, words[1:], folder, name + '.log'), rest, 0)
        else:
            s.run_to_exit(exe, words[1:], folder, name + '-' + words[0], 0)
    elif verb == 'pixels':
        rect = s.window_rect(window)
        least = int(words[2][:-1]) * rect[2] * rect[3] // 100 if words[2].endswith('%') else int(words[2])
        s.until('%s pixels %s %d' % (words[0], words[1], least), lambda: (s.screenshot().count(
            rect, PIXELS[words[0]]) >= least) == (words[1] == '>='), proc, TIMEOUT if words[1] == '>=' else 0)
    elif verb == 'stopped':
        sizes = [-1]

        def steady():
            time.sleep(1)
            sizes.append(os.path.getsize(path))
            return sizes[-2] == sizes[-1]
        s.until('%s stops growing' % rest, steady, None, TIMEOUT)
    elif verb == 'wait':
        s.until('%s written' % rest, lambda: read_text(path) and read_text(path).startswith(' '.join(words[1:])),
                proc, TIMEOUT)
    elif verb in ('answer', 'sleep', 'touch', 'copy', 'end'):
        {'answer': lambda: s.answer(window, rest), 'sleep': lambda: time.sleep(float(rest)),
         'touch': lambda: open(path, 'w').close(), 'end': lambda: s.wait_exit(st['procs'].pop(), name, int(rest)),
         'copy': lambda: shutil.copy(path, os.path.join(folder, words[1]))}[verb]()
    else:
        raise TestFailure('unknown action %r' % verb)


def main(description):
    """Runs the cases named on the command line (default: all of them)."""
    global MINGW
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--vestrun', required=True, help='the vestrun.exe to test')
    parser.add_argument('--vestcomp', default=os.path.join(os.path.dirname(os.path.dirname(HERE)), 'build', 'vestcomp'),
                        help='the native vestcomp, to compile and bind test programs')
    parser.add_argument('tests', nargs='*', help='names of the cases to run (default: all)')
    args = parser.parse_args()
    cases = [c for path in sorted(glob.glob(os.path.join(HERE, '*.cases')))
             + sorted(glob.glob(os.path.join(os.path.dirname(HERE), 'programs', '*.cases'))) for c in parse_cases(path)]
    if set(args.tests) - {c[0] for c in cases}:
        parser.error('unknown case among %s (known: %s)' % (args.tests, ', '.join(c[0] for c in cases)))
    if not all(os.path.isfile(p) for p in (args.vestrun, args.vestcomp)):
        print('wine tests: %s or %s does not exist\nwine tests: 0 passed, 1 failed' % (args.vestrun, args.vestcomp))
        return 1
    work = os.path.join(os.path.dirname(os.path.abspath(args.vestrun)), 'wine-tests')
    for old in ('shots', 'logs', 'run'):
        shutil.rmtree(os.path.join(work, old), ignore_errors=True)
    if pe_is_64_bit(args.vestrun):
        MINGW = 'x86_64-w64-mingw32'
        print('wine tests: %s is a 64-bit build; the helpers and the prefix are 64-bit too' % args.vestrun, flush=True)
    s = Session(work, os.path.abspath(args.vestrun), os.path.abspath(args.vestcomp))
    passed, failed, started = [], [], time.monotonic()
    try:
        s.start_x()
        s.boot_wine()
        for name, source, sections in (c for c in cases if not args.tests or c[0] in args.tests):
            t0 = time.monotonic()
            try:
                run_case(s, name, source, sections)
                passed.append(name)
                print('PASS %s (%.1f s)' % (name, time.monotonic() - t0), flush=True)
            except Exception as e:
                failed.append(name)
                print('FAIL %s: %s' % (name, e), flush=True)
                if not isinstance(e, TestFailure):
                    traceback.print_exc()
            s.clean_up()
    except Exception as e:
        print('wine tests: setup failed: %s' % e, flush=True)
        failed.append('setup')
    finally:
        s.keep_server('-k')
        if s.xvfb:
            s.xvfb.terminate()
    print('wine tests took %.1f s; screenshots and logs in %s' % (time.monotonic() - started, work))
    print('wine tests: %d passed, %d failed' % (len(passed), len(failed)))
    return 1 if failed else 0
