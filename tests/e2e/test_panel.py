"""The running launcher seen from outside: the button on the top edge, the panel sliding in and out,
the groups drawn on it, its menus, and what an exit stores."""

import json
import re
import unittest

from harness import APP_ENDS, CLOSE_LOGGERS, Group, TilebayTestCase, wait_for

BUTTON_WIDTH, BUTTON_HEIGHT = 100, 77
# The panel's default size on a 1920 x 1080 screen: the work area less 200 and 300.
PANEL_WIDTH, PANEL_HEIGHT = 1720, 780
# What the X window of the panel may leave out of its sizing border, on each side.
FRAME = 8

# Real programs of the prefix for the shortcuts of the prepared groups.
TARGETS = {
    'zzzA1.lnk': r'C:\windows\notepad.exe',
    'zzzA2.lnk': r'C:\windows\regedit.exe',
    'zzzA3.lnk': r'C:\windows\system32\winecfg.exe',
    'zzzA4.lnk': r'C:\windows\system32\cmd.exe',
    'zzzA5.lnk': r'C:\windows\system32\winefile.exe',
    'zzzA6.lnk': r'C:\Program Files\Windows NT\Accessories\wordpad.exe',
    'zzzA7.lnk': r'C:\windows\system32\winemine.exe',
    'zzzA8.lnk': r'C:\windows',
}

GROUPS = (
    Group(x=40, y=48, column=4, titles=True, background=4,
          links=('zzzA1.lnk', 'zzzA2.lnk', 'zzzA3.lnk', 'zzzA4.lnk', 'zzzA8.lnk')),
    Group(x=400, y=48, column=3, background=0, links=('zzzA5.lnk', 'zzzA6.lnk', 'zzzA7.lnk', 'zzzA1.lnk')),
    Group(x=640, y=48, column=2, large=False, titles=True, background=6,
          links=('zzzA2.lnk', 'zzzA8.lnk', 'zzzA3.lnk', 'zzzA6.lnk')),
)


