"""Launching from the keyboard with real keys: the hotkey brings the panel down with the keyboard
in its filter box, a few letters (or the pinyin initials of a Chinese name) and Enter start a
program, arrows move the selection across groups, Esc clears and then hides, and the hotkey is
set in the Options dialog, which says when another program holds the keys."""

import re
import subprocess
import unittest

from harness import HELPER, Group, read_ini, utf8_locale, wait_for
from test_commands import CommandsTestCase

TARGETS = {
    'zzzReg.lnk': r'C:\windows\regedit.exe',
    'zzzNote1.lnk': r'C:\windows\notepad.exe',
    'zzzNote2.lnk': r'C:\windows\notepad.exe',
    'zzzCfg.lnk': r'C:\windows\system32\winecfg.exe',
}
# A batch file named 记事本 ("notepad") that leaves a mark: the shortcut to it shows that name.
CHINESE_LINK = 'zzzJsb.lnk'
GROUPS = (
    Group(x=40, y=48, column=3, titles=True, background=4, links=('zzzReg.lnk', CHINESE_LINK, 'zzzNote1.lnk')),
    Group(x=400, y=48, column=3, titles=True, background=0, links=('zzzCfg.lnk', 'zzzNote2.lnk')),
)
# Ctrl+Alt+K as the hotkey box and the settings file hold it, and as RegisterHotKey takes it.
CTRL_ALT_K = ((2 | 4) << 8) | 0x4B
CTRL_ALT_J = ((2 | 4) << 8) | 0x4A
MOD_ALT, MOD_CONTROL = 0x1, 0x2


