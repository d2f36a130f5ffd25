#!/usr/bin/env python3
"""Runs the program tests of tests/programs/NAME.cases: each case is compiled
with vestcomp and run with vestrun in a fresh folder; its stdout, stderr,
exit code and written files are compared with its sections.

A case starts with "=== CASE title" ("=== BOTH name title": here and under
Wine; "=== WINE name title": only under Wine, tests/wine/wine_harness.py),
then its source, then sections "== KIND [ARG]". A case "=== RUNS title" holds
several programs, each followed by what it writes: standard output in lines
starting with "<< ", the standard error of a fatal error (exit 2) in lines
starting with ">> "; each runs on its own with the case's sections. Sections:
  args, env, stdin    arguments (one a line), NAME=VALUE lines, standard input
  setup               Python run in the test folder before the run, with
                      prog(lines, marker=b'  ') (a raw program file), write(name,
                      bytes), tests (the tests folder), damage (tests/dbase),
                      os, struct, subprocess
  run FILE, bind      run FILE ("-": nothing) or the program bound to a copy of vestrun
  limit BYTES         a file-size limit (a write beyond it fails as on a full disk)
  memory MB           an address-space limit (not under AddressSanitizer)
  stdinfile NAME      standard input from a file; closed FD...: start with these closed
  tmpfs KB            a tmpfs mounted on "disk" (the case skipped without one)
  include NAME        a file written before compiling
  map, trace          compile with the line map (messages name "NAME.vsl"); run with --trace
  vestcomp OPTION...  more compiler options; warnings: its expected warnings
  stdout, stderr      expected output ("noeol": no final line end)
  error               stderr of a fatal error (exit 2)
  exit [CODE]         expected exit code (default 0)
  file NAME [noeol] [crlf]  expected content of a written file
Text is UTF-8; the runtime's Windows-1252 crosses the terminal converted.
Lines starting with "#" before the first case are comments.
"""
import checklib
import os
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile


def parse(lines):
    """(kind, args, text) of each "== KIND ARGS" section."""
    out = []
    for line in lines:
        if line.startswith("== "):
            kind, *args = line[3:].split()
            out.append([kind, args, ""])
        elif out:
            out[-1][2] += line
    for s in out:
        if "noeol" in s[1] and s[2].endswith("\n"):
            s[2] = s[2][:-1]
        if "crlf" in s[1]:
            s[2] = s[2].replace("\n", "\r\n")
        s[1] = [a for a in s[1] if a not in ("noeol", "crlf")]
    return [tuple(s) for s in out]


def prog(lines, marker=b"  "):
    header = bytearray(b" KVN-VESTIL3" + b"\0" * 20)
    header[20:22] = marker
    key = 0 if marker == b"  " else marker[0] | marker[1]
    data = bytes(header)
    for line in lines:
        data += bytes([len(line) & 0xFF]) + bytes(c ^ key for c in line)
    return data


def case_blocks(lines):
    """(KIND, the rest of its line, source lines, section lines) of each "=== KIND ..." case."""
    blocks = []
    for line in lines:
        if line.startswith("=== "):
            kind, _, rest = line[4:].strip().partition(" ")
            blocks.append((kind, rest.strip(), [], []))
        elif blocks:
            b = blocks[-1]
            (b[3] if b[3] or line.startswith("== ") else b[2]).append(line)
    return blocks


