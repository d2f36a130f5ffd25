#!/usr/bin/env python3
"""The packages, built with CPack and used as a user would use them.

  deb-contents   build/: cpack gives vestil_VERSION_ARCH.deb with the programs,
                 the manual pages, the guide, the examples and the manual's
                 site (html/, a page for every docs/**/*.md), depending only
                 on the libraries the programs link
  man-pages      docs/vestrun.1 and docs/vestcomp.1 format without warnings
  deb-install    apt-get installs the .deb without downloading anything; an
                 installed example runs from /usr/share/doc/vestil/examples,
                 also bound to /usr/bin/vestrun; `man vestrun` shows the page;
                 apt-get purges the package and leaves none of its files
                 (needs root or sudo; skipped otherwise)
  zip-contents   build-win32/: cpack gives vestil-VERSION-win32.zip, one
                 folder with vestrun.exe (its appended-program slot intact),
                 vestcomp.exe, README.TXT, LANGUAGE.TXT, EXAMPLES\\ and the
                 manual's site (HTML\\), the texts with CR LF line ends
  zip-wine       the zip unpacked into a fresh Wine prefix (in Xvfb):
                 vestcomp.exe compiles every example to the bytes the native
                 vestcomp gives, vestrun.exe runs files.vsl (it writes a
                 file), and a stand-alone exe bound by the unpacked
                 vestcomp.exe runs in a folder of its own

usage: check_packages.py [--build build] [--build-win32 build-win32]
           [--work DIR] [TEST ...]

The last line is "package tests: N passed, N failed"; the exit code is 0 when
nothing failed.
"""
import argparse
import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import traceback
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'wine'))
import wine_harness  # noqa: E402  (the private X server of the Wine tests)
PACKAGE = 'vestil'
RUNTIME_VERSION = '5.0a-NT'

# What examples/files.vsl writes.
SQUARES = b''.join(b'%d\r\n' % (i * i) for i in range(1, 11)) + b'sum 385\r\n'
HELLO_OUTPUT = 'Hello, world!\nGrüße von VESTIL 5.0a-NT\n'.encode()


def site_pages():
    """The pages mkdocs makes of docs/ (use_directory_urls off): NAME.md -> NAME.html."""
    docs = os.path.join(ROOT, 'docs')
    return sorted(os.path.relpath(p, docs)[:-3] + '.html'
                  for p in glob.glob(os.path.join(docs, '**', '*.md'), recursive=True))


class TestFailure(Exception):
    pass


def run(argv, timeout=300, check=True, **kw):
    kw.setdefault('stdin', subprocess.DEVNULL)
    p = subprocess.run(argv, capture_output=True, timeout=timeout, **kw)
    if check and p.returncode != 0:
        raise TestFailure('%s: exit code %d\n%s%s' % (' '.join(argv), p.returncode,
                                                       p.stdout.decode(errors='replace'),
                                                       p.stderr.decode(errors='replace')))
    return p


def expect(cond, what):
    if not cond:
        raise TestFailure(what)


def project_version(build):
    with open(os.path.join(build, 'CMakeCache.txt')) as f:
        m = re.search(r'^CMAKE_PROJECT_VERSION:STATIC=(.*)$', f.read(), re.M)
    expect(m, '%s/CMakeCache.txt names no project version' % build)
    return m.group(1)


def cpack(build, pattern):
    for old in glob.glob(os.path.join(build, pattern)):
        os.remove(old)
    run(['cpack'], cwd=build, timeout=600)
    found = glob.glob(os.path.join(build, pattern))
    expect(len(found) == 1, 'cpack in %s made %s, not one %s' % (build, found, pattern))
    return found[0]


class Context:
    def __init__(self, args):
        self.build = os.path.abspath(args.build)
        self.build_win32 = os.path.abspath(args.build_win32)
        self.work = os.path.abspath(args.work)
        self.deb = None
        self.zip = None

    def need_deb(self):
        if not self.deb:
            self.deb = cpack(self.build, PACKAGE + '_*.deb')
        return self.deb

    def need_zip(self):
        if not self.zip:
            self.zip = cpack(self.build_win32, PACKAGE + '-*-win32.zip')
        return self.zip


# --- the Debian package ----------------------------------------------------------

