#!/usr/bin/env python3
"""--help and --version of vestrun and vestcomp.

As the only argument they print the usage or the version and exit 0; in
every other case the command line means what it meant before: a program file
the loader would open under that name ("--help.VSC") runs, a plain file of
that name leaves the loader as it was (it looks for "--version.VSC"), a second
argument makes the word a program name again, and a runner with a bound
program passes the word to its program."""
import argparse
import os
import subprocess
import sys
import tempfile

failures = []


def check(what, cond, detail=""):
    if not cond:
        failures.append("%s: %r" % (what, detail))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vestrun", required=True)
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("--build-version", required=True, help="the CMake project version")
    args = ap.parse_args()
    vr = os.path.abspath(args.vestrun)
    vc = os.path.abspath(args.vestcomp)
    version = ("vestrun %s (VESTIL runtime 5.0a-NT)\n" % args.build_version).encode()

    def run(exe, *argv, cwd):
        return subprocess.run([exe] + list(argv), capture_output=True, cwd=cwd,
                              stdin=subprocess.DEVNULL, timeout=60)

    with tempfile.TemporaryDirectory() as d:
        # No file of either name: the options.
        r = run(vr, "--help", cwd=d)
        check("vestrun --help", r.returncode == 0 and r.stdout.startswith(b"usage: vestrun [--trace")
              and b"--version" in r.stdout and r.stderr == b"", r)
        r = run(vr, "--version", cwd=d)
        check("vestrun --version", (r.returncode, r.stdout, r.stderr) == (0, version, b""), r)
        r = run(vc, "--version", cwd=d)
        check("vestcomp --version", (r.returncode, r.stderr) == (0, b"")
              and r.stdout == version.replace(b"vestrun", b"vestcomp", 1), r)
        # Not the only argument: as before.
        r = run(vr, "--help", "x", cwd=d)
        check("vestrun --help x", r.returncode == 2 and r.stdout == b""
              and b"Datei nicht gefunden: --help.VSC" in r.stderr, r)
        r = run(vc, "--version", "x.vsl", cwd=d)
        check("vestcomp --version x.vsl", r.returncode == 2 and b"unknown option --version" in r.stderr, r)

        # $VERSION in a program is the runtime's version text of --version.
        with open(os.path.join(d, "prog.vsl"), "w") as f:
            f.write('PRINT "program ran: "; @PAR$(1); $VERSION\nEND\n')
        r = run(vc, "prog.vsl", "-o", "--help.VSC", cwd=d)
        check("compile", r.returncode == 0, r)
        # A program file the loader finds as "--help" runs as a program (the
        # name is found regardless of case, as the loader finds it).
        os.rename(os.path.join(d, "--help.VSC"), os.path.join(d, "--HELP.vsc"))
        r = run(vr, "--help", cwd=d)
        check("vestrun --help with --HELP.vsc", (r.returncode, r.stdout)
              == (0, b"program ran: --help5.0a-NT\n"), r)

        # A plain file named "--version": the loader looks for --version.VSC,
        # as it always did.
        os.rename(os.path.join(d, "--HELP.vsc"), os.path.join(d, "--version"))
        r = run(vr, "--version", cwd=d)
        check("vestrun --version with a file --version", r.returncode == 2 and r.stdout == b""
              and b"Datei nicht gefunden: --version.VSC" in r.stderr, r)

        # A bound program gets the word as its parameter (run in a folder of
        # its own: a program file named by the parameter would replace it).
        alone = os.path.join(d, "alone")
        os.mkdir(alone)
        r = run(vc, "bind", vr, "-o", "alone/app", "--", "--version", cwd=d)
        check("bind", r.returncode == 0, r)
        for word in ("--help", "--version"):
            r = run(os.path.join(alone, "app"), word, cwd=alone)
            check("bound program with " + word, (r.returncode, r.stdout)
                  == (0, ("program ran: %s5.0a-NT\n" % word).encode()), r)

    for f in failures:
        print("FAIL", f)
    print("cli options: %d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
