#!/usr/bin/env python3
"""INI files of the console runner against Python's configparser.

1. A program writes entries with WRITEINI (new files, a hand-written file with
   comments and odd spacing, keys and sections in other case, blanks around
   values, Latin-1 text) and reads them back with @READINI$. configparser
   reads the same files; both must give the values a simple model expects,
   and the lines WRITEINI did not touch must be byte for byte as they were.
2. configparser writes a file ("key = value" lines); the program reads every
   entry with @READINI$ and must see what configparser wrote.

usage: ini_configparser.py --vestcomp VESTCOMP --vestrun VESTRUN
"""
import argparse
import configparser
import os
import random
import shutil
import subprocess
import sys
import tempfile

# Characters of generated names and values: no separators of either reader
# (= : [ ] ; #), no quotes, no backslash (a VESTIL escape) and no "%".
NAME_CHARS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.äöüÄÖÜß"
VALUE_CHARS = NAME_CHARS + " ,()!?/&+*<>$@éè"


def swap_case(text):
    """Other case for every letter that has a one-letter partner ("ß" has none
    in Windows-1252, though Python makes it "SS")."""
    return "".join(c.swapcase() if len(c.swapcase()) == 1 else c for c in text)


def quote(text):
    return '"' + text + '"'


def run_program(args, work, name, source):
    vsl = os.path.join(work, name + ".vsl")
    vsc = os.path.join(work, name + ".VSC")
    with open(vsl, "w", encoding="utf-8") as f:
        f.write(source)
    r = subprocess.run([args.vestcomp, vsl, "-o", vsc], capture_output=True)
    if r.returncode != 0:
        raise SystemExit("vestcomp failed: %s%s" % (r.stdout.decode(), r.stderr.decode()))
    r = subprocess.run([args.vestrun, vsc], capture_output=True, cwd=work, timeout=120)
    if r.returncode != 0 or r.stderr:
        raise SystemExit("vestrun ended with %d: %s" % (r.returncode, r.stderr.decode()))
    return r.stdout.decode("utf-8").split("\n")[:-1]


def parser_of(path):
    p = configparser.RawConfigParser(interpolation=None, strict=True, delimiters=("=",),
                                     comment_prefixes=(";",), inline_comment_prefixes=None,
                                     empty_lines_in_values=False)
    with open(path, encoding="cp1252") as f:
        p.read_file(f)
    return p


def parser_value(parser, section, key):
    """The value as configparser sees it; sections are matched without regard
    to case as Windows matches them (configparser itself keeps their case)."""
    for s in parser.sections():
        if s.lower() == section.lower():
            return parser.get(s, key, fallback=None)
    return None


def random_text(rng, chars, low, high):
    return "".join(rng.choice(chars) for _ in range(rng.randint(low, high)))


HAND_WRITTEN = (b"; settings of a test\r\n"
                b"[Allgemein]\r\n"
                b"Name = Alter Wert\r\n"
                b"Pfad=C:\\temp  \r\n"
                b"\r\n"
                b"; a comment inside a section\r\n"
                b"[Leer]\r\n"
                b"\r\n"
                b"[Zahlen]\r\n"
                b"eins=1\r\n")


