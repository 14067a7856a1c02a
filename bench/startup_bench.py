#!/usr/bin/env python3
"""Start-up time, icons, memory and handles of Tilebay beside the least a Win32 program does.

Tilebay and the minimal program (bench/MinimalWindow.exe) are started alternately under Wine on a
virtual display, after one warm-up start each, and the time from starting the process to the first
completed paint of its window is taken: the minimal program prints that moment, Tilebay writes
"First paint of the panel done" to its log (and "First paint of the button done" for its first
window, and a line when the panel has first slid out of view). Layouts: no groups; 2,000 shortcuts with an empty
icon cache (the cache file is deleted before each start); the same with the cache the previous
starts left (warm).

Tilebay also logs, once per start when every icon is painted,
    "All icons shown: N shortcuts, GDI objects G, USER objects U"
which gives the time until every icon is shown and the object counts. A build whose program does
not know that line gets "n/a" for them at once; one that knows it is waited for, within a bound.
Resident memory is the resident set of the Wine process of each program, read once its window is
painted (for Tilebay: once every icon is shown, when it says so, and the panel is out of view).

    python3 bench/startup_bench.py [ROUNDS]      (after a build; uses build/ by default)
"""

import datetime
import os
import re
import statistics
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / 'tests' / 'e2e'))
import harness  # noqa: E402

MINIMAL = harness.BUILD_DIR / 'bench' / 'MinimalWindow.exe'
FIRST_PAINT = 'First paint of the panel done'
BUTTON_PAINT = 'First paint of the button done'
OUT_OF_VIEW = 'The panel is out of view for the first time'
ICONS_SHOWN = re.compile(r'^All icons shown: (?P<n>\d+) shortcuts, GDI objects (?P<gdi>\d+), '
                         r'USER objects (?P<user>\d+)$')
ICON_CACHE = 'IconCache.bin'
# Time the program's memory has to settle after the moment it is read at.
SETTLE = 0.5


