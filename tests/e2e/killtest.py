"""The kill test: the running program is killed at random moments while it saves, and must never
lose, cut short or mix up its files.

TilebaySaveLoop.exe is the program with a test hook (tests/e2e/helper/TilebaySaveLoop.cpp) that,
once the panel has been shown, saves "groups.txt" and "Settings.ini" over and over through the
program's own save paths, alternating between two known states A and B. The exact bytes of both
states are first learnt from two whole saves (calibration). Then, round after round, the program
is started, killed while it saves (SIGKILL of its Wine process, or `wineserver -k` for about a
quarter of the rounds), and the files are checked: each must be exactly state A or state B, and the
next start must load what the files hold. A temporary file a kill leaves beside them must be gone
after the next start, so none piles up.

    python3 killtest.py [KILLS] [--seed N]      (./scripts/kill-test builds first and runs this)
"""

import argparse
import os
import random
import re
import shutil
import signal
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

from harness import ARTIFACTS_DIR, BUILD_DIR, Group, Session, WaitTimeout, _wine_sh, store_text, wait_for

SAVE_LOOP_EXE = Path(os.environ.get('TILEBAY_SAVE_LOOP_EXE', BUILD_DIR / 'tests' / 'e2e' / 'TilebaySaveLoop.exe'))

# Two groups, one with shortcuts and one without, as the hook needs them; positions of state A.
SEED_STORE = store_text(Group(x=40, y=48, links=('zzzK1.lnk', 'zzzK2.lnk')), Group(x=400, y=48))
SEED_SETTINGS = '''[App]
FirstRunDate=46000
'''
SHORTCUTS = {'zzzK1.lnk': r'C:\windows\notepad.exe', 'zzzK2.lnk': r'C:\windows\regedit.exe'}

# What a start of the hook reports; the loop's own lines.
LOADED = re.compile(r'Save loop: loaded groups (\w+), settings (\w+)')
STOPPED = re.compile(r'Save loop: stopped after \d+ states, last (\w)')
STATES_SAVED = re.compile(r'Save loop: (\d+) states saved')
REMOVED = re.compile(r'Removed (.*), left by a write that was cut short')


@dataclass
class KillReport:
    kills: int = 0
    by_signal: int = 0
    by_server: int = 0
    lost: int = 0
    truncated: int = 0
    mixed: int = 0
    # Temporary files found after a kill, and those the next start did not remove.
    temp_after_kill: int = 0
    temp_left: int = 0
    # Starts that loaded something else than the files held.
    wrong_loads: int = 0
    saves_seen: int = 0
    problems: list = field(default_factory=list)

    @property
    def ok(self):
        return not (self.lost or self.truncated or self.mixed or self.temp_left or self.wrong_loads or self.problems)

    def summary(self):
        return (f'{self.kills} kills ({self.by_signal} SIGKILL of the program, {self.by_server} wineserver -k): '
                f'{self.lost} files lost, {self.truncated} truncated, {self.mixed} mixed, '
                f'{self.temp_left} temporary files left over ({self.temp_after_kill} found right after a kill, '
                f'each removed by the next start), {self.wrong_loads} starts that loaded other than the files held')


class LogReader:
    """The program's log files read leniently: a kill may cut a line short, and the next start in
    the same second appends to the same file."""

    def __init__(self, session):
        self.session = session

    def messages(self):
        found = []
        for path in self.session.log_files():
            text = path.read_bytes().decode('utf-8', errors='replace')
            for line in text.splitlines():
                head, sep, message = line.partition(' # ')
                if sep:
                    found.append(message)
        return found


