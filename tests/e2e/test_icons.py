"""Shortcut icons at scale: the panel paints at once and icons arrive from a worker thread, a
warm icon cache shows them in the first picture, a damaged cache is ignored and made anew, and
the program's GDI and USER objects stay few whatever the number of shortcuts."""

import os
import re
import subprocess
import unittest

from test_panel import PanelTestCase, TARGETS
from harness import Group, wait_for

ALL_SHOWN = r'^All icons shown: (\d+) shortcuts, GDI objects (\d+), USER objects (\d+)$'


def groups_of(group_sizes, columns=5):
    """Groups of the given sizes; shortcut n of the whole store is zzzN.lnk. The first groups sit
    side by side along the top of the panel, the rest in a second row."""
    groups, number = [], 0
    for g, size in enumerate(group_sizes):
        groups.append(Group(x=40 + (g % 4) * 420, y=48 + (g // 4) * 360, column=columns, titles=True,
                            background=g % 7, links=tuple(f'zzz{number + i}.lnk' for i in range(size))))
        number += size
    return groups


class IconTestCase(PanelTestCase):

    def prepare(self, group_sizes):
        """Shortcut files for every shortcut of the groups, the same few programs behind them,
        copied from a few made by the helper (making each one would take minutes)."""
        links = self.session.data_folder / 'Data'
        links.mkdir(parents=True, exist_ok=True)
        models = []
        for i, target in enumerate(TARGETS.values()):
            model = links / f'model{i}.lnk'
            self.session.make_shortcut(model, target)
            models.append(model.read_bytes())
        for number in range(sum(group_sizes)):
            (links / f'zzz{number}.lnk').write_bytes(models[number % len(models)])
        for model in links.glob('model*.lnk'):
            model.unlink()
        self.session.write_store(*groups_of(group_sizes))

    @property
    def cache(self):
        return self.session.data_folder / 'IconCache.bin'

    def start_fresh(self):
        """Starts the program and waits for its own log file (every start writes a new one)."""
        since = len(self.session.log_files())
        self.start()
        wait_for(lambda: len(self.session.log_files()) > since, 30, 'the new log file')

    def start_and_wait_for_icons(self, timeout=120):
        self.start_fresh()
        line = self.session.wait_for_log(ALL_SHOWN, timeout=timeout)
        return re.match(ALL_SHOWN, line['message'])

    def show_panel(self):
        since = self.session.log_count()
        self.click_button()
        self.wait_shown()
        self.session.wait_for_paint(since)

    def groups_picture(self, shot, name):
        """The part of a screenshot that shows the groups (below the panel's band), as a file."""
        p = self.geometry(self.panel)
        crop = f'1600x500+{p["x"] + 40}+{max(p["y"], 0) + 48}'
        path = shot.with_name(f'{name}-groups.png')
        subprocess.run(['convert', str(shot), '-crop', crop, '+repage', str(path)], check=True)
        return path

    @staticmethod
    def differing_pixels(a, b):
        out = subprocess.run(['compare', '-metric', 'AE', str(a), str(b), 'null:'], capture_output=True, text=True)
        return int(float(out.stderr.split()[0]))

    def errors(self):
        return [l for l in self.session.log_lines() if l['level'] == 'ERR']

    def close_app(self):
        self.assertEqual(self.app.close(), 0)


class ManyShortcutsTest(IconTestCase):

    def test_ten_thousand_shortcuts_get_their_icons_with_few_system_objects(self):
        sizes = [40] * 4 + [615] * 16
        self.assertEqual(sum(sizes), 10000)
        self.prepare(sizes)
        found = self.start_and_wait_for_icons(timeout=600)
        shortcuts, gdi, user = map(int, found.groups())
        self.assertEqual(shortcuts, 10000)
        self.assertLess(gdi, 1000)
        self.assertLess(user, 1000)
        self.assertGreater(gdi, 0, 'counted, not a stub answer')
        self.assertGreater(user, 0, 'counted, not a stub answer')
        messages = self.session.log_messages()
        self.assertIn('First paint of the panel done', messages)
        self.assertLess(messages.index('First paint of the panel done'),
                        next(i for i, m in enumerate(messages) if re.match(ALL_SHOWN, m)),
                        'the first paint does not wait for the icons')
        self.show_panel()
        self.session.save_screenshot('ten-thousand')
        self.assertFalse(self.errors())
        self.close_app()
        self.assertGreater(self.cache.stat().st_size, 10000 * 20, 'every shortcut is in the cache')


class IconCacheTest(IconTestCase):

    SIZES = [8, 8, 8]

    def test_a_warm_cache_shows_the_icons_in_the_first_picture(self):
        self.prepare(self.SIZES)
        self.start_and_wait_for_icons()
        self.show_panel()
        complete = self.groups_picture(self.session.save_screenshot('first-start'), 'first-start')
        self.close_app()
        self.assertTrue(self.cache.is_file())
        written = self.cache.stat().st_mtime_ns

        self.start_fresh()
        self.show_panel()
        shot = self.groups_picture(self.session.save_screenshot('second-start'), 'second-start')
        self.assertEqual(self.differing_pixels(shot, complete), 0, 'every icon and name is there at once')
        self.session.wait_for_log(ALL_SHOWN)
        messages = self.session.log_messages()
        self.assertTrue([m for m in messages if re.match(r'^Icon cache read: 24 shortcuts, \d+ pictures$', m)])
        self.assertFalse([m for m in messages if m.startswith('Looking up the icons')], 'nothing asked of the shell')
        self.assertFalse(self.errors())
        self.close_app()
        self.assertEqual(self.cache.stat().st_mtime_ns, written, 'an unchanged cache is not written again')

    def test_a_damaged_cache_is_ignored_and_made_anew(self):
        self.prepare(self.SIZES)
        self.start_and_wait_for_icons()
        self.show_panel()
        complete = self.groups_picture(self.session.save_screenshot('first-start'), 'first-start')
        self.close_app()
        good = self.cache.read_bytes()
        cases = [
            ('random bytes', os.urandom(len(good)), 'checksum|not an icon cache'),
            ('truncated', good[:len(good) // 2], 'length|short|cut'),
            ('empty', b'', 'shorter than its header'),
        ]
        for what, damaged, reason in cases:
            with self.subTest(what):
                self.cache.write_bytes(damaged)
                found = self.start_and_wait_for_icons()
                self.assertEqual(int(found.group(1)), 24)
                ignored = self.session.wait_for_log(r'^The icon cache .*IconCache\.bin is ignored and made anew: ')
                self.assertRegex(ignored['message'], reason)
                self.session.wait_for_log(r'^Icon cache written: 24 shortcuts, \d+ pictures$')
                self.show_panel()
                name = f'after-{what.replace(" ", "-")}'
                shot = self.groups_picture(self.session.save_screenshot(name), name)
                self.assertEqual(self.differing_pixels(shot, complete), 0)
                self.close_app()
                self.assertEqual(self.cache.read_bytes()[:8], b'TBICONS\x1a')
                self.assertEqual(len(self.cache.read_bytes()), len(good), 'the same cache as before')


if __name__ == '__main__':
    unittest.main()
