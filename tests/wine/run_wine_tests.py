#!/usr/bin/env python3
"""Tests of the Windows runner (vestrun.exe) under Wine.

Runs the tests of every file tests/wine/*_wine.py (each has a list TESTS of
(name, function(ctx), needs_wine)) with the harness of wine_harness.py: a
private X server, a fresh Wine prefix, xdotool and screenshots compared with
reference boxes. A new file NAME_wine.py is picked up without further change;
the files below run first, in this order, the others after them by name.

usage: run_wine_tests.py --vestrun build-win32/vestrun.exe
           [--vestcomp build/vestcomp] [--work DIR] [--keep-prefix] [TEST ...]

The tests that run compiled programs need the native vestcomp (default:
build/vestcomp of this repository, when it exists).

The last line printed is "wine tests: N passed, N failed"; the exit code is 0
when every test passed. Screenshots and logs stay in the work directory
(default: wine-tests/ beside vestrun.exe).
"""
import glob
import importlib
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from wine_harness import case_tests, main  # noqa: E402

FIRST = ['build', 'profile']


def collect_tests():
    found = [os.path.basename(p)[:-len('_wine.py')] for p in glob.glob(os.path.join(HERE, '*_wine.py'))]
    order = [n for n in FIRST if n in found] + sorted(n for n in found if n not in FIRST)
    tests = []
    for subject in order:
        tests += importlib.import_module(subject + '_wine').TESTS
    return tests[:1] + case_tests() + tests[1:]


if __name__ == '__main__':
    sys.exit(main(collect_tests(), __doc__.strip().splitlines()[0]))
