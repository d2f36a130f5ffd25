"""The loader of vestrun.exe: programs that end at once, files that are no
program or are missing, the open dialog without a parameter, a runner
started by EXECUTE that shows its loader box, and --version and --help in a
box (options only as the sole argument and where no file has that name). First of all the calibration:
the reference screenshots tell different boxes apart.
"""
import os
import re

from wine_harness import (LOADER_CAPTION, MB_ICONERROR, OPEN_TITLE, TEXT_NOT_FOUND, TEXT_NOT_PROGRAM,
                          TEXT_USAGE, TestFailure, header_only_program, not_a_program, x_regex)

# Starts a second runner (named by %s) that cannot find its program.
PROGRAM_STARTING_RUNNER = """' starts another program and ends
EXECUTE "%s fehlt.vsc"
END
"""


def test_reference_is_sensitive(ctx):
    """Calibration: two boxes that differ in one character do not compare equal."""
    s = ctx.session
    folder = ctx.folder('calibration', {})
    a = s.reference_box(LOADER_CAPTION, b'Keine VESTIL\xb2 Datei!', MB_ICONERROR, folder, 'calibration-a')
    b = s.reference_box(LOADER_CAPTION, b'Keine VESTIL2 Datei!', MB_ICONERROR, folder, 'calibration-b')
    if set(a) & set(b):
        raise TestFailure('the screenshots of different boxes are equal')


def test_program_that_ends_at_once(ctx):
    """(a) A header-only program loads and ends at once with exit code 0."""
    folder = ctx.folder('ends-at-once', {'ende.vsc': header_only_program()})
    code = ctx.run_to_exit(ctx.vestrun, ['ende.vsc'], folder, 'ends-at-once')
    ctx.expect_exit(code, 0, 'header-only program')


def test_bad_header(ctx):
    """(b) A file that is not a program: box 905, exit code 1."""
    s = ctx.session
    folder = ctx.folder('bad-header', {'kaputt.vsc': not_a_program()})
    ref = s.reference_box(LOADER_CAPTION, TEXT_NOT_PROGRAM, MB_ICONERROR, folder, 'bad-header')
    proc = s.start(ctx.vestrun, ['kaputt.vsc'], folder, 'bad-header.log')
    s.expect_loader_box(proc, ref, 'bad-header')
    ctx.expect_exit(s.wait_exit(proc, 'bad-header'), 1, 'bad header')


def test_missing_file(ctx):
    """(c) A missing file: box 209 naming it (".VSC" added, no dot), exit code 2."""
    s = ctx.session
    folder = ctx.folder('missing-file', {})
    ref = s.reference_box(LOADER_CAPTION, TEXT_NOT_FOUND + b'fehlt.VSC', MB_ICONERROR, folder, 'missing-file')
    proc = s.start(ctx.vestrun, ['fehlt'], folder, 'missing-file.log')
    s.expect_loader_box(proc, ref, 'missing-file')
    ctx.expect_exit(s.wait_exit(proc, 'missing-file'), 2, 'missing file')


def open_dialog(ctx, name, folder):
    """Starts vestrun.exe without a parameter and checks its open dialog."""
    s = ctx.session
    ref = s.reference_open(folder, 'open-dialog')
    proc = s.start(ctx.vestrun, [], folder, name + '.log')
    window = s.wait_window(x_regex(OPEN_TITLE), proc, name)
    title = s.window_name(window)
    if title != OPEN_TITLE.decode('cp1252').encode('utf-8'):
        raise TestFailure('dialog title %r' % title)
    frames, last = s.frames()
    s.save(last, name)
    s.expect_same(frames, last, ref, name)
    return proc, window


def test_open_dialog_cancelled(ctx):
    """(d) No parameter: the open dialog; Escape gives box 803 and exit code 2."""
    s = ctx.session
    folder = ctx.folder('open-dialog', {'ende.vsc': header_only_program(),
                                        'andere.txt': b'kein Programm'})
    ref = s.reference_box(LOADER_CAPTION, TEXT_USAGE, MB_ICONERROR, folder, 'open-dialog-cancelled')
    proc, window = open_dialog(ctx, 'open-dialog-cancelled', folder)
    s.answer(window, 'Escape')
    s.expect_loader_box(proc, ref, 'open-dialog-cancelled')
    ctx.expect_exit(s.wait_exit(proc, 'open-dialog'), 2, 'open dialog cancelled')


