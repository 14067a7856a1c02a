"""Hostile files at start: for each case of the table the program is started on files a user, a
crash or another program could leave behind, and must come up, show the button and the panel,
answer clicks, keep its memory bounded, log what it found, and never replace a user's file with
less than it read: after a group is added (which saves the store) and the program has ended,
each of the user's files is either as it was or kept whole in a copy beside it.

The cases share one prefix and display: each starts from an empty data folder.
"""

import os
import random
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable

from harness import HELPER, Group, TilebayTestCase, store_text, wait_for

# Generous bounds that only a hang or a runaway allocation exceeds.
START_TIMEOUT = 30
MAX_RSS_MB = 400

SHORTCUTS = {'zzzH1.lnk': r'C:\windows\notepad.exe', 'zzzH2.lnk': r'C:\windows\regedit.exe'}

# A good store, with LF line ends for the cases that change its text before they write it.
GOOD_GROUP = Group(x=40, y=48, links=('zzzH1.lnk', 'zzzH2.lnk'))
GOOD_STORE = store_text(GOOD_GROUP).replace('\r\n', '\n')


def crlf(text):
    return text.replace('\n', '\r\n').encode('ascii')


def random_bytes(seed, size):
    return random.Random(seed).randbytes(size)


def with_nuls(text):
    return crlf(text).replace(b'=', b'=\0', 3).replace(b'Group-0]', b'Gr\0oup-0]')


def utf16_odd(text):
    return b'\xff\xfe' + text.replace('\n', '\r\n').encode('utf-16-le') + b'\x41'


def many_sections(prefix, count, body):
    return ''.join(f'[{prefix}{i}]\n{body}' for i in range(count))


@dataclass
class Case:
    name: str
    # Writes the case's files; data is the data folder, links its "Data" folder. May return a
    # process (another program holding a file) that is stopped when the case ends.
    prepare: Callable
    # What the log must say, as regular expressions searched in its messages.
    logged: list = field(default_factory=list)
    # The user's files (relative to the data folder) that the program cannot use as they are:
    # each must survive whole, where it was or in a copy beside it.
    kept: tuple = ('Data/groups.txt', 'Settings.ini')
    # What a file the program did use must still hold after it saved and ended.
    holds: dict = field(default_factory=dict)
    # The store cannot be written: the save timer fails on every tick, tells the user once and
    # logs the later failures.
    save_fails: bool = False


