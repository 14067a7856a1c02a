"""The layer check on small trees: what it must refuse and what it must let pass."""

import tempfile
import unittest
from pathlib import Path

from check_layers import upward_includes


class LayerCheckTest(unittest.TestCase):

    def problems(self, files):
        with tempfile.TemporaryDirectory() as root:
            for name, text in files.items():
                path = Path(root) / name
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_text(text, encoding='utf-8')
            return upward_includes(Path(root))

    def test_cases(self):
        cases = [
            ('model uses window code', {'model/A.cpp': '#include "framework/Window.h"\n'}, 1),
            ('a lower folder reaches up', {'framework/W.cpp': '#include "views/V.h"\n'}, 1),
            ('a folder outside the layers', {'gadgets/G.cpp': '#include "foundation/F.h"\n'}, 1),
            ('model uses pictures and the foundation',
             {'model/A.h': '#include "graphics/IconAtlas.h"\n#include "foundation/lang/WorkerThread.h"\n'}, 0),
            ('views use window code', {'views/V.cpp': '#  include "framework/Form.h"\n'}, 0),
        ]
        for what, files, expected in cases:
            with self.subTest(what):
                self.assertEqual(len(self.problems(files)), expected)


if __name__ == '__main__':
    unittest.main()
