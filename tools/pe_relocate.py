#!/usr/bin/env python3
"""Moves the PE headers of an executable to file offset 0x100.

vestrun.exe keeps a 32-bit value at file offset 0x80, the offset of a program
appended to the executable (0 when none is), so the area 0x80..0xFF must be
free and the PE header must start at 0x100. GNU ld writes the PE header
directly after its 128-byte DOS stub, at 0x80. This script moves the PE
signature, the COFF header, the optional header and the section table from
e_lfanew to 0x100, sets e_lfanew (at 0x3C) to 0x100 and zeroes 0x80..0xFF.
Nothing else in the file changes (the checksum, when the linker set one, is
computed anew). A file whose PE header is already at 0x100 is only checked.

usage: pe_relocate.py FILE.exe
"""
import struct
import sys

NEW_LFANEW = 0x100
SLOT_START, SLOT_END = 0x80, 0x100


class Failure(Exception):
    pass


def pe_checksum(data, checksum_offset):
    """The PE image checksum, with the 4 checksum bytes counted as 0."""
    total = 0
    padded = data + b'\0' * (len(data) % 2)
    for i in range(0, len(padded), 2):
        if checksum_offset <= i < checksum_offset + 4:
            continue
        total += padded[i] | (padded[i + 1] << 8)
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def header_span(data, lfanew):
    """Length of signature + COFF header + optional header + section table."""
    if data[lfanew:lfanew + 4] != b'PE\0\0':
        raise Failure('no PE signature at e_lfanew 0x%x' % lfanew)
    sections, = struct.unpack_from('<H', data, lfanew + 4 + 2)
    optional_size, = struct.unpack_from('<H', data, lfanew + 4 + 16)
    return 4 + 20 + optional_size + 40 * sections, optional_size


def relocate(data):
    data = bytearray(data)
    if data[:2] != b'MZ':
        raise Failure('not an MZ executable')
    lfanew, = struct.unpack_from('<I', data, 0x3C)
    span, optional_size = header_span(data, lfanew)
    optional = lfanew + 24
    if optional_size < 64:
        raise Failure('optional header too small (%d bytes)' % optional_size)
    size_of_headers, = struct.unpack_from('<I', data, optional + 60)

    if lfanew == NEW_LFANEW:
        # 0x80..0x83 may already hold the offset of an appended program.
        if any(data[SLOT_START + 4:SLOT_END]):
            raise Failure('PE header at 0x100, but 0x84..0xFF is not free')
        return bytes(data), False
    if lfanew > NEW_LFANEW:
        raise Failure('PE header at 0x%x, beyond 0x100; cannot move it back' % lfanew)
    if lfanew < 0x40:
        raise Failure('PE header at 0x%x overlaps the DOS header' % lfanew)

    new_end = NEW_LFANEW + span
    if new_end > size_of_headers:
        raise Failure('no room: the PE headers (%d bytes) would end at 0x%x, past '
                      'SizeOfHeaders 0x%x' % (span, new_end, size_of_headers))
    # The headers must be followed only by padding up to where they will end,
    # and no section may start before that point.
    old_end = lfanew + span
    if any(data[old_end:new_end]):
        raise Failure('bytes 0x%x..0x%x after the section table are not free'
                      % (old_end, new_end))
    sections, = struct.unpack_from('<H', data, lfanew + 6)
    table = lfanew + 24 + optional_size
    for i in range(sections):
        raw_size, raw_pointer = struct.unpack_from('<II', data, table + 40 * i + 16)
        if raw_size and raw_pointer < size_of_headers:
            raise Failure('section %d starts inside the headers' % i)

    headers = bytes(data[lfanew:old_end])
    data[lfanew:new_end] = b'\0' * (new_end - lfanew)
    data[NEW_LFANEW:new_end] = headers
    struct.pack_into('<I', data, 0x3C, NEW_LFANEW)

    checksum_offset = NEW_LFANEW + 24 + 64
    old_checksum, = struct.unpack_from('<I', data, checksum_offset)
    if old_checksum:
        struct.pack_into('<I', data, checksum_offset, pe_checksum(bytes(data), checksum_offset))
    return bytes(data), True


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    path = sys.argv[1]
    with open(path, 'rb') as f:
        original = f.read()
    try:
        result, moved = relocate(original)
    except Failure as e:
        sys.exit('pe_relocate.py: %s: %s' % (path, e))
    if moved:
        with open(path, 'wb') as f:
            f.write(result)


if __name__ == '__main__':
    main()