class KillTest:
    def __init__(self, session, rng, report=None, progress=None):
        self.session = session
        self.rng = rng
        self.report = report or KillReport()
        self.progress = progress or (lambda text: None)
        self.logs = LogReader(session)
        self.links = session.data_folder / 'Data'
        self.files = {'groups.txt': self.links / 'groups.txt', 'Settings.ini': self.session.data_folder / 'Settings.ini'}
        self.expected = {}

    # Set-up -----------------------------------------------------------------------------------

    def prepare(self):
        self.links.mkdir(parents=True, exist_ok=True)
        for name, target in SHORTCUTS.items():
            self.session.make_shortcut(self.links / name, target)
        self.files['groups.txt'].write_bytes(SEED_STORE.encode('ascii'))
        self.files['Settings.ini'].write_bytes(SEED_SETTINGS.replace('\n', '\r\n').encode('ascii'))

    def calibrate(self):
        """Learns the bytes of both states from whole saves: each run saves one state and ends."""
        for _ in range(2):
            before = len(self.logs.messages())
            program = self.session.start(exe=SAVE_LOOP_EXE, TILEBAY_SAVE_LOOP_STATES='1')
            code = program.wait_exit(60)
            messages = self.logs.messages()[before:]
            stopped = [m for m in messages if STOPPED.search(m)]
            if code != 0 or not stopped:
                raise AssertionError(f'the calibration run ended with {code} and logged {messages[-5:]}')
            state = STOPPED.search(stopped[-1]).group(1)
            for name, path in self.files.items():
                self.expected.setdefault(name, {})[state] = path.read_bytes()
        for name, states in self.expected.items():
            if set(states) != {'A', 'B'} or states['A'] == states['B']:
                raise AssertionError(f'the calibration runs did not give two different states of {name}')
        self.check_states_are_the_known_ones()

    def check_states_are_the_known_ones(self):
        """The learnt bytes must say what the hook's states say, or the test would learn nonsense."""
        store = {s: b.decode('ascii') for s, b in self.expected['groups.txt'].items()}
        settings = {s: b.decode('ascii') for s, b in self.expected['Settings.ini'].items()}
        checks = [
            ('X=40\r\nY=48\r\n' in store['A'] and store['A'].index('X=40') < store['A'].index('X=400'), 'store A'),
            ('X=1400\r\nY=480\r\n' in store['B'] and store['B'].index('X=1400') < store['B'].index('X=1040'),
             'store B'),
            (store['A'].count('Lnk=') == 2 and store['B'].count('Lnk=') == 2, 'shortcuts in both stores'),
            ('VisbleHeight=10\r\n' in settings['A'] and 'StartButtonPos=30000500\r\n' in settings['A'], 'settings A'),
            ('VisbleHeight=20\r\n' in settings['B'] and 'StartButtonPos=130000500\r\n' in settings['B'],
             'settings B'),
        ]
        for passed, what in checks:
            if not passed:
                raise AssertionError(f'{what} is not as the hook saves it: {store} {settings}')

    # Checks ---------------------------------------------------------------------------------

    def classify(self, name):
        path = self.files[name]
        if not path.is_file():
            return 'lost'
        data = path.read_bytes()
        for state, expected in self.expected[name].items():
            if data == expected:
                return state
        if any(expected.startswith(data) for expected in self.expected[name].values()):
            return 'truncated'
        return 'mixed'

    def temporary_files(self):
        return sorted(p for folder in (self.links, self.session.data_folder) for p in folder.glob('*.tmp'))

    def check_backup(self):
        backup = self.links / 'groups.txt.bak'
        if backup.exists() and backup.read_bytes() not in self.expected['groups.txt'].values():
            self.report.problems.append('groups.txt.bak is neither state')

    def snapshot(self):
        return {p: p.stat().st_mtime_ns for folder in (self.links, self.session.data_folder)
                for p in folder.iterdir() if p.is_file()}

    def check_files(self, round_name):
        """Classifies both files after a kill; returns their states (None for a damaged file)."""
        states = {}
        for name in self.files:
            state = self.classify(name)
            if state in ('A', 'B'):
                states[name] = state
                continue
            states[name] = None
            setattr(self.report, state, getattr(self.report, state) + 1)
            kept = ARTIFACTS_DIR / 'kill-test' / f'{round_name}-{name}'
            kept.parent.mkdir(parents=True, exist_ok=True)
            if self.files[name].exists():
                shutil.copyfile(self.files[name], kept)
            self.report.problems.append(f'{round_name}: {name} {state}')
        self.check_backup()
        return states

    # Rounds ----------------------------------------------------------------------------------

    def start_and_wait_for_saving(self, states, temporaries):
        before = len(self.logs.messages())
        program = self.session.start(exe=SAVE_LOOP_EXE)

        def saving():
            if not program.running:
                raise AssertionError(f'the program ended with {program.process.returncode} before saving')
            messages = self.logs.messages()[before:]
            return messages if any(STATES_SAVED.search(m) for m in messages) else None
        # The first states take a while (the panel slides away meanwhile); the kill comes once the
        # loop is saving at full speed.
        messages = wait_for(saving, 90, 'the save loop to save ten states', interval=0.05)
        loaded = next((LOADED.search(m) for m in messages if LOADED.search(m)), None)
        found = (loaded.group(1), loaded.group(2)) if loaded else None
        if states is not None and found != (states['groups.txt'], states['Settings.ini']):
            self.report.wrong_loads += 1
            self.report.problems.append(f'the start loaded {found} from files in {states}')
        removed = {m.group(1).lower() for m in map(REMOVED.search, messages) if m}
        for path in temporaries:
            if self.session.windows_path(path).lower() not in removed and path.exists():
                self.report.temp_left += 1
                self.report.problems.append(f'{path.name} was not removed by the next start')
        return program, before

    def kill(self, program, by_server):
        if by_server:
            # Ends the prefix's wineserver and every Windows process in it at once.
            _wine_sh('wine_prefix_stop', self.session.prefix)
            self.report.by_server += 1
        else:
            os.kill(program.process.pid, signal.SIGKILL)
            self.report.by_signal += 1
        program.wait_exit(30)
        self.report.kills += 1

    def run(self, count):
        states = {name: self.classify(name) for name in self.files}
        temporaries = []
        for number in range(1, count + 1):
            program, before = self.start_and_wait_for_saving(states, temporaries)
            time.sleep(self.rng.uniform(0.0, 0.5))
            by_server = self.rng.random() < 0.25
            self.kill(program, by_server)
            # Nothing may go on writing once the program is dead.
            quiet = self.snapshot()
            time.sleep(0.2)
            if self.snapshot() != quiet:
                self.report.problems.append(f'kill {number}: files changed after the kill')
            self.report.saves_seen += max((int(m.group(1)) for m in map(STATES_SAVED.search,
                                           self.logs.messages()[before:]) if m), default=0)
            states = self.check_files(f'kill-{number}')
            temporaries = self.temporary_files()
            self.report.temp_after_kill += len(temporaries)
            self.progress(f'kill {number}/{count} ({"wineserver -k" if by_server else "SIGKILL"}): '
                          f'groups.txt {states["groups.txt"] or "DAMAGED"}, '
                          f'Settings.ini {states["Settings.ini"] or "DAMAGED"}'
                          + (f', left {", ".join(p.name for p in temporaries)}' if temporaries else ''))
            if None in states.values():
                # A damaged file cannot be told apart any more; start the next round from state A.
                for name, path in self.files.items():
                    path.write_bytes(self.expected[name]['A'])
                states = {name: 'A' for name in self.files}
        self.final_start(states, temporaries)
        return self.report

    def final_start(self, states, temporaries):
        """One more start that saves nothing: it loads the files as they are and clears what is left."""
        files_before = {name: path.read_bytes() for name, path in self.files.items()}
        before = len(self.logs.messages())
        program = self.session.start(exe=SAVE_LOOP_EXE, TILEBAY_SAVE_LOOP_STATES='0')
        code = program.wait_exit(90)
        messages = self.logs.messages()[before:]
        loaded = next((LOADED.search(m) for m in messages if LOADED.search(m)), None)
        if code != 0 or not loaded:
            self.report.problems.append(f'the last start ended with {code}: {messages[-5:]}')
        elif (loaded.group(1), loaded.group(2)) != (states['groups.txt'], states['Settings.ini']):
            self.report.wrong_loads += 1
            self.report.problems.append(f'the last start loaded {loaded.groups()} from files in {states}')
        for name, path in self.files.items():
            if path.read_bytes() != files_before[name]:
                self.report.problems.append(f'the last start changed {name}')
        left = self.temporary_files()
        self.report.temp_left += len(left)
        if left:
            self.report.problems.append(f'left after the last start: {[p.name for p in left]}')


