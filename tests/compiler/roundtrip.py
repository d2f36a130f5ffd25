#!/usr/bin/env python3
"""Round trip of every program the project has: compile -> list -> compile must
give the same bytes, and listing the second program must give the same text.

Sources: every *.vsl in the folders named on the command line, and the
programs embedded in tests/programs/*.cases ("=== CASE title", the source, then
"== " sections). The program files that setups write with prog()
(deliberately odd files: length 255, truncated lines, bad headers) are listed
and compiled back too: the lister must reproduce any file byte for byte.
"""
import argparse
import glob
import os
import re
import subprocess
import sys
import tempfile


def run(cmd):
    return subprocess.run(cmd, capture_output=True)


def prog(lines, marker=b"  "):
    header = bytearray(b" KVN-VESTIL3" + b"\0" * 20)
    header[20:22] = marker
    key = 0 if marker == b"  " else marker[0] | marker[1]
    data = bytes(header)
    for line in lines:
        data += bytes([len(line) & 0xFF]) + bytes(c ^ key for c in line)
    return data


def sources(folders):
    """(name, source text, scramble marker or None) of every program."""
    for folder in folders:
        for path in sorted(glob.glob(os.path.join(folder, "*.vsl"))):
            with open(path, encoding="utf-8") as f:
                yield path, f.read(), None
        for path in sorted(glob.glob(os.path.join(folder, "*.cases"))):
            with open(path, encoding="utf-8") as f:
                lines = f.readlines()
            cases = []
            for line in lines:
                if line.startswith("=== "):  # "=== WINE": under Wine only
                    cases.append([None if line.startswith("=== WINE") else line[8:].strip(), [], False, None])
                elif cases:
                    c = cases[-1]
                    if line.startswith("== "):
                        c[2] = True
                        if line.split()[1:2] == ["scramble"]:
                            c[3] = line.split()[2]
                        if line.split()[1:2] == ["include"]:
                            c[0] = None  # needs a file beside it
                    elif not c[2]:
                        c[1].append(line)
            for title, src, _, marker in cases:
                if title is None:
                    continue
                yield "%s [%s]" % (path, title), "".join(src), marker


def written_files(folders):
    """(name, bytes) of the program files that setups (of *.expect and
    *.cases) write; a setup that needs more than write() and prog() is left
    to run_program.py."""
    for folder in folders:
        for path in sorted(glob.glob(os.path.join(folder, "*.expect")) + glob.glob(os.path.join(folder, "*.cases"))):
            with open(path, encoding="utf-8") as f:
                text = f.read()
            for setup in text.split("\n== setup\n")[1:]:
                setup = re.split(r"^(?:== |=== CASE)", setup, maxsplit=1, flags=re.M)[0]
                files = {}

                def write(fname, data, files=files):
                    files[fname] = data if isinstance(data, bytes) else data.encode("utf-8")

                with tempfile.TemporaryDirectory() as work:
                    try:
                        exec(setup, {"prog": prog, "write": write, "work": work, "os": os, "tests": None})
                    except Exception:
                        continue
                for fname, data in files.items():
                    if data[:12] == b" KVN-VESTIL3" or fname.upper().endswith(".VSC"):
                        yield "%s [%s]" % (path, fname), data


def check_bytes(vestcomp, work, name, data):
    first = os.path.join(work, "first.VSC")
    listing = os.path.join(work, "listing.vsl")
    second = os.path.join(work, "second.VSC")
    with open(first, "wb") as f:
        f.write(data)
    r = run([vestcomp, "list", first, "-o", listing])
    if r.returncode != 0 or r.stderr:
        return "list failed or warned: " + r.stderr.decode("utf-8", "replace")
    r = run([vestcomp, listing, "-o", second, "--no-check", "--no-map"])
    if r.returncode != 0:
        return "the listing does not compile: " + r.stderr.decode("utf-8", "replace")
    with open(second, "rb") as f:
        if f.read() != data:
            return "compiling the listing gives other bytes"
    r2 = run([vestcomp, "list", second])
    with open(listing, "rb") as f:
        if r2.stdout != f.read():
            return "the second listing differs from the first"
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("folders", nargs="+")
    a = ap.parse_args()
    failures = count = 0
    with tempfile.TemporaryDirectory() as work:
        def compiled():
            for name, text, marker in sources(a.folders):
                src = os.path.join(work, "source.vsl")
                with open(src, "w", encoding="utf-8") as f:
                    f.write(text)
                # INCLUDE paths are relative to the source: compile in place when
                # the program is a file of its own.
                out = os.path.join(work, "source.VSC")
                r = run([a.vestcomp, name if os.path.isfile(name) else src, "-o", out, "--no-check", "--no-map"]
                        + (["--scramble", marker] if marker else []))
                if r.returncode != 0:
                    yield name, "does not compile:\n" + r.stderr.decode("utf-8", "replace")
                else:
                    with open(out, "rb") as f:
                        yield name, f.read()
            yield from written_files(a.folders)

        for name, data in compiled():
            count += 1
            problem = data if isinstance(data, str) else check_bytes(a.vestcomp, work, name, data)
            if problem:
                print("FAIL %s: %s" % (name, problem))
                failures += 1
    print("%d programs, %d failed" % (count, failures))
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
