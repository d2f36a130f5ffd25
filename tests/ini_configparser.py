#!/usr/bin/env python3
"""INI files of the console runner against Python's configparser: files
WRITEINI made (a new one and a hand-written one with comments, odd spacing,
other case, blanks and Latin-1) read by configparser (profile.cases: the
lines kept byte for byte); a file configparser wrote read by @READINI$.
"""
import configparser
import os
import random
import sys

from checklib import arguments, check, run_program, scratch

# No separators of either reader (= : [ ] ; #), quotes, backslashes or "%".
NAME_CHARS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.äöüÄÖÜß"
VALUE_CHARS = NAME_CHARS + " ,()!?/&+*<>$@éè"
HAND_WRITTEN = (b"; settings of a test\r\n[Allgemein]\r\nName = Alter Wert\r\nPfad=C:\\temp  \r\n\r\n"
                b"; a comment inside a section\r\n[Leer]\r\n\r\n[Zahlen]\r\neins=1\r\n")


def random_text(rng, chars, low, high):
    return "".join(rng.choice(chars) for _ in range(rng.randint(low, high)))


def other_case(text):
    return "".join(c.swapcase() if len(c.swapcase()) == 1 else c for c in text)


def parsed(path):
    """{section in lower case: {key: value}} as configparser reads the file."""
    p = configparser.RawConfigParser(interpolation=None, strict=True, delimiters=("=",), comment_prefixes=(";",))
    with open(path, encoding="cp1252") as f:
        p.read_file(f)
    return {s.lower(): dict(p.items(s)) for s in p.sections()}


def main():
    a = arguments(__doc__)
    rng = random.Random(4711)
    with scratch(a, "vestil-ini-") as work:
        with open(os.path.join(work, "hand.ini"), "wb") as f:
            f.write(HAND_WRITTEN)
        model = {"hand.ini": {"allgemein": {"name": "Alter Wert", "pfad": "C:\\temp"}, "leer": {},
                              "zahlen": {"eins": "1"}}, "neu.ini": {}}
        writes = [("hand.ini", "ALLGEMEIN", "name", "  Neuer Wert  "), ("hand.ini", "leer", "Erster", "in der Sektion"),
                  ("hand.ini", "Zahlen", "EINS", "eins"), ("hand.ini", "Neu", "k", "Grüße aus Köln"),
                  ("neu.ini", "Erste", "leer", ""), ("neu.ini", "Erste", "x", "  y")]
        writes += [(rng.choice(["hand.ini", "neu.ini"]), rng.choice(["Alpha", "alpha", "BETA", "Gamma Delta", "ÄÖÜ"]),
                    random_text(rng, NAME_CHARS, 1, 12), random_text(rng, VALUE_CHARS, 0, 60)) for _ in range(30)]
        for file, section, key, value in writes:
            model[file].setdefault(section.lower(), {})[key.lower()] = value.strip(" ")
        run_program(a, work, "SCHREIBT", ['WRITEINI "%s", "%s", "%s" = "%s"' % w for w in writes])
        for file in model:
            check("configparser reads " + file, parsed(os.path.join(work, file)), model[file])

        p = configparser.RawConfigParser(interpolation=None)
        p.optionxform = str
        for s in range(6):
            section = "Sektion %d %s" % (s, random_text(rng, NAME_CHARS, 1, 8))
            p.add_section(section)
            for k in range(8):
                p.set(section, random_text(rng, NAME_CHARS, 1, 10), random_text(rng, VALUE_CHARS, 0, 50).strip(" "))
        with open(os.path.join(work, "python.ini"), "w", encoding="cp1252", newline="\r\n") as f:
            p.write(f)
        keys = [(other_case(s), other_case(k), p.get(s, k)) for s in p.sections() for k in p.options(s)]
        out = run_program(a, work, "LIEST", ['PRINT "["; @READINI$("python.ini", "%s", "%s"); "]"' % q[:2] for q in keys])
        check("@READINI$ reads configparser's file", [line[1:-1] for line in out[:-1]], [v for _, _, v in keys])
    return 0


if __name__ == "__main__":
    sys.exit(main())
