"""The panel's commands and the Options dialog, driven with real clicks and keys: adding groups,
their icon style and background, the shortcut commands, deleting groups, and the dialog's
pages, keys and what OK and Cancel store."""

import json
import re
import subprocess
import time
import unittest

from harness import Group, read_ini, wait_for
from test_panel import PanelTestCase

BUTTON_HEIGHT = 77
USER_MARKER = '=' * 18 + ' User ' + '=' * 15 + '> '

# One group of large icons without names on the green background, at (40, 48) of the panel.
ONE_GROUP = (Group(x=40, y=48, background=0, links=('zzzA1.lnk', 'zzzGone.lnk', 'zzzA2.lnk')),)
# A second group of two shortcuts at (500, 48), in front of the first.
TWO_GROUPS = ONE_GROUP + (Group(x=500, y=48, column=4, titles=True, background=4, links=('zzzA5.lnk', 'zzzA6.lnk')),)

# Client points of the first group: space of its card above the cells (its menu whatever the
# icon style), its first shortcut, and a patch of its background below the cells.
GROUP_SPACE = (100, 62)
FIRST_LINK = (89, 98)
GROUP_PATCH = (60, 124, 300, 10)


class CommandsTestCase(PanelTestCase):
    """The panel shown, with helpers that read its stores and windows from outside."""

    locale = 'en_US.UTF-8'
    # Wine draws the windows' captions itself, so that screenshots show the dialog's title.
    wine_draws_captions = False

    def start(self, groups=None, settings=None):
        if groups is not None:
            # A shortcut whose target is gone.
            links = self.session.data_folder / 'Data'
            links.mkdir(parents=True, exist_ok=True)
            self.session.make_shortcut(links / 'zzzGone.lnk', r'C:\nothing\here\gone.exe')
        if self.wine_draws_captions:
            self.session.wine_command('reg', 'add', r'HKCU\Software\Wine\X11 Driver', '/v', 'Decorated', '/d', 'N',
                                      '/f')
        app = super().start(groups=groups, settings=settings)
        self.click_button()
        self.wait_shown()
        self.session.wait_for_log(r'^First paint of the panel done')
        return app

    # Files ----------------------------------------------------------------------------------

    @property
    def links(self):
        return self.session.data_folder / 'Data'

    @property
    def settings_file(self):
        return self.session.data_folder / 'Settings.ini'

    def store_text(self):
        try:
            return (self.links / 'groups.txt').read_bytes().decode('ascii')
        except FileNotFoundError:
            return ''

    def store(self):
        store = read_ini(self.store_text())
        return store if 'Group' in store else {}

    def wait_store(self, predicate, timeout, what):
        """Waits until the group store satisfies predicate; returns it and the seconds it took."""
        begin = time.monotonic()
        store = wait_for(lambda: (lambda s: s if s and predicate(s) else None)(self.store()), timeout, what,
                         interval=0.1)
        return store, time.monotonic() - begin

    def file_state(self, path):
        return (path.stat().st_mtime_ns, path.read_bytes()) if path.exists() else None

    # Windows ---------------------------------------------------------------------------------

    def panel_client(self):
        """Screen rectangle of the panel's client area."""
        return self.windows_of_class('TMainForm')[0]['client']

    def at(self, point):
        """Screen point of a client point of the panel."""
        client = self.panel_client()
        return client[0] + point[0], client[1] + point[1]

    def menu_at(self, point, button=3):
        """Right-clicks a client point of the panel; returns the menu's log line."""
        since = len(self.session.log_lines())
        self.session.click(*self.at(point), button=button)
        line = wait_for(lambda: next((l for l in self.session.log_lines()[since:]
                                      if l['message'].startswith('Menu: ')), None), 20, 'a menu')
        self.wait_menus(1)
        return line['message']


    def keys(self, *keys):
        self.session.xdotool('key', '--delay', '120', *keys)

    def command(self, keys, handler):
        """Chooses a menu item with keys and waits for its handler's user marker."""
        since = len(self.session.log_lines())
        self.keys(*keys)
        wait_for(lambda: any(l['function'] == handler and l['message'] == USER_MARKER
                             for l in self.session.log_lines()[since:]), 20, f'{handler} to run')

    def mean_color(self, shot, rect):
        x, y, w, h = rect
        left, top = self.at((x, y))
        out = subprocess.run(['convert', str(shot), '-crop', f'{w}x{h}+{left}+{top}', '+repage', '-resize', '1x1!',
                              '-format', '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]', 'info:'],
                             capture_output=True, text=True, check=True).stdout
        return tuple(int(v) for v in out.split(','))

    def dialog(self):
        dialogs = self.windows_of_class('TOptionsForm')
        return dialogs[0] if dialogs else None

    def wait_dialog(self):
        """Waits until the Options dialog shows with the focus on one of its controls."""
        return wait_for(lambda: (lambda d: d if d and self.focused(d) else None)(self.dialog()), 20,
                        'the Options dialog with its focus')

    def wait_no_dialog(self):
        wait_for(lambda: self.dialog() is None, 20, 'the Options dialog closed')

    @staticmethod
    def control(dialog, class_name, text=None):
        return next(c for c in dialog['controls'] if c['class'].lower() == class_name.lower()
                    and (text is None or c['text'] == text))

    @staticmethod
    def focused(dialog):
        return next((c for c in dialog['controls'] if c['focused']), None)

    def click_control(self, control, button=1):
        r = control['rect']
        self.session.click((r[0] + r[2]) // 2, (r[1] + r[3]) // 2, button)

    def open_options(self, about=False):
        self.menu_at((1200, 600))
        self.command(['Down', 'Down'] + (['Down'] if about else []) + ['Return'],
                     'TMainForm::mMenuItemAboutClick' if about else 'TMainForm::mMenuItemOptionsClick')
        dialog = self.wait_dialog()
        # The keyboard goes to the window that was clicked last: a click on the dialog's empty
        # corner, which moves no focus inside it.
        self.session.click(dialog['client'][0] + 12, dialog['client'][3] - 12)
        # Nothing in the program marks the click: X gives the keyboard to the window meanwhile.
        self.session.pause(0.3)
        return self.dialog()

    def user_actions(self, handler):
        """How often the handler of a user's action ran."""
        return sum(l['function'] == handler and l['message'] == USER_MARKER for l in self.session.log_lines())

    def wait_tab(self, dialog, key):
        """Presses a key that moves the dialog's focus and waits until the focus moved."""
        before = self.focused(dialog)
        self.keys(key)
        return wait_for(lambda: (lambda d: d if self.focused(d) != before else None)(self.dialog()), 10,
                        f'the focus moved by {key}')

    def wait_page(self, page):
        """Waits until the dialog shows that page alone; returns the dialog."""
        def shown():
            dialog = self.dialog()
            sheets = {c['text']: c['visible'] for c in dialog['controls'] if c['class'] == 'TTabSheet'} if dialog else {}
            return dialog if sheets.get(page) and sum(sheets.values()) == 1 else None
        return wait_for(shown, 10, f'the page {page}')

    def button_top(self):
        return self.geometry(self.button)['y']

    def assertTracedAsUserAction(self, handler):
        """Each run of the handler is traced, its entry followed at once by the user marker line."""
        lines = [(l['function'], l['message']) for l in self.session.log_lines()]
        entries = [i for i, line in enumerate(lines) if line == (handler, 'EnterFunc')]
        self.assertTrue(entries, f'{handler} never ran')
        for i in entries:
            self.assertEqual(lines[i + 1], (handler, USER_MARKER))
            self.assertTrue(any(f == handler and m.startswith('ExitFunc ') for f, m in lines[i + 2:]))


class AddGroupTest(CommandsTestCase):

    def test_the_add_button_cascades_and_the_panel_menu_adds_where_it_opened(self):
        self.start()
        client = self.panel_client()
        add = (client[2] - client[0] - 30 + 11, 2 + 12)
        for added in range(1, 4):
            self.session.click(*self.at(add))
            wait_for(lambda: self.user_actions('TMainForm::mBtnAddClick') == added, 10, f'group {added} added')
        point = (700, 420)
        self.assertEqual(self.menu_at(point), 'Menu: Add New Group | - | Options ... | About ... | - | '
                                              'Restore Layout [No snapshots yet (disabled)] | Export Groups ... | '
                                              'Import Groups ... | - | Exit Application')
        self.session.save_screenshot('menu-panel')
        self.command(['Down', 'Return'], 'TMainForm::mMenuItemAddNewGroupClick')
        store, seconds = self.wait_store(lambda s: s['Group'].get('GroupCount') == '4', 6, 'four groups stored')
        self.assertLess(seconds, 6)
        places = [(int(store[f'Group-{g}']['X']), int(store[f'Group-{g}']['Y'])) for g in range(4)]
        self.assertEqual(places, [(20, 20), (40, 40), (60, 60), point])

        # The menu's group did not move the cascade on.
        self.session.click(*self.at(add))
        store, _ = self.wait_store(lambda s: s['Group'].get('GroupCount') == '5', 6, 'five groups stored')
        self.assertEqual((store['Group-4']['X'], store['Group-4']['Y']), ('80', '80'))
        self.session.save_screenshot('panel-added-groups')
        for handler in ('TMainForm::mBtnAddClick', 'TMainForm::mMenuItemAddNewGroupClick'):
            self.assertTracedAsUserAction(handler)

        # The product's name and the corner link open the product's page (under the reserved
        # example domain: nothing real is contacted).
        self.session.click(*self.at((client[2] - client[0] - 200 + 12, 5 + 7)))
        self.session.wait_for_log(r'^Opening http://www\.tilebay\.example/Tilebay/$')
        self.session.click(*self.at((8 + 30, client[3] - client[1] - 8 - 7)))
        wait_for(lambda: len([l for l in self.session.log_lines() if l['message'].startswith('Opening ')]) == 2, 10,
                 'the page opened twice')
        for handler in ('TMainForm::mLbProductNameClick', 'TMainForm::mLbBottomLeftClick'):
            self.assertTracedAsUserAction(handler)

        # A group added right before the program closes is stored by the close, not lost with the
        # save timer's next tick.
        self.session.click(*self.at(add))
        wait_for(lambda: sum(l['function'] == 'TMainForm::mBtnAddClick' and l['message'] == USER_MARKER
                             for l in self.session.log_lines()) == 5, 10, 'the sixth group added')
        self.assertEqual(self.app.close(), 0)
        self.assertEqual(self.store()['Group'].get('GroupCount'), '6')


class GroupMenuTest(CommandsTestCase):

    def test_icon_style_and_background_change_the_group_and_are_stored(self):
        self.start(groups=ONE_GROUP)
        before = self.session.save_screenshot('group-large')

        self.assertEqual(self.menu_at(GROUP_SPACE), 'Menu: Icon Style [Large (x) | Large With Text | Small] | '
                                                    'Background [Green (x) | Purple | Red | Gray | Blue | Jade | '
                                                    'Orange] | - | Delete Group')
        self.keys('Down', 'Right')
        self.wait_menus(2)
        self.session.save_screenshot('menu-group')
        since = self.session.log_count()
        self.command(['Down', 'Down', 'Return'], 'TMainForm::MenuItemChangeIconStyleClick')
        store, _ = self.wait_store(lambda s: s['Group-0']['IsLargeIcon'] == '0', 6, 'small icons stored')
        self.assertEqual(store['Group-0']['IsTitleVisible'], '1')
        self.session.wait_for_paint(since)
        small = self.session.save_screenshot('group-small')
        self.assertNotEqual(self.mean_color(before, (40, 48, 640, 100)), self.mean_color(small, (40, 48, 640, 100)))

        self.assertIn('Small (x)', self.menu_at(GROUP_SPACE))
        self.command(['Down', 'Right', 'Return'], 'TMainForm::MenuItemChangeIconStyleClick')
        store, _ = self.wait_store(lambda s: s['Group-0']['IsLargeIcon'] == '1', 6, 'large icons stored')
        self.assertEqual(store['Group-0']['IsTitleVisible'], '0')

        # The style already checked changes nothing: the store is not written again, also not by
        # the save timer's next tick (nothing marks a write that does not happen: a fixed wait).
        written = self.file_state(self.links / 'groups.txt')
        self.assertIn('Large (x)', self.menu_at(GROUP_SPACE))
        self.command(['Down', 'Right', 'Return'], 'TMainForm::MenuItemChangeIconStyleClick')
        self.session.pause(6)
        self.assertEqual(self.file_state(self.links / 'groups.txt'), written)

        # Red, the third background.
        green = self.mean_color(self.session.save_screenshot('group-green'), GROUP_PATCH)
        self.menu_at(GROUP_SPACE)
        self.keys('Down', 'Down', 'Right')
        self.wait_menus(2)
        self.session.save_screenshot('menu-group-background')
        since = self.session.log_count()
        self.command(['Down', 'Down', 'Return'], 'TMainForm::OnGroupBackgroundMenuItemClick')
        self.wait_store(lambda s: s['Group-0']['BackgroundIndex'] == '2', 6, 'the red background stored')
        self.session.wait_for_paint(since)
        red = self.mean_color(self.session.save_screenshot('group-red'), GROUP_PATCH)
        self.assertGreater(green[1], max(green[0], green[2]), f'green background {green}')
        self.assertGreater(red[0], max(red[1], red[2]), f'red background {red}')
        self.assertIn('Red (x)', self.menu_at(GROUP_SPACE))
        self.keys('Escape')
        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])


