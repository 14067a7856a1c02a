"""The link lists in resources/ are exactly what tools/make_link_lists.py writes."""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
GENERATOR = ROOT / 'tools' / 'make_link_lists.py'
RESOURCES = ROOT / 'resources'
LISTS = ('LinkAd.txt', 'LinkAd_zh_CN.txt')


class MakeLinkListsTest(unittest.TestCase):
    def test_generator_writes_the_committed_lists_byte_for_byte(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, str(GENERATOR), out], check=True)
            self.assertEqual(sorted(p.name for p in Path(out).iterdir()), sorted(LISTS))
            for name in LISTS:
                self.assertEqual((Path(out) / name).read_bytes(), (RESOURCES / name).read_bytes(),
                                 f'run tools/make_link_lists.py and commit {name}')


if __name__ == '__main__':
    unittest.main()
