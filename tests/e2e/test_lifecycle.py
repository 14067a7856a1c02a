"""Starts and ends as a user meets them: an idle start writes nothing, so that the backup of the
group store always holds the state before the last run that changed something; closing ends the
program at once even while a look-up of the shell hangs; a full disk loses nothing."""

import json
import os
import shutil
import subprocess
import time
import unittest

from harness import APP_ENDS, CLOSE_LOGGERS, Group, wait_for
from test_panel import PanelTestCase

# Two groups of real programs of the prefix.
SHORTCUTS = {'zzzA1.lnk': r'C:\windows\notepad.exe', 'zzzA2.lnk': r'C:\windows\regedit.exe'}
GROUPS = (Group(x=40, y=48, links=('zzzA1.lnk', 'zzzA2.lnk')),
          Group(x=400, y=48, column=3, titles=True, background=4, links=('zzzA2.lnk',)))
SETTLED = r'^All icons shown: '


class LifecycleTestCase(PanelTestCase):

    def prepare(self, groups=GROUPS):
        for name, target in SHORTCUTS.items():
            self.session.links_folder.mkdir(parents=True, exist_ok=True)
            self.session.make_shortcut(self.session.links_folder / name, target)
        return self.session.write_store(*groups)

    def start(self):
        """Starts the program and waits until its panel has slid away with every icon shown.
        (A panel stored out of view stays unmapped until it is shown.)"""
        logs = len(self.session.log_files())
        app = self.session.start()
        self.button = self.session.wait_for_window('Zenpane')
        wait_for(lambda: len(self.session.log_files()) > logs, 20, 'the log of this start')
        self.session.wait_for_log(SETTLED)
        return app

    def run_idle(self, seconds):
        """One start that the user leaves alone for seconds, then closes."""
        app = self.start()
        self.session.pause(seconds)
        self.assertEqual(app.close(), 0)
        messages = self.session.log_messages()
        self.assertIn(APP_ENDS, messages)
        self.assertEqual(messages[-1], CLOSE_LOGGERS)

    def add_group(self, logged=True):
        """Shows the panel and adds a group with the band's add button; waits for the handler's
        line when the log can be written."""
        self.click_button()
        self.panel = self.session.wait_for_window('Tilebay')
        self.wait_shown()
        client = json.loads(self.session.helper('windows', 'TMainForm'))[0]['client']
        since = len(self.session.log_lines())
        self.session.click(client[2] - 30 + 11, client[1] + 2 + 12)
        if logged:
            wait_for(lambda: any(l['function'] == 'TMainForm::mBtnAddClick' for l in self.session.log_lines()[since:]),
                     10, 'the add button')

    def unmanaged_windows(self):
        """Without a window manager Wine waits two seconds for the withdrawal of each managed
        window it hides, which no manager sends; a desktop has one. Unmanaged windows take that
        wait out of what an exit measures."""
        self.session.wine_command('reg', 'add', r'HKCU\Software\Wine\X11 Driver', '/v', 'Managed', '/d', 'N', '/f')

    def message_boxes(self):
        return json.loads(self.session.helper('windows', '#32770'))


class QuietStartTest(LifecycleTestCase):

    def test_idle_starts_write_nothing_and_the_backup_is_the_state_before_the_last_change(self):
        store = self.prepare()
        backup = store.with_name('groups.txt.bak')
        backup.write_bytes(b'[Group]\r\nGroupCount=0\r\n')
        settings = self.session.data_folder / 'Settings.ini'
        # The first run writes what a first start and an exit store by design: the first-run
        # day, the places of the windows, the icon cache.
        self.run_idle(1)

        def state():
            return {p.name: (p.stat().st_mtime_ns, p.read_bytes()) for p in (store, backup, settings)}

        before = state()
        for run in range(1, 4):
            self.run_idle(15)
            self.assertEqual(state(), before, f'idle start {run} wrote a file')
            self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'], f'idle start {run}')

        # One run that changes something, and one idle run after it: the backup holds the store
        # as it was before the change.
        app = self.start()
        self.session.wait_for_log(SETTLED)
        self.add_group()
        wait_for(lambda: store.read_bytes() != before['groups.txt'][1], 10, 'the new group stored')
        self.assertEqual(backup.read_bytes(), before['groups.txt'][1])
        self.assertEqual(app.close(), 0)
        changed = store.read_bytes()
        self.assertIn(b'GroupCount=3', changed)
        self.run_idle(6)
        self.assertEqual(store.read_bytes(), changed)
        self.assertEqual(backup.read_bytes(), before['groups.txt'][1])


