"""The launcher on screens of 100, 150 and 200 percent (the prefix's LogPixels at 96, 144 and 192):
the button and everything on the panel at the screen's scale, clicks and drags where the user sees
things, and a store that keeps the same places whatever the screen it was written on."""

import unittest

from harness import Group, read_groups, wait_for
from test_commands import CommandsTestCase
from test_dragdrop import DragTestCase
from test_panel import GROUPS

# A group whose one shortcut starts a batch file that leaves a mark: a click on it must run it.
RUN_GROUP = Group(x=40, y=300, column=3, titles=True, background=2, links=('zzzRun.lnk',))
# The first shortcut's cell centre of RUN_GROUP, in design pixels: the group's corner, the card's
# margin (5, 7), the cell area's inset (14, 14 + 5) and half a cell of 70 x 80.
RUN_CELL = (40 + 5 + 14 + 35, 300 + 7 + 14 + 5 + 40)


def px(design, dpi):
    """A design length at a density, rounded as the program rounds it."""
    whole, rest = divmod(abs(design) * dpi, 96)
    value = whole + (1 if rest >= 48 else 0)
    return value if design >= 0 else -value


class ScaledScreenCase(CommandsTestCase):
    dpi = 96
    button_size = (100, 77)
    # Real mouse drags, as the drag tests make them.
    steps = staticmethod(DragTestCase.steps)
    move_along = DragTestCase.move_along
    press = DragTestCase.press
    release = DragTestCase.release
    mouse_drag = DragTestCase.mouse_drag

    def set_dpi(self, dpi):
        result = self.session.wine_command('reg', 'add', r'HKCU\Control Panel\Desktop', '/v', 'LogPixels', '/t',
                                           'REG_DWORD', '/d', str(dpi), '/f')
        self.assertEqual(result.returncode, 0, result.stderr)

    def start(self, groups=None, settings=None):
        self.set_dpi(self.dpi)
        documents = self.session.documents
        documents.mkdir(parents=True, exist_ok=True)
        (documents / 'mark.bat').write_bytes(b'@echo ran> "%~dp0ran.txt"\r\n')
        links = self.session.data_folder / 'Data'
        links.mkdir(parents=True, exist_ok=True)
        self.session.make_shortcut(links / 'zzzRun.lnk', self.session.windows_path(documents / 'mark.bat'))
        return super().start(groups=groups, settings=settings)

    def px(self, design):
        return px(design, self.dpi)

    def scaled(self, point):
        return self.px(point[0]), self.px(point[1])

    @property
    def mark(self):
        return self.session.documents / 'ran.txt'

    def groups(self):
        return read_groups(self.links / 'groups.txt')

    def click_to_run(self, design_point):
        """Clicks a shortcut at its place on the screen's scale and waits for its program's mark."""
        if self.mark.exists():
            self.mark.unlink()
        self.session.click(*self.at(self.scaled(design_point)))
        wait_for(self.mark.exists, 30, 'the shortcut clicked to run its program')

    def check_scaled_screen(self, screenshots):
        self.start(groups=GROUPS + (RUN_GROUP,))
        button = self.geometry(self.button)
        self.assertEqual((button['width'], button['height']), self.button_size)
        self.wait_all_icons()
        if screenshots:
            self.session.save_screenshot(f'panel-{self.dpi}')

        # The menus of the panel, of a group and of a shortcut, each where the user sees them.
        self.assertTrue(self.menu_at((1500, 650)).startswith('Menu: Add New Group'))
        if screenshots:
            self.session.save_screenshot(f'menu-panel-{self.dpi}')
        self.keys('Escape')
        self.assertTrue(self.menu_at(self.scaled((740, 132))).startswith('Menu: Icon Style'))
        self.keys('Down', 'Right')
        self.wait_menus(2)
        if screenshots:
            self.session.save_screenshot(f'menu-group-{self.dpi}')
        self.keys('Escape', 'Escape')
        self.assertTrue(self.menu_at(self.scaled((94, 114))).startswith('Menu: Open File Location'))
        if screenshots:
            self.session.save_screenshot(f'menu-link-{self.dpi}')
        self.keys('Escape')
        self.wait_menus(0)

        # The group at (40, 48), pressed 10 design pixels below its top and moved by (+53, +37)
        # design pixels, lands at (88, 80) in the store, as at 100 percent.
        start = self.at(self.scaled((140, 58)))
        self.mouse_drag(start, (start[0] + self.px(53), start[1] + self.px(37)))
        groups = wait_for(lambda: (lambda gs: gs if any(g['X'] == '88' for g in gs) else None)(self.groups()), 10,
                          'the moved group stored')
        moved = next(g for g in groups if 'zzzA4.lnk' in g['links'])
        self.assertEqual((moved['X'], moved['Y']), ('88', '80'))

        self.click_to_run(RUN_CELL)
        # The click hides the panel; once it is away, the button brings it back.
        self.wait_hidden()
        self.click_button()
        self.wait_shown()
        dialog = self.open_options()
        if screenshots:
            self.session.save_screenshot(f'options-{self.dpi}')
        self.assertEqual(dialog['title'], 'Options')
        self.keys('Escape')
        self.wait_no_dialog()
        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])


class DesignScreenTest(ScaledScreenCase):
    def test_everything_at_the_design_size(self):
        self.check_scaled_screen(screenshots=False)


class OneAndAHalfScreenTest(ScaledScreenCase):
    dpi = 144
    button_size = (150, 116)

    def test_everything_at_one_and_a_half_times(self):
        self.check_scaled_screen(screenshots=True)


class DoubleScreenTest(ScaledScreenCase):
    dpi = 192
    button_size = (200, 154)

    def test_everything_at_twice_the_size_and_the_store_reads_the_same_at_the_design_size(self):
        self.check_scaled_screen(screenshots=True)
        written = (self.links / 'groups.txt').read_bytes()
        # The same store at 100 percent: the shortcut is where the design puts it, and the store
        # is left as it was.
        self.set_dpi(96)
        self.dpi = 96
        self.app = self.session.start()
        self.button = self.session.wait_for_window('Zenpane')
        self.panel = self.session.wait_for_window('Tilebay')
        self.wait_hidden()
        self.assertEqual(self.geometry(self.button)['width'], 100)
        self.click_button()
        self.wait_shown()
        self.wait_all_icons()
        self.click_to_run(RUN_CELL)
        self.assertEqual(self.app.close(), 0)
        self.assertEqual((self.links / 'groups.txt').read_bytes(), written)


if __name__ == '__main__':
    unittest.main()