def new_session():
    """A harness session whose prefix already runs Wine's services, started with no pipe to inherit.

    The first program of a prefix starts Wine's services (services.exe, explorer.exe, ...), and
    they keep the standard handles they inherit for as long as the prefix's server stays alive; a
    program whose output is read through a pipe would then never seem to end.
    """
    session = harness.Session()
    try:
        subprocess.run([session.wine, 'cmd', '/c', 'exit'], env=session.environment(), cwd=str(session.prefix),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    except BaseException:
        session.stop()
        raise
    return session


def local_time(text):
    return datetime.datetime.strptime(text, '%Y-%m-%d %H:%M:%S.%f').timestamp()


def program_logs_icons(exe=harness.EXE):
    """Whether the program's text has the "All icons shown" line (either character width)."""
    data = Path(exe).read_bytes()
    text = 'All icons shown: '
    return text.encode('ascii') in data or text.encode('utf-16-le') in data


def resident_mib(pid):
    """Resident set of a process in MiB, or None when it has ended."""
    try:
        for line in Path(f'/proc/{pid}/status').read_text().splitlines():
            if line.startswith('VmRSS:'):
                return int(line.split()[1]) / 1024
    except OSError:
        pass
    return None


@dataclass
class Start:
    """What one start of Tilebay showed: seconds from the process start, MiB, object counts."""
    first_paint: float
    button: float = None  # the button's first paint
    out_of_view: float = None  # the end of the start's slide
    icons: float = None
    shortcuts: int = None
    gdi: int = None
    user: int = None
    rss: float = None
    icons_note: str = 'n/a (not logged)'


@dataclass
class MinimalStart:
    first_paint: float
    rss: float = None


def time_minimal(session, memory=False, options=()):
    """Starts the minimal program; with memory, keeps it open to read its resident set. options are
    the program's own (--panel, --text, --shell: what the launcher's start needs of the system)."""
    # Its output goes to a file: Wine's services that the program may start keep the handles they
    # inherit, and a pipe would never reach its end.
    output = session.root / 'minimal.out'
    output.unlink(missing_ok=True)
    started = time.time()
    with open(output, 'wb') as sink:
        process = subprocess.Popen([session.wine, str(MINIMAL), *(['--stay'] if memory else []), *options],
                                   env=session.environment(), stdout=sink, stderr=subprocess.DEVNULL)
    try:
        def printed():
            text = output.read_bytes().decode('ascii', 'replace')
            if '\n' in text:
                return text.split('\n')[0].strip()
            if process.poll() is not None:
                raise AssertionError(f'the minimal program ended ({process.returncode}) without painting')
            return None
        line = harness.wait_for(printed, 60, 'the minimal program\'s paint', interval=0.01)
        result = MinimalStart(local_time(line) - started)
        if memory:
            time.sleep(SETTLE)
            result.rss = resident_mib(process.pid)
            process.kill()
        process.wait(60)
        return result
    finally:
        if process.poll() is None:
            process.kill()
            process.wait(10)


def _log_events(session, since):
    """The moments of the start that began at since: first paint, icons line, button, out of view."""
    paint, icons, button, out = None, None, None, None
    for path in session.log_files():
        try:
            lines = session.read_lines(path)
        except (UnicodeDecodeError, AssertionError, OSError):
            continue  # a line being written right now
        for line in lines:
            match = harness.LOG_LINE.match(line)
            if not match or local_time(match['time']) < since - 0.001:
                continue
            if paint is None and match['message'] == FIRST_PAINT:
                paint = local_time(match['time'])
            if button is None and match['message'] == BUTTON_PAINT:
                button = local_time(match['time'])
            if out is None and match['message'] == OUT_OF_VIEW:
                out = local_time(match['time'])
            shown = ICONS_SHOWN.match(match['message'])
            if icons is None and shown:
                icons = (local_time(match['time']), shown)
    return paint, icons, button, out


def time_tilebay(session, icons_timeout=0.0, memory=False, paint_timeout=60.0, logs_icons=None, out_of_view=False):
    """Starts Tilebay, waits for its first paint and, within icons_timeout, for every icon.

    With out_of_view (and always with memory), also for the end of the slide that takes the panel
    out of view after the start.

    Closes it as the system does (so it saves what it keeps) and returns a Start.
    """
    if logs_icons is None:
        logs_icons = program_logs_icons()
    started = time.time()
    app = session.start()
    try:
        paint = harness.wait_for(lambda: _log_events(session, started)[0], paint_timeout, 'the first paint',
                                 interval=0.05)
        result = Start(paint - started)
        if logs_icons and icons_timeout > 0:
            try:
                moment, shown = harness.wait_for(lambda: _log_events(session, started)[1], icons_timeout,
                                                 'every icon shown', interval=0.1)
                result.icons = moment - started
                result.shortcuts, result.gdi, result.user = (int(shown[k]) for k in ('n', 'gdi', 'user'))
                result.icons_note = ''
            except harness.WaitTimeout:
                result.icons_note = f'n/a (not shown within {icons_timeout:.0f} s)'
        elif logs_icons:
            result.icons_note = 'not waited for'
        if out_of_view or memory:
            out = harness.wait_for(lambda: _log_events(session, started)[3], paint_timeout, 'the panel out of view',
                                   interval=0.05)
            result.out_of_view = out - started
        result.button = next((b - started for b in [_log_events(session, started)[2]] if b is not None), None)
        if memory:
            time.sleep(SETTLE)
            result.rss = resident_mib(app.process.pid)
        app.close(max(30.0, paint_timeout))
        return result
    finally:
        app.kill()


SHORTCUT_TARGETS = (r'C:\windows\notepad.exe', r'C:\windows\regedit.exe', r'C:\windows\system32\cmd.exe',
                    r'C:\windows\system32\winecfg.exe')


def prepare_layout(session, groups, links_per_group):
    """Writes a group store of groups x links_per_group shortcuts and their .lnk files.

    A few shortcuts are made by the shell; the rest are copies of them (a shortcut's target does
    not depend on its file name). Groups lie ten in a row, 170 px apart, 150 px between rows, so
    that the cards of 50 groups overlap as on a crowded panel and each has a corner on the panel of
    a first start (1720 x 780); further groups lie below it.
    """
    links = session.data_folder / 'Data'
    links.mkdir(parents=True, exist_ok=True)
    (links / 'groups.txt').unlink(missing_ok=True)
    if groups == 0:
        return
    originals = []
    for i, target in enumerate(SHORTCUT_TARGETS[:max(1, min(len(SHORTCUT_TARGETS), groups * links_per_group))]):
        path = links / f'zzzT{i}.lnk'
        session.make_shortcut(path, target)
        originals.append(path.read_bytes())
    lines = ['[Group]', f'GroupCount={groups}']
    for g in range(groups):
        lines += [f'[Group-{g}]', f'X={(g % 10) * 170}', f'Y={40 + (g // 10) * 150}', 'Column=5', 'IsLargeIcon=1',
                  'IsTitleVisible=0', f'BackgroundIndex={g % 7}', f'LinkCount={links_per_group}']
        for k in range(links_per_group):
            name = f'zzz{g:03X}{k:03X}.lnk'
            (links / name).write_bytes(originals[(g + k) % len(originals)])
            lines += [f'[Group-{g}-Link-{k}]', f'Lnk={name}']
    (links / 'groups.txt').write_bytes(('\r\n'.join(lines) + '\r\n').encode('ascii'))


def delete_icon_cache(session):
    (session.data_folder / ICON_CACHE).unlink(missing_ok=True)


@dataclass
class Medians:
    """Medians of starts in turn: the minimal program's first paint, and Tilebay's first paint of
    the panel, of the button and the end of the slide out of view."""
    minimal: float
    tilebay: float
    button: float
    out_of_view: float


def alternate(session, rounds, before_start=lambda: None, paint_timeout=60.0, warm_up=True):
    """Medians of the first paint of the minimal program and of Tilebay, started in turn."""
    if warm_up:
        before_start()
        time_minimal(session)
        time_tilebay(session, paint_timeout=paint_timeout, out_of_view=True)
    minimal, starts = [], []
    for _ in range(rounds):
        minimal.append(time_minimal(session).first_paint)
        before_start()
        starts.append(time_tilebay(session, paint_timeout=paint_timeout, out_of_view=True))
    buttons = [s.button for s in starts if s.button is not None]
    return Medians(statistics.median(minimal), statistics.median(s.first_paint for s in starts),
                   statistics.median(buttons) if buttons else None, statistics.median(s.out_of_view for s in starts))


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 10
    print(f'start to first completed paint, median of {rounds} (Wine, {os.cpu_count()} cores)')
    print(f'{"layout":<36}{"minimal":>10}{"Tilebay":>10}{"ratio":>8}')
    for groups, links, cold in ((0, 0, False), (50, 40, True), (50, 40, False)):
        session = new_session()
        try:
            prepare_layout(session, groups, links)
            before = (lambda: delete_icon_cache(session)) if cold else (lambda: None)
            if groups and not cold:  # a start that shows every icon fills the cache
                time_tilebay(session, icons_timeout=120, paint_timeout=120)
            medians = alternate(session, rounds, before, paint_timeout=120)
        finally:
            session.stop()
        label = 'no groups' if groups == 0 else f'{groups * links} shortcuts, {"cold" if cold else "warm"} cache'
        minimal, tilebay = medians.minimal, medians.tilebay
        print(f'{label:<36}{minimal * 1000:>8.0f}ms{tilebay * 1000:>8.0f}ms{tilebay / minimal:>8.2f}')


if __name__ == '__main__':
    main()