def main():
    parser = argparse.ArgumentParser(description='Kill the program while it saves, and check its files.')
    parser.add_argument('kills', nargs='?', type=int, default=200)
    parser.add_argument('--seed', type=int, default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else int(time.time())
    if not SAVE_LOOP_EXE.is_file():
        sys.exit(f'{SAVE_LOOP_EXE} is missing: build first')
    print(f'kill test: {args.kills} kills, random seed {seed} (rerun with --seed {seed})', flush=True)
    session = Session()
    session.artifacts = ARTIFACTS_DIR / 'kill-test'
    shutil.rmtree(session.artifacts, ignore_errors=True)
    started = time.monotonic()
    test = KillTest(session, random.Random(seed), progress=lambda text: print(text, flush=True))
    try:
        test.prepare()
        test.calibrate()
        report = test.run(args.kills)
    except (AssertionError, WaitTimeout) as error:
        if session.log_folder.is_dir():
            shutil.copytree(session.log_folder, session.artifacts / 'Log', dirs_exist_ok=True)
        session.stop()
        sys.exit(f'kill test failed: {error}')
    if not report.ok and session.log_folder.is_dir():
        shutil.copytree(session.log_folder, session.artifacts / 'Log', dirs_exist_ok=True)
    session.stop()
    print(f'\nkill test: {report.summary()}')
    print(f'{report.saves_seen}+ saved states seen in the logs; {time.monotonic() - started:.0f} s')
    for problem in report.problems:
        print(f'  problem: {problem}')
    sys.exit(0 if report.ok else 1)


if __name__ == '__main__':
    main()
