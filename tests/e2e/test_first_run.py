"""A user's first minute: the empty panel offers, under its hint, to fill itself from the Desktop
and the Start menu; one click makes a group of the Desktop's shortcuts and one of the Start menu's
programs, copies them into the Data folder and leaves the user's own files as they were."""

import hashlib
import re
import shutil
import subprocess
import unittest

from harness import HELPER, read_groups, utf8_locale, wait_for
from test_commands import CommandsTestCase
from test_display_scale import px

# The cell centre of shortcut index of a stored group of large icons with names, in design pixels:
# the group's corner, the card's margin (5, 7), the cell area's inset (14, 14 + 5) and half a cell
# of 70 x 80.
def cell_centre(group, index):
    row, column = divmod(index, int(group['Column']))
    return (int(group['X']) + 5 + 14 + 70 * column + 35, int(group['Y']) + 7 + 14 + 5 + 80 * row + 40)


class FirstRunCase(CommandsTestCase):
    dpi = 96

    @property
    def profile(self):
        return self.session.documents.parent

    @property
    def desktop(self):
        return self.profile / 'Desktop'

    @property
    def user_programs(self):
        return self.profile / 'AppData' / 'Roaming' / 'Microsoft' / 'Windows' / 'Start Menu' / 'Programs'

    @property
    def common_programs(self):
        return self.session.prefix / 'drive_c' / 'ProgramData' / 'Microsoft' / 'Windows' / 'Start Menu' / 'Programs'

    def shortcut(self, path, target, env=None):
        """A shell shortcut at path (of the prefix) to target (a Windows path)."""
        path.parent.mkdir(parents=True, exist_ok=True)
        made = subprocess.run([self.session.wine, str(HELPER), 'shortcut', self.session.windows_path(path), target],
                              env=self.session.environment(**(env or {})), cwd=str(self.session.prefix),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(made.returncode, 0, f'shortcut {path}')

    @staticmethod
    def hashes(*folders):
        """Every file under the folders with the hash of its bytes."""
        return {str(f): hashlib.sha256(f.read_bytes()).hexdigest()
                for folder in folders for f in sorted(folder.rglob('*')) if f.is_file()}

    def start_fresh(self, **env):
        self.session.wine_command('reg', 'add', r'HKCU\Control Panel\Desktop', '/v', 'LogPixels', '/t', 'REG_DWORD',
                                  '/d', str(self.dpi), '/f')
        self.session.log_folder.mkdir(parents=True, exist_ok=True)
        self.app = self.session.start(**env)
        self.button = self.session.wait_for_window('Zenpane')
        self.panel = self.session.wait_for_window('Tilebay')
        self.wait_hidden()
        self.session.wait_for_log(r'^First-run offer shown$')
        self.click_button()
        self.wait_shown()
        self.session.wait_for_log(r'^First paint of the panel done')

    def find_offer(self, shot):
        """The offer's underline on a screenshot: the longest run of white pixels in a row of the
        panel's middle half (the hint is light grey, the labels of the band and the corner lie
        outside it). Returns its left and right ends and its row, in screen pixels."""
        left, top, right, bottom = self.panel_client()
        width, height = right - left, (bottom - top) // 2
        top += (bottom - top) // 4
        raw = subprocess.run(['convert', str(shot), '-crop', f'{width}x{height}+{left}+{top}', '+repage',
                              '-depth', '8', 'rgb:-'], capture_output=True, check=True).stdout
        best = (0, 0, 0)
        for y in range(height):
            for run in re.finditer(rb'(?:\xff\xff\xff)+', raw[y * width * 3:(y + 1) * width * 3]):
                if run.start() % 3 == 0 and (run.end() - run.start()) // 3 > best[1] - best[0]:
                    best = (run.start() // 3, run.end() // 3, y)
        self.assertGreater(best[1] - best[0], px(80, self.dpi), 'no underlined offer in the middle of the panel')
        return left + best[0], left + best[1], top + best[2]

    def check_offer_placement(self, shot):
        """The offer stands centred under the hint; returns the screen point to click it at."""
        start, end, underline = self.find_offer(shot)
        left, top, right, bottom = self.panel_client()
        self.assertAlmostEqual((start + end) / 2, (left + right) / 2, delta=2, msg='centred on the panel')
        hint_middle = (top + bottom) // 2 - px(60, self.dpi)
        self.assertGreater(underline, hint_middle + px(20, self.dpi), 'below the hint')
        self.assertLess(underline, hint_middle + px(60, self.dpi), 'right under the hint')
        return (start + end) // 2, underline - px(6, self.dpi)

    def click_offer(self, at):
        since = self.session.log_count()
        self.session.click(*at)
        return self.session.wait_for_log(r'^Filled from the Desktop and the Start menu: ', since=since)

    def stored_groups(self, count):
        return wait_for(lambda: (lambda gs: gs if len(gs) == count else None)(
            read_groups(self.links / 'groups.txt') if (self.links / 'groups.txt').exists() else []),
            10, f'{count} groups stored')


class FirstRunFillTest(FirstRunCase):

    def prepare(self):
        documents = self.session.documents
        documents.mkdir(parents=True, exist_ok=True)
        (documents / 'mark.bat').write_bytes(b'@echo ran> "%~dp0ran.txt"\r\n')
        desktop = self.desktop
        desktop.mkdir(parents=True, exist_ok=True)
        self.shortcut(desktop / 'Leave a mark.lnk', self.session.windows_path(documents / 'mark.bat'))
        self.shortcut(desktop / 'Notepad.lnk', r'C:\windows\notepad.exe')
        (desktop / 'Example site.url').write_bytes(b'[InternetShortcut]\r\nURL=https://www.example.com/\r\n')
        shutil.copyfile(HELPER, desktop / 'Helper tool.exe')
        self.shortcut(desktop / 'Old game.lnk', r'C:\nothing\here\gone.exe')
        # The user's Start menu: a program at the top, a folder with a game, its uninstaller and
        # a deeper folder; all users': the same program again and one in a folder.
        self.shortcut(self.user_programs / 'Registry Editor.lnk', r'C:\windows\regedit.exe')
        self.shortcut(self.user_programs / 'Games' / 'Minesweeper.lnk', r'C:\windows\system32\winemine.exe')
        self.shortcut(self.user_programs / 'Games' / 'Uninstall Games.lnk', r'C:\windows\system32\cmd.exe')
        self.shortcut(self.user_programs / 'Games' / 'Extras' / 'File Manager.lnk',
                      r'C:\windows\system32\winefile.exe')
        self.shortcut(self.common_programs / 'Regedit.lnk', r'C:\windows\regedit.exe')
        self.shortcut(self.common_programs / 'Accessories' / 'WordPad.lnk',
                      r'C:\Program Files\Windows NT\Accessories\wordpad.exe')

    def test_one_click_fills_the_panel_and_the_offer_is_gone_at_the_next_start(self):
        self.prepare()
        user_files = self.hashes(self.desktop, self.user_programs, self.common_programs)
        self.start_fresh()
        shot = self.session.save_screenshot('offer-en')
        at = self.check_offer_placement(shot)

        filled = self.click_offer(at)
        self.assertEqual(filled['message'],
                         'Filled from the Desktop and the Start menu: 2 groups, 7 shortcuts, 3 items not taken')
        desktop_group, programs_group = self.stored_groups(2)
        self.assertEqual((len(desktop_group['links']), len(programs_group['links'])), (4, 3))
        for group in (desktop_group, programs_group):
            self.assertEqual((group['IsLargeIcon'], group['IsTitleVisible']), ('1', '1'))
        messages = self.session.log_messages()
        windows_desktop = self.session.windows_path(self.desktop)
        windows_programs = self.session.windows_path(self.user_programs)
        for line in (rf'Not taken: {re.escape(windows_desktop)}\\Old game\.lnk: broken: .*gone\.exe is missing',
                     rf'Not taken: {re.escape(windows_programs)}\\Games\\Uninstall Games\.lnk: an uninstaller',
                     r'Not taken: .*\\ProgramData\\.*\\Regedit\.lnk: opens the same as .*\\Registry Editor\.lnk'):
            self.assertTrue(any(re.fullmatch(line, m) for m in messages), line)
        self.assertIn('First-run offer hidden: groups on the panel: 2', messages)

        # The user's files are as they were; shortcuts and the internet shortcut are copied byte
        # for byte, the program gets a shortcut of its own.
        self.assertEqual(self.hashes(self.desktop, self.user_programs, self.common_programs), user_files)
        copies = {name: (self.links / name).read_bytes() for name in desktop_group['links']}
        for original in ('Leave a mark.lnk', 'Notepad.lnk', 'Example site.url'):
            self.assertIn((self.desktop / original).read_bytes(), copies.values(), original)
        targets = {name: self.session.shortcut_target(self.links / name)
                   for name in desktop_group['links'] if name.endswith('.lnk')}
        self.assertIn(self.session.windows_path(self.desktop / 'Helper tool.exe'), targets.values())
        self.assertEqual(sorted(self.session.shortcut_target(self.links / name).rsplit('\\', 1)[-1].lower()
                                for name in programs_group['links']),
                         ['regedit.exe', 'winemine.exe', 'wordpad.exe'])

        self.session.wait_for_log(r'^Icon cache written: 7 shortcuts')
        self.session.save_screenshot('filled')

        # A click on the new shortcut to the batch file runs it.
        mark = self.session.documents / 'ran.txt'
        index = desktop_group['links'].index(
            next(name for name, target in targets.items() if target.lower().endswith('mark.bat')))
        self.session.click(*self.at(cell_centre(desktop_group, index)))
        wait_for(mark.exists, 30, 'the batch file run from its new shortcut')

        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])
        store = (self.links / 'groups.txt').read_bytes()
        self.app = self.session.start()
        wait_for(lambda: len(self.session.log_files()) == 2, 30, 'the log of the second start')
        self.session.wait_for_log(r'^First-run offer hidden: groups on the panel: 2$')
        self.assertNotIn('First-run offer shown', self.session.log_messages())
        self.assertEqual(self.app.close(), 0)
        self.assertEqual((self.links / 'groups.txt').read_bytes(), store)


