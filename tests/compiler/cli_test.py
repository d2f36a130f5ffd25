#!/usr/bin/env python3
"""The vestcomp command line: exit codes, default output names, no output
after errors, list to standard output, --scramble, bind refusals, warnings
and -Werror; every example compiles without a warning and lists back.
--help and --version of both: alone they print the usage or the version;
otherwise the word is a program name ("--help.VSC" found in any case) or a
bound program's parameter."""
import glob
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import checklib  # noqa: E402

WARNING = (b'warn.vsl:2:6: warning: the text "1" is assigned to the number variable a%: write the number '
           b'without quotes (or use a text variable such as a$)\n')


def main():
    args = checklib.arguments(__doc__, (["--build-version"], {"required": True, "help": "the CMake project version"}),
                              (["--examples"], {"help": "a folder whose *.vsl must compile without a warning"}))
    vc, vr = args.vestcomp, args.vestrun
    version = "vestrun %s (VESTIL runtime 5.0a-NT)\n" % args.build_version
    failures = []

    with tempfile.TemporaryDirectory() as d:
        def run(*a, exe=vc, cwd=d):
            return subprocess.run([exe] + list(a), capture_output=True, cwd=cwd, stdin=subprocess.DEVNULL, timeout=60)

        def exists(name):
            return os.path.exists(os.path.join(d, name))

        def read(name):
            return open(os.path.join(d, name), "rb").read() if exists(name) else b""

        for name, text in (("prog.vsl", 'PRINT "ä"\nEND\n'), ("bad.vsl", "END\nNOSUCH 1\nPRINT @NONE(1)\n"),
                           ("inc.vsl", 'INCLUDE "missing.vsl"\n'), ("runner", "plain text"),
                           ("warn.vsl", 'DECLARE a%\na% = "1"\n#NOWARN\na% = "2"\n'),
                           ("par.vsl", 'PRINT "program ran: "; @PAR$(1); $VERSION\nEND\n')):
            open(os.path.join(d, name), "w", encoding="utf-8").write(text)
        alone = os.path.join(d, "alone")
        os.mkdir(alone)
        # (what, result, expected exit code, check of the result or None)
        checks = [
            ("--help", run("--help"), 0, lambda r: b"vestcomp list" in r.stdout),
            ("no arguments", run(), 2, None), ("unknown option", run("--bogus", "x.vsl"), 2, None),
            ("list needs a file", run("list"), 2, None), ("bind needs -o", run("bind", "a", "b"), 2, None),
            ("compile", run("prog.vsl"), 0, lambda r: r.stderr == b"" and exists("prog.VSC") and read("prog.VSC")[32:]
             == b"\x04\xa2\"\xe4\"\x01\xbf" and read("prog.VSM").endswith(b'\nF prog.vsl\n0 1 PRINT "\xc3\xa4"\n0 2 END\n')),
            ("--no-map", run("prog.vsl", "--no-map", "-o", "nomap.VSC"), 0, lambda r: not exists("nomap.VSM")),
            ("--scramble", run("prog.vsl", "--scramble", "XY", "-o", "s.VSC"), 0,
             lambda r: read("s.VSC")[20:22] == b"XY" and read("s.VSC")[33] == 0xa2 ^ (ord("X") | ord("Y"))),
            ("list to stdout", run("list", "prog.VSC"), 0, lambda r: r.stdout == 'PRINT "ä"\nEND\n'.encode("utf-8")),
            ("list -o", run("list", "prog.VSC", "-o", "back.vsl"), 0, lambda r: read("back.vsl") == read("prog.vsl")),
            ("list a missing file", run("list", "none.VSC"), 1, None),
            ("errors name file and line, no output", run("bad.vsl", "-o", "bad.VSC"), 1,
             lambda r: b"bad.vsl:2: error: unknown keyword or procedure: NOSUCH" in r.stderr
             and b"bad.vsl:3: error:" in r.stderr and not exists("bad.VSC")),
            ("INCLUDE file not found", run("inc.vsl"), 1, lambda r: b"INCLUDE file not found" in r.stderr),
            ("bind refusal", run("bind", "runner", "prog.VSC", "-o", "app"), 1,
             lambda r: b"neither" in r.stderr and not exists("app")),
            ("bind over the runner", run("bind", "runner", "prog.VSC", "-o", "runner"), 1,
             lambda r: b"must not be the runner" in r.stderr and read("runner") == b"plain text"),
            ("a warning", run("warn.vsl"), 0, lambda r: r.stderr == WARNING),
            ("-Werror", run("warn.vsl", "-Werror", "-o", "w.VSC"), 1,
             lambda r: b"error:" in r.stderr and not exists("w.VSC")),
            ("vestrun --help", run("--help", exe=vr), 0, lambda r: r.stdout.startswith(b"usage: vestrun [--trace")),
            ("vestrun --version", run("--version", exe=vr), 0, lambda r: r.stdout == version.encode()),
            ("vestcomp --version", run("--version"), 0, lambda r: r.stdout == version.replace("vestrun", "vestcomp").encode()),
            ("vestrun --help x", run("--help", "x", exe=vr), 2,
             lambda r: r.stdout == b"" and b"Datei nicht gefunden: --help.VSC" in r.stderr),
            ("vestcomp --version x.vsl", run("--version", "x.vsl"), 2, lambda r: b"unknown option --version" in r.stderr),
            ("compile --help.VSC", run("par.vsl", "-o", "--HELP.vsc"), 0, None),
            ("vestrun --help with --HELP.vsc", run("--help", exe=vr), 0, lambda r: r.stdout == b"program ran: --help5.0a-NT\n"),
            ("compile a file --version", run("par.vsl", "-o", "--version"), 0, None),
            ("vestrun --version with a file --version", run("--version", exe=vr), 2,
             lambda r: r.stdout == b"" and b"Datei nicht gefunden: --version.VSC" in r.stderr),
            # A bound program in a folder of its own gets the word as its parameter.
            ("bind", run("bind", vr, "-o", "alone/app", "--", "--version"), 0, lambda r: r.stderr == b""),
        ]
        checks += [("bound program with " + w, run(w, exe=os.path.join(alone, "app"), cwd=alone), 0,
                    lambda r, w=w: r.stdout == b"program ran: %s5.0a-NT\n" % w.encode()) for w in ("--help", "--version")]
        # Every example compiles without a warning; its listing compiles back to the same bytes.
        for src in sorted(glob.glob(os.path.join(os.path.abspath(args.examples), "*.vsl"))) if args.examples else []:
            name = os.path.basename(src)
            checks.append((name, run(src, "-Werror", "--no-map", "-o", "ex.VSC"), 0, lambda r: r.stderr == b""))
            checks.append((name + " listed", run("list", "ex.VSC", "-o", "ex.vsl"), 0, lambda r: r.stderr == b""))
            back = run("ex.vsl", "--no-check", "--no-map", "-o", "back.VSC")
            checks.append((name + " listed and compiled", back, 0 if read("back.VSC") == read("ex.VSC") else -1, None))
        for what, r, code, ok in checks:
            if r.returncode != code or (ok and not ok(r)):
                failures.append("%s %s" % (what, r))

    for f in failures:
        print("FAIL", f)
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
