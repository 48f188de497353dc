"""A shortcut written by CreateShortcut, read back by an independent parser (lnkinfo).

Runs the Win32 test that writes shortcuts under Wine, asks it to leave its shortcut with every
string filled in, and checks what lnkinfo finds in it. Needs wine, lnkinfo, a built
snarvik_win_tests.exe (SNARVIK_MINGW_DIR, default build/mingw) and a Wine prefix (WINEPREFIX).
"""

import os
import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
MINGW_DIR = Path(os.environ.get("SNARVIK_MINGW_DIR", ROOT / "build" / "mingw"))
TESTS_EXE = MINGW_DIR / "snarvik_win_tests.exe"


def windows_path(path):
    """Wine's Z: drive is the Unix root."""
    return "Z:" + str(path).replace("/", "\\")


@unittest.skipUnless(shutil.which("wine") and shutil.which("lnkinfo"), "wine or lnkinfo missing")
@unittest.skipUnless(os.environ.get("WINEPREFIX"), "WINEPREFIX not set")
@unittest.skipUnless(TESTS_EXE.exists(), "snarvik_win_tests.exe not built")
class ShortcutReadByLnkinfo(unittest.TestCase):
    def test_lnkinfo_reads_target_and_strings(self):
        folder = Path(tempfile.mkdtemp(prefix="snarvik-lnk-"))
        self.addCleanup(shutil.rmtree, folder, True)
        kept = folder / "kept.lnk"
        env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                   SNARVIK_KEEP_SHORTCUT=windows_path(kept))
        # Output to a file: Wine's services may hold an inherited pipe open.
        with open(folder / "out.txt", "wb") as out:
            done = subprocess.run(
                ["wine", str(TESTS_EXE), "--gtest_filter=ShellShortcut.WrittenShortcutsLoadBack"],
                env=env, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                timeout=120)
        log = (folder / "out.txt").read_bytes().decode("latin-1").replace("\r", "")
        self.assertEqual(done.returncode, 0, log)
        self.assertTrue(kept.exists(), log)

        info = subprocess.run(["lnkinfo", str(kept)], capture_output=True, timeout=30)
        self.assertEqual(info.returncode, 0, info.stderr)
        fields = {}
        for line in info.stdout.decode("latin-1").splitlines():
            match = re.match(r"\s+([A-Za-z ]+?)\s*:\s?(.*)$", line)
            if match:
                fields.setdefault(match.group(1), match.group(2))
        self.assertRegex(fields.get("Local path", ""), r"(?i)\\snvtarget\.exe$")
        self.assertRegex(fields.get("Working directory", ""), r"(?i)snv_shortcut_")
        self.assertEqual(fields.get("Command line arguments"), '-a "b c"')
        self.assertEqual(fields.get("Icon location"), "C:\\windows\\notepad.exe")
        self.assertEqual(fields.get("Icon index"), "2")


if __name__ == "__main__":
    unittest.main()
