#!/usr/bin/python3
"""SIGKILL test of the dBase engine: a script appending under an index is
killed at random moments. After each kill every completed append (it printed
the record number) is in the table, python3-dbf and dbfread read it, and the
index is complete or refused by @DBUSEINDEX with 608; the next run rebuilds a
refused index and appends on. ctest: --kills 20; the full run: --kills 200.
"""
import os
import random
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from check_dbase import Failure, check, peers, walk_ndx  # noqa: E402
from checklib import arguments, compile_program, scratch  # noqa: E402

PROGRAMS = {"APPEND": """DECLARE I%, R%
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
""", "PROBE": """@DBOPEN(#1, "T")
PRINT @DBUSEINDEX("I"); " "; &DBCOUNT
""", "SETUP": """DBCREATE "S.TXT" > "T"
@DBOPEN(#1, "T")
DBINDEX "NAME" > "I"
@DBCLOSE(#1)
"""}


def check_table(folder, completed):
    dbf, dbfread = peers()
    path = os.path.join(folder, "T.DBF")
    rows = list(dbfread.DBF(path, load=True))
    t = dbf.Table(path)
    t.open(dbf.READ_ONLY)
    count = len(t)
    numbers = [int(r["n"]) for r in t]
    t.close()
    # dbfread reads up to the end mark: it may see a killed append's record
    # that the header's count does not cover yet.
    check(count <= len(rows) <= count + 1, "python3-dbf reads %d records, dbfread %d" % (count, len(rows)))
    check(numbers == list(range(1, count + 1)), "python3-dbf reads other records")
    check(count >= completed, "%d appends completed, %d records in the table" % (completed, count))
    for i, r in enumerate(rows, 1):
        check(int(r["N"]) == i and r["NAME"].strip() == "K%d" % i, "record %d holds %r" % (i, dict(r)))
    return count


def check_index(args, folder, count):
    p = subprocess.run([args.vestrun, "PROBE.VSC"], cwd=folder, capture_output=True)
    out, err = p.stdout.decode("cp1252").split(), p.stderr.decode("utf-8", "replace")
    if out[0] == "0":
        check("nicht in Ordnung: I.NDX" in err, "index refused without 608: %r" % err)
        return "refused"
    check(out[0] == "1" and err == "", "probe: %r %r" % (out, err))
    records = sorted(r for _, r in walk_ndx(os.path.join(folder, "I.NDX"))[0])
    check(records == list(range(1, count + 1)), "the index opens but covers %d of %d records" % (len(records), count))
    return "complete"


def main():
    args = arguments(__doc__, (["--kills"], dict(type=int, default=20)), (["--seed"], dict(type=int)))
    peers()
    seed = args.seed if args.seed is not None else int(time.time())
    rnd = random.Random(seed)
    outcomes = {"refused": 0, "complete": 0}
    with scratch(args, "dbase_kill_") as folder:
        try:
            with open(os.path.join(folder, "S.TXT"), "w") as f:
                f.write("name;c;12;0\nn;n;8;0\n")
            for name, text in PROGRAMS.items():
                compile_program(args, folder, name, text)
            fresh = True
            for kill in range(args.kills):
                if fresh:  # a fresh table from time to time keeps the rebuilds short
                    completed = 0
                    subprocess.run([args.vestrun, "SETUP.VSC"], cwd=folder, check=True)
                p = subprocess.Popen(["stdbuf", "-o0", args.vestrun, "APPEND.VSC"], cwd=folder,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                time.sleep(rnd.uniform(0.02, 0.25))
                p.send_signal(signal.SIGKILL)
                out, _ = p.communicate()
                # The last line may be cut by the kill.
                done = [int(x) for x in out.decode("cp1252").split("\n")[:-1] if x.strip().isdigit()]
                completed = max([completed] + done)
                count = check_table(folder, completed)
                outcomes[check_index(args, folder, count)] += 1
                fresh = count > 4000
        except Failure as e:
            print("FAILED (seed %d): %s" % (seed, e))
            return 1
    print("OK: %d kills (seed %d), index complete %d times, refused with 608 %d times"
          % (args.kills, seed, outcomes["complete"], outcomes["refused"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
