"""Wine tests of the serial ports of vestrun.exe: COM1 of the test prefix is a
link (dosdevices/com1, kept by Wine's Ports key) to one end of a socat
pseudo-terminal pair, and the test plays the device at the other end: a
round trip both ways, a zero byte ending @COMREAD$, a missing COM9 giving -1
and the @COMSETUP after it -1.

The Windows build has no console output yet, so the program leaves its
results in ERGEBNIS.INI. Collected by run_wine_tests.py through TESTS.
"""
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time

from wine_harness import TestFailure, read_results



def result(n, expression):
    """Writes a result; a number goes through N& (a function's number result
    leaves the text view that WRITEINI writes as it was)."""
    if expression == 'S$':
        return 'WRITEINI ".\\ERGEBNIS.INI", "R", "q%d" = S$' % n
    return 'N& = %s\nWRITEINI ".\\ERGEBNIS.INI", "R", "q%d" = N&' % (expression, n)


# Waits (at most 10 s) until S$ holds at least `least` characters.
def collect(least):
    return '\n'.join([
        'S$ = ""',
        'T& = @ADD(&TICKS, 10000)',
        'WHILE @LT(@LEN(S$), %d)' % least,
        '  IF @GT(&TICKS, T&)',
        '    S$ = "(nichts gekommen)"',
        '  ENDIF',
        '  S$ = @ADD$(S$, @COMREAD$(H&, 255))',
        'ENDWHILE',
    ])


PROGRAM = '\n'.join([
    'DECLARE H&, S$, T&, N&',
    'H& = @COMOPEN("COM1", 1024, 1024)',
    result(0, '@GT(H&, 0)'),
    result(1, '@COMSETUP("baud=9600 parity=N data=8 stop=1")'),
    result(2, '@COMSETUP("9600,n,8,1")'),
    result(3, '@COMFLAGS(H&, 0, 0, 0, -1, -1, -1)'),
    result(4, '@COMWRITE(H&, "ping?")'),
    collect(7),
    result(5, 'S$'),
    # The device answers "!" with "abc", a zero byte and "def": the text ends
    # at the zero byte, and "def" leaves the port all the same.
    result(6, '@COMWRITE(H&, "!")'),
    collect(3),
    result(7, 'S$'),
    result(8, '@COMWRITE(H&, "#")'),
    collect(1),
    result(9, 'S$'),
    result(10, '@COMERROR(H&)'),
    result(11, '@COMCLOSE(H&)'),
    result(12, '@COMOPEN("COM9", 0, 0)'),
    result(13, '@COMSETUP("9600,n,8,1")'),
]) + '\n'

EXPECTED = ['1', '0', '0', '0', '5', 'Antwort', '1', 'abc', '1', 'Z', '0', '0', '-1', '-1']


def serial_tests(TestFailure):
    def test_serial_round_trip(ctx):
        """A program talks to a device on COM1 both ways; a missing COM9."""
        if not shutil.which('socat'):
            raise TestFailure('socat is not installed (tools/install_deps.sh)')
        s = ctx.session
        folder = ctx.folder('serial', {})
        ctx.compile(folder, 'serial', PROGRAM)
        ptys = tempfile.mkdtemp(prefix='vestil-serial-', dir=s.work)
        a, b = os.path.join(ptys, 'A'), os.path.join(ptys, 'B')
        socat = subprocess.Popen(['socat', '-d', '-d', 'pty,raw,echo=0,link=' + a, 'pty,raw,echo=0,link=' + b],
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        received = bytearray()
        try:
            deadline = time.monotonic() + 10
            while not (os.path.exists(a) and os.path.exists(b)):
                if time.monotonic() > deadline:
                    raise TestFailure('socat did not make the pseudo-terminals')
                time.sleep(0.05)
            # Wine's mount manager makes dosdevices/comN from its Ports key
            # when it starts, replacing links made by hand.
            missing = os.path.join(ptys, 'missing')
            for name, target in (('COM1', os.path.realpath(a)), ('COM9', missing)):
                s.run_quiet(['wine', 'reg', 'add', 'HKLM\\Software\\Wine\\Ports', '/v', name, '/d', target,
                             '/f'], 120, 'serial-reg.log')
            dosdevices = os.path.join(s.env['WINEPREFIX'], 'dosdevices')
            for name, target in (('com1', os.path.realpath(a)), ('com9', missing)):
                link = os.path.join(dosdevices, name)
                if os.path.lexists(link):
                    os.remove(link)
                os.symlink(target, link)
            peer = os.open(b, os.O_RDWR | os.O_NOCTTY)

            def device():
                answers = {b'?': 'Antwort'.encode('cp1252'), b'!': b'abc\0def', b'#': b'Z'}
                end = time.monotonic() + 60
                while time.monotonic() < end and not received.endswith(b'#'):
                    data = os.read(peer, 100)
                    received.extend(data)
                    if data[-1:] in answers:
                        os.write(peer, answers[data[-1:]])

            t = threading.Thread(target=device, daemon=True)
            t.start()
            code = ctx.run_to_exit(ctx.vestrun, ['serial.vsc'], folder, 'serial')
            ctx.expect_exit(code, 0, 'serial ports')
            t.join(5)
            os.close(peer)
            link = os.readlink(os.path.join(dosdevices, 'com1'))
            if link != os.path.realpath(a):
                raise TestFailure('dosdevices/com1 leads to %s, not to the pseudo-terminal' % link)
        finally:
            socat.send_signal(signal.SIGTERM)
            socat.wait(10)
            shutil.rmtree(ptys, ignore_errors=True)
        if bytes(received) != b'ping?!#':
            raise TestFailure('the device received %r, expected %r' % (bytes(received), b'ping?!#'))
        got = read_results(folder, len(EXPECTED))
        if got != EXPECTED:
            raise TestFailure('results %r, expected %r' % (got, EXPECTED))

    return [('serial_round_trip', test_serial_round_trip, True)]


TESTS = serial_tests(TestFailure)
