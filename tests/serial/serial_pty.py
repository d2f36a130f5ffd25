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
import subprocess
import sys
import termios
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checklib import arguments, check, run_program, scratch  # noqa: E402

OPEN = 'DECLARE H&\nH& = @COMOPEN("COM1", 0, 0)\n'
SPEEDS = {termios.B1200: 1200, termios.B9600: 9600, termios.B19200: 19200, termios.B115200: 115200}


def wait_for(cond, what, seconds=5):
    deadline = time.time() + seconds
    while not cond():
        if time.time() > deadline:
            raise SystemExit(what)
        time.sleep(0.02)


def main():
    a = arguments(__doc__)
    if not shutil.which("socat"):
        print("serial_pty: socat is not installed; skipped")
        return 77
    with scratch(a, "vestil-serial-") as work:
        ends = [os.path.join(work, n) for n in "AB"]
        socat = subprocess.Popen(["socat", "pty,raw,echo=0,link=" + ends[0], "pty,raw,echo=0,link=" + ends[1]],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: all(map(os.path.exists, ends)), "socat made no pseudo-terminals", 10)
        keeper = os.open(ends[0], os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        peer = os.open(ends[1], os.O_RDWR | os.O_NOCTTY)

        def send(data):
            """The device sends data after both ends are flushed; returns when all of it waits at A."""
            termios.tcflush(keeper, termios.TCIFLUSH)
            termios.tcflush(peer, termios.TCIFLUSH)
            os.write(peer, data)
            waiting = lambda: int.from_bytes(fcntl.ioctl(keeper, termios.FIONREAD, b"\0\0\0\0"), sys.byteorder)  # noqa: E731
            wait_for(lambda: waiting() >= len(data), "the bytes did not reach A")

        def line():
            iflag, _, cflag, _, _, ospeed, _ = termios.tcgetattr(keeper)
            return "%s,%d%s%s" % (SPEEDS.get(ospeed, ospeed), 2 if cflag & termios.CSTOPB else 1,
                                  ",ixon" if iflag & termios.IXON else "", ",ixoff" if iflag & termios.IXOFF else "")

        def run(name, source):
            return run_program(a, work, name, source, env={"VESTIL_COM1": ends[0], "VESTIL_COM9": ends[0] + "x"})
        try:
            send(b"abc\0def" + b"0123456789" * 30)  # 307 bytes
            out = run("limits", """DECLARE H&
H& = @COMOPEN("COM1", 1024, 1024)
PRINT @GT(H&, 0); " ["; @COMREAD$(H&, 0); @COMREAD$(H&, -5); "]"
PRINT "["; @COMREAD$(H&, 5); "]["; @COMREAD$(H&, 1); "]"
PRINT @COMREAD$(H&, 1000)
PRINT @LEN(@COMREAD$(H&, 1000)); " ["; @COMREAD$(H&, 1000); "] "; @COMERROR(H&)
PRINT @COMCLOSE(H&); " "; @COMCLOSE(H&); " "; @COMERROR(H&)
""")
            check("read limits", out, ["1 []", "[abc][e]", "f" + ("0123456789" * 30)[:254], "46 [] 0", "0 -1 0", ""])

            received = bytearray()

            def device():
                deadline = time.time() + 20
                while not received.endswith(b"?") and time.time() < deadline:
                    received.extend(os.read(peer, 100))
                os.write(peer, "Grüße!!".encode("cp1252"))
            send(b"")
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

            # The definitions themselves are the unit tests' (DataRules); here they reach the line.
            for definition, want in [("baud=19200 parity=E data=7 stop=2 xon=on", "19200,2,ixon,ixoff"),
                                     ("COM1: 96,o,8,1,x", "9600,1,ixon,ixoff"),
                                     ("BAUD=115200 PARITY=n DATA=8 STOP=1 to=on octs=off dtr=on rts=on", "115200,1"),
                                     ("12,e,7", "1200,1")]:
                out = run("setup", OPEN + 'PRINT @COMSETUP("%s"); @COMCLOSE(H&)\n' % definition)
                check("@COMSETUP(%r)" % definition, (out, line()), (["00", ""], want))
            # Bad definitions leave the line alone; the port is left open for the runner to close.
            bad = ["baud=9600 parity=Q", "9600,n,9,1", "baud=4800 speed=fast", "", "baud=12345"]
            out = run("bad", OPEN + "".join('PRINT @COMSETUP("%s")\n' % d for d in bad))
            check("bad definitions", (out, line()), (["-1"] * 5 + [""], "1200,1"))
            # @COMFLAGS: -1 keeps the flag word; XON/XOFF bits reach the line.
            out = run("flags", OPEN + """PRINT @COMSETUP("9600,n,8,1"); @COMFLAGS(H&, 7, 8, 9, 769, 100, 200); @COMFLAGS(H&, 0, 0, 0, -1, -1, -1)
PRINT @COMFLAGS(-1, 0, 0, 0, -1, -1, -1); @COMCLOSE(H&)
""")
            check("@COMFLAGS", (out, line()), (["000", "-10", ""], "9600,1,ixon,ixoff"))
            send(b"xyz")
            out = run("lastport", OPEN + """DECLARE G&
PRINT @GT(H&, 0); " "; @COMOPEN("COM9", 0, 0); " "; @COMSETUP("9600,n,8,1"); " ["; @COMREAD$(H&, 10); "]"
PRINT @COMOPEN("\\\\.\\COM1", 0, 0); " "; @COMCLOSE(H&)
G& = @COMOPEN("com1:", 0, 0)
PRINT @GT(G&, 0); " "; @COMSETUP("9600,n,8,1"); " ["; @COMREAD$(G&, 10); "] "; @COMCLOSE(G&)
""")
            check("the port opened last", out, ["1 -1 -1 []", "-1 0", "1 0 [xyz] 0", ""])
        finally:
            os.close(keeper)
            os.close(peer)
            socat.terminate()
            socat.wait(timeout=10)
    print("serial_pty: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