def test_open_dialog_chosen(ctx):
    """No parameter: a program typed into the open dialog runs; exit code 0."""
    s = ctx.session
    folder = ctx.folder('open-dialog', {'ende.vsc': header_only_program(),
                                        'andere.txt': b'kein Programm'})
    proc, window = open_dialog(ctx, 'open-dialog-chosen', folder)
    s.type_text(window, 'ende.vsc')
    s.press(window, 'Return')
    ctx.expect_exit(s.wait_exit(proc, 'open-dialog-chosen'), 0, 'program chosen in the dialog')


def test_execute(ctx):
    """EXECUTE starts a program: here a second runner, whose box then shows."""
    s = ctx.session
    folder = ctx.folder('execute', {})
    # The runner's own folder is searched first, so its name is enough.
    ctx.compile(folder, 'starter', PROGRAM_STARTING_RUNNER % os.path.basename(ctx.vestrun))
    ref = s.reference_box(LOADER_CAPTION, TEXT_NOT_FOUND + b'fehlt.vsc', MB_ICONERROR, folder,
                          'execute')
    proc = s.start(ctx.vestrun, ['starter.vsc'], folder, 'execute.log')
    ctx.expect_exit(s.wait_exit(proc, 'execute'), 0, 'the runner that executes')
    s.expect_box(None, ref, LOADER_CAPTION, MB_ICONERROR, 'execute')


def test_version_box(ctx):
    """--version and --help as the sole argument: a box with the version (and
    the usage), exit code 0; a file "--version.VSC" runs instead, and with a
    second argument --version is a program name."""
    s = ctx.session
    folder = ctx.folder('version-box', {})
    with open(os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(__file__))), 'CMakeLists.txt')) as f:
        build = re.search(r'project\(vestil VERSION (\S+)', f.read()).group(1)
    caption = b'vestrun.exe'
    text = b'vestrun.exe %s (VESTIL runtime 5.0a-NT)' % build.encode()
    ref = s.reference_box(caption, text, 0x40, folder, 'version-box')
    proc = s.start(ctx.vestrun, ['--version'], folder, 'version-box.log')
    s.expect_box(proc, ref, caption, 0x40, 'version-box')
    ctx.expect_exit(s.wait_exit(proc, 'version-box'), 0, '--version')
    proc = s.start(ctx.vestrun, ['--help'], folder, 'version-box.log')
    s.answer(s.wait_window(x_regex(caption), proc, 'help box'), 'Return')
    ctx.expect_exit(s.wait_exit(proc, '--help'), 0, '--help')
    ref = s.reference_box(LOADER_CAPTION, TEXT_NOT_FOUND + b'--version.VSC', MB_ICONERROR, folder, 'version-arg')
    proc = s.start(ctx.vestrun, ['--version', 'x'], folder, 'version-box.log')
    s.expect_loader_box(proc, ref, 'version-arg')
    ctx.expect_exit(s.wait_exit(proc, '--version x'), 2, '--version with an argument')
    with open(os.path.join(folder, '--version.VSC'), 'wb') as f:
        f.write(header_only_program())
    ctx.expect_exit(ctx.run_to_exit(ctx.vestrun, ['--version'], folder, 'version-file'), 0, 'file --version.VSC')


TESTS = [
    ('calibration', test_reference_is_sensitive, True),
    ('ends-at-once', test_program_that_ends_at_once, True),
    ('bad-header', test_bad_header, True),
    ('missing-file', test_missing_file, True),
    ('open-dialog-cancelled', test_open_dialog_cancelled, True),
    ('open-dialog-chosen', test_open_dialog_chosen, True),
    ('execute', test_execute, True),
    ('version-box', test_version_box, True),
]
