"""The user's culture, which Wine takes from the locale of the environment (LC_ALL)."""

import unittest

from harness import TilebayTestCase


class UserCultureLine:
    """Mixed into one test case per locale; culture is what the log must name."""

    culture = None

    def test_start_logs_the_user_culture_once(self):
        app = self.session.start()
        self.session.wait_for_window('Zenpane')
        line = self.session.wait_for_log(r'^User Culture: ')
        self.assertEqual((line['level'], line['function'], line['message']),
                         ('INF', 'TEdgeForm::TEdgeForm', 'User Culture: ' + self.culture))
        self.assertEqual(app.close(), 0)
        messages = self.session.log_messages()
        self.assertEqual([m for m in messages if m.startswith('User Culture')], ['User Culture: ' + self.culture])


class SimplifiedChineseCultureTest(UserCultureLine, TilebayTestCase):
    locale = 'zh_CN.UTF-8'
    culture = 'zh_CN'


class AmericanEnglishCultureTest(UserCultureLine, TilebayTestCase):
    locale = 'en_US.UTF-8'
    culture = 'en_US'


if __name__ == '__main__':
    unittest.main()
