#!/usr/bin/env python3
"""Runs every benchmark under Wine and prints one table with the goals beside the results.

    python3 bench/run_bench.py [--smoke] [--out FILE] [--build TEXT]

Rows: start to first paint (no groups; 2,000 shortcuts with a cold and a warm icon cache), each
as a median beside the minimal program started in turn; the time until every icon of 2,000
shortcuts is shown on a first start; a full and a hover repaint of 2,000 shortcuts
(views_paint_bench); group store load and save at 1,000 and 10,000 shortcuts beside the load
through the profile functions (group_store_bench); the shortcut search per keystroke over 10,000
names (shortcut_matcher_bench); resident memory and GDI and USER object counts with 0, 2,000 and
10,000 shortcuts. --smoke runs all of it once with tiny sizes, judges no goal
and fails only when a benchmark cannot run. --out writes the table with the date and the machine
(scripts/bench writes bench/RESULTS.md).
"""

import argparse
import datetime
import os
import re
import statistics
import struct
import subprocess
import sys
import time
import traceback
import zlib
from dataclasses import dataclass
from pathlib import Path

import startup_bench as sb
from startup_bench import harness

BENCH_DIR = harness.BUILD_DIR / 'bench'


@dataclass
class Sizes:
    rounds: int  # starts per first-paint median
    icon_starts: int  # first starts that wait for every icon
    groups: int  # the 2,000-shortcut layout: groups x links
    links: int
    big_groups: int  # the 10,000-shortcut layout
    icons_timeout: float
    big_timeout: float
    paint_runs: int
    store_groups: tuple  # group counts of 50 shortcuts


FULL = Sizes(rounds=10, icon_starts=3, groups=50, links=40, big_groups=250, icons_timeout=120, big_timeout=300,
             paint_runs=60, store_groups=(20, 200))
SMOKE = Sizes(rounds=1, icon_starts=1, groups=2, links=3, big_groups=4, icons_timeout=15, big_timeout=60,
              paint_runs=2, store_groups=(1, 2))


@dataclass
class Row:
    measure: str
    tilebay: str
    minimal: str = ''
    relation: str = ''
    goal: str = '-'
    met: str = 'n/a'


def ms(seconds):
    return f'{seconds * 1000:.0f} ms'


def verdict(ok):
    return 'met' if ok else 'not met'


# The bounds of an icon cache file (as the program reads and writes it).
CACHE_MAX_PICTURES = 4096
CACHE_MAX_ENTRIES = 65536
CACHE_MAX_BYTES = 64 << 20
CACHE_NAME_BYTES = 1000