def test_deb_contents(ctx):
    deb = ctx.need_deb()
    version = project_version(ctx.build)
    arch = run(['dpkg', '--print-architecture']).stdout.decode().strip()
    expect(os.path.basename(deb) == '%s_%s_%s.deb' % (PACKAGE, version, arch),
           'package file name %s' % os.path.basename(deb))
    fields = {}
    for name in ('Package', 'Version', 'Architecture', 'Depends', 'Recommends', 'Maintainer'):
        fields[name] = run(['dpkg-deb', '--field', deb, name]).stdout.decode().strip()
    expect((fields['Package'], fields['Version'], fields['Architecture']) == (PACKAGE, version, arch),
           'control fields %s' % fields)
    expect(fields['Maintainer'] != '', 'no Maintainer field')
    # Only what the executables link: the C and C++ runtime libraries.
    depends = [d.strip().split(' ')[0] for d in fields['Depends'].split(',') if d.strip()]
    expect('libc6' in depends and set(depends) <= {'libc6', 'libstdc++6', 'libgcc-s1'},
           'Depends: %s' % fields['Depends'])
    listing = run(['dpkg-deb', '--contents', deb]).stdout.decode()
    entries = {}
    for line in listing.splitlines():
        parts = line.split()
        entries[parts[-1].lstrip('.')] = parts[0]
    want = ['/usr/bin/vestrun', '/usr/bin/vestcomp',
            '/usr/share/man/man1/vestrun.1', '/usr/share/man/man1/vestcomp.1',
            '/usr/share/doc/vestil/README.md', '/usr/share/doc/vestil/language.md']
    want += ['/usr/share/doc/vestil/examples/' + os.path.relpath(p, os.path.join(ROOT, 'examples'))
             for p in glob.glob(os.path.join(ROOT, 'examples', '**', '*.vsl'), recursive=True)]
    want += ['/usr/share/doc/vestil/html/' + page for page in site_pages() + ['search/search_index.json']]
    for path in want:
        expect(path in entries, '%s is not in the package' % path)
    for path in ('/usr/bin/vestrun', '/usr/bin/vestcomp'):
        expect(entries[path] == '-rwxr-xr-x', '%s has the mode %s' % (path, entries[path]))
    for path, mode in entries.items():
        if path.endswith('/'):
            expect(mode == 'drwxr-xr-x', '%s has the mode %s' % (path, mode))
        expect(path.startswith('/usr/'), '%s lies outside /usr' % path)


def test_man_pages(ctx):
    env = dict(os.environ, MANWIDTH='80', LC_ALL='C.UTF-8')
    for page, name in (('vestrun.1', 'vestrun - run VESTIL programs'),
                       ('vestcomp.1', 'vestcomp - compile, list and bind VESTIL programs')):
        r = run(['man', '--warnings', '-l', os.path.join(ROOT, 'docs', page)], env=env)
        expect(r.stderr == b'', '%s: %s' % (page, r.stderr.decode(errors='replace')))
        expect(name in r.stdout.decode(), '%s does not read "%s"' % (page, name))


def root_command():
    if os.geteuid() == 0:
        return []
    if shutil.which('sudo') and run(['sudo', '-n', 'true'], check=False).returncode == 0:
        return ['sudo', '-n']
    return None


def apt_get(root, *args):
    return run(root + ['env', 'DEBIAN_FRONTEND=noninteractive', 'apt-get', '-y', '-q',
                       '-o', 'DPkg::Lock::Timeout=120', '-o', 'Dpkg::Use-Pty=0'] + list(args),
               timeout=600)


def installed(package):
    r = run(['dpkg-query', '-W', '-f=${Status}', package], check=False)
    return r.returncode == 0 and b'install ok installed' in r.stdout


