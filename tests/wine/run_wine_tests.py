#!/usr/bin/env python3
"""Tests of the Windows runner (vestrun.exe) under Wine: the cases marked
"=== WINE" or "=== BOTH" in tests/wine/*.cases and tests/programs/*.cases, run
by wine_harness.py in a private X server and a fresh Wine prefix.

usage: run_wine_tests.py --vestrun build-win32/vestrun.exe
           [--vestcomp build/vestcomp] [--work DIR] [--keep-prefix] [TEST ...]

The last line printed is "wine tests: N passed, N failed"; the exit code is 0
when every test passed. Screenshots and logs stay in the work directory
(default: wine-tests/ beside vestrun.exe).
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_harness import main  # noqa: E402

if __name__ == '__main__':
    sys.exit(main(__doc__.strip().splitlines()[0]))
