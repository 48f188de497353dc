"""The harness itself: what tests see of the screen and of Windows must be exact, or every
scenario built on it checks the wrong thing."""

import subprocess
import time
import unittest

from e2e import MINGW_DIR, WS_EX_TOPMOST, WS_POPUP, Scenario, pattern_mismatches, \
    pattern_position, pattern_rgb


class PatternColours(unittest.TestCase):
    def test_every_position_has_its_own_colour(self):
        seen = {}
        for x in range(0, 3840, 7):
            for y in range(0, 2160, 5):
                colour = pattern_rgb(x, y)
                self.assertNotIn(colour, seen)
                seen[colour] = (x, y)
                self.assertEqual(pattern_position(colour), (x, y))


class HarnessSelfCheck(Scenario):
    def test_screenshot_shows_the_pattern_exactly(self):
        pattern = self.start_pattern(milliseconds=30000)
        try:
            window = self.wait_window("WintoolPattern", visible=True)
            self.assertEqual(window["rect"], (0, 0, self.width, self.height))
            self.assertTrue(window["style"] & WS_POPUP)
            self.assertTrue(window["exstyle"] & WS_EX_TOPMOST)
            screen = self.grab()
            self.assertEqual(screen.size, (self.width, self.height))
            wrong = pattern_mismatches(screen, 0, 0)
            self.assertEqual(len(wrong), 0, "first differing pixels: %r" % wrong[:5])
            # And a crop is recognised by where it came from.
            piece = screen.crop((100, 200, 116, 216))
            self.assertEqual(pattern_mismatches(piece, 100, 200), [])
            self.assertNotEqual(pattern_mismatches(piece, 101, 200), [])
        finally:
            pattern.kill()
            pattern.wait(timeout=10)

    def test_hotkey_probe_reports_a_free_print_screen(self):
        self.assertIn("hotkey=free", self.wintool("hotkey-probe").stdout)

    def test_clipboard_hold_blocks_other_processes(self):
        self.artifacts.mkdir(parents=True, exist_ok=True)
        out = self.artifacts / "hold.out"
        with open(out, "wb") as log:
            holder = subprocess.Popen(["wine", MINGW_DIR / "wintool.exe", "clipboard-hold",
                                       "15000"], env=self.prefix.env, stdin=subprocess.DEVNULL,
                                      stdout=log, stderr=subprocess.STDOUT)
        try:
            self.wait_for(lambda: b"held" in out.read_bytes(), what="the clipboard held")
            busy = self.wintool("clipboard-formats", check=False)
            self.assertNotEqual(busy.returncode, 0, busy.stdout)
            self.assertIn("cannot open the clipboard", busy.stderr)
        finally:
            holder.kill()
            holder.wait(timeout=10)
        self.assertEqual(self.wintool("clipboard-formats", check=False).returncode, 0)

    def test_clipboard_bitmap_dump_is_exact(self):
        from PIL import Image
        piece = Image.new("RGB", (37, 21))
        piece.putdata([pattern_rgb(300 + x, 40 + y) for y in range(21) for x in range(37)])
        self.artifacts.mkdir(parents=True, exist_ok=True)
        source = self.artifacts / "into-clipboard.bmp"
        piece.save(source)
        # X's clipboard reaches Windows as a DIB; Wine offers CF_BITMAP made from it.
        owner = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-t", "image/bmp",
                                  "-i", source], env=self.prefix.env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.wait_for(lambda: "CF_BITMAP" in self.wintool("clipboard-formats").stdout,
                          what="a bitmap on the clipboard")
            dump = self.prefix.unix_path("C:\\dump.bmp")
            info = self.wintool("clipboard-bmp", "C:\\dump.bmp").stdout
            self.assertIn("width=37\theight=21", info)
            with Image.open(dump) as got:
                self.assertEqual(got.size, (37, 21))
                self.assertEqual(pattern_mismatches(got, 300, 40), [])
        finally:
            owner.kill()
            owner.wait(timeout=10)

    def test_save_dialog_tools_fill_and_confirm_a_real_dialog(self):
        editor = subprocess.Popen(["wine", "notepad"], env=self.prefix.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            window = self.wait_window("Notepad", visible=True)
            left, top, right, bottom = window["rect"]
            self.click((left + right) // 2, (top + bottom) // 2)
            self.key("ctrl+s")
            text = self.wintool("dialog-text", "Save As").stdout
            self.assertIn("button=1\t", text)
            self.assertIn("edit=*.txt", text)
            self.assertIn("edit=C:\\saved.txt",
                          self.wintool("dialog-set", "Save As", "C:\\saved.txt").stdout)
            self.wintool("dialog-press", "Save As", "1")
            saved = self.prefix.unix_path("C:\\saved.txt")
            self.wait_for(saved.exists, what=str(saved))
            self.assertEqual(self.windows("#32770", "Save As"), [])
        finally:
            editor.kill()
            editor.wait(timeout=10)


if __name__ == "__main__":
    unittest.main()