class NothingToFillTest(FirstRunCase):

    def test_with_nothing_found_the_panel_stays_as_it_was(self):
        self.desktop.mkdir(parents=True, exist_ok=True)
        (self.desktop / 'notes.txt').write_bytes(b'not a shortcut\r\n')
        self.start_fresh()
        since = self.session.log_count()
        self.session.click(*self.check_offer_placement(self.session.save_screenshot('offer-before')))
        self.session.wait_for_log(r'^Nothing on the Desktop or in the Start menu to fill the panel with; it stays as '
                                  r'it was$', since=since)
        self.assertFalse((self.links / 'groups.txt').exists())
        self.assertNotIn('First-run offer hidden', ' '.join(self.session.log_messages()))
        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])


class OfferAtScale:
    """Mixed into a case per language and scale: the offer in that language, where the user sees
    it, fills the panel from a Desktop shortcut with a name in that language."""

    language = None
    name = None

    def test_the_offer_reads_and_works_at_this_scale(self):
        env = utf8_locale(self.language)
        self.desktop.mkdir(parents=True, exist_ok=True)
        self.shortcut(self.desktop / f'{self.name}.lnk', r'C:\windows\notepad.exe', env)
        original = (self.desktop / f'{self.name}.lnk').read_bytes()
        self.start_fresh(**env)
        shot = self.session.save_screenshot(f'offer-{self.language.split(".")[0]}-{self.dpi}')
        at = self.check_offer_placement(shot)
        filled = self.click_offer(at)
        self.assertEqual(filled['message'],
                         'Filled from the Desktop and the Start menu: 1 groups, 1 shortcuts, 0 items not taken')
        (group,) = self.stored_groups(1)
        self.assertEqual((self.links / group['links'][0]).read_bytes(), original)
        self.session.wait_for_log(r'^Icon cache written: 1 shortcuts')
        self.session.save_screenshot(f'filled-{self.language.split(".")[0]}-{self.dpi}')
        self.assertEqual(self.app.close(), 0)
        self.assertEqual((self.desktop / f'{self.name}.lnk').read_bytes(), original)


class ChineseOfferTest(OfferAtScale, FirstRunCase):
    locale = None
    language = 'zh_CN.UTF-8'
    name = '记事本'
    dpi = 144


class DoubleScaleOfferTest(OfferAtScale, FirstRunCase):
    language = 'en_US.UTF-8'
    name = 'Notepad'
    dpi = 192


if __name__ == '__main__':
    unittest.main()
