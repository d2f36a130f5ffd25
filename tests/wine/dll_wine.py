"""Wine tests of the library calls and the sound statements of vestrun.exe.

The test library tests/dll/vt_lib.c (stdcall functions of 0, 1, 5 and 12
arguments and one that writes into an area) and the stand-in bridge
tests/dll/vest16_stub.c are built with the mingw compiler of the runner's
kind. The programs leave their results in ERGEBNIS.INI; the stand-in bridge
logs each exchange file in BRIDGE.LOG. Errors 247 and 248 are read from
&ERRORNUMBER under ERRORMODE -1 (their boxes are the same code as every
other error box). Collected by run_wine_tests.py through TESTS.
"""
import configparser
import os
import re
import shutil
import subprocess

from wine_harness import TestFailure, read_results

HERE = os.path.dirname(os.path.abspath(__file__))
DLL_SOURCES = os.path.join(os.path.dirname(HERE), 'dll')



def program(declarations, results):
    """Declarations, then one WRITEINI per result (a number through N&, a text
    through S$)."""
    lines = list(declarations)
    for n, expression in enumerate(results):
        var = 'S$' if expression.startswith('$') else 'N&'
        lines.append('%s = %s' % (var, expression.lstrip('$')))
        lines.append('WRITEINI ".\\ERGEBNIS.INI", "R", "q%d" = %s' % (n, var))
    return '\n'.join(lines) + '\nEND\n'


def compiler(ctx):
    cc = next((c for c in (ctx.mingw + '-gcc-posix', ctx.mingw + '-gcc') if shutil.which(c)), None)
    if not cc:
        raise TestFailure('no %s-gcc to build the test library' % ctx.mingw)
    return cc


def build(ctx, folder):
    cc = compiler(ctx)
    subprocess.run([cc, '-std=c11', '-O2', '-Wall', '-Wextra', '-Werror', '-shared', '-static-libgcc',
                    '-Wl,--kill-at', '-o', os.path.join(folder, 'VT.DLL'),
                    os.path.join(DLL_SOURCES, 'vt_lib.c')], check=True, timeout=300)
    # A GUI program, so that no console window opens for it.
    subprocess.run([cc, '-std=c11', '-O2', '-Wall', '-Wextra', '-Werror', '-mwindows', '-static',
                    '-o', os.path.join(folder, 'VEST16.EXE'), os.path.join(DLL_SOURCES, 'vest16_stub.c')],
                   check=True, timeout=300)


DIRECT = program(
    ['DEFFN NONE() !"VT.DLL","vt_none"',
     'DEFFN NEG(1) !"VT.DLL","vt_negate"',
     'DEFFN FIVE(5) !"VT.DLL","vt_five"',
     'DEFFN TWELVE(12) !"VT.DLL","vt_twelve"',
     'DEFFN FILL(3) !"VT.DLL","vt_fill"',
     'DEFFN TICKS() !"KERNEL32","GetTickCount"',
     'DEFFN NODLL() !"NOSUCH.DLL","vt_none"',
     'DEFFN NOFN() !"VT.DLL","vt_nothing"',
     'DECLARE A#, N&, S$, H&',
     'DIM A#, 8',
     'AREATEXT A#, 0 = "x"'],
    ['@NONE()',
     '@NEG(5)',
     '@FIVE(1, 2, 3, 4, 5)',
     '@TWELVE(1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1)',
     '@TWELVE(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1)',
     '@FILL(A#, 4, 65)',
     '$@AREASTRING$(A#, 0)',
     '@EQU(@TICKS(), 0)',
     '@EQU(@LOADLIB("VT.DLL"), 0)',
     '@NONE()',
     '@LOADLIB("")',
     '@LOADLIB("NOSUCH.DLL")',
     # Silenced errors: the result 0 and the error's number.
     '@ADD(@NODLL(), &ERRORNUMBER)',
     '@ADD(@NOFN(), &ERRORNUMBER)'])
DIRECT = DIRECT.replace('DECLARE A#', 'ERRORMODE -1\nDECLARE A#', 1)
DIRECT_EXPECTED = ['4711', '-5', '12345', '78', '-12', '5', 'xAAAA', '0', '0', '4711', '0', '0', '247',
                   '248']

BRIDGE = program(
    ['DEFFN B3(3) *"OLD.DLL","Rechne","%&#","&"',
     'DEFFN B0() *"OLD.DLL","Nichts","","%"',
     'DEFFN BAD(1) *"OLD.DLL","Falsch","!","&"',
     'DEFFN SHORT(2) *"OLD.DLL","Kurz","%","&"',
     'DEFFN DIES(1) *"OLD.DLL","Stirb","&","&"',
     'ERRORMODE -1',
     'DECLARE A#, N&, S$',
     'DIM A#, 100'],
    ['@B3(-2, 70000, A#)',
     '@AREABYTE(A#, 0)',
     '@AREABYTE(A#, 99)',
     '@B0()',
     '@B0()',
     '@ADD(@BAD(1), &ERRORNUMBER)',
     '@ADD(@SHORT(1, 2), &ERRORNUMBER)',
     '@ADD(@DIES(5), &ERRORNUMBER)'])