def test_deb_install(ctx):
    root = root_command()
    if root is None:
        return 'skipped: neither root nor sudo without a password'
    deb = ctx.need_deb()
    if installed(PACKAGE):
        apt_get(root, 'purge', PACKAGE)
    # Everything the package needs is installed already (tools/install_deps.sh):
    # apt must install this package and nothing else.
    plan = apt_get(root, 'install', '--simulate', deb).stdout.decode()
    new = sorted(line.split()[1] for line in plan.splitlines() if line.startswith('Inst '))
    expect(new == [PACKAGE], 'apt-get would install %s' % new)
    apt_get(root, 'install', deb)
    try:
        files = run(['dpkg', '-L', PACKAGE]).stdout.decode().splitlines()
        expect(shutil.which('vestrun') == '/usr/bin/vestrun', 'vestrun is %s' % shutil.which('vestrun'))
        version = project_version(ctx.build)
        r = run(['/usr/bin/vestrun', '--version'])
        expect(r.stdout == ('vestrun %s (VESTIL runtime %s)\n' % (version, RUNTIME_VERSION)).encode(),
               'vestrun --version: %r' % r.stdout)

        work = os.path.join(ctx.work, 'deb')
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        examples = '/usr/share/doc/vestil/examples'
        run(['/usr/bin/vestcomp', os.path.join(examples, 'hello.vsl'), '-o', 'hello.VSC'], cwd=work)
        r = run(['/usr/bin/vestrun', 'hello'], cwd=work)
        expect(r.stdout == HELLO_OUTPUT, 'hello.vsl printed %r' % r.stdout)
        run(['/usr/bin/vestcomp', os.path.join(examples, 'include.vsl'), '-o', 'include.VSC'], cwd=work)
        r = run(['/usr/bin/vestrun', 'include.VSC'], cwd=work)
        expect(b'between two rules' in r.stdout, 'include.vsl printed %r' % r.stdout)
        run(['/usr/bin/vestcomp', os.path.join(examples, 'files.vsl'), '-o', 'files.VSC'], cwd=work)
        run(['/usr/bin/vestrun', 'files.VSC'], cwd=work)
        with open(os.path.join(work, 'squares.txt'), 'rb') as f:
            expect(f.read() == SQUARES, 'files.vsl wrote another squares.txt')
        # The installed runner is stripped; its appended-program slot stays.
        run(['/usr/bin/vestcomp', 'bind', '/usr/bin/vestrun', 'hello.VSC', '-o', 'hello'], cwd=work)
        r = run([os.path.join(work, 'hello')], cwd=work)
        expect(r.stdout == HELLO_OUTPUT, 'the bound hello printed %r' % r.stdout)

        env = dict(os.environ, MANPAGER='cat', PAGER='cat', MANWIDTH='80', LC_ALL='C.UTF-8')
        page = run(['man', '-w', 'vestrun'], env=env).stdout.decode().strip()
        expect(page.startswith('/usr/share/man/man1/vestrun.1'), 'man -w vestrun: %s' % page)
        r = run(['man', '--warnings', 'vestrun'], env=env)
        expect(b'vestrun - run VESTIL programs' in r.stdout and r.stderr == b'',
               'man vestrun: %r %r' % (r.stdout[:200], r.stderr))
        run(['man', 'vestcomp'], env=env)
    finally:
        apt_get(root, 'purge', PACKAGE)
    expect(not installed(PACKAGE), 'the package is still installed')
    left = [p for p in files if os.path.isfile(p) or os.path.islink(p)]
    left += [p for p in ('/usr/share/doc/vestil',) if os.path.exists(p)]
    expect(not left, 'left after the purge: %s' % left)


# --- the Windows zip --------------------------------------------------------------

def zip_folder(ctx):
    return 'vestil-%s-win32/' % project_version(ctx.build_win32)


def test_zip_contents(ctx):
    path = ctx.need_zip()
    top = zip_folder(ctx)
    expect(os.path.basename(path) == top.rstrip('/') + '.zip', 'zip file name %s' % path)
    with zipfile.ZipFile(path) as z:
        names = [n for n in z.namelist() if not n.endswith('/')]
        expect(all(n.startswith(top) for n in names), 'names outside %s: %s' % (top, names))
        names = {n[len(top):] for n in names}
        examples = {'EXAMPLES/' + os.path.relpath(p, os.path.join(ROOT, 'examples'))
                    for p in glob.glob(os.path.join(ROOT, 'examples', '**', '*.vsl'), recursive=True)}
        want = {'vestrun.exe', 'vestcomp.exe', 'README.TXT', 'LANGUAGE.TXT'} | examples
        site = {n for n in names if n.startswith('HTML/')}
        pages = {'HTML/' + page for page in site_pages()}
        expect(pages <= site, 'the zip lacks the pages %s' % sorted(pages - site))
        expect(names - site == want, 'the zip holds %s, not %s' % (sorted(names - site), sorted(want)))
        for exe in ('vestrun.exe', 'vestcomp.exe'):
            with open(os.path.join(ctx.build_win32, exe), 'rb') as f:
                expect(z.read(top + exe) == f.read(), '%s differs from the build' % exe)
        runner = z.read(top + 'vestrun.exe')
        pe_offset = struct.unpack_from('<I', runner, 0x3c)[0]
        expect(runner[:2] == b'MZ' and pe_offset >= 0x100 and runner[0x80:0x84] == b'\0\0\0\0',
               'vestrun.exe has no free appended-program slot (PE header at 0x%x)' % pe_offset)
        for text in ['README.TXT', 'LANGUAGE.TXT'] + sorted(examples):
            data = z.read(top + text)
            expect(data.count(b'\n') > 0 and data.count(b'\n') == data.count(b'\r\n'),
                   '%s does not end its lines with CR LF' % text)
        with open(os.path.join(ROOT, 'docs', 'language.md'), 'rb') as f:
            expect(z.read(top + 'LANGUAGE.TXT').replace(b'\r\n', b'\n') == f.read(),
                   'LANGUAGE.TXT is not the guide')


