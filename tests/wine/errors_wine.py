"""Runtime errors and warnings of vestrun.exe as boxes: a fatal error, a
warning answered with OK and with Cancel, and recursion stopped by its depth.
A source file runs directly; VESTRUN_LOG and VESTRUN_TRACE get the source
lines of the trace and of the error box.
"""
import os

from wine_harness import (LOADER_CAPTION, MB_ICONERROR, MB_ICONWARNING, MB_OKCANCEL, PROGRAM_DIVIDING_BY_ZERO, TEXT_CANCELLED,
                          TEXT_DIVISION_BY_ZERO, TEXT_TOO_DEEP, TEXT_UNDECLARED_Y, TestFailure, x_regex)

# A function that calls itself without end (@IF evaluates both branches):
# the runtime stops it by the stack it uses, which needs the runner's big
# stack; with the linker's default stack the process would crash instead.
PROGRAM_RECURSING = """' line 3 recurses until the runtime stops it
DECLARE A%
A% = @R(10)
DEFFN R(1) @IF(@GT(@%(1), 0), @R(@SUB(@%(1), 1)), 0)
"""

PROGRAM_WITH_WARNING = """' line 3 reads a variable that was never declared
DECLARE A%
A% = Y%
A% = 2
END
"""


def test_runtime_error(ctx):
    """A fatal runtime error: the message as caption, the line as text, exit 2."""
    s = ctx.session
    folder = ctx.folder('runtime-error', {})
    ctx.compile(folder, 'fehler', PROGRAM_DIVIDING_BY_ZERO)
    ref = s.reference_box(TEXT_DIVISION_BY_ZERO, b'Zeile      4!', MB_ICONERROR, folder,
                          'runtime-error')
    proc = s.start(ctx.vestrun, ['fehler.vsc'], folder, 'runtime-error.log')
    s.expect_box(proc, ref, TEXT_DIVISION_BY_ZERO, MB_ICONERROR, 'runtime-error')
    ctx.expect_exit(s.wait_exit(proc, 'runtime-error'), 2, 'runtime error')


def warning_box(ctx, name):
    s = ctx.session
    folder = ctx.folder(name, {})
    ctx.compile(folder, 'warnung', PROGRAM_WITH_WARNING)
    ref = s.reference_box(TEXT_UNDECLARED_Y, b'Zeile      3!', MB_ICONWARNING | MB_OKCANCEL,
                          folder, 'runtime-warning')
    return s.start(ctx.vestrun, ['warnung.vsc'], folder, name + '.log'), ref, folder


def test_runtime_warning_ok(ctx):
    """A warning box with OK and Cancel; OK goes on to the end: exit 0."""
    s = ctx.session
    proc, ref, _ = warning_box(ctx, 'runtime-warning-ok')
    s.expect_box(proc, ref, TEXT_UNDECLARED_Y, MB_ICONWARNING | MB_OKCANCEL,
                 'runtime-warning-ok', 'Return')
    ctx.expect_exit(s.wait_exit(proc, 'runtime-warning-ok'), 0, 'warning confirmed')


def test_runtime_warning_cancel(ctx):
    """Cancel in a warning box: the box "Programm abgebrochen!", exit 2."""
    s = ctx.session
    proc, ref, folder = warning_box(ctx, 'runtime-warning-cancel')
    # The reference of the second box must not share the screen with the first.
    s.expect_box(proc, ref, TEXT_UNDECLARED_Y, MB_ICONWARNING | MB_OKCANCEL,
                 'runtime-warning-cancel', 'Escape')
    window = s.wait_window(x_regex(TEXT_CANCELLED), proc, 'runtime-warning-cancel')
    frames, last = s.frames()
    s.save(last, 'runtime-warning-cancelled')
    s.press(window, 'Return')
    ctx.expect_exit(s.wait_exit(proc, 'runtime-warning-cancel'), 2, 'warning cancelled')
    ref = s.reference_box(TEXT_CANCELLED, b'Zeile      3!', MB_ICONERROR, folder,
                          'runtime-warning-cancelled')
    s.expect_same(frames, last, ref, 'runtime-warning-cancelled')


