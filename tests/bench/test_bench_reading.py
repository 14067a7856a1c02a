"""What ./scripts/bench takes from the program's log and the benchmark programs' output, and the
verdicts it gives; nothing here starts Wine."""

import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / 'bench'))
import run_bench  # noqa: E402
import startup_bench as sb  # noqa: E402
from startup_bench import harness  # noqa: E402


def log_line(time, message, level='INF'):
    return f'T1, {time}, {level}, TMainForm::FormPaint() # {message}'


class FakeSession:
    """The log folder of a session, without a prefix."""

    def __init__(self, folder):
        self.log_folder = Path(folder)

    def log_files(self):
        return sorted(self.log_folder.glob('*.log'))

    read_lines = staticmethod(harness.Session.read_lines)


class LogEventsTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.session = FakeSession(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, lines, end='\r\n'):
        (Path(self.folder.name) / name).write_bytes((end.join(lines) + end).encode('utf-8'))

    def test_takes_the_lines_of_the_start_that_began_at_since_and_skips_earlier_starts(self):
        self.write('261210-100000.log', [
            log_line('2026-12-10 10:00:00.500', 'First paint of the panel done'),
            log_line('2026-12-10 10:00:03.000', 'All icons shown: 2000 shortcuts, GDI objects 90, USER objects 40'),
        ])
        self.write('261210-100100.log', [
            log_line('2026-12-10 10:01:00.100', 'Groups : 50'),
            log_line('2026-12-10 10:01:00.180', 'First paint of the button done'),
            log_line('2026-12-10 10:01:00.250', 'First paint of the panel done'),
            log_line('2026-12-10 10:01:00.400', 'The panel is out of view for the first time'),
            log_line('2026-12-10 10:01:04.750', 'All icons shown: 2000 shortcuts, GDI objects 123, USER objects 45'),
        ])
        since = sb.local_time('2026-12-10 10:01:00.000')
        paint, (moment, shown), button, out = sb._log_events(self.session, since)
        self.assertAlmostEqual(paint - since, 0.25, places=3)
        self.assertAlmostEqual(button - since, 0.18, places=3)
        self.assertAlmostEqual(out - since, 0.4, places=3)
        self.assertAlmostEqual(moment - since, 4.75, places=3)
        self.assertEqual((shown['n'], shown['gdi'], shown['user']), ('2000', '123', '45'))

    def test_a_start_without_the_icons_line_or_still_writing_gives_what_is_there(self):
        self.write('261210-100100.log', [log_line('2026-12-10 10:01:00.250', 'First paint of the panel done')])
        # A file whose last line is being written does not end with CR LF yet.
        self.write('261210-100200.log', [log_line('2026-12-10 10:02:00.250', 'All icons')], end='')
        since = sb.local_time('2026-12-10 10:01:00.000')
        self.assertEqual(sb._log_events(self.session, since), (since + 0.25, None, None, None))

    def test_an_icons_line_in_another_form_is_not_taken(self):
        self.write('261210-100100.log', [
            log_line('2026-12-10 10:01:00.250', 'First paint of the panel done'),
            log_line('2026-12-10 10:01:01.000', 'All icons shown: 2000 shortcuts'),
        ])
        self.assertIsNone(sb._log_events(self.session, sb.local_time('2026-12-10 10:01:00.000'))[1])

    def test_the_program_text_tells_whether_it_logs_the_icons_line(self):
        cases = [
            (b'MZ..' + 'All icons shown: '.encode('utf-16-le') + b'..', True),
            (b'MZ..All icons shown: ..', True),
            (b'MZ..' + 'All icons'.encode('utf-16-le') + b'..', False),
        ]
        for data, expected in cases:
            with self.subTest(data=data), tempfile.NamedTemporaryFile(suffix='.exe') as exe:
                exe.write(data)
                exe.flush()
                self.assertEqual(sb.program_logs_icons(exe.name), expected)


class CannedBench(run_bench.Bench):
    """A bench whose programs print what the test gives."""

    def __init__(self, output, smoke=False):
        super().__init__(run_bench.FULL, smoke, logs_icons=False)
        self.output = output

    def bench_program(self, session, name, *args, **env):
        return self.output


STORE = '''  groups    links    save ms    load ms   load us/link    profile load ms
      20     1000        7.8       {small:.1f}          {small_us:.2f}               2173
     200    10000       53.7      {large:.1f}          {large_us:.2f}               8452
'''


