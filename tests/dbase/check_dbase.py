#!/usr/bin/python3
"""The dBase engine against independent readers and writers: interop (tables
read by dbfread and written by python3-dbf), random (thousands of edits, then
the table, its memos and two indexes walked page by page and compared with a
model, before and after a pack), kill (a script appending under an index is
killed at random moments: every completed append is in the table, and the
index is complete or refused by @DBUSEINDEX with 608; the next run rebuilds a
refused index). Run with /usr/bin/python3 (Debian's python3-dbf and
python3-dbfread live there); 77 when they are missing.
"""
import datetime
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import checklib  # noqa: E402
from checklib import Failure, arguments, scratch  # noqa: E402
from checklib import expect as check  # noqa: E402


def peers():
    """python3-dbf and dbfread, or the exit code 77 (skipped)."""
    try:
        import dbf
        import dbfread
    except ImportError as e:
        print("SKIPPED: /usr/bin/python3 lacks python3-dbf or python3-dbfread (%s)" % e)
        sys.exit(77)
    return dbf, dbfread


def run_program(args, folder, lines, name="T", stderr="", exit_code=0):
    return checklib.run_program(args, folder, name, lines, stderr=stderr, exit_code=exit_code, encoding="cp1252")


def q(text):
    return '"' + text + '"'


def put(**fields):
    """@DBPUT lines for the fields (names in upper case)."""
    return ["@DBPUT(%s,%s)" % (q(k.upper()), q(v)) for k, v in fields.items()]


def create(structure, table, *more):
    return ["DBCREATE %s > %s" % (q(structure), q(table)), "@DBOPEN(#1, %s)" % q(table)] + list(more)


def read_dbf(path, killed=False):
    """(deleted, values) of the records; a killed append may have left the
    end mark out and one record more than the header counts."""
    data = open(path, "rb").read()
    count, hlen, rlen = struct.unpack_from("<IHH", data, 4)
    fields = []
    pos, off = 32, 1
    while data[pos] != 0x0D:
        fields.append((data[pos:pos + 11].split(b"\0")[0].decode("ascii"), off, data[pos + 16]))
        off += data[pos + 16]
        pos += 32
    check(hlen == 32 * len(fields) + 33, "header length")
    check(rlen == off, "record length")
    extra = len(data) - hlen - count * rlen
    check(extra == 1 and data[-1] == 0x1A or killed and extra - (data[-1] == 0x1A) in (0, rlen), "file length and end mark")
    records = [data[hlen + i * rlen: hlen + (i + 1) * rlen] for i in range(count)]
    return [(r[0:1] == b"*", {name: r[at:at + n].decode("cp1252") for name, at, n in fields}) for r in records]