class PanelTestCase(TilebayTestCase):
    """Starts Tilebay with tracing on (the slide's steps and the menus are in the log)."""

    def start(self, groups=None, settings=None):
        self.session.log_folder.mkdir(parents=True, exist_ok=True)
        (self.session.log_folder / 'debug.txt').write_bytes(b'')
        if groups is not None:
            links = self.session.data_folder / 'Data'
            links.mkdir(parents=True, exist_ok=True)
            for name, target in TARGETS.items():
                self.session.make_shortcut(links / name, target)
            self.session.write_store(*groups)
        if settings is not None:
            (self.session.data_folder / 'Settings.ini').write_bytes(settings.replace('\n', '\r\n').encode('ascii'))
        self.app = self.session.start()
        self.button = self.session.wait_for_window('Zenpane')
        self.panel = self.session.wait_for_window('Tilebay')
        self.wait_hidden()
        return self.app

    def geometry(self, window):
        return self.session.window_geometry(window)

    def panel_top(self):
        return self.geometry(self.panel)['y']

    def wait_hidden(self):
        def hidden():
            g = self.geometry(self.panel)
            return g['y'] + g['height'] <= 0
        return wait_for(hidden, 20, 'the panel out of view')

    def wait_shown(self):
        return wait_for(lambda: self.panel_top() >= 0, 20, 'the panel in view')

    def click_button(self):
        g = self.geometry(self.button)
        self.session.click(g['x'] + g['width'] // 2, g['y'] + g['height'] - 4)

    def windows_of_class(self, class_name):
        return json.loads(self.session.helper('windows', class_name))

    def wait_menus(self, count):
        """Waits until that many menus (a menu and its open submenus) are on the screen."""
        wait_for(lambda: len(self.windows_of_class('#32768')) == count, 10, f'{count} menus open')

    def wait_all_icons(self):
        """Waits until every shortcut's icon and name are on the panel."""
        self.session.wait_for_log(r'^All icons shown: ')

    def slide_tops(self, since):
        """The panel's top edges the slide set, from log line since on."""
        return [int(m.group(1)) for line in self.session.log_lines()[since:]
                if (m := re.match(r'^Panel top (-?\d+)$', line['message']))]


class LauncherTest(PanelTestCase):

    def test_fresh_start_hangs_the_button_and_slides_the_panel_out(self):
        self.start()
        g = self.geometry(self.button)
        self.assertEqual((g['x'], g['y'], g['width'], g['height']), (300, 10 - BUTTON_HEIGHT, BUTTON_WIDTH,
                                                                      BUTTON_HEIGHT))
        p = self.geometry(self.panel)
        # The X window may leave out a few pixels of the panel's sizing border.
        self.assertAlmostEqual(p['x'], 100, delta=FRAME)
        self.assertAlmostEqual(p['y'], -PANEL_HEIGHT - 10, delta=FRAME)
        messages = self.session.log_messages()
        for trace in ('TEdgeForm::TEdgeForm', 'TMainForm::TMainForm', 'TEdgeForm::FormShow', 'TMainForm::FormShow'):
            self.assertTrue(any(l['function'] == trace for l in self.session.log_lines()), trace)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])
        self.assertIn('Groups : 0', messages)
        self.assertEqual(self.app.close(), 0)

    def test_clicks_slide_the_panel_in_and_out_and_the_pin_keeps_it(self):
        self.start()
        self.click_button()
        self.wait_shown()
        self.assertAlmostEqual(self.panel_top(), 10, delta=FRAME, msg='right below the button')
        since = len(self.session.log_lines())
        self.click_button()
        self.wait_hidden()
        self.assertEqual(self.slide_tops(since), [-190, -390, -590, -790, -790])

        self.click_button()
        self.wait_shown()
        p = self.geometry(self.panel)
        self.session.click(p['x'] + 900, p['y'] + 500)  # empty panel space
        self.wait_hidden()

        self.click_button()
        self.wait_shown()
        p = self.geometry(self.panel)
        self.session.click(p['x'] + p['width'] - 55 + 11, p['y'] + 2 + 12)  # the pin
        self.session.wait_for_log(r'^Auto-hide off$')
        self.session.click(p['x'] + 900, p['y'] + 500)
        self.session.wait_for_log(r'^================== User ===============> $')
        self.assertAlmostEqual(self.panel_top(), 10, delta=FRAME, msg='a pinned panel stays')
        self.assertEqual(self.app.close(), 0)

    def test_pointing_at_the_button_makes_it_opaque(self):
        self.start()
        g = self.geometry(self.button)

        def opacity():
            out = self.session.xdotool_prop(self.button, '_NET_WM_WINDOW_OPACITY')
            return int(out) if out is not None else None

        self.assertAlmostEqual(opacity() / 0xFFFFFFFF, 180 / 255, delta=0.01)
        self.session.xdotool('mousemove', g['x'] + 50, g['y'] + g['height'] - 4)
        # A fully opaque window carries no opacity of its own.
        wait_for(lambda: opacity() in (None, 0xFFFFFFFF), 10, 'an opaque button')
        self.session.xdotool('mousemove', g['x'] + 500, g['y'] + g['height'] + 300)
        wait_for(lambda: (o := opacity()) is not None and abs(o / 0xFFFFFFFF - 180 / 255) < 0.01, 10,
                 'a translucent button again')
        self.assertEqual(self.app.close(), 0)

    def test_turning_to_another_program_hides_the_panel_unless_it_is_pinned(self):
        self.start()
        self.click_button()
        self.wait_shown()
        other = self.session.start_windows_program('notepad.exe')
        self.wait_hidden()
        self.session.stop_windows_program(other)

        self.click_button()
        self.wait_shown()
        p = self.geometry(self.panel)
        self.session.click(p['x'] + p['width'] - 55 + 11, p['y'] + 2 + 12)  # the pin
        self.session.wait_for_log(r'^Auto-hide off$')
        since = self.session.log_count()
        other = self.session.start_windows_program('notepad.exe')
        self.session.wait_for_log(r'^EnterFunc$', since=since, function='TEdgeForm::ApplicationEvents1Deactivate')
        # A slide would start at once: a moment for one that must not come.
        self.session.pause(0.5)
        self.assertGreaterEqual(self.panel_top(), 0, 'a pinned panel stays')
        self.session.stop_windows_program(other)
        self.assertEqual(self.app.close(), 0)

    def test_exit_from_the_panel_menu_stores_both_windows(self):
        self.start()
        self.click_button()
        self.wait_shown()
        p = self.geometry(self.panel)
        self.session.click(p['x'] + 900, p['y'] + 500, button=3)
        self.session.wait_for_log(r'^Menu: Add New Group')
        self.session.xdotool('key', 'Up', 'Return')
        self.assertEqual(self.app.wait_exit(30), 0)
        text = (self.session.data_folder / 'Settings.ini').read_text().replace('\r\n', '\n')
        self.assertIn('StartButtonPos=30000500\n', text)
        self.assertIn(f'WindowPos={100 * 100000 + 10}\n', text)
        # The sizing border is part of the stored size.
        size = int(re.search(r'WindowSize=(\d+)', text).group(1))
        self.assertEqual((size // 100000, size % 100000), (PANEL_WIDTH, PANEL_HEIGHT))
        for key in ('Color', 'PosX', 'PosY', 'Side', 'VisibleHeight', 'LastBackgroundImageIndex'):
            self.assertIn(f'\n{key}=', text)
        informed = [l['message'] for l in self.session.log_lines() if l['level'] == 'INF']
        self.assertEqual(informed[-2:], [APP_ENDS, CLOSE_LOGGERS])

    def test_a_hidden_panel_stores_its_hidden_place(self):
        self.start()
        self.assertEqual(self.app.close(), 0)
        text = (self.session.data_folder / 'Settings.ini').read_text().replace('\r\n', '\n')
        # WindowPos = x * 100000 + y with y = -790: the stored number is 100 * 100000 - 790.
        self.assertIn(f'WindowPos={100 * 100000 - PANEL_HEIGHT - 10}\n', text)

    def test_stored_places_off_every_screen_still_give_a_usable_panel(self):
        for pos, size in ((5000000000, 172000780), (10000000, 0), (10000000, 10000000000)):
            with self.subTest(pos=pos, size=size):
                self.start(settings=f'[MainForm]\nWindowPos={pos}\nWindowSize={size}\n')
                try:
                    self.click_button()
                    self.wait_shown()
                    p = self.geometry(self.panel)
                    self.assertGreaterEqual(p['x'], 0)
                    self.assertLessEqual(p['x'] + p['width'], 1920)
                    self.assertGreaterEqual(p['width'], 390)
                    self.assertGreaterEqual(p['height'], 290)
                    self.assertLessEqual(p['y'] + p['height'], 1080 + 10)
                    self.assertEqual(self.app.close(), 0)
                finally:
                    self.app.kill()

    def test_a_store_that_cannot_be_read_is_reported_and_the_program_runs_on(self):
        store = self.session.data_folder / 'Data' / 'groups.txt'
        store.mkdir(parents=True)  # a folder where the store should be
        self.start()
        box = wait_for(lambda: next((w for w in self.session.visible_windows('Tilebay') if w != self.panel), None), 20,
                       'the error box')
        self.assertTrue(any(l['level'] == 'ERR' and 'Unable to read' in l['message']
                            for l in self.session.log_lines()))
        g = self.geometry(box)
        self.session.click(g['x'] + g['width'] // 2, g['y'] + g['height'] - 17)  # its OK button
        wait_for(lambda: len(self.session.visible_windows('Tilebay')) == 1, 20, 'the box closed')
        self.click_button()
        self.wait_shown()
        self.assertTrue(store.is_dir(), 'nothing replaced the unread store')
        self.assertEqual(self.app.close(), 0)


class GroupsTest(PanelTestCase):
    locale = 'en_US.UTF-8'

    def test_groups_are_drawn_on_the_panel_and_their_menus_open(self):
        self.start(groups=GROUPS)
        self.assertIn('Groups : 3', self.session.log_messages())
        self.click_button()
        self.wait_shown()
        self.wait_all_icons()
        self.session.save_screenshot('panel-groups')
        p = self.geometry(self.panel)

        def menu_at(x, y):
            since = len(self.session.log_lines())
            self.session.click(p['x'] + x, p['y'] + y, button=3)
            line = wait_for(lambda: next((l for l in self.session.log_lines()[since:]
                                          if l['message'].startswith('Menu: ')), None), 20, 'a menu')
            self.wait_menus(1)
            return line['message']

        panel_menu = menu_at(1200, 600)
        self.session.save_screenshot('menu-panel')
        self.session.xdotool('key', 'Escape')
        self.assertEqual(panel_menu, 'Menu: Add New Group | - | Options ... | About ... | - | '
                                     'Restore Layout [No snapshots yet (disabled)] | Export Groups ... | '
                                     'Import Groups ... | - | Exit Application')

        # The group at (640, 48) shows small icons on the orange background: body space below its cells.
        group_menu = menu_at(640 + 100, 48 + 7 + 14 + 5 + 2 * 24 + 10)
        self.session.save_screenshot('menu-group')
        self.session.xdotool('key', 'Escape')
        self.assertEqual(group_menu, 'Menu: Icon Style [Large | Large With Text | Small (x)] | '
                                     'Background [Green | Purple | Red | Gray | Blue | Jade | Orange (x)] | - | '
                                     'Delete Group')

        # The first shortcut of the first group.
        link_menu = menu_at(40 + 5 + 14 + 35, 48 + 7 + 14 + 5 + 40)
        self.session.save_screenshot('menu-link')
        self.session.xdotool('key', 'Escape')
        self.assertEqual(link_menu, 'Menu: Open File Location ... | Show Tooltip (x) | Properties ... | - | '
                                    'Delete Shortcut')
        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])


class ChineseGroupsTest(PanelTestCase):
    locale = 'zh_CN.UTF-8'

    def test_groups_and_texts_in_chinese(self):
        self.start(groups=GROUPS)
        self.click_button()
        self.wait_shown()
        self.wait_all_icons()
        self.session.save_screenshot('panel-groups-zh')
        p = self.geometry(self.panel)
        self.session.click(p['x'] + 1200, p['y'] + 600, button=3)
        line = self.session.wait_for_log(r'^Menu: ')
        self.wait_menus(1)
        self.session.save_screenshot('menu-panel-zh')
        self.session.xdotool('key', 'Escape')
        self.assertEqual(line['message'], 'Menu: 新建组 | - | 选项 ... | 关于 ... | - | '
                                          '恢复布局 [尚无快照 (disabled)] | 导出组 ... | 导入组 ... | - | 退出程序')
        self.assertEqual(self.app.close(), 0)


if __name__ == '__main__':
    unittest.main()
