"""What users download, seen from outside: the per-user setup program (silent and with its pages,
in English and Simplified Chinese), upgrading over a running Tilebay, the uninstaller, and the
portable zip. Each test starts from a fresh prefix; the packages are the ones the build made."""

import re
import subprocess
import time
import unittest
import zipfile
from pathlib import Path

from harness import (ALREADY_RUNNING, APP_ENDS, APP_STARTS, CLOSE_LOGGERS, HELPER, PORTABLE, SETUP, SOURCE_DIR,
                     TilebayTestCase, wait_for)

RUN_KEY = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL_KEY = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tilebay'


def program_version():
    text = (SOURCE_DIR / 'src' / 'app' / 'Version.h').read_text()
    return re.search(r'^#define TILEBAY_VERSION_TEXT "([^"]+)"$', text, re.M).group(1)


def packaged_program():
    """The bytes of Tilebay.exe as the packages carry it."""
    with zipfile.ZipFile(PORTABLE) as archive:
        return archive.read('Tilebay/Tilebay.exe')


class PackageTestCase(TilebayTestCase):

    def setUp(self):
        for path in (SETUP, PORTABLE):
            if not path or not Path(path).is_file():
                self.fail(f'package {path!r} is missing: build first (target "packages")')
        super().setUp()
        profile = self.session.documents.parent
        self.install_dir = profile / 'AppData' / 'Local' / 'Programs' / 'Tilebay'
        self.installed_exe = self.install_dir / 'Tilebay.exe'
        self.start_menu_shortcut = (profile / 'AppData' / 'Roaming' / 'Microsoft' / 'Windows' / 'Start Menu' /
                                    'Programs' / 'Tilebay.lnk')
        self.tilebay_folder = self.session.documents / 'Tilebay'

    def windows_path(self, path):
        return self.session.windows_path(path)

    def run_windows(self, *args, timeout=120):
        """Runs a program of the prefix to its end; returns its exit code. Its output goes nowhere,
        so that a program it starts and leaves running cannot hold this call up."""
        return subprocess.run([self.session.wine, *map(str, args)], env=self.session.environment(),
                              cwd=str(self.session.prefix), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode

    def install_silently(self):
        self.assertEqual(self.run_windows(SETUP, '/S'), 0)
        self.assertTrue(self.installed_exe.is_file())

    def start_from_start_menu(self):
        """Starts the installed program the way a user does, through its Start-menu shortcut."""
        return self.session.start_windows_program('start', '/wait', self.windows_path(self.start_menu_shortcut))

    def wait_started(self):
        """Waits for a start's button and for the auto-start value; returns the value's data."""
        self.session.wait_for_window('Zenpane')
        return wait_for(lambda: self.session.reg_query(RUN_KEY, 'Tilebay'), 30, 'the auto-start value')

    def close_running_program(self):
        """Asks every running Tilebay to close, as the system does, and waits for its last log line."""
        self.session.wine_command('taskkill', '/im', 'Tilebay.exe')
        self.session.wait_for_log(f'^{re.escape(CLOSE_LOGGERS)}$')


class InstallTest(PackageTestCase):

    def test_silent_install_registers_the_program_and_its_start_runs_from_the_install_folder(self):
        self.assertRegex(Path(SETUP).name, rf'^Tilebay-{re.escape(program_version())}-setup\.exe$')
        self.install_silently()

        exe = self.windows_path(self.installed_exe)
        folder = self.windows_path(self.install_dir)
        self.assertEqual(self.installed_exe.read_bytes(), packaged_program())
        self.assertTrue((self.install_dir / 'Uninstall.exe').is_file())
        self.assertEqual(self.session.shortcut_target(self.start_menu_shortcut).lower(), exe.lower())
        expected = {
            'DisplayName': 'Tilebay',
            'DisplayVersion': program_version(),
            'Publisher': 'Tilebay',
            'DisplayIcon': f'{exe},0',
            'InstallLocation': folder,
            'UninstallString': f'"{folder}\\Uninstall.exe"',
            'QuietUninstallString': f'"{folder}\\Uninstall.exe" /S',
            'NoModify': '0x1',
            'NoRepair': '0x1',
        }
        for name, data in expected.items():
            with self.subTest(value=name):
                self.assertEqual(self.session.reg_query(UNINSTALL_KEY, name), data)
        size_kb = int(self.session.reg_query(UNINSTALL_KEY, 'EstimatedSize'), 16)
        on_disk = sum(p.stat().st_size for p in self.install_dir.iterdir()) / 1024
        self.assertAlmostEqual(size_kb, on_disk, delta=8)

        starter = self.start_from_start_menu()
        self.assertEqual(self.wait_started(), f'"{exe}"')
        self.session.wait_for_log(r'^Auto-start value written: ')
        self.assertEqual(self.session.log_messages()[:3], [APP_STARTS, 'Release version', program_version()])
        self.close_running_program()
        self.assertEqual(self.session.log_messages()[-2:], [APP_ENDS, CLOSE_LOGGERS])
        starter.wait(30)

    def test_installing_over_a_running_tilebay_closes_it_cleanly_and_starts_the_new_one(self):
        self.install_silently()
        # An overlay the loader ignores marks the old file, to see that setup replaced it.
        with open(self.installed_exe, 'ab') as exe:
            exe.write(b'old program' * 100)
        old = self.session.start(exe=self.installed_exe)
        self.wait_started()
        self.session.save_screenshot('1-running-before-the-upgrade')
        settings = self.session.data_folder / 'Settings.ini'
        settings.unlink()  # written again only when the program closes as a user closes it

        self.assertEqual(self.run_windows(SETUP, '/S'), 0)
        self.assertEqual(old.wait_exit(30), 0)
        first = self.session.log_messages(index=0)
        self.assertEqual(first[-2:], [APP_ENDS, CLOSE_LOGGERS])
        self.assertEqual(first.count(APP_ENDS), 1)
        self.assertIn('[StartButtonForm]', settings.read_text())
        self.assertEqual(self.installed_exe.read_bytes(), packaged_program())

        # The new program: a second log of its own that reaches its window, not "Already running".
        wait_for(lambda: len(self.session.log_files()) == 2, 30, 'a second log file')
        self.assertEqual(self.wait_started(), f'"{self.windows_path(self.installed_exe)}"')
        second = self.session.log_messages(index=1)
        self.assertEqual(second[0], APP_STARTS)
        self.assertNotIn(ALREADY_RUNNING, second)
        self.session.save_screenshot('2-running-after-the-upgrade')
        self.close_running_program()

    def test_a_tilebay_that_will_not_close_stops_the_install_with_nothing_changed(self):
        stubborn = self.session.start_windows_program(HELPER, 'unclosable-edge-window')
        wait_for(lambda: self.session.windows('Zenpane'), 30, 'the unclosable window')

        began = time.monotonic()
        self.assertNotEqual(self.run_windows(SETUP, '/S'), 0)
        self.assertGreaterEqual(time.monotonic() - began, 19)
        self.assertIsNone(stubborn.poll())
        self.assertFalse(self.installed_exe.exists())
        self.assertFalse(self.session.reg_key_exists(UNINSTALL_KEY))
        self.session.stop_windows_program(stubborn)


class UninstallTest(PackageTestCase):

    def run_quiet_uninstall(self):
        """Runs the uninstaller as the system's app settings do, with the quiet command it registered,
        and waits for its copy (which does the work from the temporary folder) to finish."""
        command = self.session.reg_query(UNINSTALL_KEY, 'QuietUninstallString')
        program, arguments = re.fullmatch(r'"([^"]+)"\s*(.*)', command).groups()
        self.assertEqual(self.run_windows(program, *arguments.split()), 0)
        wait_for(lambda: not self.session.reg_key_exists(UNINSTALL_KEY), 60, 'the uninstall entry gone')

    def test_silent_uninstall_removes_the_program_and_its_registrations_and_keeps_the_user_data(self):
        self.install_silently()
        running = self.session.start(exe=self.installed_exe)
        self.wait_started()
        mine = self.tilebay_folder / 'mine.txt'
        mine.write_text('kept')

        self.run_quiet_uninstall()
        # The uninstaller closed the running program the way a user does.
        self.assertEqual(running.wait_exit(30), 0)
        self.assertEqual(self.session.log_messages()[-2:], [APP_ENDS, CLOSE_LOGGERS])
        self.assertFalse(self.install_dir.exists())
        self.assertFalse(self.start_menu_shortcut.exists())
        self.assertIsNone(self.session.reg_query(RUN_KEY, 'Tilebay'))
        self.assertEqual(mine.read_text(), 'kept')
        self.assertTrue((self.session.data_folder / 'Settings.ini').is_file())
        self.assertTrue((self.session.data_folder / 'Log').is_dir())

    def test_uninstall_leaves_the_auto_start_value_of_another_copy(self):
        self.install_silently()
        other = r'"C:\Portable\Tilebay\Tilebay.exe"'
        added = self.session.wine_command('reg', 'add', RUN_KEY, '/v', 'Tilebay', '/d', other, '/f')
        self.assertEqual(added.returncode, 0, added.stderr)

        self.run_quiet_uninstall()
        self.assertFalse(self.install_dir.exists())
        self.assertEqual(self.session.reg_query(RUN_KEY, 'Tilebay'), other)


class PortableTest(PackageTestCase):

    def test_the_zip_unpacks_to_a_program_that_starts(self):
        self.assertRegex(Path(PORTABLE).name, rf'^Tilebay-{re.escape(program_version())}-portable\.zip$')
        target = self.session.documents.parent / 'Desktop'
        with zipfile.ZipFile(PORTABLE) as archive:
            names = sorted(n for n in archive.namelist() if not n.endswith('/'))
            self.assertEqual(names, ['Tilebay/ReadMe.txt', 'Tilebay/Tilebay.exe'])
            archive.extractall(target)
        readme = (target / 'Tilebay' / 'ReadMe.txt').read_bytes()
        self.assertTrue(readme.startswith(b'\xef\xbb\xbfTilebay ' + program_version().encode() + b' '))
        self.assertNotIn(b'\n', readme.replace(b'\r\n', b''))

        exe = target / 'Tilebay' / 'Tilebay.exe'
        app = self.session.start(exe=exe)
        self.assertEqual(self.wait_started(), f'"{self.windows_path(exe)}"')
        self.assertEqual(self.session.log_messages()[1:3], ['Release version', program_version()])
        self.assertEqual(app.close(), 0)


class SetupPages:
    """Mixed into one test case per language: a walk through the pages of the setup program and
    of the uninstaller with the keyboard and their default choices, with a screenshot of each."""

    setup_title = None
    uninstall_title = None

    def dialogs(self, title):
        """The shown windows of the setup program or uninstaller with that title. xdotool matches
        the title's Latin-1 form, in which Chinese letters are lost, so the full title is compared
        afterwards; the uninstaller's title ends with a space."""
        found = self.session.xdotool('search', '--onlyvisible', '--name', '^Tilebay ', check=False).split()
        return [w for w in found if self.session.xdotool('getwindowname', w, check=False).strip() == title]

    def wait_for_page(self, name, condition=None):
        if condition:
            wait_for(condition, 60, name)
        self.session.pause(1.5)  # the page draws itself
        self.session.save_screenshot(name)

    def test_the_pages_install_start_and_uninstall_in_the_user_s_language(self):
        setup = self.session.start_windows_program(SETUP)
        wait_for(lambda: self.dialogs(self.setup_title), 60, self.setup_title)
        self.wait_for_page('1-welcome')
        self.session.xdotool('key', 'Return')
        self.wait_for_page('2-folder')
        self.session.xdotool('key', 'Return')
        self.wait_for_page('3-finish', lambda: (self.install_dir / 'Uninstall.exe').is_file())
        # "Start Tilebay" is ticked: finishing starts the installed program.
        self.session.xdotool('key', 'Return')
        self.assertEqual(setup.wait(30), 0)
        self.assertEqual(self.wait_started(), f'"{self.windows_path(self.installed_exe)}"')

        uninstaller = self.session.start_windows_program(self.install_dir / 'Uninstall.exe')
        wait_for(lambda: self.dialogs(self.uninstall_title), 60, self.uninstall_title)
        self.wait_for_page('4-uninstall')
        self.session.xdotool('key', 'Return')
        self.wait_for_page('5-uninstalled', lambda: not self.installed_exe.exists())
        self.assertFalse(self.session.windows('Zenpane'))
        self.session.xdotool('key', 'Return')
        wait_for(lambda: not self.dialogs(self.uninstall_title), 30, 'the uninstaller closed')
        uninstaller.wait(30)
        self.assertFalse(self.session.reg_key_exists(UNINSTALL_KEY))
        self.assertTrue((self.session.data_folder / 'Settings.ini').is_file())


class EnglishSetupPagesTest(SetupPages, PackageTestCase):
    locale = 'en_US.UTF-8'
    setup_title = 'Tilebay Setup'
    uninstall_title = 'Tilebay Uninstall'


class SimplifiedChineseSetupPagesTest(SetupPages, PackageTestCase):
    locale = 'zh_CN.UTF-8'
    setup_title = 'Tilebay 安装'
    uninstall_title = 'Tilebay 卸载'


if __name__ == '__main__':
    unittest.main()