class VerdictTest(unittest.TestCase):
    def store_verdict(self, small_ms, large_ms, smoke=False):
        bench = CannedBench(STORE.format(small=small_ms, small_us=small_ms, large=large_ms, large_us=large_ms / 10),
                            smoke)
        bench.store(None)
        return {r.measure: r for r in bench.rows}['Group store load, 10,000 shortcuts'].met

    def test_the_large_store_load_must_be_quick_and_grow_linearly(self):
        cases = [
            (13.0, 60.0, 'met'),
            (13.0, 60.9, 'not met'),  # too slow
            (3.0, 55.0, 'not met'),  # quick, but 1.8 times the time per shortcut of the small store
        ]
        for small, large, expected in cases:
            with self.subTest(small=small, large=large):
                self.assertEqual(self.store_verdict(small, large), expected)

    def test_a_smoke_run_judges_no_goal(self):
        self.assertEqual(self.store_verdict(13.0, 140.9, smoke=True), 'not judged (smoke)')

    def test_paint_medians_are_judged_against_their_goals(self):
        full = ('full paint of 50 groups x 40 shortcuts at 1920x1080: median 7.50 ms, min 7.0 ms, '
                '90th percentile 8.0 ms, max 9.0 ms (60 paints)\n')
        cases = [
            ('hover repaint between two cells (60x48 px repainted): median 1.250 ms, min 1.0 ms, '
             '90th percentile 1.4 ms, max 2.0 ms (60 paints)\n', '1.250 ms', 'not met'),
            ('hover repaint of one cell: median 0.400 ms, min 0.3 ms, 90th percentile 0.5 ms, max 0.9 ms '
             '(60 paints)\n', '0.400 ms', 'met'),
        ]
        for hover, median, met in cases:
            with self.subTest(hover=hover):
                bench = CannedBench(full + hover)
                bench.paint(None)
                self.assertEqual([(r.tilebay, r.met) for r in bench.rows], [('7.50 ms', 'met'), (median, met)])

    def test_search_times_per_keystroke_are_judged_against_their_goals(self):
        cases = [
            ('0.200', '2.900', 'met'),
            ('1.100', '2.000', 'not met'),  # the median is too slow
            ('0.200', '3.100', 'not met'),  # one keystroke is too slow
        ]
        for median, worst, met in cases:
            with self.subTest(median=median, worst=worst):
                bench = CannedBench('10000 names prepared in 30.00 ms\n'
                                    f'per keystroke of 10000 names: median {median} ms, 90th percentile 0.500 ms, '
                                    f'worst {worst} ms (189 keystrokes of 24 queries, fastest of 5 rounds each)\n')
                bench.search(None)
                self.assertEqual([(r.measure, r.tilebay, r.met) for r in bench.rows],
                                 [('Shortcut search, 10,000 names, per keystroke',
                                   f'median {median} ms, worst {worst} ms', met)])

    def test_output_without_medians_is_a_benchmark_that_did_not_run(self):
        for program, out in (('paint', 'full paint of 50 groups x 40 shortcuts: median 7.50 ms\n'),
                             ('store', STORE.splitlines()[0] + '\n'),
                             ('search', '10000 names prepared in 30.00 ms\n')):
            with self.subTest(program=program), self.assertRaises(AssertionError):
                getattr(CannedBench(out), program)(None)

    def test_memory_and_objects_are_judged_only_when_measured(self):
        bench = CannedBench('')
        start = sb.Start(first_paint=0.3, gdi=120, user=1000, rss=45.0)
        bench.memory_rows('2,000 shortcuts', sb.MinimalStart(0.1, rss=20.0), start, goal_mib=20, goal_objects=True)
        bench.memory_rows('10,000 shortcuts', sb.MinimalStart(0.1, rss=20.0), sb.Start(first_paint=0.3, rss=None),
                          goal_mib=32, goal_objects=True)
        self.assertEqual([(r.relation, r.met) for r in bench.rows],
                         [('+25.0 MiB', 'not met'), ('', 'not met'), ('', 'n/a'), ('', 'n/a')])
        self.assertEqual(bench.rows[3].tilebay, 'n/a (not logged)')


if __name__ == '__main__':
    unittest.main()