def test_deep_recursion(ctx):
    """Deep recursion of a user function ends with box 114, not with a crash."""
    s = ctx.session
    folder = ctx.folder('deep-recursion', {})
    ctx.compile(folder, 'rekursion', PROGRAM_RECURSING)
    ref = s.reference_box(TEXT_TOO_DEEP, b'Zeile      3!', MB_ICONERROR, folder, 'deep-recursion')
    proc = s.start(ctx.vestrun, ['rekursion.vsc'], folder, 'deep-recursion.log')
    s.expect_box(proc, ref, TEXT_TOO_DEEP, MB_ICONERROR, 'deep-recursion')
    ctx.expect_exit(s.wait_exit(proc, 'deep-recursion'), 2, 'deep recursion')


def start_logged(ctx, args, folder, name):
    """vestrun.exe with VESTRUN_LOG and VESTRUN_TRACE both naming log.txt."""
    s = ctx.session
    s.env.update({'VESTRUN_LOG': 'log.txt', 'VESTRUN_TRACE': 'log.txt'})
    try:
        return s.start(ctx.vestrun, args, folder, name + '.log')
    finally:
        del s.env['VESTRUN_LOG'], s.env['VESTRUN_TRACE']


def expect_log(ctx, folder, want, what):
    with open(os.path.join(folder, 'log.txt'), 'rb') as f:
        got = f.read()
    if got != want:
        raise TestFailure('%s: log %r, expected %r' % (what, got, want))


def test_source_run_logged(ctx):
    """A .vsl file compiled in memory: the same box, the trace and the error's
    source line in the log."""
    s = ctx.session
    folder = ctx.folder('source-run', {'fehler.vsl': PROGRAM_DIVIDING_BY_ZERO.encode('ascii')})
    ref = s.reference_box(TEXT_DIVISION_BY_ZERO, b'Zeile      4!', MB_ICONERROR, folder, 'source-run')
    proc = start_logged(ctx, ['fehler.vsl'], folder, 'source-run')
    s.expect_box(proc, ref, TEXT_DIVISION_BY_ZERO, MB_ICONERROR, 'source-run')
    ctx.expect_exit(s.wait_exit(proc, 'source-run'), 2, 'source run')
    expect_log(ctx, folder, b"fehler.vsl:1: ' line 4 divides by zero\nfehler.vsl:2: DECLARE A%\n"
               b"fehler.vsl:3: A% = 7\nfehler.vsl:4: A% = @DIV(A%, 0)\nfehler.vsl:4: A% = @DIV(A%, 0)\n",
               'source run')


def test_source_compile_error(ctx):
    """A source file that does not compile: one box with the messages, exit 2."""
    s = ctx.session
    folder = ctx.folder('source-error', {'bad.vsl': b'PRINT "a"\nNOSUCH 1\n'})
    proc = start_logged(ctx, ['bad.vsl'], folder, 'source-error')
    window = s.wait_window(x_regex(LOADER_CAPTION), proc, 'source-error')
    s.press(window, 'Return')
    ctx.expect_exit(s.wait_exit(proc, 'source-error'), 2, 'source compile error')
    expect_log(ctx, folder, b'bad.vsl:2: error: unknown keyword or procedure: NOSUCH\n', 'source compile error')


TESTS = [
    ('runtime-error', test_runtime_error, True),
    ('runtime-warning-ok', test_runtime_warning_ok, True),
    ('runtime-warning-cancel', test_runtime_warning_cancel, True),
    ('deep-recursion', test_deep_recursion, True),
    ('source-run-logged', test_source_run_logged, True),
    ('source-compile-error', test_source_compile_error, True),
]