class LinkAndDeleteTest(CommandsTestCase):

    def test_shortcut_commands_and_deleting_a_group(self):
        self.start(groups=TWO_GROUPS)
        second_group = (500 + 5 + 14 + 2 * 70 + 35, 48 + 7 + 14 + 5 + 40)  # right of its two shortcuts

        # Deleting a group writes the store at once (nothing else is waiting to be written) and
        # keeps its shortcuts' files. Its tooltip was showing.
        self.session.xdotool('mousemove', *self.at(second_group))
        self.session.xdotool('mousemove', *self.at((500 + 5 + 14 + 35, 48 + 7 + 14 + 5 + 40)))
        wait_for(lambda: self.windows_of_class('THintWindow'), 10, 'the tooltip of the group\'s shortcut')
        self.assertTrue(self.menu_at(second_group).endswith('Delete Group'))
        self.command(['Up', 'Return'], 'TMainForm::mMenuItemDeleteGroupClick')
        store, seconds = self.wait_store(lambda s: s['Group'].get('GroupCount') == '1', 3, 'one group stored')
        self.assertLess(seconds, 1.5, 'written at once, not by the save timer')
        self.assertTrue((self.links / 'zzzA5.lnk').exists() and (self.links / 'zzzA6.lnk').exists())
        # The pointer goes over where the group was, and over the other group: nothing of the
        # deleted group is reached.
        for point in ((560, 100), (700, 120), FIRST_LINK, (900, 400)):
            self.session.xdotool('mousemove', *self.at(point))
            # A move leaves no line in the log: the pointer rests a moment at each point.
            self.session.pause(0.3)
        self.assertTrue(self.app.running)
        self.assertEqual(self.windows_of_class('THintWindow'), [])

        # "Open File Location" is offered only for a target that is there.
        link_menu = self.menu_at(FIRST_LINK)
        self.session.save_screenshot('menu-link')
        self.keys('Escape')
        self.assertEqual(link_menu, 'Menu: Open File Location ... | Show Tooltip (x) | Properties ... | - | '
                                    'Delete Shortcut')
        gone = (FIRST_LINK[0] + 60, FIRST_LINK[1])
        self.assertEqual(self.menu_at(gone), 'Menu: Open File Location ... (disabled) | Show Tooltip (x) | '
                                             'Properties ... | - | Delete Shortcut')
        self.keys('Escape')

        # Show Tooltip toggles and is stored.
        self.menu_at(FIRST_LINK)
        self.command(['Down', 'Down', 'Return'], 'TMainForm::mMenuItemShowToolTipClick')
        self.wait_store(lambda s: s['Group-0-Link-0'].get('IsShowingToolTip') == '0', 6, 'the tooltip off stored')
        self.assertIn('| Show Tooltip |', self.menu_at(FIRST_LINK))
        self.command(['Down', 'Down', 'Return'], 'TMainForm::mMenuItemShowToolTipClick')
        self.wait_store(lambda s: s['Group-0-Link-0'].get('IsShowingToolTip') == '1', 6, 'the tooltip on stored')

        # Delete Shortcut removes the shortcut and its file.
        self.assertTrue((self.links / 'zzzGone.lnk').exists())
        self.menu_at(gone)
        self.command(['Up', 'Return'], 'TMainForm::mMenuItemDeleteLinkItemClick')
        store, _ = self.wait_store(lambda s: s['Group-0']['LinkCount'] == '2', 6, 'two shortcuts stored')
        self.assertEqual([store[f'Group-0-Link-{k}']['Lnk'] for k in range(2)], ['zzzA1.lnk', 'zzzA2.lnk'])
        self.assertFalse((self.links / 'zzzGone.lnk').exists())
        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])


