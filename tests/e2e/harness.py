"""End-to-end harness: the real Tilebay.exe in a fresh Wine prefix on its own virtual display.

A test sees the program only from outside: its files (log, settings, group store), its windows
(xdotool, xwininfo) and screenshots; it drives it with real X input through xdotool.

    class StartTest(TilebayTestCase):
        def test_something(self):
            app = self.session.start()
            self.session.wait_for_window('Zenpane')
            self.session.wait_for_log(r'App Starts')
            app.close()

Everything a session starts is stopped when the test ends (the program, the prefix's
wineserver, the display); a failing test leaves a screenshot and the logs in
<build>/e2e-artifacts/<test name>/.
"""

import getpass
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from dataclasses import dataclass
from pathlib import Path

SOURCE_DIR = Path(os.environ.get('TILEBAY_SOURCE_DIR', Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get('TILEBAY_BUILD_DIR', SOURCE_DIR / 'build'))
EXE = Path(os.environ.get('TILEBAY_EXE', BUILD_DIR / 'Tilebay.exe'))
HELPER = Path(os.environ.get('TILEBAY_E2E_HELPER', BUILD_DIR / 'tests' / 'e2e' / 'E2eHelper.exe'))
# What users download, as the build makes it (packaging/): the setup program and the zip.
SETUP = os.environ.get('TILEBAY_SETUP')
PORTABLE = os.environ.get('TILEBAY_PORTABLE')
WINE_SH = SOURCE_DIR / 'scripts' / 'lib' / 'wine.sh'
TEMPLATE_PREFIX = BUILD_DIR / 'wine' / 'e2e-template'
ARTIFACTS_DIR = BUILD_DIR / 'e2e-artifacts'

# One line of the log: thread, local time, level, function, message.
LOG_LINE = re.compile(
    r'^T(?P<thread>\d+), (?P<time>\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}), '
    r'(?P<level>DBG|INF|ERR), (?P<function>[^ ]+)\(\) # (?P<message>.*)$')

APP_STARTS = '=' * 30 + ' App Starts ' + '=' * 30
ALREADY_RUNNING = '=' * 30 + ' Already running ' + '=' * 30
APP_ENDS = '=' * 30 + ' App Ends ' + '=' * 30
CLOSE_LOGGERS = '=' * 30 + ' Close Loggers ' + '=' * 30


@dataclass
class Group:
    """One group of a group store, with the keys the program writes."""
    x: int = 0
    y: int = 0
    column: int = 5
    large: bool = True
    titles: bool = False
    background: int = 0
    # The shortcut files' names in the Data folder, in order.
    links: tuple = ()
    # IsShowingToolTip of each shortcut; left out of the store when not given.
    tooltips: tuple = ()


def store_text(*groups):
    """The text of a group store ("groups.txt") holding the groups, with CR LF line ends."""
    lines = ['[Group]', f'GroupCount={len(groups)}']
    for g, group in enumerate(groups):
        lines += [f'[Group-{g}]', f'X={group.x}', f'Y={group.y}', f'Column={group.column}',
                  f'IsLargeIcon={int(group.large)}', f'IsTitleVisible={int(group.titles)}',
                  f'BackgroundIndex={group.background}', f'LinkCount={len(group.links)}']
        for k, name in enumerate(group.links):
            lines += [f'[Group-{g}-Link-{k}]', f'Lnk={name}']
            if k < len(group.tooltips):
                lines.append(f'IsShowingToolTip={int(group.tooltips[k])}')
    return '\r\n'.join(lines) + '\r\n'


def read_ini(text):
    """The sections of an INI text, each a dict of its keys and values."""
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith('[') and line.endswith(']'):
            current = sections.setdefault(line[1:-1], {})
        elif '=' in line and current is not None:
            key, value = line.split('=', 1)
            current[key] = value
    return sections


def read_groups(path):
    """The groups of the group store at path, each a dict of its keys with 'links' in order."""
    sections = read_ini(Path(path).read_bytes().decode('utf-8', errors='replace'))
    groups = []
    for g in range(int(sections.get('Group', {}).get('GroupCount', 0))):
        group = dict(sections.get(f'Group-{g}', {}))
        group['links'] = [sections.get(f'Group-{g}-Link-{k}', {}).get('Lnk')
                          for k in range(int(group.get('LinkCount', 0)))]
        groups.append(group)
    return groups


def _log_file_order(path):
    """Log files in the order of their runs: by start time, then by the number of a further run
    within the same second ("yyMMdd-HHmmss_2.log")."""
    match = re.fullmatch(r'(.*?)(?:_(\d+))?', path.stem)
    return match.group(1), int(match.group(2) or 1)


def _wine_sh(function, *args):
    subprocess.run(['bash', '-c', f'source "{WINE_SH}" && {function} "$@"', 'wine.sh', *map(str, args)],
                   check=True)


def _wine_binary():
    out = subprocess.run(['bash', '-c', f'source "{WINE_SH}" && wine_binary'],
                         check=True, capture_output=True, text=True)
    return out.stdout.strip()


class WaitTimeout(AssertionError):
    pass


def wait_for(condition, timeout=30.0, what='condition', interval=0.2):
    """Polls condition() until it returns something true; returns that value or fails."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise WaitTimeout(f'timed out after {timeout:.0f} s waiting for {what}')
        time.sleep(interval)


class Display:
    """A virtual X display of its own (Xvfb); several screens make several monitors."""

    def __init__(self, screens=((1920, 1080),)):
        read_fd, write_fd = os.pipe()
        command = ['Xvfb', '-displayfd', str(write_fd), '-nolisten', 'tcp', '-noreset']
        for i, (w, h) in enumerate(screens):
            command += ['-screen', str(i), f'{w}x{h}x24']
        if len(screens) > 1:
            # Wine reads the monitors from RandR when the server has it, and Xvfb's RandR knows
            # only one screen; without RandR, Wine takes them from Xinerama.
            command += ['+xinerama', '-extension', 'RANDR']
        self.process = subprocess.Popen(command, pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b''
        with os.fdopen(read_fd, 'rb') as pipe:
            while not number.endswith(b'\n'):
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.process.kill()
            raise RuntimeError('Xvfb did not start')
        self.name = ':' + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()


class Program:
    """One start of Tilebay.exe (or of a copy of it at exe)."""

    def __init__(self, session, env, exe=EXE):
        self.session = session
        self.process = subprocess.Popen([session.wine, str(exe)], env=env, cwd=str(session.prefix),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @property
    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=30.0):
        """Waits for the program to end and returns its exit code."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise WaitTimeout(f'Tilebay did not end within {timeout:.0f} s')

    def close(self, timeout=30.0):
        """Asks the program to close as the system does (a close message to its windows)."""
        self.session.wine_command('taskkill', '/im', 'Tilebay.exe')
        return self.wait_exit(timeout)

    def kill(self):
        if self.running:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait(10)


class Session:
    """A fresh prefix and display for one test, and the programs started in them."""

    def __init__(self, screens=((1920, 1080),), locale=None):
        _wine_sh('wine_prefix_ensure', TEMPLATE_PREFIX)
        (BUILD_DIR / 'wine').mkdir(parents=True, exist_ok=True)
        self.root = Path(tempfile.mkdtemp(prefix='tilebay-e2e-', dir=BUILD_DIR / 'wine'))
        self.prefix = self.root / 'prefix'
        try:
            _wine_sh('wine_prefix_clone', TEMPLATE_PREFIX, self.prefix)
            _wine_sh('wine_server_keep', self.prefix)
            (self.prefix / 'home').mkdir(exist_ok=True)
            self.display = Display(screens)
        except BaseException:
            shutil.rmtree(self.root, ignore_errors=True)
            raise
        self.locale = locale
        self.artifacts = ARTIFACTS_DIR / 'unnamed'
        self.wine = _wine_binary()
        self.programs = []

    # Files ---------------------------------------------------------------------------------

    @property
    def documents(self):
        return self.prefix / 'drive_c' / 'users' / getpass.getuser() / 'Documents'

    @property
    def data_folder(self):
        return self.documents / 'Tilebay' / '1.0'

    @property
    def log_folder(self):
        return self.data_folder / 'Log'

    def log_files(self):
        if not self.log_folder.is_dir():
            return []
        return sorted(self.log_folder.glob('*.log'), key=_log_file_order)

    @staticmethod
    def read_lines(path):
        """The lines of a text file written with CR LF line ends (UTF-8)."""
        data = Path(path).read_bytes()
        text = data.decode('utf-8')
        if text and not text.endswith('\r\n'):
            raise AssertionError(f'{path} does not end with CR LF')
        lines = text.split('\r\n')[:-1] if text else []
        for line in lines:
            if '\n' in line or '\r' in line:
                raise AssertionError(f'{path} has a line end other than CR LF: {line!r}')
        return lines

    def log_lines(self, index=-1):
        """The lines of a log file (by default the newest), each parsed into its fields."""
        files = self.log_files()
        if not files:
            return []
        parsed = []
        for line in self.read_lines(files[index]):
            match = LOG_LINE.match(line)
            if not match:
                raise AssertionError(f'log line out of format: {line!r}')
            parsed.append(match.groupdict())
        return parsed

    def log_messages(self, index=-1):
        return [line['message'] for line in self.log_lines(index)]

    def wait_for_log(self, pattern, timeout=30.0, index=-1, since=0, function=None):
        """Waits until a message of the log, from line since on (and of the function, when given),
        matches pattern; returns that line."""
        regex = re.compile(pattern)

        def found():
            try:
                return next((l for l in self.log_lines(index)[since:]
                             if regex.search(l['message']) and function in (None, l['function'])), None)
            except (UnicodeDecodeError, AssertionError):
                return None  # a line being written right now
        return wait_for(found, timeout, f'a log line matching {pattern!r}')

    def log_count(self):
        """How many lines the newest log holds: a mark for waiting on what comes after."""
        def count():
            try:
                return (len(self.log_lines()),)
            except (UnicodeDecodeError, AssertionError):
                return None  # a line being written right now
        return wait_for(count, 10, 'a whole log', interval=0.05)[0]

    def wait_for_paint(self, since, timeout=10.0):
        """Waits until the panel has painted after log line since (the trace, Log/debug.txt, is
        on): what a screenshot then shows is what the program drew."""
        return self.wait_for_log(r'^ExitFunc ', timeout, since=since, function='TMainForm::FormPaint')

    @property
    def links_folder(self):
        return self.data_folder / 'Data'

    def write_store(self, *groups):
        """Writes a group store of the groups into the Data folder; returns its path."""
        self.links_folder.mkdir(parents=True, exist_ok=True)
        path = self.links_folder / 'groups.txt'
        path.write_bytes(store_text(*groups).encode('ascii'))
        return path

    # Programs ------------------------------------------------------------------------------

    def environment(self, **extra):
        env = dict(os.environ)
        env.update({
            'WINEPREFIX': str(self.prefix),
            'DISPLAY': self.display.name,
            'HOME': str(self.prefix / 'home'),
            'WINEDEBUG': '-all',
            # No Mono or Gecko installers, no menu entries, and no browser: a page the program
            # hands to the shell finds nothing to show it.
            'WINEDLLOVERRIDES': 'mscoree,mshtml,winemenubuilder.exe,winebrowser.exe=d',
        })
        if self.locale:
            env.update({'LC_ALL': self.locale, 'LANG': self.locale})
        env.update(extra)
        return env

    def start(self, exe=EXE, **env):
        program = Program(self, self.environment(**env), exe)
        self.programs.append(program)
        return program

    def windows_path(self, path):
        """The path of a file of the prefix as Windows programs there see it."""
        relative = Path(path).resolve().relative_to((self.prefix / 'drive_c').resolve())
        return 'C:\\' + str(relative).replace('/', '\\')

    def helper(self, *args):
        """Runs the test helper inside the prefix; returns its output."""
        out = self.wine_command(str(HELPER), *map(str, args))
        if out.returncode != 0:
            raise AssertionError(f'E2eHelper {" ".join(map(str, args))} failed ({out.returncode}): {out.stderr}')
        return out.stdout

    def make_shortcut(self, lnk, target):
        """Writes a shell shortcut at lnk (a path of the prefix) to target (a Windows path)."""
        self.helper('shortcut', self.windows_path(lnk), target)

    def shortcut_target(self, lnk):
        return self.helper('target', self.windows_path(lnk)).strip()

    def start_windows_program(self, *args):
        """Starts another program of the prefix beside Tilebay (it takes the activation)."""
        process = subprocess.Popen([self.wine, *map(str, args)], env=self.environment(), cwd=str(self.prefix),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return process

    @staticmethod
    def stop_windows_program(process):
        if process.poll() is None:
            process.kill()
            process.wait(10)

    def xdotool_prop(self, window, name):
        """The first number of an X property of a window, or None when it is not set."""
        out = subprocess.run(['xprop', '-id', str(window), name], env=self.environment(), capture_output=True,
                             text=True, timeout=30).stdout
        match = re.search(r'=\s*(\d+)', out)
        return int(match.group(1)) if match else None

    def reg_query(self, key, name):
        """The data of a registry value as reg.exe prints it, or None when there is no such value."""
        out = self.wine_command('reg', 'query', key, '/v', name)
        if out.returncode != 0:
            return None
        match = re.search(rf'^\s+{re.escape(name)}\s+REG_\w+\s+(.*?)\s*$', out.stdout, re.M)
        return match.group(1) if match else None

    def reg_key_exists(self, key):
        return self.wine_command('reg', 'query', key).returncode == 0

    def wine_command(self, *args, timeout=60):
        # The output goes to files, not pipes: Wine's service processes, which the first program
        # of a prefix starts, inherit the program's output handles and live on with the kept
        # server, so a pipe would not close when the program ends.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            done = subprocess.run([self.wine, *args], env=self.environment(), cwd=str(self.prefix),
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            # Wine's own programs answer in the code page of the locale, which need not be UTF-8.
            return subprocess.CompletedProcess(done.args, done.returncode,
                                               out.read().decode('utf-8', errors='replace'),
                                               err.read().decode('utf-8', errors='replace'))

    # Windows and input -----------------------------------------------------------------------

    def xdotool(self, *args, check=True):
        out = subprocess.run(['xdotool', *map(str, args)], env=self.environment(), capture_output=True,
                             text=True, timeout=30)
        if check and out.returncode != 0:
            raise AssertionError(f'xdotool {" ".join(map(str, args))} failed: {out.stderr.strip()}')
        return out.stdout

    def windows(self, name):
        """X windows whose title is exactly name."""
        out = self.xdotool('search', '--name', f'^{re.escape(name)}$', check=False)
        return [int(w) for w in out.split()]

    def visible_windows(self, name):
        return [w for w in self.windows(name) if self.window_geometry(w).get('map_state') == 'IsViewable']

    def window_geometry(self, window):
        """Position and size of an X window, as xwininfo reports them."""
        out = subprocess.run(['xwininfo', '-id', str(window)], env=self.environment(), capture_output=True,
                             text=True, timeout=30).stdout
        info = {}
        for key, label in (('x', 'Absolute upper-left X'), ('y', 'Absolute upper-left Y'),
                           ('width', 'Width'), ('height', 'Height')):
            match = re.search(rf'{label}:\s+(-?\d+)', out)
            if match:
                info[key] = int(match.group(1))
        match = re.search(r'Map State:\s+(\w+)', out)
        if match:
            info['map_state'] = match.group(1)
        return info

    def wait_for_window(self, name, timeout=60.0):
        """Waits until a window with that title is shown; returns its X id."""
        return wait_for(lambda: next(iter(self.visible_windows(name)), None), timeout,
                        f'a visible window named {name!r}')

    def click(self, x, y, button=1):
        """Moves the pointer to (x, y) of the screen and clicks there."""
        self.xdotool('mousemove', x, y)
        time.sleep(0.05)
        self.xdotool('click', button)

    @staticmethod
    def pause(seconds):
        time.sleep(seconds)

    def save_screenshot(self, name):
        """Keeps a screenshot of the whole screen among the test's artifacts, whatever the outcome."""
        return self.screenshot(self.artifacts / f'{name}.png')

    def screenshot(self, path):
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(['import', '-window', 'root', str(path)], env=self.environment(),
                       capture_output=True, timeout=60)
        return path

    # End -----------------------------------------------------------------------------------

    def stop(self, keep=False):
        for program in self.programs:
            if program.running:
                program.kill()
        _wine_sh('wine_prefix_stop', self.prefix)
        self.display.stop()
        if not keep:
            shutil.rmtree(self.root, ignore_errors=True)


class TilebayTestCase(unittest.TestCase):
    """A test with a fresh session in self.session; subclasses may set screens or locale."""

    screens = ((1920, 1080),)
    locale = None

    def setUp(self):
        if not EXE.is_file():
            self.fail(f'{EXE} is missing: build first')
        shutil.rmtree(ARTIFACTS_DIR / self.id(), ignore_errors=True)
        self.session = Session(screens=self.screens, locale=self.locale)
        self.session.artifacts = ARTIFACTS_DIR / self.id()

    def tearDown(self):
        failed = self._test_failed()
        if failed:
            target = ARTIFACTS_DIR / self.id()
            self.session.screenshot(target / 'screen.png')
            if self.session.log_folder.is_dir():
                shutil.copytree(self.session.log_folder, target / 'Log', dirs_exist_ok=True)
            print(f'\nartifacts of the failed test: {target}')
        self.session.stop()

    def _test_failed(self):
        outcome = getattr(self, '_outcome', None)
        if outcome is None:
            return False
        errors = getattr(outcome, 'errors', None)
        if errors is not None:  # before Python 3.11
            return any(exc for _, exc in errors)
        result = outcome.result
        return any(test is self for test, _ in list(result.failures) + list(result.errors))