def split_cases(lines):
    """(title, source, section lines) of the cases the console runner runs
    (each program of a RUNS case is one)."""
    out = []
    for kind, title, src, rest in case_blocks(lines):
        if kind != "RUNS":
            out += [(title, "".join(src), rest)] if kind != "WINE" else []
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
    a = checklib.arguments(__doc__, (["expect"], {"help": "the .cases file"}))
    name = os.path.splitext(os.path.basename(a.expect))[0]
    with open(a.expect, encoding="utf-8") as f:
        cases = split_cases(f.readlines())
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
    arg = lambda kind, default=None: kinds[kind][0][0] if kind in kinds and kinds[kind][0] else default  # noqa: E731
    text = lambda kind, default="": kinds[kind][1] if kind in kinds else default  # noqa: E731
    work = tempfile.mkdtemp(prefix="vestil-" + name + "-")
    failures, disk = [], None
    try:
        if "tmpfs" in kinds:
            disk = os.path.join(work, "disk")
            os.mkdir(disk)
            mount = ["mount", "-t", "tmpfs", "-o", "size=%sk" % arg("tmpfs"), "tmpfs", disk]
            if subprocess.run(mount, capture_output=True).returncode:
                disk = None
                return print("skipped: no tmpfs can be mounted here") or 0
        if source_text is not None:
            source = os.path.join(work, name + ".vsl")
            with open(source, "w", encoding="utf-8") as f:
                f.write(source_text)
        program = name.upper() + ".VSC"
        for kind, args, body in sections:
            if kind == "include":
                with open(os.path.join(work, args[0]), "w", encoding="utf-8") as f:
                    f.write(body)
        if os.path.exists(source):
            if "map" in kinds:
                cmd = [a.vestcomp, os.path.relpath(source, work), "-o", program]
            else:
                cmd = [a.vestcomp, source, "-o", os.path.join(work, program), "--no-map"]
            r = subprocess.run(cmd + kinds.get("vestcomp", ([], ""))[0], capture_output=True, cwd=work)
            if r.returncode != 0:
                return print("compile failed:", r.stdout.decode(), r.stderr.decode()) or 1
            warnings = r.stderr.decode("utf-8", "replace").replace(source, name + ".vsl")
            if warnings != text("warnings"):
                failures.append("compiler warnings differ\n--- expected\n%s\n--- got\n%s" % (text("warnings"), warnings))
        if "setup" in kinds:
            def write(fname, data):
                with open(os.path.join(work, fname), "wb") as f:
                    f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
            tests = os.path.dirname(os.path.dirname(os.path.abspath(a.expect)))
            sys.path.insert(0, os.path.join(tests, "dbase"))
            import damage
            exec(text("setup"), {"prog": prog, "write": write, "work": work, "os": os, "tests": tests,
                                 "damage": damage, "struct": struct, "subprocess": subprocess})

        runner = a.vestrun
        argv = ["--trace"] if "trace" in kinds else []
        if "bind" in kinds:
            runner = os.path.join(work, "bound")
            r = subprocess.run([a.vestcomp, "bind", a.vestrun, os.path.join(work, program), "-o", runner],
                               capture_output=True)
            if r.returncode != 0:
                return print("bind failed:", r.stdout.decode(), r.stderr.decode()) or 1
        elif "run" in kinds:
            argv += [f for f in [arg("run")] if f and f != "-"]
        else:
            argv.append(program)
        argv += [line for line in text("args").split("\n") if line != ""]

        env = dict(os.environ)
        env.pop("VESTRUN_ANSWERS", None)
        env.update(line.split("=", 1) for line in text("env").splitlines() if "=" in line)
        env.update(extra_env or {})
        size = int(arg("limit")) if "limit" in kinds else None
        memory = int(arg("memory")) << 20 if "memory" in kinds else None
        with open(runner, "rb") as f:
            memory = None if memory and b"__asan_init" in f.read() else memory
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
            run["stdin"] = open(os.path.join(work, arg("stdinfile")), "rb")
        else:
            run["input"] = text("stdin").encode("utf-8")
        r = subprocess.run([runner] + argv, **run)
        if observe:
            observe(r, work)

        def compare(what, got, want):
            if got != want:
                failures.append("%s differs\n--- expected\n%s\n--- got\n%s" % (what, want, got))

        compare("stdout", r.stdout.decode("utf-8", "replace"), text("stdout"))
        compare("stderr", r.stderr.decode("utf-8", "replace"), text("stderr", text("error")))
        want_exit = int(text("exit").strip() or arg("exit")) if "exit" in kinds else 2 if "error" in kinds else 0
        if r.returncode != want_exit:
            failures.append("exit code %d, expected %d" % (r.returncode, want_exit))
        for kind, args, body in sections:
            p = os.path.join(work, args[0]) if kind == "file" else None
            if p and not os.path.exists(p):
                failures.append("file %s was not written" % args[0])
            elif p:
                with open(p, "rb") as f:
                    compare("file " + args[0], f.read().decode("cp1252", "replace"), body)
    finally:
        if disk:
            subprocess.run(["umount", disk])
        shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