def test_runtime_writes(args, work, failures):
    rng = random.Random(4711)
    with open(os.path.join(work, "hand.ini"), "wb") as f:
        f.write(HAND_WRITTEN)
    model = {"hand.ini": {"allgemein": {"name": "Alter Wert", "pfad": "C:\\temp"},
                          "leer": {}, "zahlen": {"eins": "1"}},
             "neu.ini": {}}
    writes = [
        ("hand.ini", "ALLGEMEIN", "name", "  Neuer Wert  "),
        ("hand.ini", "leer", "Erster", "in der leeren Sektion"),
        ("hand.ini", "Zahlen", "zwei", "2"),
        ("hand.ini", "Zahlen", "EINS", "eins"),
        ("hand.ini", "Neu", "k", "Grüße aus Köln"),
        ("neu.ini", "Erste", "leer", ""),
        ("neu.ini", "Erste", "x", "  y"),
    ]
    for n in range(60):
        section = rng.choice(["Alpha", "alpha", "BETA", "Gamma Delta", "ÄÖÜ"])
        key = random_text(rng, NAME_CHARS, 1, 12)
        value = random_text(rng, VALUE_CHARS, 0, 60)
        writes.append((rng.choice(["hand.ini", "neu.ini"]), section, key, value))
    # Rewrites of keys already written, in other case.
    for file, section, key, _ in list(writes[7:27]):
        writes.append((file, swap_case(section).upper(), swap_case(key), random_text(rng, VALUE_CHARS, 1, 40)))
    for file, section, key, value in writes:
        model[file].setdefault(section.lower(), {})[key.lower()] = value.strip(" ")

    queries = []
    for file, sections in sorted(model.items()):
        for section, keys in sorted(sections.items()):
            for key in sorted(keys):
                queries.append((file, section, key))
    queries.append(("hand.ini", "Allgemein", "fehlt"))
    queries.append(("hand.ini", "fehlt", "name"))
    queries.append(("fehlt.ini", "Allgemein", "name"))

    source = ["WRITEINI %s, %s, %s = %s" % tuple(quote(x) for x in w) for w in writes]
    source += ['PRINT "["; @READINI$(%s, %s, %s); "]"' % tuple(quote(x) for x in q) for q in queries]
    out = run_program(args, work, "SCHREIBT", "\n".join(source) + "\n")

    parsers = {f: parser_of(os.path.join(work, f)) for f in model}
    for (file, section, key), line in zip(queries, out):
        want = model.get(file, {}).get(section.lower(), {}).get(key.lower(), "")
        got = line[1:-1]
        seen = parser_value(parsers[file], section, key) if file in parsers else None
        if got != want:
            failures.append("@READINI$(%s, %s, %s) gave %r, expected %r" % (file, section, key, got, want))
        if (seen if seen is not None else "") != want:
            failures.append("configparser reads %s [%s] %s as %r, expected %r" % (file, section, key, seen, want))
    if len(out) != len(queries):
        failures.append("the program printed %d lines for %d queries" % (len(out), len(queries)))

    # Lines that no WRITEINI touched keep their bytes.
    with open(os.path.join(work, "hand.ini"), "rb") as f:
        lines = f.read().split(b"\r\n")
    for kept in (b"; settings of a test", b"Pfad=C:\\temp  ", b"; a comment inside a section", b"[Leer]"):
        if kept not in lines:
            failures.append("hand.ini lost the line %r" % kept)
    if b"Name = Neuer Wert" not in lines:
        failures.append("hand.ini: the rewritten entry keeps its spacing before the value")
    with open(os.path.join(work, "neu.ini"), "rb") as f:
        start = f.read(30)
    if not start.startswith(b"[Erste]\r\nleer=\r\nx=y\r\n"):
        failures.append("neu.ini starts with %r" % start)


def test_configparser_writes(args, work, failures):
    rng = random.Random(815)
    p = configparser.RawConfigParser(interpolation=None)
    p.optionxform = str
    expected = []
    for s in range(6):
        section = "Sektion %d %s" % (s, random_text(rng, NAME_CHARS, 1, 8))
        p.add_section(section)
        for k in range(8):
            key = random_text(rng, NAME_CHARS, 1, 10)
            value = random_text(rng, VALUE_CHARS, 0, 50).strip(" ")
            if p.has_option(section, key):
                continue
            p.set(section, key, value)
            expected.append((section, key, value))
    with open(os.path.join(work, "python.ini"), "w", encoding="cp1252", newline="\r\n") as f:
        p.write(f)
    source = ['PRINT "["; @READINI$("python.ini", %s, %s); "]"' % (quote(swap_case(s)), quote(swap_case(k)))
              for s, k, _ in expected]
    out = run_program(args, work, "LIEST", "\n".join(source) + "\n")
    if len(out) != len(expected):
        failures.append("the program printed %d lines for %d entries" % (len(out), len(expected)))
    for (section, key, value), line in zip(expected, out):
        if line[1:-1] != value:
            failures.append("[%s] %s written by configparser as %r, read as %r" % (section, key, value, line[1:-1]))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("--vestrun", required=True)
    ap.add_argument("--keep", action="store_true")
    a = ap.parse_args()
    a.vestcomp = os.path.abspath(a.vestcomp)
    a.vestrun = os.path.abspath(a.vestrun)
    failures = []
    work = tempfile.mkdtemp(prefix="vestil-ini-")
    try:
        test_runtime_writes(a, work, failures)
        test_configparser_writes(a, work, failures)
    finally:
        if a.keep:
            print("kept", work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print(f)
    print("INI tests: %d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
