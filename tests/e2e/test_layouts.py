"""Keeping and carrying the layout, driven from outside: a day's snapshot restored through the
panel menu and its box (and the restore undone the same way), the groups exported to a zip file
that unzip accepts and imported from it through the command line and the menu, once into a fresh
data folder and again beside what is there."""

import datetime
import shutil
import subprocess
import zipfile

from harness import EXE, Group, read_ini, store_text, wait_for
from test_commands import CommandsTestCase, TWO_GROUPS
from test_panel import TARGETS

# A day before: one group of two shortcuts, prepared as a snapshot folder.
YESTERDAY_GROUPS = (Group(x=120, y=200, column=3, titles=True, background=2, links=('zzzA3.lnk', 'zzzA4.lnk')),)
# The panel menu: Add New Group, Options, About, then the layout's items.
TO_RESTORE = ['Down'] * 4
TO_EXPORT = ['Down'] * 5
TO_IMPORT = ['Down'] * 6


def day(offset=0):
    return (datetime.date.today() + datetime.timedelta(days=offset)).isoformat()


class LayoutTestCase(CommandsTestCase):
    # The boxes' titles show in the screenshots.
    wine_draws_captions = True

    @property
    def snapshots(self):
        return self.session.data_folder / 'Snapshots'

    def prepare_snapshot(self, name, groups):
        folder = self.snapshots / name
        folder.mkdir(parents=True)
        (folder / 'groups.txt').write_bytes(store_text(*groups).encode('ascii'))
        for group in groups:
            for link in group.links:
                self.session.make_shortcut(folder / link, TARGETS[link])
        return folder

    def wait_box(self):
        """Waits for the program's message box; returns it."""
        return wait_for(lambda: (lambda b: b[0] if b else None)(self.windows_of_class('#32770')), 20, 'the box')

    def choose_restore(self, position, since):
        """Opens the Restore Layout submenu, chooses its item at position (from 0) and waits for
        the box; returns the menu's log line."""
        line = self.menu_at((1200, 600))
        self.keys(*TO_RESTORE, 'Right', *(['Down'] * position))
        self.wait_menus(2)
        return line

    def confirm_and_wait_reload(self):
        since = len(self.session.log_lines())
        self.keys('Return')
        return self.session.wait_for_log(r'^Groups shown again: \d+$', 30, since=since)

    def run_tilebay(self, *args, timeout=120):
        return self.session.wine_command(str(EXE), *args, timeout=timeout)

    def file_dialog(self, path):
        """Types a path into the open file dialog and takes it."""
        self.wait_box()
        self.session.pause(0.5)
        self.keys('ctrl+a')
        self.session.xdotool('type', '--delay', '60', path)
        self.keys('Return')

    def store_groups(self):
        store = self.store()
        return [store[f'Group-{g}'] for g in range(int(store['Group']['GroupCount']))]

    def link_names(self, store=None):
        store = store or self.store()
        return [v['Lnk'] for k, v in store.items() if '-Link-' in k]

    def targets_of(self, group_index, store=None):
        store = store or self.store()
        count = int(store[f'Group-{group_index}']['LinkCount'])
        return [self.session.shortcut_target(self.links / store[f'Group-{group_index}-Link-{k}']['Lnk'])
                for k in range(count)]


class RestoreTest(LayoutTestCase):

    def test_restore_a_day_through_the_menu_and_undo_it_the_same_way(self):
        yesterday = self.prepare_snapshot(day(-1), YESTERDAY_GROUPS)
        self.start(groups=TWO_GROUPS)
        before = self.store_text()

        # The day's first change keeps the layout before it.
        client = self.panel_client()
        self.session.click(*self.at((client[2] - client[0] - 30 + 11, 2 + 12)))
        self.wait_store(lambda s: s['Group'].get('GroupCount') == '3', 10, 'the added group stored')
        self.session.wait_for_log(r'^Snapshot kept: .*' + day())
        self.assertEqual((self.snapshots / day() / 'groups.txt').read_bytes().decode('ascii'), before)
        changed = self.store_text()

        line = self.choose_restore(1, 0)
        self.assertIn(f'Restore Layout [{day()} — 2 groups, 5 shortcuts | {day(-1)} — 1 group, 2 shortcuts]',
                      line)
        self.session.save_screenshot('restore-submenu')
        self.keys('Return')
        box = self.wait_box()
        self.session.save_screenshot('restore-confirm')
        self.assertIn(day(-1), self.session.wait_for_log(r'^Asking: ')['message'])
        self.assertEqual(self.confirm_and_wait_reload()['message'], 'Groups shown again: 1')
        self.assertEqual(self.store_text(), (yesterday / 'groups.txt').read_bytes().decode('ascii'))
        self.assertEqual(self.targets_of(0), [TARGETS['zzzA3.lnk'], TARGETS['zzzA4.lnk']])
        self.session.save_screenshot('restored')
        del box

        # The restore kept what it replaced, newest first: restoring that one goes back.
        kept = sorted(p.name for p in self.snapshots.iterdir())
        self.assertEqual(len(kept), 3, kept)
        line = self.choose_restore(0, 0)
        self.assertIn(f'Restore Layout [{kept[-1][:10]} ', line)
        self.assertIn('— 3 groups, 5 shortcuts', line)
        self.keys('Return')
        self.wait_box()
        self.assertEqual(self.confirm_and_wait_reload()['message'], 'Groups shown again: 3')
        self.assertEqual(self.store_text(), changed)
        self.assertEqual(self.app.close(), 0)


