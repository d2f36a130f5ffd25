#!/usr/bin/env python3
"""The console runner's waits on a terminal (a pseudo-terminal as standard
input):

1. WAITKEY ends on one key, without the Enter a terminal's lines need, and
   the key is not echoed; the terminal shows single keys only while the
   wait reads.
2. Ctrl+C in a wait arrives as a character and stops the script with 255;
   the terminal's own settings come back.
3. WAITMOUSE reads a whole line (echoed as the terminal always does).

usage: waits_tty.py --vestcomp VESTCOMP --vestrun VESTRUN
"""
import os
import select
import subprocess
import sys
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checklib import arguments, compile_program, scratch  # noqa: E402

PROGRAM = """PRINT "bereit"
WAITKEY
PRINT "K "; %WAITRESULT; " "; %VKEY
WAITMOUSE
PRINT "M "; %MOUSEKEY
WAITKEY
PRINT "never"
"""

LINE_MODE = termios.ICANON | termios.ECHO | termios.ISIG


def lflag(fd):
    return termios.tcgetattr(fd)[3]


def read_until(stream, text, proc, timeout=10):
    """Output of the program until `text` shows."""
    got = b""
    deadline = time.time() + timeout
    while text not in got:
        left = deadline - time.time()
        if left <= 0:
            raise SystemExit("no %r in the output: %r (exit %r)" % (text, got, proc.poll()))
        r, _, _ = select.select([stream], [], [], left)
        if r:
            chunk = os.read(stream.fileno(), 4096)
            if not chunk:
                raise SystemExit("the output ended before %r: %r" % (text, got))
            got += chunk
    return got


def echoed(master):
    r, _, _ = select.select([master], [], [], 0.5)
    return os.read(master, 4096) if r else b""


def main():
    a = arguments(__doc__)
    with scratch(a, "vestil-waits-tty-") as work:
        compile_program(a, work, "W", PROGRAM)
        master, slave = os.openpty()
        before = lflag(slave)
        if before & LINE_MODE != LINE_MODE:
            raise SystemExit("the new pseudo-terminal is not in line mode")
        proc = subprocess.Popen([a.vestrun, "W.VSC"], cwd=work, stdin=slave,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            read_until(proc.stdout, b"bereit\n", proc)
            time.sleep(0.3)
            if lflag(slave) & LINE_MODE:
                raise SystemExit("WAITKEY left the terminal in line mode")
            os.write(master, b"a")
            read_until(proc.stdout, b"K 97 65\n", proc)
            if echoed(master):
                raise SystemExit("the key was echoed")
            # WAITMOUSE reads a line as the terminal delivers it.
            time.sleep(0.3)
            if lflag(slave) & LINE_MODE != LINE_MODE:
                raise SystemExit("WAITMOUSE did not leave the terminal in line mode")
            os.write(master, b"klick\n")
            read_until(proc.stdout, b"M 1\n", proc)
            time.sleep(0.3)
            os.write(master, b"\x03")
            code = proc.wait(10)
            if code != 255:
                raise SystemExit("Ctrl+C ended the program with %d, not 255" % code)
            if proc.stdout.read() != b"":
                raise SystemExit("the program went on after Ctrl+C")
            if lflag(slave) != before:
                raise SystemExit("the terminal's settings did not come back")
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            os.close(master)
            os.close(slave)
    print("waits on a terminal: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
