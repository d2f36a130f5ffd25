#!/usr/bin/env python3
"""Runs every program test (tests/programs/*.expect, *.cases) and every
example (examples/*.vsl) twice, on decoded lines and on the text path
(VESTIL_TEXT_PATH=1), each in its own copy of the prepared folder, and
compares standard output, standard error, the exit code and every file
either run left in its folder, byte for byte.

usage: decoded_check.py --vestcomp C --vestrun R FOLDER...
"""
import argparse
import filecmp
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_program  # noqa: E402


def cases_of(path):
    """(name, source path or None, source text or None, sections) of a test file."""
    name = os.path.splitext(os.path.basename(path))[0]
    with open(path, encoding="utf-8") as f:
        lines = f.readlines()
    if path.endswith(".vsl"):
        return [(name, path, None, [])]
    if path.endswith(".expect"):
        return [(name, os.path.splitext(path)[0] + ".vsl", None, run_program.parse(lines))]
    out = []
    wine = False  # "=== WINE" cases run under Wine only
    for line in lines:
        if line.startswith("=== "):
            wine = line.startswith("=== WINE")
            if not wine:
                out.append([name, None, [], []])
        elif out and not wine:
            c = out[-1]
            if c[3] or line.startswith("== "):
                c[3].append(line)
            else:
                c[2].append(line)
    return [(n, None, "".join(src), run_program.parse(rest)) for n, _, src, rest in out]


def snapshot(folder):
    files = {}
    for root, _, names in os.walk(folder):
        for n in names:
            p = os.path.join(root, n)
            with open(p, "rb") as f:
                files[os.path.relpath(p, folder)] = f.read()
    return files


# Sections whose set-up (a mounted file system, resource limits, closed
# descriptors, a compile of its own) only run_program.py makes: such a case
# is checked there, on the decoded lines alone.
ONE_WAY = {"tmpfs", "limit", "memory", "closed", "stdinfile", "include"}


def check(a, test_path, name, source, source_text, sections):
    kinds = {k: (args, text) for k, args, text in sections}
    if ONE_WAY & set(kinds):
        return None
    base = tempfile.mkdtemp(prefix="vestil-decoded-")
    try:
        prep = os.path.join(base, "prep")
        os.mkdir(prep)
        if source_text is not None:
            source = os.path.join(prep, name + ".vsl")
            with open(source, "w", encoding="utf-8") as f:
                f.write(source_text)
        program = name.upper() + ".VSC"
        if source and os.path.exists(source):
            cmd = [a.vestcomp, source, "-o", os.path.join(prep, program)]
            if "scramble" in kinds:
                cmd += ["--scramble", kinds["scramble"][0][0]]
            if "vestcomp" in kinds:
                cmd += kinds["vestcomp"][0]
            if subprocess.run(cmd, capture_output=True).returncode != 0:
                return None  # a case that does not compile is its own test's concern
        if "setup" in kinds:
            def write(fname, data):
                os.makedirs(os.path.dirname(os.path.join(prep, fname)), exist_ok=True)
                with open(os.path.join(prep, fname), "wb") as f:
                    f.write(data if isinstance(data, bytes) else data.encode("utf-8"))
            tests = os.path.dirname(os.path.abspath(__file__))
            exec(kinds["setup"][1], {"prog": run_program.prog, "write": write, "work": prep, "os": os,
                                     "tests": tests})
        runner = a.vestrun
        argv = []
        if "bind" in kinds:
            runner = os.path.join(base, "bound")
            subprocess.run([a.vestcomp, "bind", a.vestrun, os.path.join(prep, program), "-o", runner],
                           capture_output=True)
        elif "run" in kinds:
            if kinds["run"][0] and kinds["run"][0][0] != "-":
                argv.append(kinds["run"][0][0])
        else:
            argv.append(program)
        if "args" in kinds:
            argv += [l for l in kinds["args"][1].split("\n") if l != ""]
        env = dict(os.environ)
        env.pop("VESTRUN_ANSWERS", None)
        env.pop("VESTIL_TEXT_PATH", None)
        if "env" in kinds:
            for l in kinds["env"][1].splitlines():
                if "=" in l:
                    k, v = l.split("=", 1)
                    env[k] = v
        stdin = kinds.get("stdin", ([], ""))[1].encode("utf-8")
        results = []
        for way in ("decoded", "text"):
            work = os.path.join(base, way)
            shutil.copytree(prep, work)
            e = dict(env)
            if way == "text":
                e["VESTIL_TEXT_PATH"] = "1"
            proc = subprocess.Popen([runner] + argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, cwd=work, env=e)
            try:
                out, err = proc.communicate(stdin, timeout=60)
            except subprocess.TimeoutExpired:
                proc.kill()
                results.append(("timeout",))
                continue
            # The DLL bridge's exchange file is named by the clock's ticks,
            # which differ from run to run.
            files = {k: re.sub(rb"P\d+\.\$", b"P<ticks>.$", v) for k, v in snapshot(work).items()}
            results.append((out, err, proc.returncode, files))
        if results[0] != results[1]:
            d, t = results
            what = [w for i, w in enumerate(["stdout", "stderr", "exit code", "files"]) if len(d) > i and
                    len(t) > i and d[i] != t[i]] or ["run"]
            return "%s (%s): %s differ\n--- decoded\n%r\n--- text path\n%r" % (
                test_path, name, ", ".join(what), d[:3], t[:3])
        return None
    finally:
        shutil.rmtree(base, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("--vestrun", required=True)
    ap.add_argument("folders", nargs="+")
    a = ap.parse_args()
    a.vestcomp = os.path.abspath(a.vestcomp)
    a.vestrun = os.path.abspath(a.vestrun)
    paths = []
    for folder in a.folders:
        for pattern in ("*.expect", "*.cases"):
            paths += sorted(glob.glob(os.path.join(folder, pattern)))
        if not glob.glob(os.path.join(folder, "*.expect")):
            paths += sorted(glob.glob(os.path.join(folder, "*.vsl")))
    runs, failures = 0, []
    for path in paths:
        for name, source, text, sections in cases_of(path):
            runs += 1
            f = check(a, path, name, source, text, sections)
            if f:
                failures.append(f)
    for f in failures:
        print(f)
    print("%d programs, %d differ" % (runs, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
