"""Wine tests of profile files of vestrun.exe, with the console runner (build/vestrun beside vestcomp) as the
other side: INI files written by either runner must read the same in both.

The Windows build has no console output yet, so its programs leave their
results in an INI file (ERGEBNIS.INI), which is read with configparser.
Collected by run_wine_tests.py through TESTS.
"""
import configparser
import os
import random
import subprocess

from wine_harness import TestFailure

# Names and values without separators of either reader, quotes, backslashes.
NAME_CHARS = 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.\xe4\xf6\xfc\xc4\xd6\xdc'
VALUE_CHARS = NAME_CHARS + ' ,()!?/&+*<>$@\xe9'

# A file written by hand before the writes: comments, spacing, a section in
# other case than the writes use.
HAND_WRITTEN = (b'; Einstellungen\r\n'
                b'[Allgemein]\r\n'
                b'Name = Alter Wert\r\n'
                b'Pfad=C:\\temp  \r\n'
                b'\r\n'
                b'[Zahlen]\r\n'
                b'eins=1\r\n')


def quote(text):
    return '"' + text + '"'


def random_text(rng, chars, low, high):
    return ''.join(rng.choice(chars) for _ in range(rng.randint(low, high)))


def ascii_lower(text):
    return ''.join(c.lower() if c.isascii() else c for c in text)


def entries():
    """The writes of the test and the model of the file after them."""
    rng = random.Random(1996)
    writes = [('ALLGEMEIN', 'name', '  Neuer Wert  '), ('Zahlen', 'EINS', 'eins'),
              ('Zahlen', 'zwei', '2'), ('Neu', 'leer', ''), ('neu', 'Gru\xdf', 'Gr\xfc\xdfe')]
    for _ in range(25):
        writes.append((rng.choice(['Alpha', 'ALPHA', 'Beta Gamma', '\xc4\xd6\xdc']),
                       random_text(rng, NAME_CHARS, 1, 10), random_text(rng, VALUE_CHARS, 0, 40)))
    model = {'allgemein': {'name': 'Alter Wert', 'pfad': 'C:\\temp'}, 'zahlen': {'eins': '1'}}
    for section, key, value in writes:
        model.setdefault(ascii_lower(section), {})[ascii_lower(key)] = value.strip(' ')
    queries = [(s, k) for s in sorted(model) for k in sorted(model[s])]
    queries += [('allgemein', 'fehlt'), ('fehlt', 'name')]
    return writes, model, queries


def writer_source(writes):
    return '\n'.join('WRITEINI ".\\DATEN.INI", %s, %s = %s' % tuple(quote(x) for x in w)
                     for w in writes) + '\n'


def ascii_swap(text):
    """Other case for the ASCII letters only: Wine's profile functions match
    other letters only in the same case (Windows and the console runner match
    the Latin-1 letters without regard to case, too)."""
    return ''.join(c.swapcase() if c.isascii() else c for c in text)


def reader_source(queries):
    """Reads every query from DATEN.INI into ERGEBNIS.INI, section R, key qN."""
    lines = ['WRITEINI ".\\ERGEBNIS.INI", "R", "q%d" = @READINI$(".\\DATEN.INI", %s, %s)'
             % (n, quote(ascii_swap(s)), quote(ascii_swap(k)))
             for n, (s, k) in enumerate(queries)]
    return '\n'.join(lines) + '\n'


def read_ini(path):
    p = configparser.RawConfigParser(interpolation=None, strict=True, delimiters=('=',),
                                     comment_prefixes=(';',), empty_lines_in_values=False)
    with open(path, encoding='cp1252') as f:
        p.read_file(f)
    return p


def profile_tests(TestFailure):
    """The tests as (name, function, needs Wine) for run_wine_tests.py."""

    def compile_program(ctx, folder, name, source):
        """vestcomp on a source with Latin-1 letters (written as UTF-8)."""
        vsl = os.path.join(folder, name + '.vsl')
        with open(vsl, 'w', encoding='utf-8') as f:
            f.write(source)
        p = subprocess.run([ctx.need_vestcomp(), vsl, '-o', os.path.join(folder, name + '.vsc')],
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=60)
        if p.returncode != 0:
            raise TestFailure('vestcomp failed on %s: %s' % (vsl, p.stdout.decode(errors='replace')))

    def native_runner(ctx):
        vestrun = os.path.join(os.path.dirname(ctx.need_vestcomp()), 'vestrun')
        if not os.path.isfile(vestrun):
            raise TestFailure('the console runner %s is missing' % vestrun)
        return vestrun

    def run_native(ctx, folder, program, args):
        p = subprocess.run([native_runner(ctx), program] + args, cwd=folder, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        if p.returncode != 0 or p.stderr:
            raise TestFailure('vestrun %s ended with %d: %s' % (program, p.returncode,
                                                                 p.stderr.decode(errors='replace')))

    def run_windows(ctx, folder, program, name):
        ctx.expect_exit(ctx.run_to_exit(ctx.vestrun, [program], folder, name), 0, name)

    def results(folder, count):
        path = os.path.join(folder, 'ERGEBNIS.INI')
        if not os.path.exists(path):
            raise TestFailure('%s was not written' % path)
        r = read_ini(path)
        return [r.get('R', 'q%d' % n, fallback=None) for n in range(count)]

    def test_ini_both_ways(ctx):
        """INI files written by vestrun.exe read the same in both runners and in
        configparser, and so do the files of the console runner."""
        writes, model, queries = entries()
        expected = [model.get(s, {}).get(k, '') for s, k in queries]
        files = {'DATEN.INI': HAND_WRITTEN}
        folders = {}
        for writer in ('windows', 'console'):
            folder = ctx.folder('ini-%s-writes' % writer, files)
            compile_program(ctx, folder, 'schreibt', writer_source(writes))
            compile_program(ctx, folder, 'liest', reader_source(queries))
            if writer == 'windows':
                run_windows(ctx, folder, 'schreibt.vsc', 'ini-windows-writes')
            else:
                run_native(ctx, folder, 'schreibt.vsc', [])
            folders[writer] = folder
            data = read_ini(os.path.join(folder, 'DATEN.INI'))
            for (s, k), want in zip(queries, expected):
                section = next((x for x in data.sections() if ascii_lower(x) == s), None)
                seen = data.get(section, k, fallback='') if section else ''
                if seen != want:
                    raise TestFailure('DATEN.INI by the %s runner: configparser reads [%s] %s as %r, '
                                      'expected %r' % (writer, s, k, seen, want))
        for writer, folder in folders.items():
            for reader in ('windows', 'console'):
                path = os.path.join(folder, 'ERGEBNIS.INI')
                if os.path.exists(path):
                    os.remove(path)
                if reader == 'windows':
                    run_windows(ctx, folder, 'liest.vsc', 'ini-%s-read-by-windows' % writer)
                else:
                    run_native(ctx, folder, 'liest.vsc', [])
                got = results(folder, len(queries))
                for (s, k), want, seen in zip(queries, expected, got):
                    if seen != want:
                        raise TestFailure('[%s] %s written by the %s runner: the %s runner reads %r, '
                                          'expected %r' % (s, k, writer, reader, seen, want))

    return [('ini-both-ways', test_ini_both_ways, True)]


TESTS = profile_tests(TestFailure)
