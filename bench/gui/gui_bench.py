#!/usr/bin/env python3
"""The window benchmarks: vestrun.exe under Wine in one Xvfb against a small C
program that makes the same Win32/GDI calls directly.

  (a) print:   10,000 PRINT lines that scroll the window
  (b) pixel:   100,000 SETPIXEL
  (c) figures: 20,000 LINE + ELLIPSE

Each program makes its window first (CLS), measures its own loop with the
tick count and writes the milliseconds to a file, so Wine's start-up and the
window's creation are not counted. Prints the times
and the ratio runtime / direct (the goal is at most 1.5).

usage: bench/gui/gui_bench.py --vestrun build-win64/vestrun.exe [--vestcomp build/vestcomp] [--rounds N] [CASE...]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'tests', 'wine'))
import wine_harness  # noqa: E402

TIMED = """DECLARE T&, I%%
CLS
T& = &TICKS
%s
T& = @SUB(&TICKS, T&)
ASSIGN #1, "time.txt"
REWRITE #1
PRINT #1, T&
CLOSE #1
END
"""

PROGRAMS = {
    'print': """I% = 0
WHILE @LT(I%, 10000)
  PRINT "The quick brown fox jumps over the lazy."
  I% = @ADD(I%, 1)
ENDWHILE""",
    'pixel': """I% = 0
WHILE @LT(I%, 100000)
  SETPIXEL @MOD(I%, 400), @DIV(I%, 400), 31
  I% = @ADD(I%, 1)
ENDWHILE""",
    'figures': """DECLARE X%, Y%
I% = 0
WHILE @LT(I%, 20000)
  X% = @MOD(I%, 300)
  Y% = @MOD(I%, 200)
  LINE X%, Y% - @ADD(X%, 100), @ADD(Y%, 50)
  ELLIPSE X%, Y% - @ADD(X%, 40), @ADD(Y%, 30)
  I% = @ADD(I%, 1)
ENDWHILE""",
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--vestrun', required=True)
    root = os.path.dirname(os.path.dirname(HERE))
    parser.add_argument('--vestcomp', default=os.path.join(root, 'build', 'vestcomp'))
    parser.add_argument('--rounds', type=int, default=3, help='runs of each; the best counts')
    parser.add_argument('cases', nargs='*', choices=[[]] + list(PROGRAMS), help='default: all')
    args = parser.parse_args()
    vestrun = os.path.abspath(args.vestrun)
    if wine_harness.pe_is_64_bit(vestrun):
        wine_harness.MINGW = 'x86_64-w64-mingw32'
    work = tempfile.mkdtemp(prefix='gui-bench-')
    session = wine_harness.Session(work)
    try:
        direct = os.path.join(work, 'direct_gdi.exe')
        subprocess.run([wine_harness.MINGW + '-gcc', '-O2', '-std=c11', '-static', '-o', direct,
                        os.path.join(HERE, 'direct_gdi.c'), '-lgdi32'], check=True)
        session.start_x()
        session.boot_wine()
        print('%-8s %12s %12s %7s' % ('case', 'vestrun ms', 'direct ms', 'ratio'))
        for name, body in PROGRAMS.items():
            if args.cases and name not in args.cases:
                continue
            folder = os.path.join(work, name)
            os.makedirs(folder)
            vsl = os.path.join(folder, name + '.vsl')
            with open(vsl, 'w') as f:
                f.write(TIMED % body)
            vsc = os.path.join(folder, name + '.vsc')
            subprocess.run([args.vestcomp, vsl, '-o', vsc], check=True, stdout=subprocess.DEVNULL)
            best = {}
            for who, argv in (('vestrun', [vestrun, name + '.vsc']),
                              ('direct', [direct, name, 'time.txt'])):
                for _ in range(args.rounds):
                    proc = session.start(argv[0], argv[1:], folder, name + '.log')
                    if proc.wait(600) != 0:
                        raise SystemExit('%s %s ended with %d' % (who, name, proc.returncode))
                    with open(os.path.join(folder, 'time.txt')) as f:
                        ms = int(f.read().split()[0])
                    best[who] = min(best.get(who, ms), ms)
            print('%-8s %12d %12d %7.2f' % (name, best['vestrun'], best['direct'],
                                             best['vestrun'] / max(best['direct'], 1)), flush=True)
    finally:
        session.clean_up()
        session.keep_server('-k')
        if session.xvfb:
            session.xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    main()
