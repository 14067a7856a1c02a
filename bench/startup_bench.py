#!/usr/bin/env python3
"""Start-up time of Tilebay beside the least a Win32 program does to show a painted window.

For each layout (no groups; 50 groups of 40 shortcuts), the two programs are started alternately
under Wine on a virtual display, ROUNDS times each after one warm-up start, and the time from
starting the process to the first completed paint of its window is taken: the minimal program
prints that moment, Tilebay writes "First paint of the panel done" to its log. Prints the medians
and their ratio.

    python3 bench/startup_bench.py [ROUNDS]      (after a build; uses build/ by default)
"""

import datetime
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / 'tests' / 'e2e'))
import harness  # noqa: E402

MINIMAL = harness.BUILD_DIR / 'bench' / 'MinimalWindow.exe'
FIRST_PAINT = 'First paint of the panel done'


def local_time(text):
    return datetime.datetime.strptime(text, '%Y-%m-%d %H:%M:%S.%f').timestamp()


def time_minimal(session):
    started = time.time()
    out = subprocess.run([session.wine, str(MINIMAL)], env=session.environment(), capture_output=True, text=True,
                         timeout=60)
    return local_time(out.stdout.strip()) - started


def time_tilebay(session):
    started = time.time()
    app = session.start()

    def painted():
        for path in session.log_files():
            try:
                for line in session.read_lines(path):
                    match = harness.LOG_LINE.match(line)
                    if match and match['message'] == FIRST_PAINT and local_time(match['time']) >= started - 0.001:
                        return local_time(match['time'])
            except (UnicodeDecodeError, AssertionError):
                pass
        return None

    moment = harness.wait_for(painted, 60, 'the first paint', interval=0.05)
    app.close()
    return moment - started


def prepare_layout(session, groups, links_per_group):
    links = session.data_folder / 'Data'
    links.mkdir(parents=True, exist_ok=True)
    if groups == 0:
        return
    targets = [r'C:\windows\notepad.exe', r'C:\windows\regedit.exe', r'C:\windows\system32\cmd.exe',
               r'C:\windows\system32\winecfg.exe']
    originals = []
    for i, target in enumerate(targets):
        path = links / f'zzzT{i}.lnk'
        session.make_shortcut(path, target)
        originals.append(path.read_bytes())
    lines = ['[Group]', f'GroupCount={groups}']
    for g in range(groups):
        lines += [f'[Group-{g}]', f'X={(g % 10) * 190}', f'Y={40 + (g // 10) * 200}', 'Column=5', 'IsLargeIcon=1',
                  'IsTitleVisible=0', f'BackgroundIndex={g % 7}', f'LinkCount={links_per_group}']
        for k in range(links_per_group):
            name = f'zzz{g:03X}{k:03X}.lnk'
            (links / name).write_bytes(originals[(g + k) % len(originals)])
            lines += [f'[Group-{g}-Link-{k}]', f'Lnk={name}']
    (links / 'groups.txt').write_bytes(('\r\n'.join(lines) + '\r\n').encode('ascii'))


def measure(groups, links_per_group, rounds):
    session = harness.Session()
    try:
        prepare_layout(session, groups, links_per_group)
        time_minimal(session)
        time_tilebay(session)
        minimal, tilebay = [], []
        for _ in range(rounds):
            minimal.append(time_minimal(session))
            tilebay.append(time_tilebay(session))
        return statistics.median(minimal), statistics.median(tilebay)
    finally:
        session.stop()


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    print(f'start to first completed paint, median of {rounds} (Wine, {os.cpu_count()} cores)')
    print(f'{"layout":<28}{"minimal":>10}{"Tilebay":>10}{"ratio":>8}')
    for groups, links in ((0, 0), (50, 40)):
        minimal, tilebay = measure(groups, links, rounds)
        label = 'no groups' if groups == 0 else f'{groups} groups x {links} shortcuts'
        print(f'{label:<28}{minimal * 1000:>8.0f}ms{tilebay * 1000:>8.0f}ms{tilebay / minimal:>8.2f}')


if __name__ == '__main__':
    main()