class Wine:
    """A private X server and a fresh Wine prefix under the work folder."""

    def __init__(self, work, win64=False):
        self.work = work
        self.win64 = win64
        self.env = dict(os.environ)
        self.xvfb = None

    def start(self):
        self.xvfb, display = wine_harness.start_xvfb('800x600x24')
        prefix = os.path.join(self.work, 'prefix')
        shutil.rmtree(prefix, ignore_errors=True)
        self.env.update({
            'DISPLAY': display,
            'WINEPREFIX': prefix,
            'WINEARCH': 'win64' if self.win64 else 'win32',
            'WINEDEBUG': '-all',
            'WINEDLLOVERRIDES': 'mscoree,mshtml=',
        })
        t0 = time.monotonic()
        run(['wineboot', '-i'], env=self.env, timeout=600)
        run(['wineserver', '-w'], env=self.env, timeout=600)
        print('wineboot -i: %.1f s' % (time.monotonic() - t0), flush=True)
        return os.path.join(prefix, 'drive_c')

    def run(self, cwd, exe, *argv):
        """Runs the Windows program cwd/exe; wine ends with its exit code."""
        return run(['wine', os.path.join(cwd, exe)] + list(argv), cwd=cwd, env=self.env,
                   timeout=120, check=False)

    def stop(self):
        if 'WINEPREFIX' in self.env:
            subprocess.run(['wineserver', '-k'], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()


def expect_exit(r, code, what):
    expect(r.returncode == code, '%s: exit code %d, expected %d\n%s%s' % (
        what, r.returncode, code, r.stdout.decode(errors='replace'), r.stderr.decode(errors='replace')))


def runs_32_bit_programs():
    """The Wine of Debian 12 runs 32-bit programs with a 32-bit loader, which a
    kernel without 32-bit support cannot start."""
    try:
        return subprocess.run(['/usr/lib/wine/wine', '--version'], capture_output=True,
                              timeout=60).returncode == 0
    except OSError:
        return False


def test_zip_wine(ctx):
    path = ctx.need_zip()
    # Where the kernel runs no 32-bit programs, the 64-bit build of the same
    # source stands in for the zip's two exes (zip-contents checks those).
    stand_in = None
    if not runs_32_bit_programs():
        stand_in = os.path.join(os.path.dirname(ctx.build_win32), 'build-win64')
        if not all(os.path.isfile(os.path.join(stand_in, e)) for e in ('vestrun.exe', 'vestcomp.exe')):
            return 'skipped: this kernel runs no 32-bit programs and there is no build-win64 to stand in'
        print('zip-wine: this kernel runs no 32-bit programs; the exes of %s stand in' % stand_in,
              flush=True)

    native_vestcomp = os.path.join(ctx.build, 'vestcomp')
    expect(os.path.isfile(native_vestcomp), '%s does not exist' % native_vestcomp)
    work = os.path.join(ctx.work, 'wine')
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    wine = Wine(work, win64=stand_in is not None)
    try:
        drive_c = wine.start()
        with zipfile.ZipFile(path) as z:
            z.extractall(drive_c)
        folder = os.path.join(drive_c, zip_folder(ctx).rstrip('/'))
        if stand_in:
            for exe in ('vestrun.exe', 'vestcomp.exe'):
                shutil.copyfile(os.path.join(stand_in, exe), os.path.join(folder, exe))

        r = wine.run(folder, 'vestcomp.exe', '--version')
        expect_exit(r, 0, 'vestcomp.exe --version')
        expect(r.stdout.replace(b'\r\n', b'\n') == ('vestcomp %s (VESTIL runtime %s)\n' % (
            project_version(ctx.build_win32), RUNTIME_VERSION)).encode(),
               'vestcomp.exe --version: %r' % r.stdout)

        # Every unpacked example (CR LF) compiles to the bytes the native
        # vestcomp makes of the original.
        sources = sorted(glob.glob(os.path.join(ROOT, 'examples', '*.vsl')))
        expect(sources, 'no examples')
        for source in sources:
            name = os.path.splitext(os.path.basename(source))[0]
            want = os.path.join(work, name + '.native')
            run([native_vestcomp, source, '-o', want])
            r = wine.run(folder, 'vestcomp.exe', 'EXAMPLES\\%s.vsl' % name, '-o', name.upper() + '.VSC')
            expect_exit(r, 0, 'vestcomp.exe %s.vsl' % name)
            with open(want, 'rb') as a, open(os.path.join(folder, name.upper() + '.VSC'), 'rb') as b:
                expect(a.read() == b.read(), '%s.vsl: vestcomp.exe and vestcomp differ' % name)

        # files.vsl writes squares.txt and ends with 0.
        r = wine.run(folder, 'vestrun.exe', 'FILES.VSC')
        expect_exit(r, 0, 'vestrun.exe FILES.VSC')
        with open(os.path.join(folder, 'squares.txt'), 'rb') as f:
            expect(f.read() == SQUARES, 'vestrun.exe FILES.VSC wrote another squares.txt')

        # A stand-alone exe, bound by the unpacked vestcomp.exe, in a folder
        # without the runner or the program file.
        r = wine.run(folder, 'vestcomp.exe', 'bind', 'vestrun.exe', 'FILES.VSC', '-o', 'FILES.EXE')
        expect_exit(r, 0, 'vestcomp.exe bind')
        alone = os.path.join(drive_c, 'alone')
        os.makedirs(alone)
        shutil.move(os.path.join(folder, 'FILES.EXE'), os.path.join(alone, 'FILES.EXE'))
        r = wine.run(alone, 'FILES.EXE')
        expect_exit(r, 0, 'FILES.EXE')
        with open(os.path.join(alone, 'squares.txt'), 'rb') as f:
            expect(f.read() == SQUARES, 'FILES.EXE wrote another squares.txt')
    finally:
        wine.stop()


TESTS = [
    ('deb-contents', test_deb_contents),
    ('man-pages', test_man_pages),
    ('deb-install', test_deb_install),
    ('zip-contents', test_zip_contents),
    ('zip-wine', test_zip_wine),
]


def main():
    ap = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    ap.add_argument('--build', default=os.path.join(ROOT, 'build'))
    ap.add_argument('--build-win32', default=os.path.join(ROOT, 'build-win32'))
    ap.add_argument('--work', help='work folder (default: package-tests/ in the native build)')
    ap.add_argument('tests', nargs='*')
    args = ap.parse_args()
    if not args.work:
        args.work = os.path.join(args.build, 'package-tests')
    names = [n for n, _ in TESTS]
    for n in args.tests:
        if n not in names:
            ap.error('unknown test %s (known: %s)' % (n, ', '.join(names)))
    os.makedirs(args.work, exist_ok=True)
    ctx = Context(args)
    passed = failed = 0
    started = time.monotonic()
    for name, func in TESTS:
        if args.tests and name not in args.tests:
            continue
        t0 = time.monotonic()
        try:
            note = func(ctx)
        except TestFailure as e:
            failed += 1
            print('FAIL %s: %s' % (name, e), flush=True)
        except Exception:
            failed += 1
            print('FAIL %s: unexpected error' % name, flush=True)
            traceback.print_exc()
        else:
            if note:
                print('SKIP %s: %s' % (name, note), flush=True)
            else:
                passed += 1
                print('PASS %s (%.1f s)' % (name, time.monotonic() - t0), flush=True)
    print('package tests took %.1f s' % (time.monotonic() - started))
    print('package tests: %d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