def fill_icon_cache(path):
    """Fills a valid icon cache file up to its bounds: pictures up to the largest count, then
    entries with the longest names until the file reaches its largest size. The entries added
    name shortcuts that are not in the store; each uses one of the pictures added."""
    data = bytearray(Path(path).read_bytes())
    large, small, pictures, entries = struct.unpack_from('<HHII', data, 12)
    picture_bytes = (large * large + small * small) * 4
    body = data[40:]
    kept_pictures, kept_entries = body[:pictures * picture_bytes], body[pictures * picture_bytes:]
    added_pictures = CACHE_MAX_PICTURES - pictures
    new_pictures = bytearray(kept_pictures)
    for p in range(added_pictures):
        new_pictures += struct.pack('<I', 0xFF000000 | (p * 2654435761 & 0xFFFFFF)) * (picture_bytes // 4)
    new_entries = bytearray(kept_entries)
    room = CACHE_MAX_BYTES - 40 - len(new_pictures) - len(new_entries)
    count = entries
    while count < CACHE_MAX_ENTRIES:
        name = (f'{count:06d}' + 'n' * CACHE_NAME_BYTES)[:CACHE_NAME_BYTES - 4].encode() + b'.lnk'
        shown = (f'{count:06d}' + 'd' * CACHE_NAME_BYTES)[:CACHE_NAME_BYTES].encode()
        entry = struct.pack('<QQIHH', 1000 + count, 0x01D9000000000000 + count,
                            pictures + count % added_pictures, len(name), len(shown)) + name + shown
        if len(entry) > room:
            break
        new_entries += entry
        room -= len(entry)
        count += 1
    body = bytes(new_pictures + new_entries)
    header = bytearray(data[:40])
    struct.pack_into('<IIQI', header, 16, CACHE_MAX_PICTURES, count, len(body), zlib.crc32(body))
    struct.pack_into('<I', header, 36, zlib.crc32(bytes(header[:36])))
    Path(path).write_bytes(bytes(header) + body)
    return CACHE_MAX_PICTURES, count, 40 + len(body)


class Bench:
    def __init__(self, sizes, smoke, logs_icons=None):
        self.sizes = sizes
        self.smoke = smoke
        self.rows = []
        self.details = []
        self.failures = []
        self.logs_icons = sb.program_logs_icons() if logs_icons is None else logs_icons
        self.shared = None

    def open_session(self):
        """The prefix every part runs in: made once, so that the one-time costs of a new prefix (its
        first program, font caches) fall on a warm-up start rather than on a measured one."""
        if self.shared is None:
            self.shared = sb.new_session()
        return self.shared

    def stop(self):
        if self.shared is not None:
            self.shared.stop()
            self.shared = None

    def judge(self, ok):
        return 'not judged (smoke)' if self.smoke else verdict(ok)

    def run(self, title, action, *row_names):
        """Runs one benchmark; when it cannot run, its rows say so and the run goes on."""
        print(f'== {title}', file=sys.stderr, flush=True)
        started = time.monotonic()
        try:
            action()
        except Exception as error:  # noqa: BLE001 - reported in the table and the exit status
            traceback.print_exc()
            self.failures.append(f'{title}: {error}')
            for name in row_names:
                self.rows.append(Row(name, f'failed: {str(error).splitlines()[0][:80]}', met='n/a'))
        print(f'   {time.monotonic() - started:.0f} s', file=sys.stderr, flush=True)

    def shortcuts(self, groups):
        return f'{groups * self.sizes.links:,}'

    # Start-up --------------------------------------------------------------------------------

    def startup_row(self, label, medians, button=False):
        rounds = self.sizes.rounds
        if button and medians.button is not None:
            ratio = medians.button / medians.minimal
            self.rows.append(Row(f'Button visible, {label} (median of {rounds})', ms(medians.button),
                                 ms(medians.minimal), f'{ratio:.2f} x', '<= 1.3 x minimal', self.judge(ratio <= 1.3)))
        ratio = medians.tilebay / medians.minimal
        self.rows.append(Row(f'First paint, {label} (median of {rounds})', ms(medians.tilebay), ms(medians.minimal),
                             f'{ratio:.2f} x', '<= 1.5 x minimal', self.judge(ratio <= 1.5)))

    def memory_rows(self, label, minimal, start, goal_mib=None, goal_objects=False):
        relation = f'+{start.rss - minimal.rss:.1f} MiB' if start.rss and minimal.rss else ''
        row = Row(f'Resident memory, {label}', f'{start.rss:.1f} MiB' if start.rss else 'n/a',
                  f'{minimal.rss:.1f} MiB' if minimal.rss else 'n/a', relation)
        if goal_mib is not None:
            row.goal = f'<= minimal + {goal_mib} MiB'
            row.met = self.judge(start.rss - minimal.rss <= goal_mib) if relation else 'n/a'
        self.rows.append(row)
        objects = Row(f'GDI / USER objects, {label}',
                      f'{start.gdi} / {start.user}' if start.gdi is not None else start.icons_note)
        if goal_objects:
            objects.goal = '< 1,000 each'
            objects.met = self.judge(start.gdi < 1000 and start.user < 1000) if start.gdi is not None else 'n/a'
        self.rows.append(objects)

    def empty_panel(self):
        session = self.open_session()
        sb.prepare_layout(session, 0, 0)
        medians = sb.alternate(session, self.sizes.rounds, warm_up=not self.smoke)
        self.startup_row('no groups', medians, button=True)
        self.out_of_view_none = medians.out_of_view
        self.rows.append(Row(f'Panel out of view after the start, no groups (median of {self.sizes.rounds})',
                             ms(medians.out_of_view)))
        minimal_memory = sb.time_minimal(session, memory=True)
        start = sb.time_tilebay(session, icons_timeout=10, memory=True, logs_icons=self.logs_icons)
        self.memory_rows('no groups', minimal_memory, start, goal_mib=12)

    def medium_panel(self):
        s = self.sizes
        label = f'{self.shortcuts(s.groups)} shortcuts'
        session = self.open_session()
        sb.prepare_layout(session, s.groups, s.links)
        timeout = max(120.0, s.icons_timeout)
        medians = sb.alternate(session, s.rounds, lambda: sb.delete_icon_cache(session), timeout,
                               warm_up=not self.smoke)
        self.startup_row(f'{label}, cold icon cache', medians)
        none = getattr(self, 'out_of_view_none', None)
        row = Row(f'Panel out of view after the start, {label}, cold icon cache (median of {s.rounds})',
                  ms(medians.out_of_view), relation='')
        if none:
            ratio = medians.out_of_view / none
            row.relation = f'{ratio:.2f} x no groups'
            row.goal = '<= 1.2 x no groups'
            row.met = self.judge(ratio <= 1.2)
        self.rows.append(row)

        # First starts that wait for every icon; the last one leaves the cache the warm starts use.
        icons, rss, minimal_rss, start = [], [], [], None
        for _ in range(s.icon_starts):
            minimal_rss.append(sb.time_minimal(session, memory=True).rss)
            sb.delete_icon_cache(session)
            start = sb.time_tilebay(session, s.icons_timeout, memory=True, paint_timeout=timeout,
                                    logs_icons=self.logs_icons)
            rss.append(start.rss)
            if start.icons is not None:
                icons.append(start.icons)
        if icons:
            shown = f'{ms(statistics.median(icons))} (median of {len(icons)}, {start.shortcuts} shortcuts)'
        else:
            shown = start.icons_note
        self.rows.append(Row(f'Every icon shown, {label}, first start', shown))
        start.rss = statistics.median(rss) if all(rss) else None
        self.memory_rows(label, sb.MinimalStart(0, statistics.median(minimal_rss) if all(minimal_rss) else None),
                         start, goal_mib=20)

        medians = sb.alternate(session, s.rounds, paint_timeout=timeout, warm_up=not self.smoke)
        self.startup_row(f'{label}, warm icon cache', medians)

        # The same start with the icon cache filled to its bounds by shortcuts not in the store.
        pictures, entries, size = fill_icon_cache(session.data_folder / sb.ICON_CACHE)
        minimal_memory = sb.time_minimal(session, memory=True)
        start = sb.time_tilebay(session, s.icons_timeout, memory=True, paint_timeout=timeout,
                                logs_icons=self.logs_icons)
        full = Row(f'Resident memory, {label}, icon cache at its bounds ({size / 2**20:.0f} MiB, {entries:,} '
                   f'entries, {pictures:,} pictures)', f'{start.rss:.1f} MiB', f'{minimal_memory.rss:.1f} MiB',
                   f'+{start.rss - minimal_memory.rss:.1f} MiB', '<= minimal + 48 MiB',
                   self.judge(start.rss - minimal_memory.rss <= 48))
        self.rows.append(full)

    def large_panel(self):
        s = self.sizes
        session = self.open_session()
        sb.prepare_layout(session, s.big_groups, s.links)
        minimal = sb.time_minimal(session, memory=True)
        start = sb.time_tilebay(session, s.big_timeout, memory=True, paint_timeout=s.big_timeout,
                                logs_icons=self.logs_icons)
        label = f'{self.shortcuts(s.big_groups)} shortcuts'
        self.memory_rows(label, minimal, start, goal_mib=32, goal_objects=True)
        self.details.append(f'{label}: first paint after {ms(start.first_paint)}, every icon shown: '
                            f'{ms(start.icons) if start.icons is not None else start.icons_note}')

    def wine_costs(self):
        """What Wine itself costs a bare window for what the launcher's start needs of the system:
        the minimal program with a second window of the panel's size, with text, with the shell,
        OLE and common controls loaded, and with all three (medians of 3 starts each)."""
        session = self.open_session()
        starts = 1 if self.smoke else 3
        base = statistics.median(sb.time_minimal(session, memory=True).rss for _ in range(starts))
        for label, options in (('a window of the panel\'s size', ['--panel']), ('text', ['--text']),
                               ('the shell, OLE and common controls', ['--shell']),
                               ('all three', ['--panel', '--text', '--shell'])):
            rss = statistics.median(sb.time_minimal(session, memory=True, options=options).rss for _ in range(starts))
            self.rows.append(Row(f'Resident memory, minimal program with {label}', f'{rss:.1f} MiB',
                                 f'{base:.1f} MiB', f'+{rss - base:.1f} MiB'))

    # Programs that time themselves -----------------------------------------------------------

    def bench_program(self, session, name, *args, **env):
        # Output goes to a file, not a pipe: Wine's services that the program may start keep the
        # handles they inherit, and a pipe would never reach its end.
        output = session.root / f'{name}.out'
        with open(output, 'wb') as sink:
            code = subprocess.run([session.wine, str(BENCH_DIR / f'{name}.exe'), *map(str, args)],
                                  env=session.environment(**env), cwd=str(session.prefix), stdout=sink,
                                  stderr=subprocess.STDOUT, timeout=900).returncode
        text = output.read_bytes().decode('utf-8', 'replace').replace('\r\n', '\n')
        if code != 0:
            raise AssertionError(f'{name} failed ({code}): {text.strip()[-300:]}')
        self.details.append(f'{name} {" ".join(map(str, args))}'.strip() + ':\n' + text.rstrip())
        return text

    def native(self):
        session = self.open_session()
        self.run('views_paint_bench', lambda: self.paint(session), 'Full repaint', 'Hover repaint')
        self.run('group_store_bench', lambda: self.store(session), 'Group store')
        self.run('shortcut_matcher_bench', lambda: self.search(session), 'Shortcut search')

    def paint(self, session):
        s = self.sizes
        out = self.bench_program(session, 'views_paint_bench', BENCH_GROUPS=str(s.groups),
                                 BENCH_LINKS=str(s.links), BENCH_RUNS=str(s.paint_runs))
        label = f'{self.shortcuts(s.groups)} shortcuts'
        full = re.search(r'^full paint .*?median ([\d.]+) ms', out, re.M)
        # "hover repaint between two cells (WxH px repainted): median ..." or, without the area,
        # "hover repaint of one cell: median ...".
        hover = re.search(r'^hover repaint [^:(]*(?:\((\d+x\d+) px repainted\))?: median ([\d.]+) ms', out, re.M)
        if not full or not hover:
            raise AssertionError(f'views_paint_bench printed no medians: {out.strip()[-300:]}')
        full_ms, hover_ms = float(full[1]), float(hover[2])
        runs = f'median of {s.paint_runs}'
        self.rows.append(Row(f'Full repaint, {label} ({runs})', f'{full_ms:.2f} ms', goal='< 8 ms',
                             met=self.judge(full_ms < 8)))
        area = f', {hover[1]} px' if hover[1] else ''
        self.rows.append(Row(f'Hover repaint, {label} ({runs}{area})', f'{hover_ms:.3f} ms',
                             goal='< 1 ms', met=self.judge(hover_ms < 1)))

    def store(self, session):
        out = self.bench_program(session, 'group_store_bench', *self.sizes.store_groups)
        rows = re.findall(r'^\s*(\d+)\s+(\d+)\s+([\d.]+)\s+([\d.]+)\s+([\d.]+)\s+(\S+)', out, re.M)
        if len(rows) != len(self.sizes.store_groups):
            raise AssertionError(f'group_store_bench printed {len(rows)} sizes: {out.strip()[-300:]}')
        per_link = {}
        for _, links, save, load, us, profile in rows:
            per_link[int(links)] = float(us)
        smallest, largest = min(per_link), max(per_link)
        linear = per_link[largest] <= 1.5 * per_link[smallest]
        for _, links, save, load, us, profile in rows:
            n = int(links)
            row = Row(f'Group store load, {n:,} shortcuts', f'{float(load):.1f} ms ({float(us):.1f} us each)',
                      relation=f'profile functions: {profile} ms')
            if n == largest:
                row.goal = f'<= 60 ms, linear from {smallest:,}'
                row.met = self.judge(float(load) <= 60 and linear)
            self.rows.append(row)
            self.rows.append(Row(f'Group store save, {n:,} shortcuts', f'{float(save):.1f} ms'))

    def search(self, session):
        out = self.bench_program(session, 'shortcut_matcher_bench', *(['--smoke'] if self.smoke else []))
        found = re.search(r'^per keystroke of (\d+) names: median ([\d.]+) ms, 90th percentile ([\d.]+) ms, '
                          r'worst ([\d.]+) ms', out, re.M)
        if not found:
            raise AssertionError(f'shortcut_matcher_bench printed no times: {out.strip()[-300:]}')
        names, median, worst = int(found[1]), float(found[2]), float(found[4])
        self.rows.append(Row(f'Shortcut search, {names:,} names, per keystroke',
                             f'median {median:.3f} ms, worst {worst:.3f} ms', goal='median <= 1 ms, worst <= 3 ms',
                             met=self.judge(median <= 1 and worst <= 3)))

    # Output ----------------------------------------------------------------------------------

    ORDER = ('Button visible', 'First paint', 'Panel out of view', 'Every icon', 'Full repaint', 'Hover repaint', 'Group store load', 'Group store save',
             'Group store', 'Shortcut search', 'Resident memory', 'GDI / USER')

    def table(self):
        def rank(row):
            for i, prefix in enumerate(self.ORDER):
                if row.measure.startswith(prefix):
                    return i
            return len(self.ORDER)
        rows = sorted(self.rows, key=rank)  # stable: sizes stay in the order they were measured
        lines = ['| Measure | Tilebay | Minimal program | Ratio / beside | Goal | Goal met |',
                 '|---|---|---|---|---|---|']
        for r in rows:
            lines.append(f'| {r.measure} | {r.tilebay} | {r.minimal} | {r.relation} | {r.goal} | {r.met} |')
        return '\n'.join(lines)


def machine():
    model = 'unknown CPU'
    try:
        for line in Path('/proc/cpuinfo').read_text().splitlines():
            if line.startswith('model name'):
                model = line.split(':', 1)[1].strip()
                break
    except OSError:
        pass
    wine = subprocess.run([harness._wine_binary(), '--version'], capture_output=True, text=True).stdout.strip()
    return f'{model}, {os.cpu_count()} cores, {wine or "unknown Wine"}'


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--smoke', action='store_true', help='tiny sizes, one start each; judges no goal')
    parser.add_argument('--out', type=Path, help='also write the table with the date and machine here')
    parser.add_argument('--build', default=f'{harness.BUILD_DIR}', help='what build is measured, for the record')
    args = parser.parse_args()

    started = time.monotonic()
    load = ' '.join(f'{x:.1f}' for x in os.getloadavg())
    for missing in (harness.EXE, sb.MINIMAL, BENCH_DIR / 'views_paint_bench.exe',
                    BENCH_DIR / 'group_store_bench.exe', BENCH_DIR / 'shortcut_matcher_bench.exe', harness.HELPER):
        if not Path(missing).is_file():
            print(f'{missing} is missing: build first', file=sys.stderr)
            return 1
    bench = Bench(SMOKE if args.smoke else FULL, args.smoke)
    sizes = bench.sizes
    try:
        bench.run('no groups: first paint, memory', bench.empty_panel, 'First paint, no groups')
        bench.native()
        bench.run('what Wine costs a bare window', bench.wine_costs, 'Resident memory, minimal program')
        bench.run(f'{bench.shortcuts(sizes.groups)} shortcuts: first paint cold and warm, every icon, memory',
                  bench.medium_panel, f'First paint, {bench.shortcuts(sizes.groups)} shortcuts')
        bench.run(f'{bench.shortcuts(sizes.big_groups)} shortcuts: memory and objects', bench.large_panel,
                  f'Resident memory, {bench.shortcuts(sizes.big_groups)} shortcuts')
    finally:
        bench.stop()
    elapsed = time.monotonic() - started

    when = datetime.datetime.now(datetime.timezone.utc).strftime('%Y-%m-%d %H:%M UTC')
    head = [f'Date: {when}', f'Machine: {machine()}, load average {load} at the start', f'Build: {args.build}',
            f'Run: {"smoke (tiny sizes, goals not judged)" if args.smoke else "full"}, {elapsed / 60:.1f} min']
    if not bench.logs_icons:
        head.append('This program does not log "All icons shown", so the icon times and the object counts are n/a.')
    table = bench.table()
    print('\n'.join(head) + '\n\n' + table)
    for failure in bench.failures:
        print(f'FAILED: {failure}', file=sys.stderr)
    if args.out:
        details = '\n\n'.join(bench.details)
        args.out.write_text(
            '# Benchmark results\n\nThe latest output of `./scripts/bench` (rerun it to refresh this file).\n\n' +
            '\n'.join(f'- {line}' for line in head) + '\n\n' + table + '\n\n' +
            'First paint is the time from starting the process to the end of its first paint. Resident memory '
            'is the resident set of the Wine process (Wine itself takes most of the minimal program\'s). The '
            'panel has its first-start size (1720 x 780); the layouts are groups of 40 shortcuts ten in a row, '
            '170 px apart with 150 px between rows, so that the cards of the first 50 groups overlap on the '
            'panel as on a crowded one (no panel has room for 2,000 large cells side by side) and the groups '
            'beyond them lie below it. The shortcuts are copies of four shortcut files to four programs.\n\n'
            '## Output of the benchmark programs\n\n```\n' + details + '\n```\n')
    return 1 if bench.failures else 0


if __name__ == '__main__':
    sys.exit(main())
