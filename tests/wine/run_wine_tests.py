#!/usr/bin/env python3
"""Runs the Wine cases of vestrun.exe (tests/wine/wine_harness.py); prints "wine tests: N passed, N failed" last."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_harness import main  # noqa: E402

if __name__ == '__main__':
    sys.exit(main(__doc__.strip()))
