"""Programs appended to vestrun.exe: bound by vestcomp or by hand, their lines
run, a broken appended part, and program files named beside one.
"""
import os
import struct

from wine_harness import (LOADER_CAPTION, MB_ICONERROR, PROGRAM_DIVIDING_BY_ZERO, PROGRAM_THAT_COMPUTES,
                          TEXT_DIVISION_BY_ZERO, TEXT_NOT_PROGRAM, TestFailure, header_only_program,
                          not_a_program)

def test_appended_program(ctx):
    """(e) A program bound to the runner by vestcomp runs without any parameter."""
    folder = ctx.folder('appended', {})
    program = ctx.compile(folder, 'rechnen', PROGRAM_THAT_COMPUTES)
    exe = ctx.bind(folder, program, 'anwendung')
    with open(exe, 'rb') as f:
        offset = struct.unpack_from('<I', f.read(0x84), 0x80)[0]
    if offset != os.path.getsize(ctx.vestrun):
        raise TestFailure('the bound runner has offset 0x%x at 0x80' % offset)
    code = ctx.run_to_exit(exe, [], folder, 'appended')
    ctx.expect_exit(code, 0, 'appended program')


def test_appended_runtime_error(ctx):
    """The lines of an appended program run: its error names its line."""
    s = ctx.session
    folder = ctx.folder('appended-error', {})
    program = ctx.compile(folder, 'fehler', PROGRAM_DIVIDING_BY_ZERO)
    exe = ctx.bind(folder, program, 'fehler')
    ref = s.reference_box(TEXT_DIVISION_BY_ZERO, b'Zeile      4!', MB_ICONERROR, folder,
                          'appended-error')
    proc = s.start(exe, [], folder, 'appended-error.log')
    s.expect_box(proc, ref, TEXT_DIVISION_BY_ZERO, MB_ICONERROR, 'appended-error')
    ctx.expect_exit(s.wait_exit(proc, 'appended-error'), 2, 'runtime error in an appended program')


def test_appended_by_hand(ctx):
    """The runner reads all four bytes of the offset (bound by hand, odd offset)."""
    folder = ctx.folder('appended-by-hand', {})
    exe = ctx.bound_runner(folder, header_only_program(), 'anwendung')
    code = ctx.run_to_exit(exe, [], folder, 'appended-by-hand')
    ctx.expect_exit(code, 0, 'program appended by hand')


def test_appended_not_a_program(ctx):
    """An appended part that is no program is loaded and fails: box 905, exit 1."""
    s = ctx.session
    folder = ctx.folder('appended-bad', {})
    exe = ctx.bound_runner(folder, not_a_program() * 2, 'kaputt')
    ref = s.reference_box(LOADER_CAPTION, TEXT_NOT_PROGRAM, MB_ICONERROR, folder, 'appended-bad')
    proc = s.start(exe, [], folder, 'appended-bad.log')
    s.expect_loader_box(proc, ref, 'appended-bad')
    ctx.expect_exit(s.wait_exit(proc, 'appended-bad'), 1, 'appended part not a program')


def test_appended_parameter_program(ctx):
    """A program file named on the command line runs instead of the appended one."""
    folder = ctx.folder('appended-param', {'ende.vsc': header_only_program()})
    exe = ctx.bound_runner(folder, not_a_program() * 2, 'kaputt')
    code = ctx.run_to_exit(exe, ['ende.vsc'], folder, 'appended-param')
    ctx.expect_exit(code, 0, 'program file named beside an appended part')


def test_appended_parameter_not_a_program(ctx):
    """With an appended program, a parameter that names no program belongs to the script."""
    folder = ctx.folder('appended-param-missing', {})
    exe = ctx.bound_runner(folder, header_only_program(), 'anwendung')
    code = ctx.run_to_exit(exe, ['fehlt.vsc', 'zwei'], folder, 'appended-param-missing')
    ctx.expect_exit(code, 0, 'appended program with parameters')


TESTS = [
    ('appended', test_appended_program, True),
    ('appended-error', test_appended_runtime_error, True),
    ('appended-by-hand', test_appended_by_hand, True),
    ('appended-bad', test_appended_not_a_program, True),
    ('appended-param', test_appended_parameter_program, True),
    ('appended-param-missing', test_appended_parameter_not_a_program, True),
]