def write(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def store_and_settings(groups, settings):
    def prepare(test, data, links):
        write(links / 'groups.txt', groups)
        write(data / 'Settings.ini', settings)
    return prepare


def picture_files(test, data, links):
    write(links / 'groups.txt', crlf(GOOD_STORE))
    write(links / 'Back.bmp', b'GIF89a' + random_bytes(9, 4000))
    # A header that declares 30000 x 30000 pixels of 24 bits over a sparse file of that size.
    header = (b'BM' + (54 + 30000 * 30000 * 3).to_bytes(4, 'little') + bytes(4) + (54).to_bytes(4, 'little')
              + (40).to_bytes(4, 'little') + (30000).to_bytes(4, 'little') + (30000).to_bytes(4, 'little')
              + (1).to_bytes(2, 'little') + (24).to_bytes(2, 'little') + bytes(24))
    with open(links / 'Back1.bmp', 'wb') as f:
        f.write(header)
        f.truncate(54 + 30000 * 30000 * 3)


def bad_shortcuts(test, data, links):
    write(links / 'groups.txt',
          store_text(GOOD_GROUP, Group(x=400, y=48, links=('zzzGarbage.lnk', 'zzzFolder.lnk'))).encode('ascii'))
    write(links / 'zzzGarbage.lnk', random_bytes(3, 3000))
    (links / 'zzzFolder.lnk').mkdir()


def debug_folder(test, data, links):
    write(links / 'groups.txt', crlf(GOOD_STORE))
    (data / 'Log' / 'debug.txt').mkdir(parents=True)


def store_folder(test, data, links):
    (links / 'groups.txt').mkdir(parents=True)
    write(links / 'groups.txt' / 'inside.txt', b'not ours')


def store_read_only(test, data, links):
    write(links / 'groups.txt', crlf(GOOD_STORE))
    os.chmod(links / 'groups.txt', 0o444)


def store_held(test, data, links):
    write(links / 'groups.txt', crlf(GOOD_STORE))
    out = tempfile.TemporaryFile()
    holder = subprocess.Popen([test.session.wine, str(HELPER), 'hold', test.session.windows_path(links / 'groups.txt')],
                              env=test.session.environment(), cwd=str(test.session.prefix), stdout=out,
                              stderr=subprocess.DEVNULL)

    def held():
        out.seek(0)
        if holder.poll() is not None:
            raise AssertionError(f'E2eHelper hold ended with {holder.returncode}')
        return b'held' in out.read()
    wait_for(held, 30, 'another program holding groups.txt')
    return holder


LONG_LINE = b'[Group]GroupCount=1 ' + b'x' * (10 * 1024 * 1024)

CASES = [
    Case('random bytes', store_and_settings(random_bytes(1, 200_000), random_bytes(2, 200_000)),
         [r'The store holds 200000 bytes but no groups', r'The settings file holds 200000 bytes but none']),
    Case('a 10 MB single line', store_and_settings(LONG_LINE, LONG_LINE.replace(b'[Group]', b'[App]')),
         [r'The store holds \d+ bytes but no groups', r'The settings file holds \d+ bytes but none']),
    Case('absurd counts', store_and_settings(
        crlf('[Group]\nGroupCount=2000000000\n[Group-0]\nX=40\nY=48\nLinkCount=-1\n'
             '[Group-1]\nLinkCount=2000000000\n[Group-1-Link-0]\nLnk=zzzH1.lnk\n'),
        crlf('[MainForm]\nWindowPos=2000000000\nWindowSize=-1\n[EdgeForm]\nVisbleHeight=2000000000\n')),
         [r'GroupCount 2000000000 but only \d+ groups', r'stored panel place .* is not usable',
          r'stored visible height of the button 2000000000 is out of reach'], kept=('Data/groups.txt',)),
    Case('100,000 sections', store_and_settings(
        crlf('[Group]\nGroupCount=100000\n' + many_sections('Group-', 100_000, 'X=1\nY=1\n')),
        crlf(many_sections('Section', 100_000, 'Key=1\n'))),
         [r'The store holds 100000 groups; only the first 2000 are loaded',
          r'The settings file holds \d+ bytes but none of the settings']),
    Case('coordinates of +-2^31', store_and_settings(
        crlf('[Group]\nGroupCount=3\n[Group-0]\nX=2147483648\nY=-2147483649\n[Group-1]\nX=2147483647\n'
             'Y=-2147483648\n[Group-2]\nX=-2147483648\nY=2147483647\nColumn=2147483647\n'),
        crlf('[MainForm]\nWindowPos=9223372036854775807\nWindowSize=-9223372036854775808\n'
             '[StartButtonForm]\nStartButtonPos=-9223372036854775809\n')),
         [r'Groups : 3', r'stored panel place .* is not usable'], kept=('Data/groups.txt',)),
    Case('UTF-16 with an odd byte count', store_and_settings(utf16_odd(GOOD_STORE),
                                                             utf16_odd('[App]\nFirstRunDate=46000\n')),
         [r'Groups : 1'], kept=('Data/groups.txt',), holds={'Settings.ini': b'FirstRunDate=46000\r\n'}),
    Case('NUL bytes inside', store_and_settings(with_nuls(GOOD_STORE), with_nuls('[App]\nFirstRunDate=46000\n')),
         [r'Groups : '], kept=('Data/groups.txt',)),
    Case('a garbage shortcut and a folder named as one', bad_shortcuts, [r'Groups : 2'],
         kept=('Data/groups.txt', 'Data/zzzGarbage.lnk')),
    Case('Back.bmp not a bitmap, Back1.bmp 30000 x 30000', picture_files,
         [r'Not a bitmap file: .*Back\.bmp', r'30000 x 30000 pixels refused.*Back1\.bmp'],
         kept=('Data/groups.txt', 'Data/Back.bmp')),
    # Any "debug.txt" in the log folder turns tracing on, a folder too.
    Case('debug.txt a folder', debug_folder, [r'^EnterFunc'], kept=('Data/groups.txt',)),
    Case('groups.txt a folder', store_folder,
         [r'Cannot open .*groups\.txt \(error 5\)', r'could not be copied aside; it is not replaced: .*groups\.txt'],
         kept=('Data/groups.txt/inside.txt',), save_fails=True),
    Case('groups.txt read-only', store_read_only, [r'Replacing the read-only file failed for .*groups\.txt'],
         kept=('Data/groups.txt',), save_fails=True),
    Case('groups.txt held open by another program', store_held,
         [r'Cannot open .*groups\.txt \(error 32\)', r'could not be copied aside; it is not replaced: .*groups\.txt'],
         kept=('Data/groups.txt',), save_fails=True),
]


def rss_mb(pid):
    try:
        for line in Path(f'/proc/{pid}/status').read_text().splitlines():
            if line.startswith('VmRSS:'):
                return int(line.split()[1]) // 1024
    except FileNotFoundError:
        pass
    return 0


class HostileFilesTest(TilebayTestCase):
    locale = 'en_US.UTF-8'

    def setUp(self):
        super().setUp()
        # Shortcuts made once, copied into each case's fresh data folder.
        self.stash = self.session.prefix / 'drive_c' / 'stash'
        self.stash.mkdir()
        for name, target in SHORTCUTS.items():
            self.session.make_shortcut(self.stash / name, target)

    def test_the_program_comes_up_on_hostile_files_and_keeps_what_it_read(self):
        results = []
        for case in CASES:
            with self.subTest(case.name):
                results.append((case.name, *self.run_case(case)))
        print('\nhostile files: case, seconds to the button, largest RSS, message boxes answered')
        for name, seconds, rss, boxes in results:
            print(f'  {name:48} {seconds:5.1f} s {rss:5d} MB {boxes} box(es)')

    # One case ---------------------------------------------------------------------------------

    def fresh_data_folder(self):
        data = self.session.data_folder
        if data.exists():
            for path in data.rglob('*'):
                if not path.is_symlink():
                    os.chmod(path, 0o755 if path.is_dir() else 0o644)
            shutil.rmtree(data)
        links = data / 'Data'
        links.mkdir(parents=True)
        for name in SHORTCUTS:
            shutil.copyfile(self.stash / name, links / name)
        return data, links

    def run_case(self, case):
        data, links = self.fresh_data_folder()
        holder = case.prepare(self, data, links)
        try:
            before = {name: (data / name).read_bytes() for name in case.kept}
            return self.start_and_check(case, data, before)
        finally:
            # Each case's log among the artifacts, to read what the program said.
            if self.session.log_folder.is_dir():
                shutil.copytree(self.session.log_folder, self.session.artifacts / re.sub(r'\W+', '-', case.name).strip('-'),
                                dirs_exist_ok=True)
            if holder is not None and holder.poll() is None:
                holder.kill()
                holder.wait(10)
            for program in self.session.programs:
                program.kill()

    def start_and_check(self, case, data, before):
        began = time.monotonic()
        app = self.session.start()
        button = self.session.wait_for_window('Zenpane', START_TIMEOUT)
        seconds = time.monotonic() - began
        self.session.wait_for_log(r'^First paint of the panel done$', START_TIMEOUT)
        # A box a start brings (a store that could not be read) comes right after the first paint,
        # and only for some files: a moment for it.
        self.session.pause(1)
        panel = self.panel()
        boxes = self.dismiss_message_boxes(panel)
        self.wait_panel(panel, hidden=True)
        rss = rss_mb(app.process.pid)

        # The button answers: the panel slides in; the add button adds a group, which saves.
        g = self.session.window_geometry(button)
        self.session.click(g['x'] + g['width'] // 2, g['y'] + g['height'] - 4)
        p = self.wait_panel(panel, hidden=False)
        self.session.click(p['x'] + p['width'] - 30 + 11, p['y'] + 2 + 12)
        # The save timer's period, and a little more.
        self.session.pause(6)
        self.session.save_screenshot(re.sub(r'\W+', '-', case.name).strip('-'))
        boxes += self.dismiss_message_boxes(panel)
        if case.save_fails:
            # The save timer fails on every tick. The user is told once: the application's error
            # handler logs the message of every box it raises, and only the first failure goes
            # there; the others are logged with their count.
            self.session.wait_for_log(r'^Saving the groups failed again \(3 failures in a row', 20)
            boxes += self.dismiss_message_boxes(panel)
            self.assertEqual(self.logged_count(r'^Unable to write to .*groups\.txt$'), 1,
                             'failed saves brought the user a box each')
        rss = max(rss, rss_mb(app.process.pid))
        self.assertTrue(app.running, 'the program ended by itself')
        self.assertLess(rss, MAX_RSS_MB, 'memory of the Wine process')

        self.session.wine_command('taskkill', '/im', 'Tilebay.exe')
        wait_for(lambda: not app.running or self.dismiss_message_boxes(panel), 60, 'the program to end')
        self.assertEqual(app.wait_exit(60), 0)
        messages = [m for i in range(len(self.session.log_files())) for m in self.session.log_messages(i)]
        for pattern in case.logged:
            self.assertTrue(any(re.search(pattern, m) for m in messages),
                            f'no log line matching {pattern!r}:\n' + '\n'.join(messages[-40:]))
        for name, read in before.items():
            self.assert_kept(data / name, read)
        for name, text in case.holds.items():
            self.assertIn(text, (data / name).read_bytes(), f'{name} lost what it had')
        return seconds, rss, boxes

    def logged_count(self, pattern):
        def read():
            try:
                return self.session.log_messages()
            except (UnicodeDecodeError, AssertionError):
                return None  # a line being written right now
        return sum(1 for m in wait_for(read, 10, 'a readable log') if re.search(pattern, m))

    def panel(self):
        """The panel: the largest window titled as the program (message boxes are small)."""
        def area(window):
            g = self.session.window_geometry(window)
            return g.get('width', 0) * g.get('height', 0)
        return max(self.session.windows('Tilebay'), key=area)

    def dismiss_message_boxes(self, panel):
        """Answers the program's message boxes (the other windows titled as the program) with
        Enter; returns how many there were."""
        count = 0
        for window in self.session.visible_windows('Tilebay'):
            if window == panel:
                continue
            g = self.session.window_geometry(window)
            if 0 < g.get('width', 0) < 700 and 0 < g.get('height', 0) < 300:
                self.session.click(g['x'] + 10, g['y'] + 10)
                self.session.xdotool('key', 'Return')
                wait_for(lambda: window not in self.session.visible_windows('Tilebay'), 10, 'the box answered')
                count += 1
        return count

    def wait_panel(self, panel, hidden):
        def placed():
            g = self.session.window_geometry(panel)
            shown = g.get('y', -1) >= 0 and g.get('map_state') == 'IsViewable'
            return g if shown != hidden else None
        return wait_for(placed, 30, 'the panel ' + ('out of view' if hidden else 'in view'))

    def assert_kept(self, path, read):
        """The file holds what the program found, or a copy beside it does."""
        if path.is_file() and path.read_bytes() == read:
            return
        copies = [p for p in path.parent.glob(path.name + '.*') if p.is_file() and p.read_bytes() == read]
        self.assertTrue(copies, f'{path.name} was replaced and no copy beside it holds what it had '
                                f'({len(read)} bytes); beside it: {sorted(p.name for p in path.parent.iterdir())}')


if __name__ == '__main__':
    unittest.main()
