#!/usr/bin/env python3
"""The packages, built with CPack and used as a user would: the .deb (contents,
man pages, installed with apt-get and purged: needs root or sudo) and the
Windows zip (contents; unpacked into a fresh Wine prefix, where vestcomp.exe
compiles every example to the native bytes and a bound exe runs alone).
The last line is "package tests: N passed, N failed".
"""
import argparse
import functools
import glob
import os
import re
import shutil
import subprocess
import sys
import traceback
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path[:0] = [os.path.join(ROOT, 'tests'), os.path.join(ROOT, 'tests', 'wine')]
import wine_harness  # noqa: E402  (the private X server of the Wine tests)
from checklib import Failure as TestFailure, expect  # noqa: E402

VERSION_LINE = '%s %s (VESTIL runtime 5.0a-NT)\n'
# What examples/files.vsl writes and examples/hello.vsl prints.
SQUARES = b''.join(b'%d\r\n' % (i * i) for i in range(1, 11)) + b'sum 385\r\n'
HELLO_OUTPUT = 'Hello, world!\nGrüße von VESTIL 5.0a-NT\n'.encode()
MAN_ENV = dict(os.environ, MANPAGER='cat', PAGER='cat', MANWIDTH='80', LC_ALL='C.UTF-8')


def run(argv, timeout=300, check=True, **kw):
    p = subprocess.run(argv, capture_output=True, timeout=timeout, stdin=subprocess.DEVNULL, **kw)
    if check and p.returncode != 0:
        raise TestFailure('%s: exit code %d\n%s%s' % (' '.join(argv), p.returncode,
                                                       p.stdout.decode(errors='replace'),
                                                       p.stderr.decode(errors='replace')))
    return p


def read(path):
    return open(path, 'rb').read()


def files_under(folder, ext):
    top = os.path.join(ROOT, folder)
    return [os.path.relpath(p, top) for p in glob.glob(top + '/**/*' + ext, recursive=True)]


def project_version(build):
    m = re.search(r'^CMAKE_PROJECT_VERSION:STATIC=(.*)$', read(os.path.join(build, 'CMakeCache.txt')).decode(), re.M)
    expect(m, '%s/CMakeCache.txt names no project version' % build)
    return m.group(1)


@functools.lru_cache(None)
def cpack(build, pattern):
    for old in glob.glob(os.path.join(build, pattern)):
        os.remove(old)
    run(['cpack'], cwd=build, timeout=600)
    found = glob.glob(os.path.join(build, pattern))
    expect(len(found) == 1, 'cpack in %s made %s, not one %s' % (build, found, pattern))
    return found[0]


