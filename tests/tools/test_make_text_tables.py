"""The search's text tables in src/foundation/text are exactly what tools/make_pinyin_table.py and
tools/make_case_folding.py write from the Unicode data of Debian's package unicode-data."""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TEXT = ROOT / 'src' / 'foundation' / 'text'
UNICODE = Path('/usr/share/unicode')
TABLES = [
    ('make_pinyin_table.py', 'PinyinTable.inc', 'Unihan_Readings.txt.bz2'),
    ('make_case_folding.py', 'CaseFoldingTable.inc', 'CaseFolding.txt'),
]


class MakeTextTablesTest(unittest.TestCase):
    def test_generators_write_the_committed_tables_byte_for_byte(self):
        for generator, table, source in TABLES:
            with self.subTest(table):
                if not (UNICODE / source).is_file():
                    self.skipTest(f'{UNICODE / source} is missing: install the Debian package unicode-data')
                with tempfile.TemporaryDirectory() as out:
                    made = Path(out) / table
                    subprocess.run([sys.executable, str(ROOT / 'tools' / generator), '--out', str(made)], check=True)
                    self.assertEqual(made.read_bytes(), (TEXT / table).read_bytes(),
                                     f'run tools/{generator} and commit {table}')


if __name__ == '__main__':
    unittest.main()
