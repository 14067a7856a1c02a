#!/usr/bin/env python3
"""Writes src/foundation/text/PinyinTable.inc, the Mandarin readings of the CJK ideographs of the
Basic Multilingual Plane that the shortcut search matches typed pinyin against.

The readings come from the Unihan database of Debian's package unicode-data
(/usr/share/unicode/Unihan_Readings.txt.bz2): every reading of kMandarin, kXHC1983 and kTGHZ2013,
so that a character with several readings (行: xing, hang, heng) matches each of them; a character
without any of those takes its kHanyuPinyin readings. A compatibility ideograph (U+F900 to U+FAD9)
without readings of its own takes those of the unified ideograph it stands for (kCompatibilityVariant
in Unihan_IRGSources.txt.bz2). Readings are toneless lowercase ASCII; u with diaeresis is written v
("lv", "nve"), and such a reading is also given in its u spelling ("lu", "nue") as typed by people
whose keyboard has no v habit.

The table:
- kPinyinSyllables: the syllables, sorted, at most 6 letters each;
- kPinyinReadingSets: sets of readings, each its count and then its syllable indices, sorted; the
  sets are shared by every character that has the same readings;
- kPinyinRanges: runs of code points, each with where its codes start in kPinyinCodes;
- kPinyinCodes: one code per code point of a run: 0 for none, else 1 + the offset of the
  character's set in kPinyinReadingSets.

The output is the same byte for byte on every run.

    tools/make_pinyin_table.py [--unicode DIR] [--out FILE]
"""
import argparse
import bz2
import re
import sys
import unicodedata
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
UNICODE = Path('/usr/share/unicode')
OUT = ROOT / 'src' / 'foundation' / 'text' / 'PinyinTable.inc'

# The blocks whose characters get readings: CJK Unified Ideographs Extension A, CJK Unified
# Ideographs and CJK Compatibility Ideographs.
BLOCKS = [(0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF)]
MODERN_FIELDS = ('kMandarin', 'kXHC1983', 'kTGHZ2013')
FALLBACK_FIELD = 'kHanyuPinyin'
MAX_SYLLABLE = 6
# A code is stored beside other bits by the matcher: it must fit in 15 bits.
MAX_CODE = 0x7FFF


def read_fields(path, wanted):
    """{field: {code point: value}} of the wanted fields of a Unihan file."""
    fields = {name: {} for name in wanted}
    with bz2.open(path, 'rt', encoding='utf-8') as lines:
        for line in lines:
            if line.startswith('#') or not line.strip():
                continue
            code, field, value = line.rstrip('\n').split('\t', 2)
            if field in fields:
                fields[field][int(code[2:], 16)] = value
    return fields


def readings_of(field, value):
    """The readings (with tone marks) that one field's value gives."""
    if field == 'kMandarin':
        return value.split()
    # kXHC1983, kTGHZ2013 and kHanyuPinyin: space-separated "locations:reading[,reading...]".
    found = []
    for entry in value.split():
        found.extend(entry.split(':', 1)[1].split(','))
    return found


def toneless(reading):
    """Lowercase ASCII letters of a reading: tone marks dropped, u with diaeresis as v."""
    letters = []
    for c in unicodedata.normalize('NFD', reading.lower()):
        if c == '\u0308' and letters and letters[-1] == 'u':
            letters[-1] = 'v'
        elif not unicodedata.combining(c):
            letters.append(c)
    syllable = ''.join(letters)
    if not re.fullmatch(f'[a-z]{{1,{MAX_SYLLABLE}}}', syllable):
        raise ValueError(f'unexpected reading {reading!r}')
    return syllable


def spellings(syllable):
    """The syllable and, for one with v, its spelling with u."""
    return [syllable, syllable.replace('v', 'u')] if 'v' in syllable else [syllable]