def fresh(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def test_deb_contents(a):
    deb = cpack(a.build, 'vestil_*.deb')
    version = project_version(a.build)
    arch = run(['dpkg', '--print-architecture']).stdout.decode().strip()
    expect(os.path.basename(deb) == 'vestil_%s_%s.deb' % (version, arch), 'package file name %s' % deb)
    fields = {name: run(['dpkg-deb', '--field', deb, name]).stdout.decode().strip()
              for name in ('Package', 'Version', 'Architecture', 'Depends', 'Maintainer')}
    expect((fields['Package'], fields['Version'], fields['Architecture']) == ('vestil', version, arch)
           and fields['Maintainer'], 'control fields %s' % fields)
    # Only what the executables link: the C and C++ runtime libraries.
    depends = [d.strip().split(' ')[0] for d in fields['Depends'].split(',') if d.strip()]
    expect('libc6' in depends and set(depends) <= {'libc6', 'libstdc++6', 'libgcc-s1'}, 'Depends: %s' % depends)
    entries = {line.split()[-1].lstrip('.'): line.split()[0]
               for line in run(['dpkg-deb', '--contents', deb]).stdout.decode().splitlines()}
    doc = '/usr/share/doc/vestil/'
    want = ['/usr/share/man/man1/vestrun.1', '/usr/share/man/man1/vestcomp.1', doc + 'README.md', doc + 'language.md']
    want += [doc + 'examples/' + e for e in files_under('examples', '.vsl')]
    want += [doc + 'html/' + p[:-3] + '.html' for p in files_under('docs', '.md')] + [doc + 'html/search/search_index.json']
    for path in want:
        expect(path in entries, '%s is not in the package' % path)
    for path in ('/usr/bin/vestrun', '/usr/bin/vestcomp'):
        expect(entries.get(path) == '-rwxr-xr-x', '%s has the mode %s' % (path, entries.get(path)))
    for path, mode in entries.items():
        expect(path.startswith('/usr/') and (mode == 'drwxr-xr-x' or not path.endswith('/')),
               '%s (%s) lies outside /usr or has another mode' % (path, mode))
    for page, name in (('vestrun.1', 'vestrun - run VESTIL programs'),
                       ('vestcomp.1', 'vestcomp - compile, list and bind VESTIL programs')):
        r = run(['man', '--warnings', '-l', os.path.join(ROOT, 'docs', page)], env=MAN_ENV)
        expect(r.stderr == b'' and name in r.stdout.decode(), '%s: %r %s' % (page, r.stdout[:200], r.stderr))


def installed():
    return b'install ok installed' in run(['dpkg-query', '-W', '-f=${Status}', 'vestil'], check=False).stdout


def test_deb_install(a):
    if os.geteuid() == 0:
        root = []
    elif shutil.which('sudo') and run(['sudo', '-n', 'true'], check=False).returncode == 0:
        root = ['sudo', '-n']
    else:
        return 'skipped: neither root nor sudo without a password'
    deb = cpack(a.build, 'vestil_*.deb')

    def apt_get(*args):
        return run(root + ['env', 'DEBIAN_FRONTEND=noninteractive', 'apt-get', '-y', '-q', '-o',
                           'DPkg::Lock::Timeout=120', '-o', 'Dpkg::Use-Pty=0'] + list(args), timeout=600)
    if installed():
        apt_get('purge', 'vestil')
    # Everything the package needs is installed already (tools/install_deps.sh).
    plan = apt_get('install', '--simulate', deb).stdout.decode().splitlines()
    new = [line.split()[1] for line in plan if line.startswith('Inst ')]
    expect(new == ['vestil'], 'apt-get would install %s' % new)
    apt_get('install', deb)
    try:
        files = run(['dpkg', '-L', 'vestil']).stdout.decode().splitlines()
        expect(shutil.which('vestrun') == '/usr/bin/vestrun', 'vestrun is %s' % shutil.which('vestrun'))
        r = run(['/usr/bin/vestrun', '--version'])
        expect(r.stdout == (VERSION_LINE % ('vestrun', project_version(a.build))).encode(), '--version: %r' % r.stdout)
        work = fresh(os.path.join(a.work, 'deb'))
        run(['/usr/bin/vestcomp', '/usr/share/doc/vestil/examples/hello.vsl', '-o', 'hello.VSC'], cwd=work)
        # The installed runner is stripped; its appended-program slot stays.
        run(['/usr/bin/vestcomp', 'bind', '/usr/bin/vestrun', 'hello.VSC', '-o', 'hello'], cwd=work)
        for argv in (['/usr/bin/vestrun', 'hello'], [work + '/hello']):
            r = run(argv, cwd=work)
            expect(r.stdout == HELLO_OUTPUT, '%s printed %r' % (argv, r.stdout))
        r = run(['man', 'vestrun'], env=MAN_ENV)
        expect(b'vestrun - run VESTIL programs' in r.stdout, 'man vestrun: %r' % r.stdout[:200])
    finally:
        apt_get('purge', 'vestil')
    expect(not installed(), 'the package is still installed')
    left = [p for p in files if os.path.isfile(p) or os.path.islink(p)]
    left += [p for p in ['/usr/share/doc/vestil'] if os.path.exists(p)]
    expect(not left, 'left after the purge: %s' % left)


def zip_folder(a):
    return 'vestil-%s-win32/' % project_version(a.build_win32)


def test_zip_contents(a):
    path, top = cpack(a.build_win32, 'vestil-*-win32.zip'), zip_folder(a)
    expect(os.path.basename(path) == top.rstrip('/') + '.zip', 'zip file name %s' % path)
    with zipfile.ZipFile(path) as z:
        names = [n for n in z.namelist() if not n.endswith('/')]
        expect(all(n.startswith(top) for n in names), 'names outside %s: %s' % (top, names))
        names = {n[len(top):] for n in names}
        samples = {'EXAMPLES/' + e for e in files_under('examples', '.vsl')}
        site = {n for n in names if n.startswith('HTML/')}
        pages = {'HTML/' + p[:-3] + '.html' for p in files_under('docs', '.md')}  # mkdocs: NAME.md -> NAME.html
        expect(pages <= site, 'the zip lacks the pages %s' % sorted(pages - site))
        want = {'vestrun.exe', 'vestcomp.exe', 'README.TXT', 'LANGUAGE.TXT'} | samples
        expect(names - site == want, 'the zip holds %s, not %s' % (sorted(names - site), sorted(want)))
        for exe in ('vestrun.exe', 'vestcomp.exe'):
            expect(z.read(top + exe) == read(os.path.join(a.build_win32, exe)), '%s differs from the build' % exe)
        for text in ['README.TXT', 'LANGUAGE.TXT'] + sorted(samples):
            data = z.read(top + text)
            expect(0 < data.count(b'\n') == data.count(b'\r\n'), '%s does not end its lines with CR LF' % text)
        expect(z.read(top + 'LANGUAGE.TXT').replace(b'\r\n', b'\n') == read(os.path.join(ROOT, 'docs', 'language.md')),
               'LANGUAGE.TXT is not the guide')


def test_zip_wine(a):
    path = cpack(a.build_win32, 'vestil-*-win32.zip')
    # A kernel that runs no 32-bit programs starts no 32-bit Wine: there the
    # 64-bit build stands in for the zip's two exes (zip-contents checks those).
    stand_in = None
    if run(['/usr/lib/wine/wine', '--version'], check=False).returncode != 0:
        stand_in = os.path.join(os.path.dirname(a.build_win32), 'build-win64')
        if not all(os.path.isfile(os.path.join(stand_in, e)) for e in ('vestrun.exe', 'vestcomp.exe')):
            return 'skipped: this kernel runs no 32-bit programs and there is no build-win64 to stand in'
        print('zip-wine: this kernel runs no 32-bit programs; the exes of %s stand in' % stand_in, flush=True)
    native_vestcomp = os.path.join(a.build, 'vestcomp')
    work = fresh(os.path.join(a.work, 'wine'))
    x = wine_harness.Session(work)
    x.start_x()
    env = dict(os.environ, DISPLAY=x.env['DISPLAY'], WINEPREFIX=os.path.join(work, 'prefix'), WINEDEBUG='-all',
               WINEARCH='win64' if stand_in else 'win32', WINEDLLOVERRIDES='mscoree,mshtml=')

    def wine(cwd, exe, *argv):
        """Runs the Windows program cwd/exe; it must end with 0."""
        return run(['wine', os.path.join(cwd, exe)] + list(argv), cwd=cwd, env=env, timeout=120)
    try:
        run(['wineboot', '-i'], env=env, timeout=600)
        run(['wineserver', '-w'], env=env, timeout=600)
        drive_c = os.path.join(work, 'prefix', 'drive_c')
        with zipfile.ZipFile(path) as z:
            z.extractall(drive_c)
        folder = os.path.join(drive_c, zip_folder(a))
        for exe in ('vestrun.exe', 'vestcomp.exe') if stand_in else ():
            shutil.copyfile(os.path.join(stand_in, exe), os.path.join(folder, exe))
        r = wine(folder, 'vestcomp.exe', '--version')
        expect(r.stdout.replace(b'\r\n', b'\n') == (VERSION_LINE % ('vestcomp', project_version(a.build_win32))).encode(),
               'vestcomp.exe --version: %r' % r.stdout)
        # Every unpacked example (CR LF) compiles to the native vestcomp's bytes.
        for source in glob.glob(os.path.join(ROOT, 'examples', '*.vsl')):
            name = os.path.basename(source)[:-4]
            run([native_vestcomp, source, '-o', os.path.join(work, name + '.native')])
            wine(folder, 'vestcomp.exe', 'EXAMPLES\\%s.vsl' % name, '-o', name.upper() + '.VSC')
            expect(read(os.path.join(work, name + '.native')) == read(os.path.join(folder, name.upper() + '.VSC')),
                   '%s.vsl: vestcomp.exe and vestcomp differ' % name)
        wine(folder, 'vestrun.exe', 'FILES.VSC')
        expect(read(os.path.join(folder, 'squares.txt')) == SQUARES, 'vestrun.exe FILES.VSC wrote another squares.txt')
        # An exe bound by the unpacked vestcomp.exe runs in a folder of its own.
        wine(folder, 'vestcomp.exe', 'bind', 'vestrun.exe', 'FILES.VSC', '-o', 'FILES.EXE')
        alone = fresh(os.path.join(drive_c, 'alone'))
        shutil.move(os.path.join(folder, 'FILES.EXE'), os.path.join(alone, 'FILES.EXE'))
        wine(alone, 'FILES.EXE')
        expect(read(os.path.join(alone, 'squares.txt')) == SQUARES, 'FILES.EXE wrote another squares.txt')
    finally:
        run(['wineserver', '-k'], env=env, timeout=60, check=False)
        x.xvfb.kill()
        x.xvfb.wait()


TESTS = {'deb-contents': test_deb_contents, 'deb-install': test_deb_install,
         'zip-contents': test_zip_contents, 'zip-wine': test_zip_wine}


def main():
    ap = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    ap.add_argument('--build', default=os.path.join(ROOT, 'build'), type=os.path.abspath)
    ap.add_argument('--build-win32', default=os.path.join(ROOT, 'build-win32'), type=os.path.abspath)
    a = ap.parse_args()
    a.work = os.path.join(a.build, 'package-tests')
    passed = failed = 0
    for name, func in TESTS.items():
        try:
            note = func(a)
        except Exception as e:
            failed += 1
            print('FAIL %s: %s' % (name, e), flush=True)
            if not isinstance(e, TestFailure):
                traceback.print_exc()
        else:
            passed += not note
            print('SKIP %s: %s' % (name, note) if note else 'PASS ' + name, flush=True)
    print('package tests: %d passed, %d failed' % (passed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
