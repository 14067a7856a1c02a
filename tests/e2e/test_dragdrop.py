"""Drag and drop seen from outside: files dragged from another program onto a group become
shortcuts, a drag over the button brings the hidden panel up, and real mouse drags move groups,
resize them, and move shortcuts between groups."""

import re
import subprocess
import unittest

from harness import HELPER, read_groups, wait_for
from test_panel import GROUPS, PanelTestCase

# Where the drag source window of the helper stands on the screen: below the panel.
SOURCE = (200, 900)
SOURCE_SIZE = 60


class DragTestCase(PanelTestCase):
    locale = 'en_US.UTF-8'

    @property
    def store_path(self):
        return self.session.data_folder / 'Data' / 'groups.txt'

    def store(self):
        try:
            return read_groups(self.store_path)
        except (OSError, ValueError):
            return []

    def group_with(self, link, groups=None):
        """The stored group holding the shortcut file link."""
        return next((g for g in (groups or self.store()) if link in g['links']), None)

    def wait_store(self, condition, timeout, what):
        return wait_for(lambda: (lambda groups: groups if groups and condition(groups) else None)(self.store()),
                        timeout, what, interval=0.1)

    def show_and_pin(self):
        self.click_button()
        self.wait_shown()
        self.session.wait_for_log(r'^First paint of the panel done')
        p = self.geometry(self.panel)
        self.session.click(p['x'] + p['width'] - 55 + 11, p['y'] + 2 + 12)  # the pin
        self.session.wait_for_log(r'^Auto-hide off$')
        return self.geometry(self.panel)

    def client(self, x, y):
        """A screen point of a point of the panel's client area."""
        p = self.geometry(self.panel)
        return p['x'] + x, p['y'] + y

    # Input ---------------------------------------------------------------------------------

    @staticmethod
    def steps(start, end, step=10):
        """Points from start (excluded) to end (included), at most step pixels apart."""
        (x0, y0), (x1, y1) = start, end
        n = max(1, int(max(abs(x1 - x0), abs(y1 - y0)) / step + 0.999))
        return [(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n)) for i in range(1, n + 1)]

    def move_along(self, start, end, step=10, delay=0.05):
        """Moves the pointer in small steps, as a hand does; returns where it ends."""
        command = []
        for x, y in self.steps(start, end, step):
            command += ['mousemove', x, y, 'sleep', delay]
        if command:
            self.session.xdotool(*command)
        return end

    def press(self, at):
        self.session.xdotool('mousemove', *at, 'sleep', 0.2, 'mousedown', 1, 'sleep', 0.1)
        # A few small moves near the press start the drag.
        x, y = at
        command = []
        for i in range(1, 6):
            command += ['mousemove', x + 2 * i, y, 'sleep', 0.05]
        self.session.xdotool(*command)
        return x + 10, y

    def release(self, at):
        x, y = at
        self.session.xdotool('mousemove', x + 2, y, 'sleep', 0.05, 'mousemove', x, y, 'sleep', 0.1, 'mouseup', 1)

    def mouse_drag(self, start, end, screenshot=None):
        """A real drag with the left button from start to end (screen points); returns once the
        panel has taken the release."""
        at = self.press(start)
        at = self.move_along(at, end)
        if screenshot:
            self.screenshot_while_dragging(screenshot)
        since = self.session.log_count()
        self.release(at)
        self.session.wait_for_log(r'^=+ User =+> $', 10, since=since, function='TMainForm::FormMouseUp')

    def screenshot_while_dragging(self, name):
        # Each move paints; no line tells which paint is the last one: the pointer rests a moment.
        self.session.pause(0.3)
        self.session.save_screenshot(name)

    # The drag source -------------------------------------------------------------------------

    def make_files(self, *names):
        folder = self.session.documents / 'dropme'
        folder.mkdir(parents=True, exist_ok=True)
        paths = []
        for name in names:
            (folder / name).write_bytes(b'dropped on the panel\r\n')
            paths.append(self.session.windows_path(folder / name))
        return paths

    def start_drag_source(self, files, items_only=False):
        command = 'drag-items' if items_only else 'drag'
        process = subprocess.Popen([self.session.wine, str(HELPER), command, *map(str, SOURCE), *files],
                                   env=self.session.environment(), cwd=str(self.session.prefix),
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        self.session.wait_for_window('E2eDragSource')
        # The helper says nothing once its window takes presses: a moment for it.
        self.session.pause(0.5)
        return process

    @staticmethod
    def source_result(process):
        out, _ = process.communicate(timeout=30)
        return out.strip()


class ShellDropTest(DragTestCase):

    def test_files_dragged_from_another_program_onto_a_group_add_a_shortcut_for_the_first(self):
        self.start(groups=GROUPS)
        self.show_and_pin()
        files = self.make_files('alpha.txt', 'beta.txt', 'gamma.txt')
        before = self.store()
        source = self.start_drag_source(files)

        # Onto the right half of the last shortcut of the group at (400, 48) (cells 60 x 48 from
        # (419, 74), three columns): the new shortcut comes last.
        at = self.press((SOURCE[0] + 20, SOURCE[1] + 20))
        at = self.move_along(at, self.client(419 + 60 + 50, 74 + 48 + 24))
        self.screenshot_while_dragging('shell-drag-over-group')
        since = self.session.log_count()
        self.release(at)
        self.assertTrue(self.source_result(source).startswith('dropped'))

        line = self.session.wait_for_log(r'^Added zzz[0-9A-Fa-f]+\.lnk for ', 10)
        lnk = re.match(r'^Added (\S+) for (.*) at ', line['message']).group(1)
        groups = self.wait_store(lambda gs: self.group_with(lnk, gs), 6, f'{lnk} in the group store')
        group = self.group_with(lnk, groups)
        self.assertEqual(group['links'], ['zzzA5.lnk', 'zzzA6.lnk', 'zzzA7.lnk', 'zzzA1.lnk', lnk])
        self.assertEqual((group['X'], group['Y']), ('400', '48'))
        self.assertEqual(sum(len(g['links']) for g in groups), sum(len(g['links']) for g in before) + 1)
        self.assertEqual(self.session.shortcut_target(self.session.data_folder / 'Data' / lnk).lower(),
                         files[0].lower())
        self.assertFalse(list((self.session.data_folder / 'Data').glob('*.tmp')))
        self.session.wait_for_paint(since)
        self.session.save_screenshot('shell-drop-added')
        self.assertEqual(self.app.close(), 0)
        self.assertFalse([l for l in self.session.log_lines() if l['level'] == 'ERR'])

    def test_a_drag_over_the_button_brings_the_hidden_panel_up_to_take_the_drop(self):
        self.start(groups=GROUPS)
        files = self.make_files('report.txt')
        source = self.start_drag_source(files)
        b = self.geometry(self.button)
        button = (b['x'] + b['width'] // 2, b['y'] + b['height'] - 5)

        at = self.press((SOURCE[0] + 20, SOURCE[1] + 20))
        at = self.move_along(at, button)
        for dx in (3, -3, 3, -3):
            at = self.move_along(at, (at[0] + dx, at[1]), delay=0.1)
        self.wait_shown()
        self.screenshot_while_dragging('shell-drag-over-button')

        # Down into the first shortcut's left half of the group at (40, 48), cells 70 x 80 from (59, 74).
        at = self.move_along(at, self.client(59 + 10, 74 + 40))
        self.screenshot_while_dragging('shell-drag-over-first-shortcut')
        self.release(at)
        self.assertTrue(self.source_result(source).startswith('dropped'))

        line = self.session.wait_for_log(r'^Added zzz[0-9A-Fa-f]+\.lnk for ', 10)
        lnk = line['message'].split()[1]
        groups = self.wait_store(lambda gs: self.group_with(lnk, gs), 6, f'{lnk} in the group store')
        self.assertEqual(self.group_with(lnk, groups)['links'],
                         [lnk, 'zzzA1.lnk', 'zzzA2.lnk', 'zzzA3.lnk', 'zzzA4.lnk', 'zzzA8.lnk'])
        self.assertEqual(self.session.shortcut_target(self.session.data_folder / 'Data' / lnk).lower(),
                         files[0].lower())
        self.assertEqual(self.app.close(), 0)

    def test_a_virtual_item_without_a_file_is_added_from_its_item_id_list(self):
        self.start(groups=GROUPS)
        self.show_and_pin()
        # My Computer has no file. Wine's own data object for it still offers a made-up file name,
        # so the helper offers what the shell offers on Windows: the shell item alone.
        computer = '::{20D04FE0-3AEA-1069-A2D8-08002B30309D}'
        source = self.start_drag_source([computer], items_only=True)
        at = self.press((SOURCE[0] + 20, SOURCE[1] + 20))
        at = self.move_along(at, self.client(419 + 60 + 50, 74 + 48 + 24))
        since = self.session.log_count()
        self.release(at)
        self.assertTrue(self.source_result(source).startswith('dropped'))
        line = self.session.wait_for_log(r'^Added zzz[0-9A-Fa-f]+\.lnk for ', 10)
        lnk, target = re.match(r'^Added (\S+) for (.*) at \d+,\d+$', line['message']).groups()
        self.assertEqual(target.lower(), computer.lower())
        groups = self.wait_store(lambda gs: self.group_with(lnk, gs), 6, f'{lnk} in the group store')
        self.assertEqual(self.group_with(lnk, groups)['links'][-1], lnk)
        self.assertEqual(self.session.shortcut_target(self.session.data_folder / 'Data' / lnk), '',
                         'no file system target')
        self.session.wait_for_paint(since)
        self.session.save_screenshot('virtual-item-added')
        self.assertEqual(self.app.close(), 0)

    def test_a_drop_on_empty_panel_space_or_on_the_button_adds_nothing(self):
        self.start(groups=GROUPS)
        self.show_and_pin()
        files = self.make_files('stray.txt')
        links = self.session.data_folder / 'Data'

        def shortcut_files():
            return sorted(p.name for p in links.iterdir() if p.suffix in ('.lnk', '.tmp'))
        before = shortcut_files()
        stored = [g['links'] for g in self.store()]

        source = self.start_drag_source(files)
        at = self.press((SOURCE[0] + 20, SOURCE[1] + 20))
        at = self.move_along(at, self.client(1200, 600))
        self.release(at)
        self.source_result(source)
        self.session.wait_for_log(r'^Dropped on no group at \d+,\d+: nothing added$', 10)

        b = self.geometry(self.button)
        source = self.start_drag_source(files)
        at = self.press((SOURCE[0] + 20, SOURCE[1] + 20))
        at = self.move_along(at, (b['x'] + 50, b['y'] + b['height'] - 4))
        self.release(at)
        self.source_result(source)
        self.session.wait_for_log(r'^Dropped on the button: nothing added$', 10)
        # Nothing must be stored, also by the save timer's next tick: a fixed wait.
        self.session.pause(6)
        self.assertEqual(shortcut_files(), before)
        self.assertEqual([g['links'] for g in self.store()], stored)
        self.assertEqual(self.app.close(), 0)


class PanelDragTest(DragTestCase):

    def test_a_group_dragged_by_its_top_strip_snaps_to_eight_pixels_and_is_stored(self):
        self.start(groups=GROUPS)
        self.show_and_pin()
        # The group at (40, 48), pressed 10 px below its top, moved by (+53, +37): 93, 85 -> 88, 80.
        start = self.client(140, 58)
        self.mouse_drag(start, (start[0] + 53, start[1] + 37), screenshot='group-moving')
        groups = self.wait_store(lambda gs: self.group_with('zzzA4.lnk', gs).get('X') == '88', 8,
                                 'the moved group stored')
        group = self.group_with('zzzA4.lnk', groups)
        self.assertEqual((group['X'], group['Y']), ('88', '80'))
        self.assertEqual(groups[-1], group, 'the dragged group is drawn on top')
        self.session.save_screenshot('group-moved')
        self.assertEqual(self.app.close(), 0)

    def test_a_corner_resize_stores_whole_columns(self):
        self.start(groups=GROUPS)
        self.show_and_pin()
        # The group at (400, 48) is 3 x 60 + 38 = 218 wide and 143 high; its corner dragged by
        # +130: right edge 748 -> 744, a body of 334 px holds 5 columns.
        start = self.client(400 + 218 - 8, 48 + 143 - 8)
        self.mouse_drag(start, (start[0] + 130, start[1] + 20), screenshot='group-resizing')
        groups = self.wait_store(lambda gs: self.group_with('zzzA7.lnk', gs).get('Column') == '5', 8,
                                 'the new column count stored')
        group = self.group_with('zzzA7.lnk', groups)
        self.assertEqual((group['X'], group['Y'], group['Column']), ('400', '48', '5'))
        self.session.save_screenshot('group-resized')
        self.assertEqual(self.app.close(), 0)

    def test_a_shortcut_dragged_to_another_group_moves_there_and_keeps_its_file(self):
        self.start(groups=GROUPS)
        self.show_and_pin()
        # zzzA2.lnk, the second shortcut of the group at (40, 48), onto the left half of the second
        # shortcut of the group at (400, 48).
        self.mouse_drag(self.client(59 + 70 + 35, 74 + 30), self.client(419 + 60 + 8, 74 + 24),
                        screenshot='shortcut-drag-insertion-bar')
        groups = self.wait_store(lambda gs: 'zzzA2.lnk' in self.group_with('zzzA7.lnk', gs)['links'], 8,
                                 'the moved shortcut stored')
        self.assertEqual(self.group_with('zzzA7.lnk', groups)['links'],
                         ['zzzA5.lnk', 'zzzA2.lnk', 'zzzA6.lnk', 'zzzA7.lnk', 'zzzA1.lnk'])
        self.assertEqual(self.group_with('zzzA4.lnk', groups)['links'],
                         ['zzzA1.lnk', 'zzzA3.lnk', 'zzzA4.lnk', 'zzzA8.lnk'])
        self.assertTrue((self.session.data_folder / 'Data' / 'zzzA2.lnk').is_file())
        self.session.save_screenshot('shortcut-moved')
        self.assertEqual(self.app.close(), 0)

    def test_a_shortcut_released_on_empty_space_stays_where_it_was(self):
        self.start(groups=GROUPS)
        self.show_and_pin()
        # zzzA3.lnk, the third shortcut of the group at (40, 48), out onto the empty panel.
        self.mouse_drag(self.client(59 + 140 + 35, 74 + 30), self.client(1200, 600),
                        screenshot='shortcut-drag-floating-icon')
        # Nothing must be stored, also by the save timer's next tick: a fixed wait.
        self.session.pause(6)
        group = self.group_with('zzzA4.lnk')
        self.assertEqual(group['links'], ['zzzA1.lnk', 'zzzA2.lnk', 'zzzA3.lnk', 'zzzA4.lnk', 'zzzA8.lnk'])
        self.assertEqual((group['X'], group['Y']), ('40', '48'))
        self.assertEqual(self.app.close(), 0)

    def test_dragging_the_top_band_moves_the_panel(self):
        self.start(groups=GROUPS)
        p = self.show_and_pin()
        start = self.client(900, 15)
        self.mouse_drag(start, (start[0] + 60, start[1] + 40))
        # The panel follows the pointer from the move that starts the drag on: the first 4 px of
        # the press's small moves (2 px each, sideways) are not part of it.
        moved = self.geometry(self.panel)
        self.assertEqual((moved['x'] - p['x'], moved['y'] - p['y']), (56, 40))
        self.assertEqual(self.app.close(), 0)
        text = (self.session.data_folder / 'Settings.ini').read_text().replace('\r\n', '\n')
        pos = int(re.search(r'WindowPos=(-?\d+)', text).group(1))
        self.assertEqual((pos // 100000, pos % 100000), (100 + 56, 10 + 40))


if __name__ == '__main__':
    unittest.main()
