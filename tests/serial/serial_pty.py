#!/usr/bin/env python3
"""Serial ports of the console runner through a socat pseudo-terminal pair:
VESTIL_COM1 names A; this script plays the device at B and keeps A open (a
pseudo-terminal forgets its input when its last user closes it; the keeper
shows A's line settings). @COMREAD$'s limits, a round trip with bytes above
127, @COMSETUP and @COMFLAGS on the line, the port opened last. 77 without socat.
"""
import fcntl
import os
import shutil
import signal
import subprocess
import sys
import termios
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checklib import Checks, arguments, run_program, scratch  # noqa: E402

OPEN = 'DECLARE H&\nH& = @COMOPEN("COM1", 0, 0)\n'
SPEEDS = {termios.B1200: 1200, termios.B9600: 9600, termios.B19200: 19200, termios.B115200: 115200}


class Device:
    def __init__(self, work):
        a, b = os.path.join(work, "A"), os.path.join(work, "B")
        self.proc = subprocess.Popen(["socat", "-d", "-d", "pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_for(lambda: os.path.exists(a) and os.path.exists(b), "socat made no pseudo-terminals", 10)
        self.keeper = os.open(a, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        self.peer = os.open(b, os.O_RDWR | os.O_NOCTTY)

    def wait_for(self, cond, what, seconds):
        deadline = time.time() + seconds
        while not cond():
            if time.time() > deadline or self.proc.poll() is not None:
                raise SystemExit(what)
            time.sleep(0.02)

    def waiting(self):
        return int.from_bytes(fcntl.ioctl(self.keeper, termios.FIONREAD, b"\0\0\0\0"), sys.byteorder)

    def send(self, data):
        """Flushes both ends, then the device sends data; returns when all of it waits at A."""
        termios.tcflush(self.keeper, termios.TCIFLUSH)
        termios.tcflush(self.peer, termios.TCIFLUSH)
        os.write(self.peer, data)
        self.wait_for(lambda: self.waiting() >= len(data), "the bytes did not reach A", 5)

    def line(self):
        iflag, _, cflag, _, _, ospeed, _ = termios.tcgetattr(self.keeper)
        return "%s,%d%s%s" % (SPEEDS.get(ospeed, ospeed), 2 if cflag & termios.CSTOPB else 1,
                              ",ixon" if iflag & termios.IXON else "", ",ixoff" if iflag & termios.IXOFF else "")

    def close(self):
        os.close(self.keeper)
        os.close(self.peer)
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(timeout=10)


def round_trip(dev, run, check):
    received = bytearray()

    def device():
        deadline = time.time() + 20
        while not received.endswith(b"?") and time.time() < deadline:
            received.extend(os.read(dev.peer, 100))
        os.write(dev.peer, "Grüße!!".encode("cp1252"))

    dev.send(b"")
    t = threading.Thread(target=device)
    t.start()
    out = run("roundtrip", OPEN + """DECLARE S$, T&
PRINT @COMSETUP("baud=9600 parity=N data=8 stop=1")
PRINT @COMWRITE(H&, "Hallo, Gerät?")
T& = @ADD(&TICKS, 10000)
WHILE @LT(@LEN(S$), 7)
  CASE @GT(&TICKS, T&) : END
  S$ = @ADD$(S$, @COMREAD$(H&, 255))
ENDWHILE
PRINT S$; " "; @LEN(S$); " "; @COMCLOSE(H&)
""")
    t.join(timeout=30)
    check("bytes on the wire", bytes(received), "Hallo, Gerät?".encode("cp1252"))
    check("round trip", out, ["0", "13", "Grüße!! 7 0", ""])


def main():
    a = arguments(__doc__)
    if not shutil.which("socat"):
        print("serial_pty: socat is not installed; skipped")
        return 77
    check = Checks()
    with scratch(a, "vestil-serial-") as work:
        dev = Device(work)
        env = {"VESTIL_COM1": os.path.join(work, "A"), "VESTIL_COM9": os.path.join(work, "missing")}

        def run(name, source):
            return run_program(a, work, name, source, env=env)
        try:
            dev.send(b"abc\0def" + b"0123456789" * 30)  # 307 bytes
            out = run("limits", """DECLARE H&
H& = @COMOPEN("COM1", 1024, 1024)
PRINT @GT(H&, 0); " ["; @COMREAD$(H&, 0); @COMREAD$(H&, -5); "]"
PRINT "["; @COMREAD$(H&, 5); "]["; @COMREAD$(H&, 1); "]"
PRINT @COMREAD$(H&, 1000)
PRINT @LEN(@COMREAD$(H&, 1000)); " ["; @COMREAD$(H&, 1000); "] "; @COMERROR(H&)
PRINT @COMCLOSE(H&); " "; @COMCLOSE(H&); " "; @COMERROR(H&)
""")
            check("read limits", out, ["1 []", "[abc][e]", "f" + ("0123456789" * 30)[:254], "46 [] 0", "0 -1 0", ""])
            round_trip(dev, run, check)
            # The definitions themselves are the unit tests' (DataRules); here they reach the line.
            for definition, line in [("baud=19200 parity=E data=7 stop=2 xon=on", "19200,2,ixon,ixoff"),
                                     ("BAUD=115200 PARITY=n DATA=8 STOP=1 to=on octs=off dtr=on rts=on", "115200,1"),
                                     ("12,e,7", "1200,1")]:
                check("@COMSETUP(%r)" % definition, run("setup", OPEN + 'PRINT @COMSETUP("%s"); @COMCLOSE(H&)\n' % definition),
                      ["00", ""])
                check("line after %r" % definition, dev.line(), line)
            check("a bad definition", run("bad", OPEN + 'PRINT @COMSETUP("baud=12345")\n'), ["-1", ""])
            check("line after a bad definition", dev.line(), "1200,1")
            # @COMFLAGS: -1 keeps the flag word; XON/XOFF bits reach the line.
            out = run("flags", OPEN + """PRINT @COMSETUP("9600,n,8,1"); @COMFLAGS(H&, 7, 8, 9, 769, 100, 200); @COMFLAGS(H&, 0, 0, 0, -1, -1, -1)
PRINT @COMFLAGS(-1, 0, 0, 0, -1, -1, -1); @COMCLOSE(H&)
""")
            check("@COMFLAGS", out, ["000", "-10", ""])
            check("line after @COMFLAGS", dev.line(), "9600,1,ixon,ixoff")
            dev.send(b"xyz")
            out = run("lastport", OPEN + """DECLARE G&
PRINT @GT(H&, 0); " "; @COMOPEN("COM9", 0, 0); " "; @COMSETUP("9600,n,8,1"); " ["; @COMREAD$(H&, 10); "]"
PRINT @COMOPEN("\\\\.\\COM1", 0, 0); " "; @COMCLOSE(H&)
G& = @COMOPEN("com1:", 0, 0)
PRINT @GT(G&, 0); " "; @COMSETUP("9600,n,8,1"); " ["; @COMREAD$(G&, 10); "] "; @COMCLOSE(G&)
""")
            check("the port opened last", out, ["1 -1 -1 []", "-1 0", "1 0 [xyz] 0", ""])
        finally:
            dev.close()
    return check.report("serial_pty")


if __name__ == "__main__":
    sys.exit(main())