def character_readings(unicode_dir):
    fields = read_fields(unicode_dir / 'Unihan_Readings.txt.bz2', MODERN_FIELDS + (FALLBACK_FIELD,))
    variants = read_fields(unicode_dir / 'Unihan_IRGSources.txt.bz2', ('kCompatibilityVariant',))
    readings = {}
    for first, last in BLOCKS:
        for cp in range(first, last + 1):
            found = [r for field in MODERN_FIELDS if cp in fields[field] for r in readings_of(field, fields[field][cp])]
            if not found and cp in fields[FALLBACK_FIELD]:
                found = readings_of(FALLBACK_FIELD, fields[FALLBACK_FIELD][cp])
            if found:
                readings[cp] = {s for r in found for s in spellings(toneless(r))}
    for cp, value in variants['kCompatibilityVariant'].items():
        unified = int(value[2:], 16)
        if cp not in readings and unified in readings:
            readings[cp] = readings[unified]
    return readings


def build(readings):
    syllables = sorted({s for found in readings.values() for s in found})
    index = {s: i for i, s in enumerate(syllables)}
    sets, set_offset = [], {}
    codes = {}
    for cp in sorted(readings):
        key = tuple(sorted(index[s] for s in readings[cp]))
        if key not in set_offset:
            set_offset[key] = len(sets)
            sets.extend((len(key),) + key)
        codes[cp] = 1 + set_offset[key]
    if max(codes.values()) > MAX_CODE:
        raise ValueError('the reading sets need more than 15 bits')
    ranges, flat = [], []
    for first, last in BLOCKS:
        inside = [cp for cp in codes if first <= cp <= last]
        if inside:
            low, high = min(inside), max(inside)
            ranges.append((low, high, len(flat)))
            flat.extend(codes.get(cp, 0) for cp in range(low, high + 1))
    return syllables, sets, ranges, flat


def numbers(values, per_line=20):
    rows = [', '.join(str(v) for v in values[i:i + per_line]) for i in range(0, len(values), per_line)]
    return ''.join(f'    {row},\n' for row in rows)


def render(syllables, sets, ranges, flat, version):
    words = [f'"{s}"' for s in syllables]
    lines = [', '.join(words[i:i + 16]) for i in range(0, len(words), 16)]
    text = [
        f'// Written by tools/make_pinyin_table.py from the Unihan database {version}; do not edit.\n',
        f'// {len(syllables)} syllables, {len(flat)} codes in {len(ranges)} runs, '
        f'{sum(1 for c in flat if c)} characters with readings.\n\n',
        f'constexpr std::size_t kPinyinMaxSyllable = {MAX_SYLLABLE};\n\n',
        f'constexpr char kPinyinSyllables[{len(syllables)}][{MAX_SYLLABLE + 1}] = {{\n',
        ''.join(f'    {line},\n' for line in lines),
        '};\n\n',
        f'constexpr std::uint16_t kPinyinReadingSets[{len(sets)}] = {{\n',
        numbers(sets),
        '};\n\n',
        'struct PinyinRange {\n    char16_t first;\n    char16_t last;\n    std::uint16_t codes;\n};\n\n',
        f'constexpr PinyinRange kPinyinRanges[{len(ranges)}] = {{\n',
        ''.join(f'    {{0x{first:04X}, 0x{last:04X}, {offset}}},\n' for first, last, offset in ranges),
        '};\n\n',
        f'constexpr std::uint16_t kPinyinCodes[{len(flat)}] = {{\n',
        numbers(flat),
        '};\n',
    ]
    return ''.join(text)


def unihan_version(unicode_dir):
    with bz2.open(unicode_dir / 'Unihan_Readings.txt.bz2', 'rt', encoding='utf-8') as lines:
        for line in lines:
            match = re.match(r'# Unicode version: (\S+)', line)
            if match:
                return match[1]
            if not line.startswith('#'):
                break
    raise ValueError('Unihan_Readings.txt names no Unicode version')


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--unicode', type=Path, default=UNICODE, help='folder of the Unihan files')
    parser.add_argument('--out', type=Path, default=OUT)
    args = parser.parse_args(argv)
    table = build(character_readings(args.unicode))
    args.out.write_bytes(render(*table, unihan_version(args.unicode)).encode('ascii'))


if __name__ == '__main__':
    main(sys.argv[1:])
