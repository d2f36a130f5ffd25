#!/usr/bin/env python3
"""Runs the program tests of tests/programs/NAME.cases: each case is a
program compiled with vestcomp and run with vestrun in a fresh folder; its
stdout, stderr, exit code and written files are compared with its sections.

A case starts with a line "=== CASE title", followed by its source and then
its sections, each started by a line "== KIND [ARG]"; a case "=== BOTH name
title" runs here and under Wine, "=== WINE name title" only under Wine
(tests/wine/wine_harness.py, which reads more sections). A case "=== RUNS
title" holds several programs, each followed by what it writes: standard
output in lines starting with "<< ", the standard error of a fatal error (exit
code 2) in lines starting with ">> "; each runs on its own with the case's
sections. The sections:
  == args            arguments after the program file, one per line
  == env             NAME=VALUE lines added to the environment
  == stdin           text fed to standard input
  == setup           Python code run in the test folder before the run; it
                     may call prog(lines, marker=b'  ') -> bytes of a program
                     file made of raw lines, and write(name, bytes); `tests`
                     names the tests folder; `damage` (tests/dbase/damage.py)
                     makes dBase files; os, struct and subprocess are there
  == run FILE        run FILE instead of the compiled NAME.VSC ("-" for none)
  == bind            bind the compiled program to a copy of vestrun and run that
  == limit BYTES     run under a file-size limit (ulimit -f), SIGXFSZ ignored,
                     so that a write beyond it fails as on a full disk
  == memory MB       run with at most MB of address space (not for a runner
                     built with AddressSanitizer, which reserves more)
  == stdinfile NAME  standard input from the file NAME of the test folder
  == closed FD...    start with these descriptors (0, 1, 2) closed
  == tmpfs KB        a file system of KB kilobytes mounted on the folder "disk"
                     before the setup (the case is skipped where mounting fails)
  == include NAME    a file written into the test folder before compiling
  == map             compile in the test folder with the line map (NAME.VSM;
                     messages then name "NAME.vsl"); without it, --no-map
  == vestcomp OPTION...  more options for the compiler (--no-check for
                     programs that test the runtime's own errors)
  == warnings        the compiler's expected warnings (any other fails the test)
  == trace           run with --trace (the trace goes to standard error)
  == stdout [noeol]  expected standard output ("noeol": no final line end)
  == stderr [noeol]  expected standard error
  == error           expected standard error of a run that a fatal error
                     ends: as "== stderr" with "== exit 2"
  == exit [CODE]     expected exit code (default 0), on this line or the next
  == file NAME [noeol] [crlf]  expected content of a file the program wrote
                     ("crlf": its lines end with CR LF)
Text is UTF-8; the runtime's Windows-1252 crosses the terminal converted.
Lines starting with "#" before the first case are comments.
"""
import argparse
import os
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile


def parse(lines):
    sections = []
    cur = None
    for line in lines:
        if line.startswith("== "):
            parts = line[3:].split()
            cur = [parts[0], parts[1:], []]
            sections.append(cur)
        elif cur is not None:
            cur[2].append(line)
    out = []
    for kind, args, lines in sections:
        text = "".join(lines)
        if "noeol" in args:
            args = [a for a in args if a != "noeol"]
            if text.endswith("\n"):
                text = text[:-1]
        if "crlf" in args:
            args = [a for a in args if a != "crlf"]
            text = text.replace("\n", "\r\n")
        out.append((kind, args, text))
    return out


def prog(lines, marker=b"  "):
    header = bytearray(b" KVN-VESTIL3" + b"\0" * 20)
    header[20:22] = marker
    key = 0 if marker == b"  " else marker[0] | marker[1]
    data = bytes(header)
    for line in lines:
        data += bytes([len(line) & 0xFF]) + bytes(c ^ key for c in line)
    return data


