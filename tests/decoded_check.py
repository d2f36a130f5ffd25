#!/usr/bin/env python3
"""Runs every program case (FOLDER/*.cases) and example (FOLDER/*.vsl) through
run_program.py on decoded lines and on the text path (VESTIL_TEXT_PATH=1); the
stdout, stderr, exit code and files left in the folder must be the same."""
import contextlib
import glob
import io
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import checklib  # noqa: E402
import run_program  # noqa: E402


def cases_of(path):
    """(name, source path or None, source text or None, sections) of a test file."""
    name = os.path.splitext(os.path.basename(path))[0]
    if path.endswith(".vsl"):
        return [(name, path, None, [])]
    with open(path, encoding="utf-8") as f:
        lines = f.readlines()
    return [(name, None, src, run_program.parse(rest)) for _, src, rest in run_program.split_cases(lines)]


def run(a, case, extra_env):
    seen = []

    def observe(r, work):
        files = {}
        for root, _, names in os.walk(work):
            for n in names:
                with open(os.path.join(root, n), "rb") as f:
                    # The DLL bridge's exchange file is named by the clock's ticks.
                    files[os.path.relpath(os.path.join(root, n), work)] = re.sub(rb"P\d+\.\$", b"P<ticks>.$", f.read())
        seen.append((r.stdout, r.stderr, r.returncode, files))
    with contextlib.redirect_stdout(io.StringIO()):  # the expectations are run_program's concern
        run_program.run_case(a, *case, extra_env=extra_env, observe=observe)
    return seen


def main():
    a = checklib.arguments(__doc__, (["folders"], {"nargs": "+"}))
    runs, failures = 0, 0
    for path in [p for f in a.folders for p in sorted(glob.glob(f + "/*.cases") + glob.glob(f + "/*.vsl"))]:
        a.expect = path
        for case in cases_of(path):
            runs += 1
            d, t = run(a, case, {"VESTIL_TEXT_PATH": "0"}), run(a, case, {"VESTIL_TEXT_PATH": "1"})
            if d != t:
                failures += 1
                print("%s (%s) differs\n--- decoded (stdout, stderr, exit code, files)\n%r\n--- text path\n%r" % (
                    path, case[0], d, t))
    print("%d programs, %d differ" % (runs, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
