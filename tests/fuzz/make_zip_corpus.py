#!/usr/bin/env python3
"""Writes the seed archives of the zip fuzz target into corpus/zip/: a few sound archives of
the kinds the reader accepts and a few broken or hostile ones, each laid out record by record so
that any field can be wrong. Run it again after changing it and commit what it writes."""
import struct
import sys
import zlib
from pathlib import Path

LOCAL = 0x04034B50
CENTRAL = 0x02014B50
END = 0x06054B50
TIME, DATE = 0x6000, 0x5821  # 2024-01-01 12:00:00


def deflate(data):
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def entry(name, content, method=8, flags=0x800, made_by=20, attributes=0x20, extra=b'', data=None):
    """An entry's fields; data is what the archive holds for content (made when not given)."""
    if data is None:
        data = deflate(content) if method == 8 else content
    return dict(name=name if isinstance(name, bytes) else name.encode('utf-8'), content=content, method=method,
                flags=flags, made_by=made_by, attributes=attributes, extra=extra, data=data,
                crc=zlib.crc32(content), size=len(content))


def shared(e, zero_sizes=False):
    crc, compressed, size = (0, 0, 0) if zero_sizes else (e['crc'], len(e['data']), e['size'])
    return struct.pack('<HHHHHIIIHH', 20, e['flags'], e['method'], TIME, DATE, crc, compressed, size,
                       len(e['name']), len(e['extra']))


def archive(entries, comment=b'', descriptor=False, count=None):
    out = b''
    offsets = []
    for e in entries:
        offsets.append(len(out))
        out += struct.pack('<I', LOCAL) + shared(e, descriptor) + e['name'] + e['extra'] + e['data']
        if descriptor:
            out += struct.pack('<IIII', 0x08074B50, e['crc'], len(e['data']), e['size'])
    central_offset = len(out)
    for e, offset in zip(entries, offsets):
        out += struct.pack('<IH', CENTRAL, e['made_by']) + shared(e)
        out += struct.pack('<HHHII', 0, 0, 0, e['attributes'], offset) + e['name'] + e['extra']
    central_size = len(out) - central_offset
    n = len(entries) if count is None else count
    return out + struct.pack('<IHHHHIIH', END, 0, 0, n, n, central_size, central_offset, len(comment)) + comment


def seeds():
    groups = b''.join(b'[Group%d]\nName=Group %d\nLinkCount=2\n' % (i, i) for i in range(40))
    link = b'L\0\0\0\x01\x14\x02\0' + bytes(range(256)) + b'\0' * 60
    yield 'layout.zip', archive([entry('groups.txt', groups), entry('Editor.lnk', link, method=0),
                                 entry('\u00e9t\u00e9 \u4e2d\u6587.lnk', link)])
    yield 'empty.zip', archive([])
    yield 'comment.zip', archive([entry('a.txt', b'hello hello hello hello')], comment=b'made by hand')
    descriptor = entry('descriptor.txt', groups[:300], flags=0x808)
    yield 'data-descriptor.zip', archive([descriptor], descriptor=True)
    yield 'code-page-437.zip', archive([entry(b'\x82t\x82.txt', b'x', method=0, flags=0),
                                       entry(b'unix.txt', b'y', method=0, flags=0, made_by=0x31E,
                                             attributes=0o100644 << 16, extra=b'UT\x05\0\x01\0\0\0\0')])
    yield 'hostile-names.zip', archive([entry(name, b'x', method=0) for name in (
        '../evil.lnk', '/etc/passwd', 'C:\\evil.lnk', 'dir/a.lnk', 'dir/', 'CON.lnk', 'a?b', 'dot.',
        'same.lnk', 'SAME.LNK')])
    yield 'ratio-bomb.zip', archive([entry('bomb.lnk', b'\0' * (1 << 20))])
    lying = entry('lying.lnk', b'\0' * 300000)
    lying['size'] = 1000
    yield 'lying-size.zip', archive([lying])
    bad_crc = entry('crc.lnk', b'content', method=0)
    bad_crc['crc'] ^= 1
    yield 'bad-crc.zip', archive([entry('good.txt', b'good'), bad_crc])
    yield 'methods.zip', archive([entry('bzip2.lnk', b'x', method=12), entry('secret.lnk', b'x', method=0, flags=1)])
    inner = entry('inner.lnk', b'inner', method=0)
    outer = entry('outer.lnk', struct.pack('<I', LOCAL) + shared(inner) + inner['name'] + inner['data'], method=0)
    whole = archive([outer, inner])
    # Points the second central record at the local header inside the first entry's data, and
    # drops the second local header.
    local_size = 30 + len(inner['name']) + len(inner['data'])
    first_size = 30 + len(outer['name']) + len(outer['data'])
    body = whole[:first_size] + whole[first_size + local_size:]
    central_at = first_size
    second = central_at + 46 + len(outer['name'])
    body = bytearray(body)
    struct.pack_into('<I', body, second + 42, 30 + len(outer['name']))
    end_at = len(body) - 22
    struct.pack_into('<I', body, end_at + 16, central_at)
    yield 'overlapping.zip', bytes(body)
    sound = archive([entry('a.txt', b'aaaa'), entry('b.txt', b'bbbb')])
    cut_at = sound.index(struct.pack('<I', CENTRAL), sound.index(struct.pack('<I', CENTRAL)) + 4) + 20
    yield 'truncated-central-directory.zip', sound[:cut_at] + sound[-22:]
    yield 'zip64-count.zip', sound[:-14] + struct.pack('<HH', 0xFFFF, 0xFFFF) + sound[-10:]
    yield 'two-end-records.zip', archive([entry('a.txt', b'aaaa')], comment=struct.pack('<IHHHHIIH', END, 0, 0, 0,
                                                                                       0, 0, 0, 0))


def main():
    folder = Path(__file__).resolve().parent / 'corpus' / 'zip'
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds():
        (folder / name).write_bytes(data)
        print(f'{name}: {len(data)} bytes')


if __name__ == '__main__':
    sys.exit(main())
