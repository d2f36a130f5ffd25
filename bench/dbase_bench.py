#!/usr/bin/python3
"""dBase benchmark: the same work done by vestrun and by python3-dbf.

  create a table, append N records, index a character and a numeric field,
  seek N keys, walk the table in index order, delete every third record,
  pack, and append N/5 records under a character index ("ixappend"; vestrun
  only).

Usage: /usr/bin/python3 bench/dbase_bench.py [--build BUILD] [--records N]
       [--python-records M] [--skip-python]
python3-dbf packs in quadratic time (20 s for 20000 records), so its run
defaults to 20000 records; pass --python-records 100000 for the full work.
vestrun reports its phases in milliseconds of &TICKS; python3-dbf is timed
with time.perf_counter around the same phases.
"""
import argparse
import os
import shutil
import subprocess
import tempfile
import time

PHASES = ["append", "index C", "index N", "seek", "walk", "delete", "pack", "ixappend"]


def key(i):
    return "K%06d" % (i * 7919 % 1000003)


def num(i):
    return "%.2f" % ((i * 104729 % 2000003 - 1000000) / 100)


def vestil_program(n):
    return f"""DECLARE I%, T&, R&, S%
DBCREATE "S.TXT" > "BENCH"
@DBOPEN(#1, "BENCH")
T& = &TICKS
WHILE @LT(I%, {n})
  INC I%
  @DBPUT("NAME", @ADD$("K", @MID$(@STR$(@ADD(1000000, @MOD(@MUL(I%, 7919), 1000003))), 2, 6)))
  @DBPUT("NUM", @STR$(I%))
  @DBAPPEND()
WEND
PRINT "append "; @SUB(&TICKS, T&)
T& = &TICKS
DBINDEX "NAME" > "BC"
PRINT "index C "; @SUB(&TICKS, T&)
T& = &TICKS
DBINDEX "NUM" > "BN"
PRINT "index N "; @SUB(&TICKS, T&)
@DBUSEINDEX("BC")
T& = &TICKS
I% = 0
WHILE @LT(I%, {n})
  INC I%
  R& = @DBSEEK(@ADD$("K", @MID$(@STR$(@ADD(1000000, @MOD(@MUL(I%, 7919), 1000003))), 2, 6)), 1)
  CASE @EQU(R&, 0) : PRINT "missing "; I%
WEND
PRINT "seek "; @SUB(&TICKS, T&)
T& = &TICKS
S% = 0
@DBGO("TOP")
WHILE @EQU(%DBEOF, 0)
  INC S%
  @DBGO("NEXT")
WEND
PRINT "walk "; @SUB(&TICKS, T&); " "; S%
@DBUSEINDEX("")
T& = &TICKS
I% = 3
WHILE @LT(I%, @ADD({n}, 1))
  @DBGO(I%)
  @DBDELETE()
  INCBY I%, 3
WEND
PRINT "delete "; @SUB(&TICKS, T&)
T& = &TICKS
R& = @DBPACK()
PRINT "pack "; @SUB(&TICKS, T&); " "; R&
DBINDEX "NAME" > "BP"
T& = &TICKS
I% = 0
WHILE @LT(I%, {n // 5})
  INC I%
  @DBPUT("NAME", @ADD$("A", @MID$(@STR$(@ADD(1000000, @MOD(@MUL(I%, 7919), 1000003))), 2, 6)))
  @DBPUT("NUM", @STR$(I%))
  @DBAPPEND()
WEND
PRINT "ixappend "; @SUB(&TICKS, T&)
@DBCLOSE(#1)
"""


def run_vestil(build, folder, n):
    with open(os.path.join(folder, "S.TXT"), "w") as f:
        f.write("name;C;20;0\nnum;N;10;0\n")
    with open(os.path.join(folder, "B.vsl"), "w") as f:
        f.write(vestil_program(n))
    subprocess.run([os.path.join(build, "vestcomp"), "B.vsl"], cwd=folder, check=True, stdout=subprocess.DEVNULL)
    start = time.perf_counter()
    out = subprocess.run([os.path.join(build, "vestrun"), "B.VSC"], cwd=folder, capture_output=True, text=True)
    total = time.perf_counter() - start
    if out.returncode or out.stderr:
        raise SystemExit("vestrun failed: " + out.stderr)
    times = {}
    for line in out.stdout.splitlines():
        for p in PHASES:
            if line.startswith(p + " "):
                times[p] = float(line[len(p) + 1:].split()[0]) / 1000
    return times, total


def run_python(folder, n):
    import dbf
    times = {}
    t = time.perf_counter()
    table = dbf.Table(os.path.join(folder, "PY.DBF"), "name C(20); num N(10,0)", dbf_type="db3")
    table.open(dbf.READ_WRITE)
    for i in range(1, n + 1):
        table.append(("K" + str(1000000 + i * 7919 % 1000003)[-6:], i))
    times["append"] = time.perf_counter() - t
    t = time.perf_counter()
    by_name = table.create_index(lambda rec: rec.name)
    times["index C"] = time.perf_counter() - t
    t = time.perf_counter()
    table.create_index(lambda rec: rec.num)
    times["index N"] = time.perf_counter() - t
    t = time.perf_counter()
    for i in range(1, n + 1):
        k = ("K" + str(1000000 + i * 7919 % 1000003)[-6:]).ljust(20)
        if by_name.index_search(k) is False:
            print("missing", k)
    times["seek"] = time.perf_counter() - t
    t = time.perf_counter()
    count = sum(1 for _ in by_name)
    times["walk"] = time.perf_counter() - t
    t = time.perf_counter()
    for i in range(3, n + 1, 3):
        dbf.delete(table[i - 1])
    times["delete"] = time.perf_counter() - t
    t = time.perf_counter()
    table.pack()
    times["pack"] = time.perf_counter() - t
    table.close()
    return times, count


def main():
    ap = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    ap.add_argument("--build", default=os.path.join(here, "..", "build"))
    ap.add_argument("--records", type=int, default=100000)
    ap.add_argument("--python-records", type=int, default=20000)
    ap.add_argument("--skip-python", action="store_true")
    a = ap.parse_args()
    folder = tempfile.mkdtemp(prefix="dbase_bench_")
    try:
        v, total = run_vestil(os.path.abspath(a.build), folder, a.records)
        p = {} if a.skip_python else run_python(folder, a.python_records)[0]
        print("%-8s %10s %14s" % ("", "vestrun", "python3-dbf"))
        print("%-8s %10d %14s" % ("records", a.records, "-" if a.skip_python else a.python_records))
        for ph in PHASES:
            print("%-8s %10.3f %14s" % (ph, v.get(ph, float("nan")), "%.3f" % p[ph] if ph in p else "-"))
        print("vestrun total %.3f s" % total)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
