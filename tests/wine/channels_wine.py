"""Wine tests of the file channels of vestrun.exe: one program runs in both
runners, and the result file each writes (through PRINT #, as the Windows
build has no console output yet) must be the expected bytes in both. The
error codes come from Windows (GetLastError) in one and from the console
runner's mapping of errno in the other.

Collected by run_wine_tests.py through TESTS.
"""
import os
import subprocess

from wine_harness import TestFailure

CHANNEL_PROGRAM = r"""' file channels: results go to ERGEBNIS.TXT
DECLARE S$, B#, N&
DIM B#, 16
ASSIGN #8, "ERGEBNIS.TXT"
REWRITE #8
ASSIGN #1, "text.txt"
REWRITE #1
PRINT #1, "eins"; 2, 3.5
PRINT #1, "zwei"
CLOSE #1
APPEND #1
PRINT #1, "drei"
CLOSE #1
RESET #1
INPUT #1, S$
PRINT #8, S$
INPUT #1, S$
PRINT #8, S$; " "; @EOF(#1)
INPUT #1, S$
PRINT #8, S$; " "; @EOF(#1)
CLOSE #1
OPENRW #1
PRINT #8, @GETFILESIZE(1); " "; @GETBYTE(1)
SEEK #1, 30
PUTBYTE #1, 300
PRINT #8, @GETFILESIZE(1); " "; @GETBYTE(1); " "; %IORESULT
SEEK #1, 0
N& = @BLOCKREAD(#1, B#, 0, 16)
PRINT #8, N&; " "; @AREABYTE(B#, 0)
SEEK #1, 31
BLOCKWRITE #1, B#, 0, 4
PRINT #8, @GETFILEPOS(#1)
CLOSERW #1
COPY "text.txt" > "kopie.txt"
PRINT #8, @FILESIZE("kopie.txt")
ASSIGN #2, "fehlt.txt"
RESET #2
PRINT #8, "2 "; %IORESULT
ASSIGN #2, "keinordner\\x.txt"
REWRITE #2
PRINT #8, "3 "; %IORESULT
MKDIR "neu\\"
MKDIR "neu"
PRINT #8, "183 "; %IORESULT
ASSIGN #3, "neu\\a.txt"
REWRITE #3
CLOSE #3
RMDIR "neu"
PRINT #8, "145 "; %IORESULT
ERASE #3
RMDIR "neu"
PRINT #8, "0 "; %IORESULT
ASSIGN #3, "kopie.txt"
RENAME #3, "text.txt"
PRINT #8, "183 "; %IORESULT
PRINT #8, @GETFATTR(#3); " "; @GETFATTR(#2)
PRINT #8, @FINDFIRST$("kop*.txt"); " "; @FINDNEXT$(); "|"; %IORESULT
CLOSE #8
"""

EXPECTED = (b'eins2 3.500000\r\n'
            b'zwei 0\r\n'
            b'drei 1\r\n'
            b'28 101\r\n'
            b'31 -1 100\r\n'
            b'16 101\r\n'
            b'35\r\n'
            b'35\r\n'
            b'2 2\r\n'
            b'3 3\r\n'
            b'183 183\r\n'
            b'145 145\r\n'
            b'0 0\r\n'
            b'183 183\r\n'
            b'32 65535\r\n'
            b'kopie.txt |18\r\n')


def channel_tests(TestFailure):
    """The tests as (name, function, needs Wine) for run_wine_tests.py."""

    def result(folder, runner):
        path = os.path.join(folder, 'ERGEBNIS.TXT')
        if not os.path.exists(path):
            raise TestFailure('%s: ERGEBNIS.TXT was not written' % runner)
        with open(path, 'rb') as f:
            got = f.read()
        if got != EXPECTED:
            raise TestFailure('%s wrote %r, expected %r' % (runner, got, EXPECTED))

    def test_channels_both_runners(ctx):
        """Text and binary sides, COPY, folders and the Windows error codes
        give the same result file in vestrun.exe and in the console runner."""
        folder = ctx.folder('channels-native', {})
        program = ctx.compile(folder, 'kanal', CHANNEL_PROGRAM)
        native = os.path.join(os.path.dirname(ctx.need_vestcomp()), 'vestrun')
        p = subprocess.run([native, program], cwd=folder, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        if p.returncode != 0 or p.stderr:
            raise TestFailure('vestrun ended with %d: %s' % (p.returncode, p.stderr.decode(errors='replace')))
        result(folder, 'vestrun')
        folder = ctx.folder('channels-windows', {})
        ctx.compile(folder, 'kanal', CHANNEL_PROGRAM)
        ctx.expect_exit(ctx.run_to_exit(ctx.vestrun, ['kanal.vsc'], folder, 'channels'), 0, 'channels')
        result(folder, 'vestrun.exe')

    return [('channels-both-runners', test_channels_both_runners, True)]


TESTS = channel_tests(TestFailure)
