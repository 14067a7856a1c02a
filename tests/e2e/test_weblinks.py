"""Web links seen from outside: the auto-start value in the prefix's registry, and the advertised
links the program loads for the user's culture and shows one a day."""

import datetime
import re
import shutil
import sys
import unittest

from harness import EXE, SOURCE_DIR
from test_panel import PanelTestCase

sys.path.insert(0, str(SOURCE_DIR / 'tools'))
import make_link_lists  # noqa: E402

RUN_KEY = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
VALUE_LINE = re.compile(r'^\s+(?P<name>\S.*?)\s{4}(?P<type>REG_\w+)\s{4}(?P<data>.*)$')


def today_day_number():
    return (datetime.date.today() - datetime.date(1899, 12, 30)).days


class AutoStartTest(PanelTestCase):

    def run_values(self):
        """The values under the user's Run key: name -> (type, data)."""
        out = self.session.wine_command('reg', 'query', RUN_KEY)
        values = {}
        for line in out.stdout.splitlines():
            match = VALUE_LINE.match(line.rstrip('\r'))
            if match:
                values[match['name']] = (match['type'], match['data'])
        return values

    def test_the_value_follows_the_program_when_it_is_moved_and_started_once(self):
        self.start()
        program = self.session.wine_command('winepath', '-w', str(EXE)).stdout.strip()
        self.session.wait_for_log(r'^Auto-start value written: ')
        self.assertEqual(self.run_values().get('Tilebay'), ('REG_SZ', f'"{program}"'))
        self.assertEqual(self.app.close(), 0)

        moved = self.session.prefix / 'drive_c' / 'Apps' / 'Tilebay.exe'
        moved.parent.mkdir()
        shutil.copy(EXE, moved)
        app = self.session.start(exe=moved)
        self.session.wait_for_window('Zenpane')
        self.session.wait_for_log(r'^Auto-start value written: C:\\Apps\\Tilebay\.exe$')
        self.assertEqual(self.run_values().get('Tilebay'), ('REG_SZ', r'"C:\Apps\Tilebay.exe"'))
        self.assertEqual(app.close(), 0)

    def test_turning_auto_start_off_removes_only_the_programs_value(self):
        for name, data in (('Tilebay', r'"C:\Old place\Tilebay.exe"'), ('Other', r'C:\other.exe')):
            added = self.session.wine_command('reg', 'add', RUN_KEY, '/v', name, '/d', data, '/f')
            self.assertEqual(added.returncode, 0, added.stderr)
        self.start(settings='[MainForm]\nIsAutoStartEnabled=0\n')
        self.session.wait_for_log(r'^Auto-start value deleted: ')
        self.assertEqual(self.run_values(), {'Other': ('REG_SZ', r'C:\other.exe')})
        self.assertEqual(self.app.close(), 0)


class LinkOfTheDay:
    """Mixed into one test case per locale: the list the culture gets and the link of the day."""

    links = None
    resource = None

    def test_the_culture_s_links_load_and_a_hide_shows_the_link_of_the_day(self):
        self.start()
        line = self.session.wait_for_log(r'^Advertised links: ')
        self.assertEqual(line['message'], f'Advertised links: {len(self.links)} from {self.resource}')
        index = today_day_number() % len(self.links)
        shown = self.session.wait_for_log(r'^Link of the day ')
        self.assertEqual(shown['message'], f'Link of the day {index}: {self.links[index][1]}')
        self.assertEqual(self.app.close(), 0)


class EnglishLinksTest(LinkOfTheDay, PanelTestCase):
    locale = 'en_US.UTF-8'
    links = make_link_lists.ENGLISH
    resource = 'LinkAd'


class SimplifiedChineseLinksTest(LinkOfTheDay, PanelTestCase):
    locale = 'zh_CN.UTF-8'
    links = make_link_lists.SIMPLIFIED_CHINESE
    resource = 'LinkAd_zh_CN'


if __name__ == '__main__':
    unittest.main()
