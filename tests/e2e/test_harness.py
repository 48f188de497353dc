"""The harness itself: what tests see of the screen and of Windows must be exact, or every
scenario built on it checks the wrong thing."""

import subprocess
import time
import unittest

from e2e import MINGW_DIR, WS_EX_TOPMOST, WS_POPUP, Scenario, pattern_mismatches, pattern_position, \
    pattern_rgb


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
        holder = subprocess.Popen(["wine", MINGW_DIR / "wintool.exe", "clipboard-hold", "4000"],
                                  env=self.prefix.env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            time.sleep(1.5)
            started = time.monotonic()
            busy = self.wintool("clipboard-formats", check=False)
            # Either refused, or let in only after the holder closed it.
            self.assertTrue(busy.returncode != 0 or time.monotonic() - started > 1.5,
                            busy.stdout + busy.stderr)
        finally:
            holder.kill()
            holder.wait(timeout=10)


if __name__ == "__main__":
    unittest.main()