class HangingLookUpTest(LifecycleTestCase):

    def test_closing_ends_the_program_at_once_while_a_look_up_hangs(self):
        self.unmanaged_windows()
        # A shortcut file that is a pipe with a writer that never writes: reading it for its icon
        # blocks for good, as a shortcut to a share that does not answer does on Windows.
        fifo = self.session.links_folder / 'zzzPipe.lnk'
        self.session.links_folder.mkdir(parents=True, exist_ok=True)
        os.mkfifo(fifo)
        writer = os.open(fifo, os.O_RDWR | os.O_NONBLOCK)
        self.addCleanup(os.close, writer)
        store = self.prepare((Group(x=40, y=48, links=('zzzPipe.lnk', 'zzzA1.lnk', 'zzzA2.lnk')),))

        app = self.start()
        # The look-up hangs: it is let go, and the shortcuts after it get their icons.
        self.session.wait_for_log(r'^Looking up the icon of zzzPipe\.lnk has taken more than 3000 ms')
        self.session.wait_for_log(r'^All icons shown: 3 shortcuts')
        self.add_group()
        settings = self.session.data_folder / 'Settings.ini'
        settings_before = settings.stat().st_mtime_ns if settings.exists() else None

        # From starting the program that asks for the close (taskkill, itself a Wine program).
        asked = time.monotonic()
        self.session.wine_command('taskkill', '/im', 'Tilebay.exe')
        self.assertEqual(app.wait_exit(10), 0)
        seconds = time.monotonic() - asked
        print(f'\nended {seconds:.2f} s after the close was asked for, with a look-up hanging')
        self.assertLess(seconds, 2.0)
        self.assertIn(b'GroupCount=2', store.read_bytes(), 'the new group is stored by the close')
        self.assertNotEqual(settings.stat().st_mtime_ns, settings_before, 'the settings are stored by the close')
        messages = self.session.log_messages()
        self.assertIn(APP_ENDS, messages)
        self.assertEqual(messages[-1], CLOSE_LOGGERS)
        self.assertIn('1 icon look-ups did not end in time; they are let go', messages)

        # The next start is not refused.
        logs = len(self.session.log_files())
        app = self.session.start()
        wait_for(lambda: len(self.session.log_files()) > logs, 20, 'the log of the next start')
        self.session.wait_for_log(r'^Groups : 2$')
        self.assertTrue(app.running)


class FullDiskTest(LifecycleTestCase):
    """The data folder on a small file system of its own, made full."""

    def mount_small_disk(self):
        folder = self.session.data_folder
        kept = self.session.root / 'data-before-mount'
        shutil.copytree(folder, kept)
        try:
            subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=4m', 'tmpfs', str(folder)], check=True,
                           capture_output=True)
        except (subprocess.CalledProcessError, FileNotFoundError) as error:
            self.skipTest(f'no file system of its own can be mounted here: {error}')
        self.addCleanup(subprocess.run, ['umount', '-l', str(folder)], capture_output=True)
        shutil.copytree(kept, folder, dirs_exist_ok=True)
        self.filler = folder / 'filler'
        with open(self.filler, 'wb', buffering=0) as out:
            try:
                while True:
                    out.write(b'\0' * 4096)
            except OSError:
                pass

    def test_a_full_disk_loses_nothing_and_the_first_save_after_space_is_freed_keeps_the_backup(self):
        store = self.prepare()
        self.run_idle(1)
        settings = self.session.data_folder / 'Settings.ini'
        started_with = store.read_bytes()
        settings_text = settings.read_bytes()
        self.mount_small_disk()

        # An idle start on the full disk shows no box. (Its log waits in memory for space.)
        app = self.session.start()
        self.button = self.session.wait_for_window('Zenpane')
        # Past the save timer's first tick, with no box: nothing marks a box that does not come.
        self.session.pause(7)
        self.assertEqual(self.message_boxes(), [])

        # A change: its save fails, one box says so, and every stored file is as it was.
        self.add_group(logged=False)
        box = wait_for(lambda: next(iter(self.message_boxes()), None), 15, 'the box of the failed save')
        self.assertIn('Unable to write to', ' '.join(c['text'] for c in box['controls']))
        # The save timer's next tick fails again, quietly: a fixed wait for a box that must not come.
        self.session.pause(6)
        self.assertEqual(len(self.message_boxes()), 1, 'later failures bring no further box')
        self.assertEqual(store.read_bytes(), started_with)
        self.assertEqual(settings.read_bytes(), settings_text)
        self.assertFalse(store.with_name('groups.txt.bak').exists())
        ok = next(c for c in box['controls'] if c['class'].lower() == 'button')['rect']
        self.session.click((ok[0] + ok[2]) // 2, (ok[1] + ok[3]) // 2)
        wait_for(lambda: not self.message_boxes(), 10, 'the box closed')

        # Space is freed: the next tick saves, the backup is the store the run started from, and
        # the log holds the run's lines with the failure.
        self.filler.unlink()
        wait_for(lambda: b'GroupCount=3' in store.read_bytes(), 15, 'the new group stored')
        self.assertEqual(store.with_name('groups.txt.bak').read_bytes(), started_with)
        line = self.session.wait_for_log(r'^Unable to write to .*groups\.txt$', 15)
        self.assertEqual(line['level'], 'ERR')
        self.session.wait_for_log(r'^The groups are saved again after \d+ failed attempts$', 15)
        self.assertIn('Groups : 2', self.session.log_messages())
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.session.log_messages()[-1], CLOSE_LOGGERS)
        self.assertEqual([p.name for p in store.parent.glob('*.tmp')], [])


if __name__ == '__main__':
    unittest.main()
