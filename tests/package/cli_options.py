#!/usr/bin/env python3
"""--help and --version of vestrun and vestcomp: as the only argument they
print the usage or the version; otherwise the word means what it meant before
(a program file "--help.VSC" found regardless of case runs, a second argument
makes it a program name, a bound program gets it as its parameter)."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checklib import Checks, arguments, scratch  # noqa: E402


def main():
    a = arguments(__doc__, (["--build-version"], dict(required=True, help="the CMake project version")))
    version = "vestrun %s (VESTIL runtime 5.0a-NT)\n" % a.build_version
    check = Checks()
    with scratch(a, "vestil-cli-") as d:
        alone = os.path.join(d, "alone")
        os.mkdir(alone)
        with open(os.path.join(d, "prog.vsl"), "w") as f:
            f.write('PRINT "program ran: "; @PAR$(1); $VERSION\nEND\n')

        def ok(code, out=None, err=None, prefix=False):
            """exit code, standard output (or its start), a text standard error holds (None: empty)"""
            return lambda r: (r.returncode == code and (out is None or r.stdout.decode()[:len(out) if prefix else None] == out)
                              and (r.stderr == b"" if err is None else err in r.stderr.decode()))
        steps = [
            ("vestrun --help", [a.vestrun, "--help"], d, ok(0, "usage: vestrun [--trace", prefix=True)),
            ("vestrun --version", [a.vestrun, "--version"], d, ok(0, version)),
            ("vestcomp --version", [a.vestcomp, "--version"], d, ok(0, version.replace("vestrun", "vestcomp", 1))),
            ("vestrun --help x", [a.vestrun, "--help", "x"], d, ok(2, "", "Datei nicht gefunden: --help.VSC")),
            ("vestcomp --version x.vsl", [a.vestcomp, "--version", "x.vsl"], d, ok(2, None, "unknown option --version")),
            ("compile", [a.vestcomp, "prog.vsl", "-o", "--help.VSC"], d, ok(0, None, "")),
            ("rename", ["mv", "--", "--help.VSC", "--HELP.vsc"], d, ok(0)),
            ("vestrun --help with --HELP.vsc", [a.vestrun, "--help"], d, ok(0, "program ran: --help5.0a-NT\n")),
            ("rename", ["mv", "--", "--HELP.vsc", "--version"], d, ok(0)),
            ("vestrun --version with a file --version", [a.vestrun, "--version"], d,
             ok(2, "", "Datei nicht gefunden: --version.VSC")),
            # A bound program in a folder of its own (a program file named by
            # the parameter would replace it) gets the word as its parameter.
            ("bind", [a.vestcomp, "bind", a.vestrun, "-o", "alone/app", "--", "--version"], d, ok(0, None, "")),
        ] + [("bound program with " + w, [os.path.join(alone, "app"), w], alone, ok(0, "program ran: %s5.0a-NT\n" % w))
             for w in ("--help", "--version")]
        for what, cmd, cwd, want in steps:
            r = subprocess.run(cmd, capture_output=True, cwd=cwd, stdin=subprocess.DEVNULL, timeout=60)
            check(what, want(r) or r, True)
    return check.report("cli options")


if __name__ == "__main__":
    sys.exit(main())