BRIDGE_EXPECTED = ['70998', '1', '1', '0', '0', '246', '245', '247']

SOUND = program(
    ['ERRORMODE -1',
     'DECLARE N&, T&, S$',
     'BEEP 440, 100',
     'PLAYSOUND "NOSUCH.WAV", 3',
     'MIDINOTES 61;65;68, 16, 0',
     'N& = &ERRORNUMBER',
     'WRITEINI ".\\ERGEBNIS.INI", "R", "midinotes" = N&',
     'T& = &TICKS',
     'PLAY "T120 L4 O4 C"',
     'N& = &ERRORNUMBER',
     'WRITEINI ".\\ERGEBNIS.INI", "R", "play" = N&',
     'T& = @SUB(&TICKS, T&)'],
    ['T&'])


def test_direct_calls(ctx):
    """Direct calls of 0, 1, 5 and 12 arguments, an area, @LOADLIB, 247, 248."""
    folder = ctx.folder('dll-direct', {})
    build(ctx, folder)
    ctx.compile(folder, 'direkt', DIRECT)
    code = ctx.run_to_exit(ctx.vestrun, ['direkt.vsc'], folder, 'dll-direct')
    ctx.expect_exit(code, 0, 'direct calls')
    got = read_results(folder, len(DIRECT_EXPECTED))
    if got != DIRECT_EXPECTED:
        raise TestFailure('results %r, expected %r' % (got, DIRECT_EXPECTED))


def test_bridge_calls(ctx):
    """The bridge: exchange-file bytes, names, areas read back, 245 and 246;
    a bridge that ends without its marker is 247, its exchange file gone."""
    folder = ctx.folder('dll-bridge', {})
    build(ctx, folder)
    ctx.compile(folder, 'bruecke', BRIDGE)
    code = ctx.run_to_exit(ctx.vestrun, ['bruecke.vsc'], folder, 'dll-bridge')
    ctx.expect_exit(code, 0, 'bridge calls')
    got = read_results(folder, len(BRIDGE_EXPECTED))
    if got != BRIDGE_EXPECTED:
        raise TestFailure('results %r, expected %r' % (got, BRIDGE_EXPECTED))
    with open(os.path.join(folder, 'BRIDGE.LOG'), encoding='latin-1') as f:
        log = [line.split(' ') for line in f.read().splitlines()]
    if [entry[0] for entry in log] != ['OLD.DLL|Rechne|%&#|&', 'OLD.DLL|Nichts||%', 'OLD.DLL|Nichts||%',
                                       'OLD.DLL|Stirb|&|&']:
        raise TestFailure('the bridge was called with %r' % [entry[0] for entry in log])
    names = [entry[1] for entry in log]
    numbers = []
    for name in names:
        m = re.fullmatch(r'P(\d{1,7})\.\$', name)
        if not m:
            raise TestFailure('exchange file name %r' % name)
        numbers.append(int(m.group(1)))
    if len(set(names)) != 4:
        raise TestFailure('exchange file names repeat: %r' % names)
    # %: FE FF; &: 70000; #: the size 100 and 100 zero bytes; nothing more.
    first = bytes(int(h, 16) for h in log[0][2:])
    expected = b'\xfe\xff' + (70000).to_bytes(4, 'little') + (100).to_bytes(4, 'little') + bytes(100)
    if first != expected:
        raise TestFailure('exchange file of %d bytes %s, expected %d bytes' % (len(first), first.hex(),
                                                                                 len(expected)))
    if len(log[1]) != 2:
        raise TestFailure('a call without parameters wrote %r' % log[1][2:])
    left = [n for n in os.listdir(folder) if n.upper().startswith('P') and '$' in n]
    if left:
        raise TestFailure('exchange files or markers stay: %r' % left)


def test_sound(ctx):
    """MIDINOTES and PLAY play or warn with 234; BEEP and PLAYSOUND do not fail."""
    folder = ctx.folder('sound', {})
    ctx.compile(folder, 'klang', SOUND)
    code = ctx.run_to_exit(ctx.vestrun, ['klang.vsc'], folder, 'sound')
    ctx.expect_exit(code, 0, 'sound statements')
    p = configparser.RawConfigParser(interpolation=None, delimiters=('=',), comment_prefixes=(';',))
    with open(os.path.join(folder, 'ERGEBNIS.INI'), encoding='cp1252') as f:
        p.read_file(f)
    for key in ('midinotes', 'play'):
        if p.get('R', key, fallback=None) not in ('0', '234'):
            raise TestFailure('%s left the error number %r' % (key, p.get('R', key, fallback=None)))
    elapsed = int(p.get('R', 'q0'))
    # A quarter at tempo 120 takes 500 ms, played or not.
    if not 490 <= elapsed < 5000:
        raise TestFailure('PLAY "T120 L4 O4 C" took %d ms' % elapsed)


TESTS = [
    ('dll_direct_calls', test_direct_calls, True),
    ('dll_bridge_calls', test_bridge_calls, True),
    ('sound_statements', test_sound, True),
]
