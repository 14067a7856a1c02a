#!/usr/bin/env python3
"""Checks the hardening of the built program from its PE header: a 64-bit image that can be
placed anywhere (relocations kept, dynamic base, high-entropy addresses), never runs code in data
pages (NX), and asks for no more rights than its user has (asInvoker in its manifest)."""
import struct
import sys

DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x0040, 0x0020, 0x0100
RELOCS_STRIPPED = 0x0001
BASE_RELOCATION_DIRECTORY = 5


def check(path):
    data = open(path, 'rb').read()
    problems = []
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        return [f'{path} is not a PE image']
    characteristics = struct.unpack_from('<H', data, pe + 22)[0]
    optional = pe + 24
    if struct.unpack_from('<H', data, optional)[0] != 0x20B:
        problems.append('not a 64-bit (PE32+) image')
    dll_characteristics = struct.unpack_from('<H', data, optional + 70)[0]
    for flag, name in ((DYNAMIC_BASE, 'DYNAMIC_BASE'), (HIGH_ENTROPY_VA, 'HIGH_ENTROPY_VA'), (NX_COMPAT, 'NX_COMPAT')):
        if not dll_characteristics & flag:
            problems.append(f'{name} is not set')
    if characteristics & RELOCS_STRIPPED:
        problems.append('relocations are stripped, so the image cannot move')
    relocations_size = struct.unpack_from('<I', data, optional + 112 + 8 * BASE_RELOCATION_DIRECTORY + 4)[0]
    if relocations_size == 0:
        problems.append('the image has no base relocations')
    if b'level="asInvoker"' not in data:
        problems.append('the manifest does not ask for asInvoker')
    return problems


if __name__ == '__main__':
    problems = check(sys.argv[1])
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)