def split_cases(lines):
    """(title, source, section lines) of each case of a .cases file that the
    console runner runs: "=== CASE title", "=== BOTH name title" and each
    program of "=== RUNS title"; the "=== WINE name title" cases are for
    vestrun.exe under Wine (tests/wine)."""
    cases = []
    wine = False
    for line in lines:
        if line.startswith("=== "):
            wine = line.startswith("=== WINE")
            runs = line.startswith("=== RUNS")
            if not wine:
                cases.append([line[8:].strip(), [], [], runs])
        elif cases and not wine:
            c = cases[-1]
            (c[2] if c[2] or line.startswith("== ") else c[1]).append(line)
    out = []
    for title, src, rest, runs in cases:
        if not runs:
            out.append((title, "".join(src), rest))
            continue
        programs = [[[], [], []]]  # program, "<< " and ">> " lines of each run
        for line in src:
            if line.startswith(("<< ", ">> ")):
                programs[-1][1 if line[0] == "<" else 2].append(line[3:])
                continue
            if programs[-1][1] or programs[-1][2]:
                programs.append([[], [], []])
            programs[-1][0].append(line)
        for n, (program, stdout, stderr) in enumerate(programs, 1):
            assert stdout or stderr, "program %d of %r has no << or >> line" % (n, title)
            expect = (["== stdout\n"] + stdout if stdout else []) + (["== error\n"] + stderr if stderr else [])
            out.append(("%s (%d)" % (title, n), "".join(program), rest + expect))
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("--vestrun", required=True)
    ap.add_argument("--keep", action="store_true")
    ap.add_argument("expect", help="the .cases file")
    a = ap.parse_args()
    a.vestcomp = os.path.abspath(a.vestcomp)
    a.vestrun = os.path.abspath(a.vestrun)

    name = os.path.splitext(os.path.basename(a.expect))[0]
    with open(a.expect, encoding="utf-8") as f:
        lines = f.readlines()
    cases = split_cases(lines)
    failed = 0
    for title, src, rest in cases:
        if run_case(a, name, None, src, parse(rest)) != 0:
            print("^^^ in case:", title)
            failed += 1
    print("%d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed else 0


def run_case(a, name, source, source_text, sections, extra_env=None, observe=None):
    """Runs one case; extra_env is added to the environment, observe(r, work)
    sees the finished run and its folder (tests/decoded_check.py)."""
    kinds = {k: (args, text) for k, args, text in sections}
    work = tempfile.mkdtemp(prefix="vestil-" + name + "-")
    failures = []
    disk = None
    try:
        if "tmpfs" in kinds:
            disk = os.path.join(work, "disk")
            os.mkdir(disk)
            size = "size=%dk" % int(kinds["tmpfs"][0][0])
            if subprocess.run(["mount", "-t", "tmpfs", "-o", size, "tmpfs", disk], capture_output=True).returncode:
                print("skipped: no tmpfs can be mounted here")
                disk = None
                return 0
        if source_text is not None:
            source = os.path.join(work, name + ".vsl")
            with open(source, "w", encoding="utf-8") as f:
                f.write(source_text)
        program = name.upper() + ".VSC"
        for kind, args, text in sections:
            if kind == "include":
                with open(os.path.join(work, args[0]), "w", encoding="utf-8") as f:
                    f.write(text)
        if os.path.exists(source):
            if "map" in kinds:
                cmd = [a.vestcomp, os.path.relpath(source, work), "-o", program]
            else:
                cmd = [a.vestcomp, source, "-o", os.path.join(work, program), "--no-map"]
            cmd += kinds.get("vestcomp", ([], ""))[0]
            r = subprocess.run(cmd, capture_output=True, cwd=work)
            if r.returncode != 0:
                print("compile failed:", r.stdout.decode(), r.stderr.decode())
                return 1
            warnings = r.stderr.decode("utf-8", "replace").replace(source, name + ".vsl")
            if warnings != kinds.get("warnings", ([], ""))[1]:
                failures.append("compiler warnings differ\n--- expected\n%s\n--- got\n%s" %
                                (kinds.get("warnings", ([], ""))[1], warnings))
        if "setup" in kinds:
            def write(fname, data):
                with open(os.path.join(work, fname), "wb") as f:
                    f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
            tests = os.path.dirname(os.path.dirname(os.path.abspath(a.expect)))
            sys.path.insert(0, os.path.join(tests, "dbase"))
            import damage
            exec(kinds["setup"][1], {"prog": prog, "write": write, "work": work, "os": os, "tests": tests,
                                     "damage": damage, "struct": struct, "subprocess": subprocess})

        runner = a.vestrun
        argv = ["--trace"] if "trace" in kinds else []
        if "bind" in kinds:
            runner = os.path.join(work, "bound")
            r = subprocess.run([a.vestcomp, "bind", a.vestrun, os.path.join(work, program), "-o", runner],
                               capture_output=True)
            if r.returncode != 0:
                print("bind failed:", r.stdout.decode(), r.stderr.decode())
                return 1
        elif "run" in kinds:
            if kinds["run"][0] and kinds["run"][0][0] != "-":
                argv.append(kinds["run"][0][0])
        else:
            argv.append(program)
        if "args" in kinds:
            argv += [l for l in kinds["args"][1].split("\n") if l != ""]

        env = dict(os.environ)
        env.pop("VESTRUN_ANSWERS", None)
        if "env" in kinds:
            for l in kinds["env"][1].splitlines():
                if "=" in l:
                    k, v = l.split("=", 1)
                    env[k] = v
        env.update(extra_env or {})
        stdin = kinds.get("stdin", ([], ""))[1].encode("utf-8")
        size = int(kinds["limit"][0][0]) if "limit" in kinds else None
        memory = int(kinds["memory"][0][0]) << 20 if "memory" in kinds else None
        if memory:
            with open(runner, "rb") as f:
                if b"__asan_init" in f.read():
                    memory = None
        closed = [int(fd) for fd in kinds.get("closed", ([], ""))[0]]

        def limits():
            if size is not None:
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))
            if memory:
                resource.setrlimit(resource.RLIMIT_AS, (memory, memory))
            for fd in closed:
                os.close(fd)
        run = dict(capture_output=True, cwd=work, env=env, timeout=120, preexec_fn=limits)
        if "stdinfile" in kinds:
            with open(os.path.join(work, kinds["stdinfile"][0][0]), "rb") as f:
                r = subprocess.run([runner] + argv, stdin=f, **run)
        else:
            r = subprocess.run([runner] + argv, input=stdin, **run)
        if observe:
            observe(r, work)

        def compare(what, got, want):
            if got != want:
                failures.append("%s differs\n--- expected\n%s\n--- got\n%s" % (what, want, got))

        compare("stdout", r.stdout.decode("utf-8", "replace"), kinds.get("stdout", ([], ""))[1])
        compare("stderr", r.stderr.decode("utf-8", "replace"), kinds.get("stderr", kinds.get("error", ([], "")))[1])
        want_exit = int(kinds["exit"][1].strip() or kinds["exit"][0][0]) if "exit" in kinds else 2 if "error" in kinds else 0
        if r.returncode != want_exit:
            failures.append("exit code %d, expected %d" % (r.returncode, want_exit))
        for kind, args, text in sections:
            if kind == "file":
                p = os.path.join(work, args[0])
                if not os.path.exists(p):
                    failures.append("file %s was not written" % args[0])
                else:
                    with open(p, "rb") as f:
                        compare("file " + args[0], f.read().decode("cp1252", "replace"), text)
    finally:
        if disk:
            subprocess.run(["umount", disk])
        if a.keep:
            print("kept", work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