def walk_ndx(path):
    """Walks the B-tree; returns the (key bytes, record) pairs in order after
    checking page counts, key order and the separator keys."""
    data = open(path, "rb").read()
    root, free, _, klen, maxk, ktype, esize = struct.unpack_from("<IIIHHHH", data, 0)
    check(len(data) % 512 == 0 and len(data) // 512 >= free, "file holds the pages in use")
    check(esize == (klen + 8 + 3) // 4 * 4 and maxk == 504 // esize, "entry size and keys per page")

    def key_of(k):
        return struct.unpack("<d", k)[0] if ktype == 1 else k

    out = []

    def walk(page, depth):
        check(0 < page < free and depth < 30, "page number %d" % page)
        base = page * 512
        n = struct.unpack_from("<I", data, base)[0]
        check(n <= maxk, "page %d holds %d keys" % (page, n))
        first_child = struct.unpack_from("<I", data, base + 4)[0]
        if first_child == 0:
            for i in range(n):
                child, rec = struct.unpack_from("<II", data, base + 4 + i * esize)
                check(child == 0 and rec > 0, "leaf entry")
                out.append((data[base + 12 + i * esize: base + 12 + i * esize + klen], rec))
            return
        for i in range(n + 1):
            # The entry behind the last key holds only the rightmost pointer:
            # in a full page its record field would lie beyond the page.
            child = struct.unpack_from("<I", data, base + 4 + i * esize)[0]
            rec = struct.unpack_from("<I", data, base + 8 + i * esize)[0] if i < n else 0
            check(child != 0 and rec == 0, "interior entry")
            before = len(out)
            walk(child, depth + 1)
            check(len(out) > before, "an empty subtree below page %d" % page)
            if i < n:
                sep = data[base + 12 + i * esize: base + 12 + i * esize + klen]
                check(sep == out[-1][0], "separator of page %d entry %d is the largest key below it" % (page, i))

    walk(root, 0)
    keys = [key_of(k) for k, _ in out]
    check(all(keys[i] <= keys[i + 1] for i in range(len(keys) - 1)), "keys in order")
    return [(key_of(k), r) for k, r in out], (klen, esize, maxk, ktype, data[24:data.index(b"\0", 24)].decode())


READ_ALL = """DECLARE N&, I%, K&
N& = @DBOPEN(#3, "PYT")
PRINT N&; "|"; %DBFIELDS
WHILE @EQU(%DBEOF, 0)
  PRINT @DBGET$("name"); "|"; @DBGET$("zahl"); "|"; @DBGET$("tag"); "|"; @DBGET$("ja")
  K& = @DBGETMEMO("text")
  PRINT "memo "; %LISTLAST
  I% = 0
  WHILE @LT(I%, @ADD(%LISTLAST, 1))
    PRINT "<"; @LISTITEM$(I%); ">"
    INC I%
  WEND
  @DBGO("NEXT")
WEND
"""


def case_interop(args, folder):
    dbf, dbfread = peers()
    open(os.path.join(folder, "STRUKT.TXT"), "w").write("name ; c ; 20 ; 0\nbetrag;n;10;2\ndatum;d;20;0\naktiv;l;5;0\nnotiz;m;1;0\nmenge;N;5;0\n")
    rows = [("Meier", "1234.50", "19961231", "T", "42", ["Zeile eins", "Zeile zwei"]),
            ("Schulze", "-7.25", "20000229", "F", "-3", []),
            ("Abel", "0.00", "18991230", "?", "0", ["Nur eine Zeile"])]
    src = create("STRUKT.TXT", "KUNDEN")
    for name, betrag, datum, aktiv, menge, memo in rows:
        src += put(name=name, betrag=betrag, datum=datum, aktiv=aktiv, menge=menge)
        src += (["CLEARLIST"] + ["ADDLIST " + q(x) for x in memo] + ["@DBPUTMEMO(\"NOTIZ\")"] if memo else [])
        src += ["@DBAPPEND()"]
    # A table the program leaves open keeps every record it wrote.
    src += ["@DBCLOSE(#1)", "@DBOPEN(#2, " + q("OFFEN.DBF") + ")"]
    for i in range(5):
        src += put(name="offen%d" % i) + ["@DBAPPEND()"]
    shutil.copy(os.path.join(folder, "STRUKT.TXT"), os.path.join(folder, "S2.TXT"))
    run_program(args, folder, ["DBCREATE " + q("S2.TXT") + " > " + q("OFFEN")], "MK")
    run_program(args, folder, src)

    memos = ["".join(x + "\r\n" for x in row[5]) for row in rows]
    t = dbfread.DBF(os.path.join(folder, "KUNDEN.DBF"), encoding="cp1252")
    got = [(f.name, f.type, f.length, f.decimal_count) for f in t.fields]
    check(got == [("NAME", "C", 20, 0), ("BETRAG", "N", 10, 2), ("DATUM", "D", 8, 0), ("AKTIV", "L", 1, 0),
                  ("NOTIZ", "M", 10, 0), ("MENGE", "N", 5, 0)], "dbfread fields %r" % got)
    got = [(r["NAME"], r["BETRAG"], r["DATUM"], r["AKTIV"], r["MENGE"], r["NOTIZ"]) for r in t]
    want = [(name, float(betrag), datetime.date(int(datum[:4]), int(datum[4:6]), int(datum[6:])),
             {"T": True, "F": False, "?": None}[aktiv], int(menge), memo or None)
            for (name, betrag, datum, aktiv, menge, _), memo in zip(rows, memos)]
    check(got == want, "dbfread records %r" % got)
    check([r["NAME"].rstrip() for _, r in read_dbf(os.path.join(folder, "OFFEN.DBF"))] == ["offen%d" % i for i in range(5)], "open table records")

    # A dBase III table with memos written by python3-dbf, read by vestrun.
    words = " ".join("wort%02d" % (i % 100) for i in range(86))[:600]
    p = dbf.Table(os.path.join(folder, "PYT.DBF"), "name C(15); zahl N(8,2); tag D; ja L; text M", dbf_type="db3")
    p.open(dbf.READ_WRITE)
    p.append(("Erster", 12.5, datetime.date(2001, 2, 3), True, "eins\r\nzwei\r\ndrei"))
    p.append(("Zweiter", -1.25, None, False, words))
    p.append(("Dritter", 0, datetime.date(1999, 12, 31), None, ""))
    p.close()
    out = run_program(args, folder, READ_ALL, "RD")
    check(out[:6] == ["3|5", "Erster         |   12.50|20010203|T", "memo 2", "<eins>", "<zwei>", "<drei>"],
          "the python3-dbf table's first record: %r" % out[:6])
    check(out[6].startswith("Zweiter        |   -1.25|        |F"), "second record %r" % out[6])
    check(out[7] == "memo 7", "a 600-character memo reads back as 8 lines: %r" % out[7])
    lines = [x[1:-1] for x in out[8:16]]
    check(all(len(x) <= 80 for x in lines) and "".join(lines) == words, "memo lines %r" % lines)
    check(all(x.endswith(" ") for x in lines[:-1]), "memo lines break after blanks")
    check(out[16].startswith("Dritter") and out[17] == "memo -1", "empty memo reads as an empty list: %r" % out[16:])


def case_random(args, folder):
    rng = random.Random(1996)
    open(os.path.join(folder, "S.TXT"), "w").write("name;C;6;0\nnum;N;9;2\n")
    src = ["DECLARE R&"] + create("S.TXT", "RT", "DBINDEX \"NAME\" > \"RNAME\"")
    model = []  # [name, num, deleted, when the name key went in, when the num key went in]
    deleted = False  # the deletion flag in the record buffer, which an append copies

    def ops(count, active):
        """Edits with the index of model column `active` controlling (the only one kept up to date)."""
        nonlocal src, deleted
        for _ in range(count):
            op = rng.random()
            name, num = "K%03d" % rng.randrange(300), "%.2f" % (rng.randrange(-99999, 99999) / 100)
            if op < 0.45 or not model:
                src += put(name=name, num=num) + ["@DBAPPEND()"]
                model.append([name, num, deleted, len(src), len(src)])
                deleted = False
                continue
            r = rng.randrange(len(model))
            m = model[r]
            src += ["R& = @DBGO(%d)" % (r + 1), "CASENOT @EQU(R&, %d) : PRINT \"moved to \"; R&" % (r + 1)]
            deleted = m[2]
            if op < 0.6:
                src += put(name=name) + ["@DBWRITE(0)"]
                m[0], m[3] = name, len(src) if name != m[0] and active == 3 else m[3]
            elif op < 0.8:
                src += put(num=num) + ["@DBWRITE(0)"]
                m[1], m[4] = num, len(src) if float(num) != float(m[1]) and active == 4 else m[4]
            else:
                src += ["@DBDELETE()" if op < 0.93 else "@DBRECALL()"]
                m[2] = deleted = op < 0.93

    def verify(rows, what, *indexes):
        """The records, and the indexes' entries (equal keys in the order they went in) and headers."""
        records = read_dbf(os.path.join(folder, "RT.DBF"))
        check([(r["NAME"].rstrip(), float(r["NUM"]), d) for d, r in records] == [(m[0], float(m[1]), m[2]) for m in rows],
              what + ": records")
        for index, rows in indexes:
            column, key, header = {"RNAME": (3, lambda m: m[0].ljust(6).encode(), (6, 16, 31, 0, "NAME")),
                                   "RNUM": (4, lambda m: float(m[1]), (8, 16, 31, 1, "NUM"))}[index]
            entries, h = walk_ndx(os.path.join(folder, index + ".NDX"))
            order = sorted(range(len(rows)), key=lambda i: (key(rows[i]), rows[i][column]))
            check(entries == [(key(rows[i]), i + 1) for i in order], "%s: %s entries" % (what, index))
            check(h == header, "%s header %r" % (index, h))

    ops(1800, 3)
    snapshot = [list(m) for m in model]
    for i, m in enumerate(model):
        m[4] = i - len(model)  # DBINDEX inserts in file order
    src += ["DBINDEX \"NUM\" > \"RNUM\""]
    # DBINDEX goes to the first record in key order: its buffer is loaded.
    deleted = min(model, key=lambda m: (float(m[1]), m[4]))[2]
    ops(1200, 4)
    out = run_program(args, folder, src + ["@DBCLOSE(#1)"])
    check(out == [""], "every @DBGO reached its record: %r" % out[:5])
    verify(model, "before pack", ("RNAME", snapshot), ("RNUM", model))
    # Pack with both indexes open: both written again for the kept records;
    # the table is left without an index (in file order).
    out = run_program(args, folder, ["@DBOPEN(#1, \"RT\")", "PRINT @DBUSEINDEX(\"RNAME,RNUM\")",
                                     "PRINT @DBPACK(); \" \"; &DBRECNO", "@DBGO(\"NEXT\")", "PRINT &DBRECNO",
                                     "@DBCLOSE(#1)"], "P")
    kept = [m[:3] + [i, i] for i, m in enumerate(m for m in model if not m[2])]
    check(out[:3] == ["1", "%d 1" % len(kept), "2"], "pack count and position %r" % out[:3])
    verify(kept, "after pack", ("RNAME", kept), ("RNUM", kept))
    # A fatal error ends a program with the table open: its appends are all
    # there and the index pages waiting in the cache are written.
    src = ["@DBOPEN(#1, \"RT\")", "@DBUSEINDEX(\"RNAME\")"]
    src += [x for i in range(300) for x in put(name="F%03d" % i, num="1") + ["@DBAPPEND()"]] + ["@DBSELECT(#5)"]
    run_program(args, folder, src, "F", stderr="Tabellennummer noch nicht vergeben! | Zeile %6d!\n" % len(src), exit_code=2)
    kept += [["F%03d" % i, "1", False, 5000 + i, 0] for i in range(300)]
    verify(kept, "after a fatal error", ("RNAME", kept))


APPEND = """DECLARE I%, R%
@DBOPEN(#1, "T")
R% = @DBUSEINDEX("I")
CASE @EQU(R%, 0) : DBINDEX "NAME" > "I"
I% = &DBCOUNT
WHILE @LT(I%, 1000000)
  INC I%
  @DBPUT("NAME", @ADD$("K", @STR$(I%)))
  PRINT @DBAPPEND()
WEND
"""


def case_kill(args, folder):
    rng = random.Random(args.seed)
    open(os.path.join(folder, "S.TXT"), "w").write("name;c;12;0\n")
    checklib.compile_program(args, folder, "APPEND", APPEND)
    probe = checklib.compile_program(args, folder, "PROBE", '@DBOPEN(#1, "T")\nPRINT @DBUSEINDEX("I")\n')
    outcomes = [0, 0]
    count = 5000
    for _ in range(args.kills):
        if count > 4000:  # a fresh table from time to time keeps the rebuilds short
            completed = 0
            run_program(args, folder, create("S.TXT", "T", "DBINDEX \"NAME\" > \"I\""), "SETUP")
        p = subprocess.Popen(["stdbuf", "-o0", args.vestrun, "APPEND.VSC"], cwd=folder,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.02, 0.25))
        p.send_signal(signal.SIGKILL)
        # The last line may be cut by the kill.
        completed = max([completed] + [int(x) for x in p.communicate()[0].decode().split("\n")[:-1] if x.isdigit()])
        records = read_dbf(os.path.join(folder, "T.DBF"), True)
        count = len(records)
        check(count >= completed, "%d appends completed, %d records in the table" % (completed, count))
        check([r["NAME"].strip() for _, r in records] == ["K%d" % i for i in range(1, count + 1)], "records")
        r = subprocess.run([args.vestrun, probe], cwd=folder, capture_output=True)
        refused = r.stdout == b"0\n"
        check(b"nicht in Ordnung: I.NDX" in r.stderr if refused else r.stdout == b"1\n", "probe: %r" % r)
        check(refused or sorted(x for _, x in walk_ndx(os.path.join(folder, "I.NDX"))[0]) == list(range(1, count + 1)),
              "the index opens but lacks records")
        outcomes[refused] += 1
    print("%d kills (seed %d): index complete %d times, refused with 608 %d times" % (args.kills, args.seed, *outcomes))


def main():
    cases = {"interop": case_interop, "random": case_random, "kill": case_kill}
    args = arguments(__doc__, (["case"], dict(choices=list(cases))), (["--kills"], dict(type=int, default=20)),
                     (["--seed"], dict(type=int, default=int(time.time()))))
    with scratch(args, "dbase_" + args.case + "_") as folder:
        try:
            cases[args.case](args, folder)
        except Failure as e:
            print("FAILED (seed %d):" % args.seed, e)
            return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
