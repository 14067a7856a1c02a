#!/usr/bin/env python3
"""Where Tilebay's start-up time and resident memory go, under Wine.

Starts Tilebay once to warm the prefix, then once more with tracing on (a "debug.txt" in the log
folder) and Wine's DLL-load channel, and prints one time line from the process start to the first
completed paint: every DLL load and every log line, in milliseconds. Then it reads
/proc/<pid>/smaps of the Wine process and sums the resident memory by kind of mapping (Windows
DLL images, Unix libraries, heaps and other anonymous memory, shared sections, fonts). The
minimal program (bench/MinimalWindow.exe) is read the same way beside it.

    python3 bench/profile_startup.py [GROUPS LINKS_PER_GROUP]     (after a build; uses build/)
"""

import collections
import re
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import startup_bench  # noqa: E402
from startup_bench import harness  # noqa: E402

# "0123.456:0024:trace:loaddll:build_module Loaded L"C:\\windows\\system32\\shell32.dll" at ..."
LOADDLL = re.compile(r'^(?P<tick>\d+\.\d+):(?:[0-9a-f]+:)+trace:loaddll:\w+ Loaded L"(?P<dll>[^"]+)".*: '
                     r'(?P<kind>\w+)$')


def monotonic_raw():
    """Wine's tick count runs on the same clock."""
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)


def mapping_kind(name):
    if not name:
        return 'anonymous (heaps, stacks, DIB sections, ...)'
    if name == '[heap]':
        return 'Unix heap (wine loader, X and font libraries)'
    if name.startswith('['):
        return 'other ' + name
    lower = name.lower()
    if '/x86_64-windows/' in lower or lower.endswith(('.dll', '.exe', '.drv')):
        return 'Windows images: ' + Path(name).name
    if '.so' in lower:
        return 'Unix libraries'
    if 'font' in lower or lower.endswith(('.ttf', '.otf', '.fon', '.pcf.gz')):
        return 'fonts'
    if lower.startswith(('/tmp/.wine', '/memfd:', '/dev/shm')) or 'wine' in lower:
        return 'Wine shared memory and sections'
    return 'other files'


def smaps_by_kind(pid):
    """Resident KiB per kind of mapping (Windows images one by one), and the largest anonymous
    mappings as (resident KiB, size KiB)."""
    sizes = collections.Counter()
    anonymous = []
    name = size = None
    for line in Path(f'/proc/{pid}/smaps').read_text().splitlines():
        fields = line.split()
        if re.match(r'^[0-9a-f]+-[0-9a-f]+ ', line):
            name = ' '.join(fields[5:]) if len(fields) > 5 else ''
        elif fields and fields[0] == 'Size:':
            size = int(fields[1])
        elif fields and fields[0] == 'Rss:':
            sizes[mapping_kind(name)] += int(fields[1])
            if not name and int(fields[1]) >= 512:
                anonymous.append((int(fields[1]), size))
    sizes.largest_anonymous = sorted(anonymous, reverse=True)[:12]
    return sizes


def print_memory(label, sizes, top=18):
    total = sum(sizes.values())
    images = sum(v for k, v in sizes.items() if k.startswith('Windows images'))
    print(f'\n{label}: resident {total / 1024:.1f} MiB, of which Windows images {images / 1024:.1f} MiB')
    for kind, kib in sizes.most_common(top):
        print(f'  {kib / 1024:7.2f} MiB  {kind}')
    print('  largest anonymous mappings (resident / size, MiB): ' +
          ', '.join(f'{rss / 1024:.1f}/{size / 1024:.1f}' for rss, size in sizes.largest_anonymous))


def profile_tilebay(session):
    log_dir = session.log_folder
    log_dir.mkdir(parents=True, exist_ok=True)
    (log_dir / 'debug.txt').write_bytes(b'')
    startup_bench.time_tilebay(session, paint_timeout=120)  # warm-up: Wine's services, caches
    trace = session.root / 'loaddll.txt'
    started_wall, started_mono = time.time(), monotonic_raw()
    with open(trace, 'wb') as sink:
        process = subprocess.Popen([session.wine, str(harness.EXE)],
                                   env=session.environment(WINEDEBUG='+timestamp,+loaddll'),
                                   cwd=str(session.prefix), stdout=subprocess.DEVNULL, stderr=sink)
    try:
        paint = harness.wait_for(lambda: startup_bench._log_events(session, started_wall)[0], 120, 'the first paint',
                                 interval=0.05)
        # Memory is read as the benchmark reads it: once the panel is out of view.
        harness.wait_for(lambda: startup_bench._log_events(session, started_wall)[3], 120, 'the panel out of view',
                         interval=0.05)
        time.sleep(startup_bench.SETTLE)
        sizes = smaps_by_kind(process.pid)
    finally:
        session.wine_command('taskkill', '/im', 'Tilebay.exe')
        try:
            process.wait(30)
        except subprocess.TimeoutExpired:
            process.kill()
    events = []
    for line in trace.read_text(errors='replace').splitlines():
        match = LOADDLL.match(line)
        if match:
            events.append((float(match['tick']) - started_mono, f'load {match["dll"]} ({match["kind"]})'))
    for path in session.log_files():
        for line in session.read_lines(path):
            match = harness.LOG_LINE.match(line)
            if match and startup_bench.local_time(match['time']) >= started_wall - 0.001:
                events.append((startup_bench.local_time(match['time']) - started_wall,
                               f'log {match["function"]}: {match["message"][:100]}'))
    events.sort(key=lambda e: e[0])
    print(f'first completed paint after {(paint - started_wall) * 1000:.0f} ms')
    for moment, what in events:
        if moment <= paint - started_wall + 0.05:
            print(f'{moment * 1000:7.0f} ms  {what}')
    return sizes


def main():
    groups, links = (int(sys.argv[1]), int(sys.argv[2])) if len(sys.argv) > 2 else (0, 0)
    session = startup_bench.new_session()
    try:
        startup_bench.prepare_layout(session, groups, links)
        tilebay = profile_tilebay(session)
        startup_bench.time_minimal(session)
        minimal = startup_bench.time_minimal(session)
        output = session.root / 'minimal-smaps'
        process = subprocess.Popen([session.wine, str(startup_bench.MINIMAL), '--stay'], env=session.environment(),
                                   stdout=open(output, 'wb'), stderr=subprocess.DEVNULL)
        try:
            harness.wait_for(lambda: output.read_bytes().count(b'\n') >= 1, 60, 'the minimal program\'s paint')
            time.sleep(startup_bench.SETTLE)
            minimal_sizes = smaps_by_kind(process.pid)
        finally:
            process.kill()
            process.wait(30)
        print(f'\nminimal program: first paint after {minimal.first_paint * 1000:.0f} ms')
        print_memory('Tilebay', tilebay)
        print_memory('Minimal program', minimal_sizes)
    finally:
        session.stop()


if __name__ == '__main__':
    main()
