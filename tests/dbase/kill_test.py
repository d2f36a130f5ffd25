#!/usr/bin/python3
"""SIGKILL test of the dBase engine: a script appending under an index is
killed at random moments. After each kill:
  - every append the script completed (it prints the record number after
    @DBAPPEND returns) is in the table, and every record holds what was
    written for it;
  - python3-dbf and dbfread open the table;
  - the index is either complete (walked page by page, it holds every record
    of the table) or @DBUSEINDEX reports it with 608 ("Schluesselfeld nicht
    in Ordnung") and gives 0. An index that opens but lacks records fails.
The next run rebuilds a refused index and appends on.

Usage: /usr/bin/python3 tests/dbase/kill_test.py --vestcomp B/vestcomp
         --vestrun B/vestrun [--kills N] [--seed S]
ctest runs it with 20 kills; the full run takes --kills 200.
"""
import os
import random
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from check_dbase import Failure, check, walk_ndx  # noqa: E402
from checklib import arguments, compile_program, scratch  # noqa: E402

APPEND = """DECLARE I%, R%
@DBOPEN(#1, "T")
R% = @DBUSEINDEX("I")
CASE @EQU(R%, 0) : DBINDEX "NAME" > "I"
I% = &DBCOUNT
WHILE @LT(I%, 1000000)
  INC I%
  @DBPUT("NAME", @ADD$("K", @STR$(I%)))
  @DBPUT("N", @STR$(I%))
  PRINT @DBAPPEND()
WEND
"""

PROBE = """@DBOPEN(#1, "T")
PRINT @DBUSEINDEX("I"); " "; &DBCOUNT
"""

SETUP = """DBCREATE "S.TXT" > "T"
@DBOPEN(#1, "T")
DBINDEX "NAME" > "I"
@DBCLOSE(#1)
"""


def key(n):
    return "K%d" % n


def check_table(folder, completed):
    import dbf
    import dbfread
    path = os.path.join(folder, "T.DBF")
    rows = list(dbfread.DBF(path, load=True))
    t = dbf.Table(path)
    t.open(dbf.READ_ONLY)
    try:
        count = len(t)
        # The header's count covers the completed appends; dbfread reads up
        # to the end mark and may also see the record of the append that was
        # killed after writing it and before counting it.
        check(count <= len(rows) <= count + 1, "python3-dbf reads %d records, dbfread %d" % (count, len(rows)))
        for i in range(count):
            check(int(t[i]["n"]) == i + 1, "python3-dbf: record %d" % (i + 1))
    finally:
        t.close()
    check(count >= completed, "%d appends completed, %d records in the table" % (completed, count))
    for i, r in enumerate(rows, 1):
        check(int(r["N"]) == i and r["NAME"].strip() == key(i), "record %d holds %r" % (i, dict(r)))
    return count


def check_index(args, folder, count):
    p = subprocess.run([args.vestrun, "PROBE.VSC"], cwd=folder, capture_output=True)
    out = p.stdout.decode("cp1252").split()
    err = p.stderr.decode("utf-8", "replace")
    if out[0] == "0":
        check("nicht in Ordnung: I.NDX" in err, "index refused without 608: %r" % err)
        return "refused"
    check(out[0] == "1" and err == "", "probe: %r %r" % (out, err))
    entries, _ = walk_ndx(os.path.join(folder, "I.NDX"))
    records = sorted(r for _, r in entries)
    check(records == list(range(1, count + 1)),
          "the index opens but covers %d of %d records" % (len(records), count))
    return "complete"


def main():
    args = arguments(__doc__, (["--kills"], dict(type=int, default=20)), (["--seed"], dict(type=int)),
                     (["--verbose"], dict(action="store_true")))
    try:
        import dbf  # noqa: F401
        import dbfread  # noqa: F401
    except ImportError as e:
        print("SKIPPED: /usr/bin/python3 lacks python3-dbf or python3-dbfread (%s)" % e)
        return 77
    seed = args.seed if args.seed is not None else int(time.time())
    rnd = random.Random(seed)
    outcomes = {"refused": 0, "complete": 0}
    with scratch(args, "dbase_kill_") as folder:
        try:
            with open(os.path.join(folder, "S.TXT"), "w") as f:
                f.write("name;c;12;0\nn;n;8;0\n")
            for name, text in (("APPEND", APPEND), ("PROBE", PROBE), ("SETUP", SETUP)):
                compile_program(args, folder, name, text)
            subprocess.run([args.vestrun, "SETUP.VSC"], cwd=folder, check=True)
            completed = 0
            for kill in range(args.kills):
                p = subprocess.Popen(["stdbuf", "-o0", args.vestrun, "APPEND.VSC"], cwd=folder,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                time.sleep(rnd.uniform(0.02, 0.25))
                p.send_signal(signal.SIGKILL)
                out, _ = p.communicate()
                # Each completed append printed its record number and a line end;
                # the last line may be cut by the kill.
                done = [int(x) for x in out.decode("cp1252").split("\n")[:-1] if x.strip().isdigit()]
                if done:
                    completed = max(completed, done[-1])
                count = check_table(folder, completed)
                outcome = check_index(args, folder, count)
                outcomes[outcome] += 1
                if args.verbose:
                    print("kill %d: %d records, %d appends completed, index %s" % (kill + 1, count, completed, outcome))
                if count > 4000:
                    # A fresh table keeps the rebuilds short.
                    for n in ("T.DBF", "I.NDX"):
                        os.remove(os.path.join(folder, n))
                    subprocess.run([args.vestrun, "SETUP.VSC"], cwd=folder, check=True)
                    completed = 0
            print("OK: %d kills (seed %d), index complete %d times, refused with 608 %d times"
                  % (args.kills, seed, outcomes["complete"], outcomes["refused"]))
            return 0
        except Failure as e:
            print("FAILED (seed %d): %s" % (seed, e))
            return 1

if __name__ == "__main__":
    sys.exit(main())
