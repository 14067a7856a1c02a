"""The pictures in resources/pictures are exactly what tools/make_pictures.py draws."""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
GENERATOR = ROOT / 'tools' / 'make_pictures.py'
PICTURES = ROOT / 'resources' / 'pictures'


class MakePicturesTest(unittest.TestCase):
    def test_generator_makes_the_committed_pictures_byte_for_byte(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, str(GENERATOR), '--out', out], check=True)
            made = sorted(p.name for p in Path(out).iterdir())
            committed = sorted(p.name for p in PICTURES.iterdir())
            self.assertEqual(made, committed)
            different = [name for name in made if (Path(out) / name).read_bytes() != (PICTURES / name).read_bytes()]
            self.assertEqual(different, [], 'run tools/make_pictures.py and commit what it writes')


if __name__ == '__main__':
    unittest.main()
