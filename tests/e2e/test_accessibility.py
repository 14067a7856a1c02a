"""The panel for screen-reader and keyboard users: a client in another process walks the groups
and shortcuts the panel draws as accessible objects and starts one through its default action;
a session with the keys only moves over the panel, hears of every move, opens a shortcut's menu
and starts it."""

import json
import queue
import subprocess
import threading
import unittest

from harness import HELPER, wait_for
from test_keyboard_launch import KeyboardTestCase

ROLE_LIST, ROLE_LISTITEM, ROLE_PANE = 0x21, 0x22, 0x10
STATE_SELECTED, STATE_FOCUSED, STATE_INVISIBLE = 0x2, 0x4, 0x8000


def inside(inner, outer):
    x, y, w, h = inner
    ox, oy, ow, oh = outer
    return w > 0 and h > 0 and ox <= x and oy <= y and x + w <= ox + ow and y + h <= oy + oh


class AccessibilityTest(KeyboardTestCase):

    def show_panel(self):
        self.click_button()
        self.wait_shown()
        self.session.wait_for_log(r'^All icons shown')

    def test_a_reader_in_another_process_walks_the_panel_and_starts_a_shortcut(self):
        self.start_launcher()
        self.show_panel()
        tree = json.loads(self.session.helper('accessible', 'TMainForm'))
        self.assertEqual((tree['name'], tree['role']), ('Shortcut groups', ROLE_PANE))
        groups = [child for child in tree['children'] if child['role'] == ROLE_LIST]
        self.assertEqual([g['name'] for g in groups], ['Group 1, 3 shortcuts', 'Group 2, 2 shortcuts'])
        names = [[link['name'] for link in g['children']] for g in groups]
        self.assertEqual(len(names[0]), 3)
        self.assertEqual(len(names[1]), 2)
        self.assertIn('记事本', names[0])
        panel = self.geometry(self.panel)
        for group in groups:
            self.assertTrue(inside(group['location'], (panel['x'], panel['y'], panel['width'], panel['height'])), group)
            for link in group['children']:
                self.assertEqual((link['role'], link['action']), (ROLE_LISTITEM, 'Open'))
                self.assertTrue(inside(link['location'], group['location']), link)
                self.assertFalse(link['state'] & STATE_INVISIBLE, link)
        # The band's controls are there by name too.
        controls = {child['name'] for child in tree['children'] if child['role'] != ROLE_LIST}
        self.assertIn('Add a new group', controls)
        # The locations are where the cells are: a click on the second group's first cell runs it.
        cfg = groups[1]['children'][0]
        since = self.session.log_count()
        x, y, w, h = cfg['location']
        self.session.click(x + w // 2, y + h // 2)
        self.session.wait_for_log(r'^Running zzzCfg\.lnk$', since=since)
        self.wait_hidden()

        # A hidden panel's shortcuts are out of view; the reader's default action still starts one.
        tree = json.loads(self.session.helper('accessible', 'TMainForm'))
        first = [c for c in tree['children'] if c['role'] == ROLE_LIST][0]['children'][0]
        self.assertTrue(first['state'] & STATE_INVISIBLE, first)
        since = self.session.log_count()
        self.assertEqual(self.session.helper('accessible', 'TMainForm', names[0][0]).strip(), 'done')
        self.session.wait_for_log(r'^Running zzzReg\.lnk$', since=since)
        self.session.wait_for_window('Registry Editor')
        self.assertEqual(self.app.close(), 0)

    def test_keys_only_tab_arrows_menu_and_enter_with_the_reader_told_of_each_move(self):
        self.start_launcher()
        # A reader in another process, told of every focus and selection change on the panel.
        watcher = subprocess.Popen([self.session.wine, str(HELPER), 'focus-events', 'TMainForm', '100'],
                                   env=self.session.environment(), cwd=str(self.session.prefix),
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(watcher.stdout.close)
        self.addCleanup(lambda: watcher.poll() is None and watcher.kill())
        self.assertEqual(watcher.stdout.readline().strip(), 'watching')
        lines = queue.Queue()
        threading.Thread(target=lambda: [lines.put(line.strip()) for line in watcher.stdout], daemon=True).start()

        def heard(*expected):
            """Waits until the reader has heard each of the lines (in any order: Wine hands events
            to a reader in another process in no fixed order)."""
            missing = set(expected)
            while missing:
                try:
                    missing.discard(lines.get(timeout=20))
                except queue.Empty:
                    self.fail(f'the reader never heard {sorted(missing)}')

        # The hotkey brings the panel with the keyboard in the search box; Tab takes it onto the
        # panel, the first group's first shortcut; Tab again the next group; Right its next one.
        self.summon()
        self.session.wait_for_log(r'^All icons shown')
        self.press('Tab', r'^Keyboard on group 1, zzzReg\.lnk$')
        heard('focus "regedit"', 'selection "regedit"')
        self.press('Tab', r'^Keyboard on group 2, zzzCfg\.lnk$')
        heard('focus "winecfg"', 'selection "winecfg"')
        self.press('Right', r'^Keyboard on group 2, zzzNote2\.lnk$')
        heard('focus "notepad"', 'selection "notepad"')
        self.session.save_screenshot('keyboard-focus')

        self.press('shift+F10', r'^Menu of zzzNote2\.lnk$')
        wait_for(lambda: self.windows_of_class('#32768'), 10, 'the shortcut menu')
        self.session.save_screenshot('keyboard-menu')
        self.session.xdotool('key', 'Escape')
        wait_for(lambda: not self.windows_of_class('#32768'), 10, 'the menu closed')
        # Shift+Tab goes back to the first group, at its first shortcut; Enter starts it.
        self.press('shift+Tab', r'^Keyboard on group 1, zzzReg\.lnk$')
        self.press('Return', r'^Running zzzReg\.lnk$')
        self.session.wait_for_window('Registry Editor')
        self.assertEqual(self.app.close(), 0)


if __name__ == '__main__':
    unittest.main()