class KeyboardTestCase(CommandsTestCase):
    # Wine names files by the character set of the C library's locale: the program runs in a
    # UTF-8 locale, so that a file named 记事本 reaches it as such.
    locale = None
    language = 'en_US.UTF-8'

    def start_launcher(self, hotkey='Ctrl+Alt+Space', held=True):
        self.session.log_folder.mkdir(parents=True, exist_ok=True)
        (self.session.log_folder / 'debug.txt').write_bytes(b'')
        links = self.session.data_folder / 'Data'
        links.mkdir(parents=True, exist_ok=True)
        for name, target in TARGETS.items():
            self.session.make_shortcut(links / name, target)
        documents = self.session.documents
        (documents / '记事本.bat').write_bytes(b'@echo ran> "%~dp0ran.txt"\r\n')
        # The helper's command line carries Chinese in a UTF-8 locale too.
        made = subprocess.run([self.session.wine, str(HELPER), 'shortcut', self.session.windows_path(links / CHINESE_LINK),
                               self.session.windows_path(documents / '记事本.bat')],
                              env=self.session.environment(**utf8_locale(self.language)), cwd=str(self.session.prefix),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(made.returncode, 0)
        self.session.write_store(*GROUPS)
        self.app = self.session.start(**utf8_locale(self.language))
        self.button = self.session.wait_for_window('Zenpane')
        self.panel = self.session.wait_for_window('Tilebay')
        self.wait_hidden()
        if held:
            self.session.wait_for_log(rf'^Hotkey: {re.escape(hotkey)}$')
        else:
            self.session.wait_for_log(rf'^The hotkey {re.escape(hotkey)} is held by another program')

    def hotkey(self, keys='ctrl+alt+space'):
        # X gives the keys to the window under the pointer, and Wine sees only keys that reach
        # one of its windows: the pointer rests on the button. On Windows the keys work anywhere.
        button = self.geometry(self.button)
        self.session.xdotool('mousemove', button['x'] + button['width'] // 2, button['y'] + button['height'] - 3)
        since = self.session.log_count()
        self.session.xdotool('key', keys)
        return since

    def summon(self):
        """The hotkey on a hidden panel: it comes down with the filter box focused."""
        since = self.hotkey()
        self.session.wait_for_log(r'^Filter box shown by the hotkey', since=since)
        self.wait_shown()
        self.session.wait_for_log(r'^First paint of the panel done')

    def type(self, text, matches):
        since = self.session.log_count()
        self.session.xdotool('type', '--delay', '120', text)
        self.session.wait_for_log(rf'^Filter "{text}": {matches} matches$', since=since)

    def press(self, key, pattern):
        since = self.session.log_count()
        self.session.xdotool('key', key)
        return self.session.wait_for_log(pattern, since=since)


class KeyboardLaunchTest(KeyboardTestCase):

    def test_hotkey_letters_and_enter_start_programs_and_esc_and_the_hotkey_hide(self):
        self.start_launcher()

        self.summon()
        self.type('reg', 1)
        self.session.save_screenshot('filter-reg')
        self.press('Return', r'^Running zzzReg\.lnk$')
        self.session.wait_for_window('Registry Editor')
        self.wait_hidden()

        # "notepad" is zzzNote1 in the first group and zzzNote2 in the second: the first is
        # selected, Right goes to the other group's.
        self.summon()
        self.type('notepad', 2)
        self.session.save_screenshot('filter-notepad')
        self.press('Right', r'^Selected zzzNote2\.lnk$')
        self.session.save_screenshot('filter-selection-moved')
        self.press('Escape', r'^Filter "": 0 matches$')
        self.session.xdotool('key', 'Escape')
        self.wait_hidden()

        # The hotkey on a panel in view takes it away; pressed again while it slides out, it
        # brings the panel back once the slide has ended.
        self.summon()
        self.hotkey()
        self.summon()
        self.hotkey()
        self.wait_hidden()
        self.assertEqual(self.app.close(), 0)


class HotkeyOptionsTest(KeyboardTestCase):

    def hold_hotkey(self, modifiers, key):
        """Another program that holds a hotkey until killed."""
        holder = subprocess.Popen([self.session.wine, str(HELPER), 'hold-hotkey', str(modifiers), str(key)],
                                  env=self.session.environment(), cwd=str(self.session.prefix),
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(lambda: holder.poll() is None and holder.kill())
        self.assertEqual(holder.stdout.readline().strip(), 'held')
        return holder

    def options(self):
        self.click_button()
        self.wait_shown()
        self.session.wait_for_log(r'^First paint of the panel done')
        return self.open_options()

    def taken_note(self, dialog):
        return self.control(dialog, 'Static', 'Another program uses these keys')

    def test_a_held_hotkey_is_reported_and_a_new_one_replaces_the_old(self):
        # The stored hotkey is Ctrl+Alt+K, which another program took first.
        holder = self.hold_hotkey(MOD_CONTROL | MOD_ALT, 0x4B)
        self.session.data_folder.mkdir(parents=True, exist_ok=True)
        self.settings_file.write_bytes(f'[Hotkey]\r\nKeys={CTRL_ALT_K}\r\n'.encode('ascii'))
        self.app = None
        self.start_launcher(hotkey='Ctrl+Alt+K', held=False)
        refusals = [l for l in self.session.log_lines() if 'is held by another program' in l['message']]
        self.assertEqual(len(refusals), 1, 'said once in the log')
        self.assertEqual(refusals[0]['message'],
                         'The hotkey Ctrl+Alt+K is held by another program; the panel has no hotkey')
        self.assertEqual(self.windows_of_class('#32770'), [], 'no message box at start')

        dialog = self.options()
        self.assertTrue(self.taken_note(dialog)['visible'])
        self.session.save_screenshot('options-hotkey-taken')

        # Once the other program let go, OK gives the keys to the panel.
        holder.kill()
        holder.wait(10)
        since = self.session.log_count()
        self.click_control(self.control(self.dialog(), 'Button', '&OK'))
        self.wait_no_dialog()
        self.session.wait_for_log(r'^Hotkey: Ctrl\+Alt\+K$', since=since)
        self.click_button()
        self.wait_hidden()
        since = self.hotkey('ctrl+alt+k')
        self.session.wait_for_log(r'^Filter box shown by the hotkey', since=since)
        self.wait_shown()
        self.type('cfg', 1)
        self.press('Escape', r'^Filter "": 0 matches$')
        self.session.xdotool('key', 'Escape')
        self.wait_hidden()

        # A new hotkey set in the box takes the place of the old one.
        dialog = self.options()
        self.assertFalse(self.taken_note(dialog)['visible'])
        self.click_control(self.control(dialog, 'msctls_hotkey32'))
        self.session.pause(0.3)  # nothing marks the click: X gives the keyboard to the box meanwhile
        self.session.xdotool('key', 'ctrl+alt+j')
        self.session.pause(0.3)  # nor the keys in the box: the log line after OK shows what it took
        since = self.session.log_count()
        self.click_control(self.control(self.dialog(), 'Button', '&OK'))
        self.wait_no_dialog()
        self.session.wait_for_log(r'^Hotkey: Ctrl\+Alt\+J$', since=since)
        self.assertEqual(read_ini(self.settings_file.read_text())['Hotkey']['Keys'], str(CTRL_ALT_J))
        self.click_button()
        self.wait_hidden()

        since = self.hotkey('ctrl+alt+k')
        self.session.pause(1.0)  # nothing to wait for: the old keys must stay without effect
        self.assertFalse(any(l['message'].startswith('Filter box shown') for l in self.session.log_lines()[since:]))
        since = self.hotkey('ctrl+alt+j')
        self.session.wait_for_log(r'^Filter box shown by the hotkey', since=since)
        self.wait_shown()
        self.assertEqual(self.app.close(), 0)


class ChineseKeyboardTest(KeyboardTestCase):
    language = 'zh_CN.UTF-8'

    def test_pinyin_initials_find_a_chinese_name_and_enter_runs_it(self):
        self.start_launcher()
        self.summon()
        self.session.save_screenshot('filter-empty-zh')
        # The pinyin initials of 记事本 find it, and Enter runs it.
        self.type('jsb', 1)
        self.session.save_screenshot('filter-jsb-zh')
        self.press('Return', r'^Running zzzJsb\.lnk$')
        wait_for((self.session.documents / 'ran.txt').exists, 30, 'the batch file named 记事本 run')
        self.assertEqual(self.app.close(), 0)


if __name__ == '__main__':
    unittest.main()