class OptionsDialogTest(CommandsTestCase):
    wine_draws_captions = True

    def test_keys_ok_and_cancel(self):
        self.start()
        dialog = self.open_options()
        self.session.save_screenshot('options-general')
        self.assertEqual(dialog['title'], 'Options')
        self.assertTrue(dialog['active'])
        client = dialog['client']
        middle = ((client[0] + client[2]) // 2, (client[1] + client[3]) // 2)
        self.assertLessEqual(abs(middle[0] - 960), 1, 'centred across the screen')
        self.assertLessEqual(abs(middle[1] - 540), 20, 'centred down the screen')
        pages = {c['text']: c['visible'] for c in dialog['controls'] if c['class'] == 'TTabSheet'}
        self.assertEqual(pages, {'General': True, 'About': False})
        self.assertEqual(self.control(dialog, 'Edit')['text'], '10')
        self.assertTrue(self.control(dialog, 'Button', '&OK')['default'])
        self.assertEqual(self.focused(dialog)['class'], 'SysTabControl32', 'the focus starts on the tabs')

        # Tab goes round the controls of the page, the buttons and the tabs; Shift+Tab goes back.
        order = []
        for _ in range(7):
            dialog = self.wait_tab(dialog, 'Tab')
            focus = self.focused(dialog)
            order.append(focus['text'] or focus['class'])
        self.assertEqual(order, ['10', 'Change color ...', 'Auto start when user logs on Windows', 'msctls_hotkey32',
                                 '&OK', '&Cancel', 'SysTabControl32'])
        dialog = self.wait_tab(dialog, 'shift+Tab')
        self.assertEqual(self.focused(dialog)['text'], '&Cancel')
        self.assertTrue(self.control(dialog, 'Button', '&Cancel')['default'], 'the focused button is the default')
        self.assertFalse(self.control(dialog, 'Button', '&OK')['default'])

        # Esc cancels: nothing is written, the button stays.
        settings = self.file_state(self.settings_file)
        top = self.button_top()
        self.keys('Tab', 'Tab', '9', '9')
        self.assertEqual(self.control(self.dialog(), 'Edit')['text'], '99')
        self.keys('Escape')
        self.wait_no_dialog()
        # Nothing marks a write that does not happen: a moment for one that should not.
        self.session.pause(1)
        self.assertEqual(self.file_state(self.settings_file), settings)
        self.assertEqual(self.button_top(), top)

        # A new height and Enter: stored, and the button moves at once.
        self.open_options()
        self.keys('Tab')
        self.assertEqual(self.focused(self.dialog())['class'], 'Edit')
        self.keys('4', '0')
        self.assertEqual(self.control(self.dialog(), 'Edit')['text'], '40', 'typing replaced the selected text')
        self.keys('Return')
        wait_for(lambda: self.button_top() == 40 - BUTTON_HEIGHT, 3, 'the button at its new height')
        self.wait_no_dialog()
        text = self.settings_file.read_text()
        self.assertIn('VisbleHeight=40', text)

        # The arrow keys step the height; a number out of range is never stored.
        self.open_options()
        self.keys('Tab', 'Up', 'Up')
        self.assertEqual(self.control(self.dialog(), 'Edit')['text'], '42')
        self.keys('End', 'BackSpace', 'BackSpace', '9', '0', '0')
        self.assertEqual(self.control(self.dialog(), 'Edit')['text'], '900')
        self.keys('Return')
        self.wait_no_dialog()
        wait_for(lambda: 'VisbleHeight=42' in self.settings_file.read_text(), 3, 'the last valid height stored')
        self.assertEqual(self.button_top(), 42 - BUTTON_HEIGHT)

        # Alt+C is Cancel, also after a change of the check box.
        settings = self.file_state(self.settings_file)
        self.open_options()
        self.keys('Tab', 'Tab', 'Tab', 'space')
        self.assertFalse(self.control(self.dialog(), 'Button', 'Auto start when user logs on Windows')['checked'])
        self.keys('alt+c')
        self.wait_no_dialog()
        # Nothing marks a write that does not happen: a moment for one that should not.
        self.session.pause(1)
        self.assertEqual(self.file_state(self.settings_file), settings)

        self.assertTrue([l for l in self.session.log_lines() if l['function'] == 'TMainForm::mMenuItemOptionsClick'
                         and l['message'] == USER_MARKER])
        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])

    def test_about_page_copy_colour_and_the_hidden_message(self):
        self.start()
        dialog = self.open_options(about=True)
        self.session.save_screenshot('options-about')
        pages = {c['text']: c['visible'] for c in dialog['controls'] if c['class'] == 'TTabSheet'}
        self.assertEqual(pages, {'General': False, 'About': True})
        texts = [c['text'] for c in dialog['controls'] if c['class'] == 'Static' and c['visible']]
        self.assertEqual(texts, ['Tilebay', 'Version: 1.0.0.17', '\u00a9 2013 Tilebay makers.',
                                 'support@tilebay.example'])
        # No text runs under the button beside it.
        support = self.control(dialog, 'Static', 'support@tilebay.example')
        copy = self.control(dialog, 'Button', 'Copy')
        self.assertLess(support['rect'][2], copy['rect'][0])

        self.click_control(copy)
        wait_for(lambda: json.loads(self.session.helper('clipboard')) == 'support@tilebay.example', 5,
                 'the support address on the clipboard')

        # A double click on the product's name shows a message only with Ctrl held.
        name = self.control(dialog, 'Static', 'Tilebay')
        r = name['rect']
        self.session.xdotool('mousemove', (r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
        self.session.xdotool('click', '--repeat', '2', '--delay', '80', '1')
        # No box must come: a while for one that should not.
        self.session.pause(1.5)
        self.assertEqual(self.windows_of_class('#32770'), [])
        self.session.xdotool('keydown', 'ctrl')
        self.session.xdotool('click', '--repeat', '2', '--delay', '80', '1')
        self.session.xdotool('keyup', 'ctrl')
        box = wait_for(lambda: next(iter(self.windows_of_class('#32770')), None), 10, 'the message box')
        self.assertIn('Made with care. Enjoy!', [c['text'] for c in box['controls']])
        self.session.save_screenshot('options-hidden-message')
        self.keys('Return')
        wait_for(lambda: not self.windows_of_class('#32770'), 10, 'the message box closed')

        # Ctrl+Tab shows the General page; the colour panel opens the colour dialog.
        self.session.click(self.dialog()['client'][0] + 12, self.dialog()['client'][3] - 12)
        self.keys('ctrl+Tab')
        dialog = self.wait_page('General')
        self.click_control(self.control(dialog, 'Button', 'Change color ...'))
        colours = wait_for(lambda: self.windows_of_class('#32770'), 10, 'the colour dialog')
        self.session.save_screenshot('options-colour-dialog')
        self.keys('Escape')
        wait_for(lambda: not self.windows_of_class('#32770'), 10, 'the colour dialog closed')
        self.assertTrue(colours)
        self.assertIsNotNone(self.dialog())
        self.session.click(self.dialog()['client'][0] + 12, self.dialog()['client'][3] - 12)
        self.keys('Escape')
        self.wait_no_dialog()
        self.assertEqual(self.app.close(), 0)


class ChineseCommandsTest(CommandsTestCase):
    locale = 'zh_CN.UTF-8'
    wine_draws_captions = True

    def test_menus_and_dialog_pages_in_chinese(self):
        self.start(groups=ONE_GROUP)
        self.assertEqual(self.menu_at((1200, 600)), 'Menu: 新建组 | - | 选项 ... | 关于 ... | - | '
                                                    '恢复布局 [尚无快照 (disabled)] | 导出组 ... | 导入组 ... | - | 退出程序')
        self.session.save_screenshot('menu-panel-zh')
        self.keys('Escape')
        self.menu_at(GROUP_SPACE)
        self.keys('Down', 'Right')
        self.wait_menus(2)
        self.session.save_screenshot('menu-group-zh')
        self.keys('Escape', 'Escape')
        self.assertEqual(self.menu_at(FIRST_LINK), 'Menu: 打开文件位置 ... | 显示提示 (x) | 属性 ... | - | 删除此快捷方式')
        self.session.save_screenshot('menu-link-zh')
        self.keys('Escape')

        dialog = self.open_options()
        self.session.save_screenshot('options-general-zh')
        self.assertEqual(dialog['title'], '选项')
        self.assertEqual({c['text']: c['visible'] for c in dialog['controls'] if c['class'] == 'TTabSheet'},
                         {'常用': True, '关于': False})
        texts = {c['text'] for c in dialog['controls']}
        self.assertTrue({'浮动按钮可见高度', '颜色', '改变颜色...', '当用户登录到Windows时自动启动', '确定', '取消'} <= texts)
        self.keys('ctrl+Tab')
        self.wait_page('关于')
        self.session.save_screenshot('options-about-zh')
        self.keys('Escape')
        self.wait_no_dialog()
        self.assertEqual(self.app.close(), 0)


if __name__ == '__main__':
    unittest.main()
