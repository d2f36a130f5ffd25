#!/usr/bin/env python3
"""The vestcomp command line: exit codes, default output names, no output
after errors, list to standard output, --scramble, bind refusals."""
import argparse
import glob
import os
import subprocess
import sys
import tempfile

failures = []


def check(what, cond, detail=""):
    if not cond:
        failures.append("%s %s" % (what, detail))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("--examples", help="a folder whose *.vsl must compile without a warning")
    args = ap.parse_args()
    vc = os.path.abspath(args.vestcomp)

    def run(*args, cwd=None):
        return subprocess.run([vc] + list(args), capture_output=True, cwd=cwd)

    with tempfile.TemporaryDirectory() as d:
        r = run("--help")
        check("--help", r.returncode == 0 and b"vestcomp list" in r.stdout, r)
        check("no arguments", run().returncode == 2)
        check("unknown option", run("--bogus", "x.vsl").returncode == 2)
        check("list needs a file", run("list").returncode == 2)
        check("bind needs -o", run("bind", "a", "b").returncode == 2)

        with open(os.path.join(d, "prog.vsl"), "w", encoding="utf-8") as f:
            f.write("PRINT \"ä\"\nEND\n")
        r = run("prog.vsl", cwd=d)
        check("compile", r.returncode == 0 and r.stderr == b"", r)
        vsc = os.path.join(d, "prog.VSC")
        check("default output name", os.path.exists(vsc))
        with open(os.path.join(d, "prog.VSM"), "rb") as f:
            check("line map beside", f.read().endswith(b'\nF prog.vsl\n0 1 PRINT "\xc3\xa4"\n0 2 END\n'))
        r = run("prog.vsl", "--no-map", "-o", "nomap.VSC", cwd=d)
        check("--no-map", r.returncode == 0 and not os.path.exists(os.path.join(d, "nomap.VSM")), r)
        with open(vsc, "rb") as f:
            data = f.read()
        check("program bytes", data[32:] == b"\x04\xa2\"\xe4\"\x01\xbf", data)

        r = run("prog.vsl", "--scramble", "XY", "-o", "s.VSC", cwd=d)
        with open(os.path.join(d, "s.VSC"), "rb") as f:
            s = f.read()
        check("--scramble", r.returncode == 0 and s[20:22] == b"XY" and s[33] == 0xa2 ^ (ord("X") | ord("Y")), s)

        r = run("list", "prog.VSC", cwd=d)
        check("list to stdout", r.returncode == 0 and r.stdout == 'PRINT "ä"\nEND\n'.encode("utf-8"), r)
        r2 = run("list", "prog.VSC", "-o", "back.vsl", cwd=d)
        with open(os.path.join(d, "back.vsl"), "rb") as f:
            check("list -o", r2.returncode == 0 and f.read() == r.stdout)
        check("list a missing file", run("list", "none.VSC", cwd=d).returncode == 1)

        with open(os.path.join(d, "bad.vsl"), "w", encoding="utf-8") as f:
            f.write("END\nNOSUCH 1\nPRINT @NONE(1)\n")
        r = run("bad.vsl", "-o", "bad.VSC", cwd=d)
        err = r.stderr.decode()
        check("compile error exit code", r.returncode == 1, r)
        check("errors name file and line",
              "bad.vsl:2: error: unknown keyword or procedure: NOSUCH" in err and "bad.vsl:3: error:" in err, err)
        check("no output after errors", not os.path.exists(os.path.join(d, "bad.VSC")))

        with open(os.path.join(d, "inc.vsl"), "w", encoding="utf-8") as f:
            f.write('INCLUDE "missing.vsl"\n')
        r = run("inc.vsl", cwd=d)
        check("INCLUDE file not found", r.returncode == 1 and b"INCLUDE file not found" in r.stderr, r)

        with open(os.path.join(d, "runner"), "wb") as f:
            f.write(b"plain text")
        r = run("bind", "runner", "prog.VSC", "-o", "app", cwd=d)
        check("bind refusal", r.returncode == 1 and b"neither" in r.stderr and not os.path.exists(
            os.path.join(d, "app")), r)

        with open(os.path.join(d, "warn.vsl"), "w", encoding="utf-8") as f:
            f.write('DECLARE a%\na% = "1"\n#NOWARN\na% = "2"\n')
        r = run("warn.vsl", cwd=d)
        check("a warning", r.returncode == 0 and r.stderr == b'warn.vsl:2:6: warning: the text "1" is assigned to '
              b'the number variable a%: write the number without quotes (or use a text variable such as a$)\n', r)
        r = run("warn.vsl", "-Werror", "-o", "w.VSC", cwd=d)
        check("-Werror", r.returncode == 1 and b"error:" in r.stderr and not os.path.exists(
            os.path.join(d, "w.VSC")), r)

        for src in sorted(glob.glob(os.path.join(args.examples, "*.vsl"))) if args.examples else []:
            r = run(src, "-Werror", "--no-map", "-o", os.path.join(d, "example.VSC"))
            check("example " + os.path.basename(src), r.returncode == 0 and r.stderr == b"", r.stderr)

    for f in failures:
        print("FAIL", f)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