class ChineseRestoreTest(LayoutTestCase):
    locale = 'zh_CN.UTF-8'

    def test_restore_submenu_and_box_in_chinese(self):
        self.prepare_snapshot(day(-2), YESTERDAY_GROUPS)
        # What a kill while a snapshot was written leaves: gone at the start, never offered.
        cut = self.prepare_snapshot(day(-1) + '.partial', YESTERDAY_GROUPS)
        self.start(groups=TWO_GROUPS)
        self.session.wait_for_log(r'^Removed a snapshot that was cut short: .*\.partial$')
        self.assertFalse(cut.exists())
        line = self.choose_restore(0, 0)
        self.assertIn(f'恢复布局 [{day(-2)} — 1 个组，2 个快捷方式]', line)
        self.session.save_screenshot('restore-submenu-zh')
        self.keys('Return')
        self.wait_box()
        self.session.save_screenshot('restore-confirm-zh')
        self.assertIn(f'要恢复 {day(-2)} 的组和快捷方式吗', self.session.wait_for_log(r'^Asking: ')['message'])
        # No: nothing changes.
        self.keys('Escape')
        self.session.wait_for_log(r'not confirmed$')
        self.assertEqual(self.store()['Group']['GroupCount'], '2')
        self.assertEqual(self.app.close(), 0)


class ExportImportTest(LayoutTestCase):

    def test_export_and_import_through_menu_and_command_line(self):
        self.start(groups=TWO_GROUPS)
        original = self.store()
        original_targets = [self.targets_of(g, original) for g in range(2)]

        # Export through the menu and its file dialog, and through a second start.
        self.menu_at((1200, 600))
        self.command(TO_EXPORT + ['Return'], 'TMainForm::mMenuItemExportGroupsClick')
        self.file_dialog(r'C:\menu-export.zip')
        self.session.wait_for_log(r'^Exported 2 groups, 5 shortcut files to C:\\menu-export\.zip')
        done = self.run_tilebay('/export', r'C:\cli-export.zip')
        self.assertEqual(done.returncode, 0, done.stderr)
        # The running copy did it (the second start's log is the newest one).
        self.session.wait_for_log(r'^Export asked by another start: C:\\cli-export\.zip$', index=-2)
        drive_c = self.session.prefix / 'drive_c'
        for name in ('menu-export.zip', 'cli-export.zip'):
            test = subprocess.run(['unzip', '-t', str(drive_c / name)], capture_output=True, text=True)
            self.assertEqual(test.returncode, 0, test.stdout + test.stderr)
            with zipfile.ZipFile(drive_c / name) as archive:
                self.assertEqual(sorted(archive.namelist()), sorted(['groups.txt', 'zzzA1.lnk', 'zzzGone.lnk',
                                                                     'zzzA2.lnk', 'zzzA5.lnk', 'zzzA6.lnk']))
                self.assertTrue(all(i.compress_type == zipfile.ZIP_DEFLATED or i.file_size < 64
                                    for i in archive.infolist()))
                self.assertEqual(archive.read('groups.txt'), (self.links / 'groups.txt').read_bytes())
        self.assertEqual(self.app.close(), 0)

        # A fresh data folder: the command line imports without a panel.
        shutil.rmtree(self.session.data_folder / 'Data')
        shutil.rmtree(self.snapshots, ignore_errors=True)
        (self.session.data_folder / 'Settings.ini').unlink(missing_ok=True)
        done = self.run_tilebay('/import', r'C:\cli-export.zip')
        self.assertEqual(done.returncode, 0, done.stderr)
        first = self.store()
        groups = self.store_groups()
        self.assertEqual([(g['X'], g['Y'], g['Column'], g['LinkCount']) for g in groups],
                         [(original[f'Group-{i}']['X'], original[f'Group-{i}']['Y'], original[f'Group-{i}']['Column'],
                           original[f'Group-{i}']['LinkCount']) for i in range(2)])
        self.assertEqual([self.targets_of(g) for g in range(2)], original_targets)

        # A failing import says so and changes nothing.
        failed = self.run_tilebay('/import', r'C:\no-such-file.zip')
        self.assertNotEqual(failed.returncode, 0)
        self.assertIn('no-such-file.zip', failed.stderr)
        self.assertEqual(self.store(), first)

        # Importing again through the menu adds a second copy beside the first.
        self.start()
        self.menu_at((1200, 600))
        self.command(TO_IMPORT + ['Return'], 'TMainForm::mMenuItemImportGroupsClick')
        self.file_dialog(r'C:\menu-export.zip')
        self.session.wait_for_log(r'^Imported 2 groups, 5 shortcuts$')
        store = self.wait_store(lambda s: s['Group'].get('GroupCount') == '4', 10, 'four groups stored')[0]
        # And a third time through a second start while the panel runs.
        done = self.run_tilebay('/import', r'C:\cli-export.zip')
        self.assertEqual(done.returncode, 0, done.stderr)
        store = self.wait_store(lambda s: s['Group'].get('GroupCount') == '6', 10, 'six groups stored')[0]
        self.session.save_screenshot('imported-three-times')
        names = self.link_names(store)
        self.assertEqual(len(names), 15)
        self.assertEqual(len(set(n.lower() for n in names)), 15, 'every imported shortcut has a file of its own')
        for g in range(6):
            self.assertEqual(self.targets_of(g, store), original_targets[g % 2])
        places = [(int(store[f'Group-{g}']['X']), int(store[f'Group-{g}']['Y'])) for g in range(6)]
        self.assertEqual(len(set(places)), 6, places)
        # Each copy keeps the arrangement: the second group stands where it stood from the first.
        for copy in range(3):
            a, b = places[2 * copy], places[2 * copy + 1]
            self.assertEqual((b[0] - a[0], b[1] - a[1]), (460, 0))
        self.assertEqual(self.app.close(), 0)
