#!/usr/bin/env python3
"""Tests of the Windows runner (vestrun.exe) under Wine.

Runs the cases marked "=== WINE" or "=== BOTH" in tests/wine/*.cases and
tests/programs/*.cases (the format: wine_harness.py, "cases"), and the tests
of the files tests/wine/*_wine.py (each has a list TESTS of (name,
function(ctx), needs_wine)), with the harness of wine_harness.py: a private
X server, a fresh Wine prefix, xdotool and screenshots compared with
reference boxes. The build checks run first, then the cases, then the other
files by name.

usage: run_wine_tests.py --vestrun build-win32/vestrun.exe
           [--vestcomp build/vestcomp] [--work DIR] [--keep-prefix] [TEST ...]

The cases need the native vestcomp (default: build/vestcomp of this
repository, when it exists).

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

def collect_tests():
    found = sorted(os.path.basename(p)[:-len('_wine.py')] for p in glob.glob(os.path.join(HERE, '*_wine.py')))
    files = [importlib.import_module(n + '_wine').TESTS for n in ['build'] + [n for n in found if n != 'build']]
    return files[0] + case_tests() + [t for tests in files[1:] for t in tests]


if __name__ == '__main__':
    sys.exit(main(collect_tests(), __doc__.strip().splitlines()[0]))
