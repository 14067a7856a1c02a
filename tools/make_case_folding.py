#!/usr/bin/env python3
"""Writes src/foundation/text/CaseFoldingTable.inc, the simple case folding of the Basic
Multilingual Plane that the shortcut search compares names and queries in.

The mappings are those of status C and S in CaseFolding.txt of Debian's package unicode-data
(/usr/share/unicode/CaseFolding.txt) whose character and folded character both lie in the Basic
Multilingual Plane. They are written as runs: the characters first, first + step, ... up to last
each fold to themselves plus delta (A to Z is one run of step 1, the pairs of Latin Extended-A
are runs of step 2). The runs are sorted and do not overlap.

The output is the same byte for byte on every run.

    tools/make_case_folding.py [--unicode DIR] [--out FILE]
"""
import argparse
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
UNICODE = Path('/usr/share/unicode')
OUT = ROOT / 'src' / 'foundation' / 'text' / 'CaseFoldingTable.inc'


def read_mappings(path):
    """{character: folded character} of the simple foldings in the Basic Multilingual Plane, and
    the Unicode version the file names."""
    mappings, version = {}, None
    for line in path.read_text(encoding='utf-8').splitlines():
        match = re.match(r'# CaseFolding-(\S+)\.txt', line)
        if match:
            version = match[1]
        line = line.split('#', 1)[0].strip()
        if not line:
            continue
        code, status, folded = (field.strip() for field in line.split(';')[:3])
        if status in ('C', 'S'):
            source, target = int(code, 16), int(folded, 16)
            if source < 0x10000 and target < 0x10000:
                mappings[source] = target
    if version is None:
        raise ValueError(f'{path} names no Unicode version')
    return mappings, version


def runs_of(mappings):
    """(first, last, step, delta) runs covering exactly the mappings, greedily from the lowest."""
    runs = []
    pending = sorted(mappings)
    i = 0
    while i < len(pending):
        first = pending[i]
        delta = mappings[first] - first
        best = (first, first, 1)
        for step in (1, 2):
            last, j = first, i + 1
            # A run of step 2 leaves the characters between its own unmapped, so runs never overlap.
            while (j < len(pending) and pending[j] == last + step and mappings[pending[j]] - pending[j] == delta
                   and (step == 1 or last + 1 not in mappings)):
                last = pending[j]
                j += 1
            if last > best[1]:
                best = (first, last, step)
        first, last, step = best
        runs.append((first, last, step, delta))
        i = pending.index(last, i) + 1
    return runs


def render(runs, count, version):
    text = [
        f'// Written by tools/make_case_folding.py from CaseFolding.txt {version}; do not edit.\n',
        f'// {count} characters in {len(runs)} runs.\n\n',
        'struct CaseFoldingRun {\n    char16_t first;\n    char16_t last;\n    std::uint8_t step;\n'
        '    std::int32_t delta;\n};\n\n',
        f'constexpr CaseFoldingRun kCaseFoldingRuns[{len(runs)}] = {{\n',
        ''.join(f'    {{0x{first:04X}, 0x{last:04X}, {step}, {delta}}},\n' for first, last, step, delta in runs),
        '};\n',
    ]
    return ''.join(text)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--unicode', type=Path, default=UNICODE, help='folder of CaseFolding.txt')
    parser.add_argument('--out', type=Path, default=OUT)
    args = parser.parse_args(argv)
    mappings, version = read_mappings(args.unicode / 'CaseFolding.txt')
    runs = runs_of(mappings)
    covered = {c: c + delta for first, last, step, delta in runs for c in range(first, last + 1, step)}
    if covered != mappings:
        raise AssertionError('the runs do not cover the mappings exactly')
    args.out.write_bytes(render(runs, len(mappings), version).encode('ascii'))


if __name__ == '__main__':
    main(sys.argv[1:])
