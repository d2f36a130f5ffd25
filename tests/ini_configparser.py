#!/usr/bin/env python3
"""INI files of the console runner against Python's configparser: WRITEINI
(a new file, a hand-written one with comments and odd spacing, other case,
blanks, Latin-1) read back by @READINI$ and configparser against a model,
untouched lines kept byte for byte; then a file configparser wrote read by
@READINI$.
"""
import configparser
import os
import random
import sys

from checklib import Checks, arguments, run_program, scratch

# No separators of either reader (= : [ ] ; #), quotes, backslashes or "%".
NAME_CHARS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.äöüÄÖÜß"
VALUE_CHARS = NAME_CHARS + " ,()!?/&+*<>$@éè"
HAND_WRITTEN = (b"; settings of a test\r\n[Allgemein]\r\nName = Alter Wert\r\nPfad=C:\\temp  \r\n\r\n"
                b"; a comment inside a section\r\n[Leer]\r\n\r\n[Zahlen]\r\neins=1\r\n")


def swap_case(text):
    """Other case for every letter with a one-letter partner ("ß" has none)."""
    return "".join(c.swapcase() if len(c.swapcase()) == 1 else c for c in text)


def random_text(rng, chars, low, high):
    return "".join(rng.choice(chars) for _ in range(rng.randint(low, high)))


def reads(queries):
    return ['PRINT "["; @READINI$("%s", "%s", "%s"); "]"' % q for q in queries]


def parser_value(path, section, key):
    """The value as configparser sees it, the section found regardless of case."""
    p = configparser.RawConfigParser(interpolation=None, strict=True, delimiters=("=",), comment_prefixes=(";",))
    with open(path, encoding="cp1252") as f:
        p.read_file(f)
    return next((p.get(s, key, fallback="") for s in p.sections() if s.lower() == section.lower()), "")


def runtime_writes(a, work, check):
    rng = random.Random(4711)
    with open(os.path.join(work, "hand.ini"), "wb") as f:
        f.write(HAND_WRITTEN)
    model = {"hand.ini": {"allgemein": {"name": "Alter Wert", "pfad": "C:\\temp"}, "leer": {}, "zahlen": {"eins": "1"}},
             "neu.ini": {}}
    writes = [("hand.ini", "ALLGEMEIN", "name", "  Neuer Wert  "), ("hand.ini", "leer", "Erster", "in der leeren Sektion"),
              ("hand.ini", "Zahlen", "zwei", "2"), ("hand.ini", "Zahlen", "EINS", "eins"),
              ("hand.ini", "Neu", "k", "Grüße aus Köln"), ("neu.ini", "Erste", "leer", ""), ("neu.ini", "Erste", "x", "  y")]
    writes += [(rng.choice(["hand.ini", "neu.ini"]), rng.choice(["Alpha", "alpha", "BETA", "Gamma Delta", "ÄÖÜ"]),
                random_text(rng, NAME_CHARS, 1, 12), random_text(rng, VALUE_CHARS, 0, 60)) for _ in range(40)]
    # Rewrites of keys already written, in other case.
    writes += [(f, swap_case(s).upper(), swap_case(k), random_text(rng, VALUE_CHARS, 1, 40)) for f, s, k, _ in writes[7:20]]
    for file, section, key, value in writes:
        model[file].setdefault(section.lower(), {})[key.lower()] = value.strip(" ")
    queries = [(f, s, k) for f, secs in sorted(model.items()) for s, keys in sorted(secs.items()) for k in sorted(keys)]
    queries += [("hand.ini", "Allgemein", "fehlt"), ("hand.ini", "fehlt", "name"), ("fehlt.ini", "Allgemein", "name")]
    source = ['WRITEINI "%s", "%s", "%s" = "%s"' % w for w in writes] + reads(queries)
    out = run_program(a, work, "SCHREIBT", source)[:-1]
    check("lines printed", len(out), len(queries))
    for (file, section, key), line in zip(queries, out):
        want = model.get(file, {}).get(section.lower(), {}).get(key.lower(), "")
        check("@READINI$(%s, %s, %s)" % (file, section, key), line[1:-1], want)
        if file in model:
            check("configparser: %s [%s] %s" % (file, section, key), parser_value(os.path.join(work, file), section, key), want)
    # Untouched lines keep their bytes; a rewritten entry its spacing before the value.
    with open(os.path.join(work, "hand.ini"), "rb") as f:
        lines = f.read().split(b"\r\n")
    for kept in (b"; settings of a test", b"Pfad=C:\\temp  ", b"; a comment inside a section", b"[Leer]", b"Name = Neuer Wert"):
        check("hand.ini holds %r" % kept, kept in lines, True)
    with open(os.path.join(work, "neu.ini"), "rb") as f:
        check("neu.ini starts", f.read(21), b"[Erste]\r\nleer=\r\nx=y\r\n")


def configparser_writes(a, work, check):
    rng = random.Random(815)
    p = configparser.RawConfigParser(interpolation=None)
    p.optionxform = str
    for s in range(6):
        section = "Sektion %d %s" % (s, random_text(rng, NAME_CHARS, 1, 8))
        p.add_section(section)
        for k in range(8):
            p.set(section, random_text(rng, NAME_CHARS, 1, 10), random_text(rng, VALUE_CHARS, 0, 50).strip(" "))
    with open(os.path.join(work, "python.ini"), "w", encoding="cp1252", newline="\r\n") as f:
        p.write(f)
    expected = [(s, k, p.get(s, k)) for s in p.sections() for k in p.options(s)]
    out = run_program(a, work, "LIEST", reads(("python.ini", swap_case(s), swap_case(k)) for s, k, _ in expected))[:-1]
    check("configparser's file read", [line[1:-1] for line in out], [v for _, _, v in expected])


def main():
    a = arguments(__doc__)
    check = Checks()
    with scratch(a, "vestil-ini-") as work:
        runtime_writes(a, work, check)
        configparser_writes(a, work, check)
    return check.report("INI tests")


if __name__ == "__main__":
    sys.exit(main())
