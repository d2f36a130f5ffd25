#!/usr/bin/env python3
"""The console runner's waits with a pseudo-terminal as standard input:
WAITKEY ends on one key without Enter or echo (single keys only while it
reads), WAITMOUSE reads a whole line, Ctrl+C in a wait stops the script with
255 and the terminal's own settings come back.
"""
import os
import select
import subprocess
import sys
import termios
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from checklib import arguments, compile_program, expect, scratch  # noqa: E402

PROGRAM = """PRINT "bereit"
WAITKEY
PRINT "K "; %WAITRESULT; " "; %VKEY
WAITMOUSE
PRINT "M "; %MOUSEKEY
WAITKEY
PRINT "never"
"""

LINE_MODE = termios.ICANON | termios.ECHO | termios.ISIG


def read_until(stream, text, proc, timeout=10):
    """Output of the program until `text` shows."""
    got = b""
    deadline = time.time() + timeout
    while text not in got:
        ready = select.select([stream], [], [], max(0, deadline - time.time()))[0]
        chunk = os.read(stream.fileno(), 4096) if ready else b""
        expect(chunk, "no %r in the output: %r (exit %r)" % (text, got, proc.poll()))
        got += chunk


def main():
    a = arguments(__doc__)
    with scratch(a, "vestil-waits-tty-") as work:
        compile_program(a, work, "W", PROGRAM)
        master, slave = os.openpty()
        before = termios.tcgetattr(slave)[3]
        expect(before & LINE_MODE == LINE_MODE, "the new pseudo-terminal is not in line mode")
        proc = subprocess.Popen([a.vestrun, "W.VSC"], cwd=work, stdin=slave,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            read_until(proc.stdout, b"bereit\n", proc)
            time.sleep(0.3)
            expect(not termios.tcgetattr(slave)[3] & LINE_MODE, "WAITKEY left the terminal in line mode")
            os.write(master, b"a")
            read_until(proc.stdout, b"K 97 65\n", proc)
            expect(not select.select([master], [], [], 0.5)[0], "the key was echoed")
            time.sleep(0.3)
            expect(termios.tcgetattr(slave)[3] & LINE_MODE == LINE_MODE, "WAITMOUSE reads in line mode")
            os.write(master, b"klick\n")
            read_until(proc.stdout, b"M 1\n", proc)
            time.sleep(0.3)
            os.write(master, b"\x03")
            code = proc.wait(10)
            expect(code == 255, "Ctrl+C ended the program with %d, not 255" % code)
            expect(proc.stdout.read() == b"", "the program went on after Ctrl+C")
            expect(termios.tcgetattr(slave)[3] == before, "the terminal's settings did not come back")
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
