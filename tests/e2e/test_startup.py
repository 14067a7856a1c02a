"""Start-up and the end of a run, seen from outside: folders, log, single instance, closing."""

import re
import time
import unittest
from collections import Counter

from harness import (ALREADY_RUNNING, APP_ENDS, APP_STARTS, CLOSE_LOGGERS, TilebayTestCase, wait_for)

DIAGNOSTICS = [
    ('WinMain', APP_STARTS),
    ('LogProductInfo', 'Release version'),
    ('LogProductInfo', '1.0.0.17'),
    ('LogRuntimeEnvironmentInfo', re.compile(r'OS : Platform ID = 2, Version = \d+\.\d+\.\d+ .*')),
    ('LogRuntimeEnvironmentInfo', re.compile(r'Windows Directory : C:\\windows', re.I)),
    ('LogRuntimeEnvironmentInfo', re.compile(r'System Directory : C:\\windows\\system32', re.I)),
    ('LogRuntimeEnvironmentInfo', re.compile(r'User : \S+')),
    ('LogRuntimeEnvironmentInfo', re.compile(r'Working Directory : [A-Z]:\\.*')),
]


class StartupTest(TilebayTestCase):
    screens = ((1920, 1080), (1280, 1024))

    def assertDiagnostics(self, lines):
        for (function, message), line in zip(DIAGNOSTICS, lines):
            self.assertEqual(line['level'], 'INF')
            self.assertEqual(line['function'], function)
            if isinstance(message, str):
                self.assertEqual(line['message'], message)
            else:
                self.assertRegex(line['message'], message)
        rest = lines[len(DIAGNOSTICS):]
        self.assertEqual(rest[0]['message'], 'Monitor Count : 2')
        self.assertEqual([l['message'] for l in rest[1:3]],
                         ['  Monitor[0] : 1920, 1080', '  Monitor[1] : 1280, 1024'])
        for line in rest[:3]:
            self.assertEqual((line['level'], line['function']), ('INF', 'LogRuntimeEnvironmentInfo'))
        return rest[3:]

    def test_first_start_makes_the_data_folder_and_a_log_that_opens_with_the_diagnostics(self):
        self.assertFalse((self.session.documents / 'Tilebay').exists())
        app = self.session.start()
        self.session.wait_for_window('Zenpane')
        self.session.wait_for_log(r'^  Monitor\[1\]')

        files = self.session.log_files()
        self.assertEqual(len(files), 1)
        self.assertRegex(files[0].name, r'^\d{6}-\d{6}\.log$')
        self.assertFalse(self.session.read_lines(files[0])[0].startswith('\ufeff'))
        self.assertDiagnostics(self.session.log_lines())
        self.assertEqual(app.close(), 0)

    def test_second_start_logs_on_its_own_and_ends_at_once_without_a_window(self):
        first = self.session.start()
        self.session.wait_for_window('Zenpane')
        self.session.wait_for_log(r'^  Monitor\[1\]')
        # Right away, often within the same second: a file of its own all the same.
        second = self.session.start()
        began = time.monotonic()
        self.assertEqual(second.wait_exit(timeout=20), 0)
        self.assertLess(time.monotonic() - began, 15)
        self.assertEqual(len(self.session.visible_windows('Zenpane')), 1)
        self.assertTrue(first.running)

        files = self.session.log_files()
        self.assertEqual(len(files), 2)
        rest = self.assertDiagnostics(self.session.log_lines(index=1))
        self.assertEqual([(l['function'], l['message']) for l in rest],
                         [('WinMain', ALREADY_RUNNING), ('WinMain', APP_ENDS)])
        self.assertEqual(first.close(), 0)

    def test_closing_the_edge_window_ends_the_program_and_the_log(self):
        app = self.session.start()
        self.session.wait_for_window('Zenpane')
        self.session.wait_for_log(r'^  Monitor\[1\]')
        self.assertEqual(app.close(), 0)

        messages = self.session.log_messages()
        self.assertEqual(messages[-2:], [APP_ENDS, CLOSE_LOGGERS])
        self.assertEqual(messages.count(APP_ENDS), 1)
        last = self.session.log_lines()[-1]
        self.assertEqual(last['function'], '~TEdgeForm::TEdgeForm')
        self.assertFalse(self.session.visible_windows('Zenpane'))

    def test_windows_stand_where_the_settings_say_and_closing_stores_where_they_are(self):
        self.session.data_folder.mkdir(parents=True)
        (self.session.data_folder / 'Settings.ini').write_bytes(
            b'[MainForm]\r\nWindowPos=20000050\r\nWindowSize=90000500\r\n'
            b'[StartButtonForm]\r\nStartButtonPos=70000200\r\n[EdgeForm]\r\nVisbleHeight=20\r\n'
            b'[App]\r\nFirstRunDate=40179\r\n')
        app = self.session.start()
        button = self.session.wait_for_window('Zenpane')
        geometry = wait_for(lambda: (g := self.session.window_geometry(button))['x'] == 700 and g, 20,
                            'the button at its stored place')
        self.assertEqual((geometry['x'], geometry['y'] + geometry['height']), (700, 20))
        panel = self.session.wait_for_window('Tilebay')
        frame = self.session.window_geometry(panel)
        # The X window leaves out the panel's sizing border.
        self.assertAlmostEqual(frame['width'], 900, delta=8)
        self.assertAlmostEqual(frame['height'], 500, delta=8)

        # Once the panel is out of view, the button is dragged sideways by the mouse: the first move
        # beyond 4 px starts the drag without moving it.
        wait_for(lambda: (g := self.session.window_geometry(panel))['y'] + g['height'] <= 0, 20, 'the panel hidden')
        # The button reads the mouse button's state with each move: the input comes at a hand's pace.
        self.session.pause(0.5)
        press = (geometry['x'] + 50, geometry['y'] + geometry['height'] - 5)
        self.session.xdotool('mousemove', *press, 'mousedown', 1)
        self.session.pause(0.2)
        self.session.xdotool('mousemove', press[0] - 10, press[1])
        self.session.pause(0.2)
        self.session.xdotool('mousemove', press[0] - 70, press[1])
        self.session.pause(0.2)
        self.session.xdotool('mouseup', 1)
        wait_for(lambda: self.session.window_geometry(button)['x'] == 640, 20, 'the moved button')
        self.assertEqual(app.close(), 0)
        text = (self.session.data_folder / 'Settings.ini').read_text()
        self.assertIn('StartButtonPos=64000500\n', text.replace('\r\n', '\n'))
        self.assertIn('VisbleHeight=20\n', text.replace('\r\n', '\n'))
        self.assertIn('FirstRunDate=40179\n', text.replace('\r\n', '\n'))

    def test_debug_marker_traces_every_function_once_in_and_once_out(self):
        self.session.log_folder.mkdir(parents=True)
        (self.session.log_folder / 'debug.txt').write_bytes(b'')
        app = self.session.start()
        self.session.wait_for_window('Zenpane')
        self.assertEqual(app.close(), 0)

        lines = self.session.log_lines()
        enters = Counter(l['function'] for l in lines if l['message'] == 'EnterFunc')
        exits = Counter(l['function'] for l in lines if l['message'].startswith('ExitFunc '))
        self.assertTrue(enters)
        self.assertTrue(all(l['level'] == 'DBG' for l in lines if l['message'] == 'EnterFunc'))
        for line in lines:
            if line['message'].startswith('ExitFunc '):
                self.assertRegex(line['message'], r'^ExitFunc \d+(\.\d+)?(e[+-]\d+)?$')
        # The edge window's destructor closes the log inside its own trace, so its exit line
        # is the one that can never be written.
        self.assertEqual(exits, enters - Counter({'~TEdgeForm::TEdgeForm': 1}))
        self.assertEqual(enters['TEdgeForm::FormCreate'], 1)
        self.assertEqual(enters['TMainForm::FormShow'], 1)
        self.assertEqual(lines[-1]['message'], CLOSE_LOGGERS)


if __name__ == '__main__':
    unittest.main()
