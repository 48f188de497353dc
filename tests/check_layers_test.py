#!/usr/bin/env python3
"""check_layers.py on tiny trees: a clean one passes, each kind of wrong include fails with its
file, line and folders."""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

CHECK = Path(__file__).resolve().parent / "check_layers.py"
README = "# Tiny\n\nA folder uses only those below it: top, then left\nand right, then bottom; so.\n"
CLEAN = {
    "README.md": README,
    "src/top/a.cpp": '#include "top/a.h"\n#include "left/b.h"\n#include "bottom/c.h"\n',
    "src/top/a.h": "#include <vector>\n",
    "src/left/b.h": '#include "b_parts.h"\n#include "../bottom/c.h"\n',
    "src/left/b_parts.h": "",
    "src/right/d.h": '#  include <sys/types.h>\n// #include "top/a.h"\n',
    "src/bottom/c.h": "",
}

CASES = [
    # name, files changed from CLEAN, exit status, lines the output holds
    ("clean", {}, 0, ["3 includes between folders looked at, 0 faults"]),
    ("up", {"src/bottom/c.h": '#pragma once\n#include "top/a.h"\n'}, 1,
     ["src/bottom/c.h:2: bottom includes top/a.h: up (top is above bottom)"]),
    ("up by a relative path", {"src/left/b_parts.h": '#include "../top/a.h"\n'}, 1,
     ["src/left/b_parts.h:1: left includes ../top/a.h: up (top is above left)"]),
    ("sideways", {"src/right/d.cpp": '#include "right/d.h"\n\n#include "left/b.h"\n'}, 1,
     ["src/right/d.cpp:3: right includes left/b.h: sideways (right and left are one layer)"]),
    ("a folder on no layer", {"src/extra/e.h": '#include "bottom/c.h"\n'}, 1,
     ["src/extra: a folder on no layer of"]),
    ("no order in the README", {"README.md": "# Tiny\n"}, 1, ["states no order of folders"]),
]


class CheckLayers(unittest.TestCase):
    def test_cases(self):
        for name, changed, status, lines in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for path, text in dict(CLEAN, **changed).items():
                    (Path(root) / path).parent.mkdir(parents=True, exist_ok=True)
                    (Path(root) / path).write_text(text, encoding="utf-8")
                done = subprocess.run([sys.executable, str(CHECK), root], capture_output=True,
                                      text=True, timeout=60)
                self.assertEqual(done.returncode, status, done.stdout + done.stderr)
                for line in lines:
                    self.assertIn(line, done.stdout)


if __name__ == "__main__":
    unittest.main()
