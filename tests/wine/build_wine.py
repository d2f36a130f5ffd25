"""The built executables: the PE layout of vestrun.exe, its resources,
tools/pe_relocate.py (vestcomp.exe under Wine: tests/wine/runner.cases).
"""
import os
import re
import shutil
import struct
import subprocess
import sys

from wine_harness import HERE, TestFailure

def test_pe_layout(ctx):
    """The PE header starts at 0x100; 0x80..0xFF is free, the offset there is 0."""
    with open(ctx.vestrun, 'rb') as f:
        exe = f.read()
    if exe[:2] != b'MZ':
        raise TestFailure('no MZ header')
    lfanew = struct.unpack_from('<I', exe, 0x3C)[0]
    if lfanew != 0x100:
        raise TestFailure('e_lfanew is 0x%x, not 0x100' % lfanew)
    if exe[0x100:0x104] != b'PE\0\0':
        raise TestFailure('no PE signature at 0x100')
    if exe[0x80:0x84] != b'\0\0\0\0':
        raise TestFailure('the appended-program offset at 0x80 is not 0: %s' % exe[0x80:0x84].hex())
    if any(exe[0x84:0x100]):
        raise TestFailure('0x84..0xFF is not zero')
    machine, = struct.unpack_from('<H', exe, 0x104)
    subsystem, = struct.unpack_from('<H', exe, 0x100 + 24 + 68)
    # The 64-bit test build (see wine_harness.MINGW) is an x86-64 GUI program.
    want_machine = 0x8664 if ctx.mingw.startswith('x86_64') else 0x14C
    if machine != want_machine or subsystem != 2:
        raise TestFailure('machine 0x%x, subsystem %d: not a GUI program for 0x%x'
                          % (machine, subsystem, want_machine))


def synthetic_pe(sections, lfanew=0x80, size_of_headers=0x400):
    """A PE image as GNU ld lays it out: header at lfanew, sections from
    size_of_headers on, each 0x200 bytes of a recognisable pattern."""
    optional_size = 224
    data = bytearray(size_of_headers + 0x200 * sections)
    data[0:2] = b'MZ'
    data[0x40:0x40 + 39] = b'This program cannot be run in DOS mode.'
    struct.pack_into('<I', data, 0x3C, lfanew)
    data[lfanew:lfanew + 4] = b'PE\0\0'
    struct.pack_into('<HHIIIHH', data, lfanew + 4, 0x14C, sections, 0, 0, 0, optional_size, 0x102)
    optional = lfanew + 24
    struct.pack_into('<H', data, optional, 0x10B)
    struct.pack_into('<I', data, optional + 60, size_of_headers)
    struct.pack_into('<H', data, optional + 68, 2)
    table = optional + optional_size
    for i in range(sections):
        entry = table + 40 * i
        data[entry:entry + 8] = ('.s%d' % i).encode().ljust(8, b'\0')
        raw = size_of_headers + 0x200 * i
        struct.pack_into('<IIII', data, entry + 8, 0x200, 0x1000 * (i + 1), 0x200, raw)
        data[raw:raw + 0x200] = bytes([i + 1]) * 0x200
    return bytes(data)


def test_pe_relocate(ctx):
    """tools/pe_relocate.py moves the headers and nothing else, and refuses
    clearly when they would not fit before the first section."""
    script = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'tools', 'pe_relocate.py')
    folder = ctx.folder('pe-relocate', {'fits.exe': synthetic_pe(10),
                                        'too-many.exe': synthetic_pe(20)})
    fits = os.path.join(folder, 'fits.exe')
    before = open(fits, 'rb').read()
    p = subprocess.run([sys.executable, script, fits], stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, timeout=60)
    if p.returncode != 0:
        raise TestFailure('pe_relocate.py failed: %s' % p.stdout.decode(errors='replace'))
    after = open(fits, 'rb').read()
    span = 24 + 224 + 40 * 10
    expected = bytearray(before)
    expected[0x80:0x100 + span] = bytes(0x80) + before[0x80:0x80 + span]
    struct.pack_into('<I', expected, 0x3C, 0x100)
    if after != bytes(expected):
        raise TestFailure('pe_relocate.py changed more than the header position')
    # Once moved, a second run leaves the file as it is.
    subprocess.run([sys.executable, script, fits], check=True, timeout=60)
    if open(fits, 'rb').read() != after:
        raise TestFailure('a second run of pe_relocate.py changed the file')

    too_many = os.path.join(folder, 'too-many.exe')
    before = open(too_many, 'rb').read()
    p = subprocess.run([sys.executable, script, too_many], stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, timeout=60)
    message = p.stdout.decode(errors='replace')
    if p.returncode == 0 or 'no room' not in message:
        raise TestFailure('20 sections do not fit, yet pe_relocate.py said %r (exit %d)'
                          % (message, p.returncode))
    if open(too_many, 'rb').read() != before:
        raise TestFailure('pe_relocate.py changed a file it refused')


def test_resources(ctx):
    """The icon "VESTIL" and the version resource are in the executable."""
    windres = shutil.which(ctx.mingw + '-windres')
    if not windres:
        raise TestFailure('%s-windres is missing' % ctx.mingw)
    p = subprocess.run([windres, '-i', ctx.vestrun, '-O', 'rc'], stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE, timeout=60)
    if p.returncode != 0:
        raise TestFailure('windres cannot read the resources: %s' % p.stderr.decode(errors='replace'))
    listing = p.stdout.decode('latin-1')
    if not re.search(r'^"VESTIL"\s+14\b', listing, re.M):  # 14: RT_GROUP_ICON
        raise TestFailure('no icon group named VESTIL')
    if not re.search(r'^1\s+VERSIONINFO', listing, re.M):
        raise TestFailure('no version resource')


TESTS = [
    ('pe-layout', test_pe_layout, False),
    ('pe-relocate', test_pe_relocate, False),
    ('resources', test_resources, False),
]
