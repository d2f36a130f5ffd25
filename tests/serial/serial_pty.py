#!/usr/bin/env python3
"""Serial ports of the console runner through a pseudo-terminal pair.

socat joins two pseudo-terminals A and B; VESTIL_COM1 names A, so a program's
COM1 is A and this script plays the device at B. The script also keeps A open
itself: a pseudo-terminal forgets its input when its last user closes it,
and the keeper lets it look at A's line settings after a program ended.

1. Bytes the device sent wait in the queue: @COMREAD$ takes the smaller of
   the waiting count, its maximum and 255; a zero byte ends the text and the
   bytes after it are gone all the same.
2. A round trip: the program writes (bytes above 127 included), the device
   answers, the program reads the answer.
3. @COMSETUP and @COMFLAGS reach the line: rate, data bits, parity, stop bits
   and XON/XOFF as the tty shows them; bad definitions give -1.
4. The port opened last: a failed open makes it -1, so @COMSETUP fails and
   @COMREAD$ reads nothing even from an open port; a port is not opened twice.

usage: serial_pty.py --vestcomp VESTCOMP --vestrun VESTRUN   (77: no socat)
"""
import argparse
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import threading
import time


class PtyPair:
    def __init__(self, work):
        self.work = work
        self.a = os.path.join(work, "A")
        self.b = os.path.join(work, "B")
        self.proc = subprocess.Popen(
            ["socat", "-d", "-d", "pty,raw,echo=0,link=" + self.a, "pty,raw,echo=0,link=" + self.b],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not (os.path.exists(self.a) and os.path.exists(self.b)):
            if time.time() > deadline or self.proc.poll() is not None:
                raise SystemExit("socat did not make the pseudo-terminals")
            time.sleep(0.05)
        self.keeper = os.open(self.a, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.peer = os.open(self.b, os.O_RDWR | os.O_NOCTTY)

    def waiting(self):
        """Bytes waiting in A's input queue."""
        buf = fcntl.ioctl(self.keeper, termios.FIONREAD, b"\0\0\0\0")
        return int.from_bytes(buf, sys.byteorder)

    def send(self, data):
        """The device sends data; returns when all of it waits at A."""
        before = self.waiting()
        os.write(self.peer, data)
        deadline = time.time() + 5
        while self.waiting() < before + len(data):
            if time.time() > deadline:
                raise SystemExit("the bytes did not reach A")
            time.sleep(0.01)

    def flush(self):
        termios.tcflush(self.keeper, termios.TCIFLUSH)
        termios.tcflush(self.peer, termios.TCIFLUSH)

    def close(self):
        os.close(self.keeper)
        os.close(self.peer)
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(timeout=10)


class Runner:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.env = dict(os.environ, VESTIL_COM1=os.path.join(work, "A"),
                        VESTIL_COM9=os.path.join(work, "missing"))

    def compile(self, name, source):
        vsl = os.path.join(self.work, name + ".vsl")
        vsc = os.path.join(self.work, name + ".VSC")
        with open(vsl, "w", encoding="utf-8") as f:
            f.write(source)
        r = subprocess.run([self.args.vestcomp, vsl, "-o", vsc], capture_output=True)
        if r.returncode != 0:
            raise SystemExit("vestcomp failed: %s%s" % (r.stdout.decode(), r.stderr.decode()))
        return vsc

    def run(self, name, source):
        vsc = self.compile(name, source)
        r = subprocess.run([self.args.vestrun, vsc], capture_output=True, cwd=self.work,
                           env=self.env, timeout=60)
        if r.returncode != 0 or r.stderr:
            raise SystemExit("%s: vestrun ended with %d: %s" % (name, r.returncode, r.stderr.decode()))
        return r.stdout.decode("utf-8").split("\n")[:-1]


failures = []


def check(what, got, want):
    if got != want:
        failures.append("%s:\n  got  %r\n  want %r" % (what, got, want))


def test_read_limits(pty, run):
    pty.flush()
    pty.send(b"abc\0def" + b"0123456789" * 30)  # 307 bytes
    out = run.run("limits", """DECLARE H&
H& = @COMOPEN("COM1", 1024, 1024)
PRINT @GT(H&, 0)
PRINT "["; @COMREAD$(H&, 0); @COMREAD$(H&, -5); "]"
PRINT "["; @COMREAD$(H&, 5); "]"
PRINT "["; @COMREAD$(H&, 1); "]"
PRINT @COMREAD$(H&, 1000)
PRINT @LEN(@COMREAD$(H&, 1000))
PRINT "["; @COMREAD$(H&, 1000); "]"
PRINT @COMERROR(H&)
PRINT @COMCLOSE(H&); " "; @COMCLOSE(H&); " "; @COMERROR(H&)
""")
    rest = ("0123456789" * 30)
    check("read limits", out, ["1", "[]", "[abc]", "[e]", "f" + rest[:254], "46", "[]", "0", "0 -1 0"])


def test_round_trip(pty, run):
    pty.flush()
    received = bytearray()

    def device():
        deadline = time.time() + 20
        while not received.endswith(b"?") and time.time() < deadline:
            received.extend(os.read(pty.peer, 100))
        os.write(pty.peer, "Grüße!!".encode("cp1252"))

    t = threading.Thread(target=device)
    t.start()
    out = run.run("roundtrip", """DECLARE H&, S$, T&
H& = @COMOPEN("COM1", 1024, 1024)
PRINT @COMSETUP("baud=9600 parity=N data=8 stop=1")
PRINT @COMWRITE(H&, "Hallo, Gerät?")
S$ = ""
T& = @ADD(&TICKS, 10000)
WHILE @LT(@LEN(S$), 7)
  IF @GT(&TICKS, T&)
    PRINT "zu spät"
    END
  ENDIF
  S$ = @ADD$(S$, @COMREAD$(H&, 255))
ENDWHILE
PRINT S$
PRINT @LEN(S$)
PRINT @COMCLOSE(H&)
""")
    t.join(timeout=30)
    check("bytes on the wire", bytes(received), "Hallo, Gerät?".encode("cp1252"))
    check("round trip", out, ["0", "13", "Grüße!!", "7", "0"])


def line(pty):
    """Rate, stop bits and XON/XOFF of A. A pseudo-terminal keeps no data
    bits or parity of its own (it is always 8 bits without parity); the unit
    tests read those out of the definitions."""
    iflag, _, cflag, _, ispeed, ospeed, _ = termios.tcgetattr(pty.keeper)
    speeds = {termios.B1200: 1200, termios.B9600: 9600, termios.B19200: 19200, termios.B115200: 115200}
    return "%s,%d%s%s" % (speeds.get(ospeed, ospeed), 2 if cflag & termios.CSTOPB else 1,
                          ",ixon" if iflag & termios.IXON else "", ",ixoff" if iflag & termios.IXOFF else "")


def test_setup(pty, run):
    cases = [
        ("baud=19200 parity=E data=7 stop=2 xon=on", "0", "19200,2,ixon,ixoff"),
        ("COM1: 96,o,8,1,x", "0", "9600,1,ixon,ixoff"),
        ("9600,n,8,1", "0", "9600,1"),
        ("BAUD=115200 PARITY=n DATA=8 STOP=1 to=on octs=off dtr=on rts=on", "0", "115200,1"),
        ("12,e,7", "0", "1200,1"),
    ]
    for definition, want, want_line in cases:
        out = run.run("setup", """DECLARE H&
H& = @COMOPEN("COM1", 0, 0)
PRINT @COMSETUP("%s")
PRINT @COMCLOSE(H&)
""" % definition)
        check("@COMSETUP(%r)" % definition, out, [want, "0"])
        check("line after %r" % definition, line(pty), want_line)
    # A definition that is not understood changes nothing.
    out = run.run("badsetup", """DECLARE H&
H& = @COMOPEN("COM1", 0, 0)
PRINT @COMSETUP("baud=9600 parity=Q")
PRINT @COMSETUP("9600,n,9,1")
PRINT @COMSETUP("baud=4800 speed=fast")
PRINT @COMSETUP("")
PRINT @COMSETUP("baud=12345")
PRINT @COMCLOSE(H&)
""")
    check("bad definitions", out, ["-1", "-1", "-1", "-1", "-1", "0"])
    check("line after bad definitions", line(pty), "1200,1")
    # @COMFLAGS: -1 keeps the flag word; XON/XOFF bits reach the line.
    out = run.run("flags", """DECLARE H&
H& = @COMOPEN("COM1", 0, 0)
PRINT @COMSETUP("9600,n,8,1")
PRINT @COMFLAGS(H&, 7, 8, 9, 769, 100, 200)
PRINT @COMFLAGS(H&, 0, 0, 0, -1, -1, -1)
PRINT @COMFLAGS(-1, 0, 0, 0, -1, -1, -1)
PRINT @COMCLOSE(H&)
""")
    check("@COMFLAGS", out, ["0", "0", "0", "-1", "0"])
    check("line after @COMFLAGS", line(pty), "9600,1,ixon,ixoff")


def test_last_port(pty, run):
    pty.flush()
    pty.send(b"xyz")
    out = run.run("lastport", """DECLARE H&, G&
H& = @COMOPEN("COM1", 0, 0)
PRINT @GT(H&, 0)
PRINT @COMOPEN("COM9", 0, 0)
PRINT @COMSETUP("9600,n,8,1")
PRINT "["; @COMREAD$(H&, 10); "]"
PRINT @COMOPEN("\\\\.\\COM1", 0, 0)
PRINT @COMCLOSE(H&)
G& = @COMOPEN("com1:", 0, 0)
PRINT @GT(G&, 0)
PRINT @COMSETUP("9600,n,8,1")
PRINT "["; @COMREAD$(G&, 10); "]"
PRINT @COMCLOSE(G&)
""")
    check("the port opened last", out, ["1", "-1", "-1", "[]", "-1", "0", "1", "0", "[xyz]", "0"])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("--vestrun", required=True)
    args = ap.parse_args()
    args.vestcomp = os.path.abspath(args.vestcomp)
    args.vestrun = os.path.abspath(args.vestrun)
    if not shutil.which("socat"):
        print("serial_pty: socat is not installed; skipped")
        return 77
    work = tempfile.mkdtemp(prefix="vestil-serial-")
    pty = PtyPair(work)
    try:
        run = Runner(args, work)
        for test in (test_read_limits, test_round_trip, test_setup, test_last_port):
            test(pty, run)
    finally:
        pty.close()
        shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print("FAIL " + f)
    if failures:
        return 1
    print("serial_pty: all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
