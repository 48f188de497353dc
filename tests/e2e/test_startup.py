"""Start-up: Snarvik starts hidden, keeps running, and reads its stored settings whatever they
hold, without writing the running number by itself."""

import time
import unittest

from e2e import MAIN_CLASS, SETTINGS_KEY, WS_CAPTION, WS_POPUP, Scenario

# Long enough for a start-up that goes wrong (a crash, a window shown late) to show.
SETTLE_SECONDS = 2.0


class Startup(Scenario):
    def assert_quietly_running(self, seconds=SETTLE_SECONDS):
        """Still running after `seconds`, and none of its windows ever visible meanwhile."""
        main = self.wait_window(MAIN_CLASS, timeout=20)
        deadline = time.monotonic() + seconds
        while True:
            self.assertTrue(self.snarvik_running(), "snarvik.exe has exited")
            shown = [w for w in self.wintool("windows").stdout.splitlines()
                     if "\tpid=%d\t" % main["pid"] in w and "\tvisible=1\t" in w]
            self.assertEqual(shown, [], "a window of snarvik.exe is visible")
            if time.monotonic() > deadline:
                return main
            time.sleep(0.3)

    def test_starts_hidden_as_a_borderless_popup(self):
        self.start_snarvik()
        main = self.assert_quietly_running()
        self.assertEqual(main["title"], "")
        self.assertTrue(main["style"] & WS_POPUP, "style 0x%08x" % main["style"])
        self.assertEqual(main["style"] & WS_CAPTION, 0, "style 0x%08x" % main["style"])
        self.assertEqual(len(self.windows(MAIN_CLASS)), 1, "one main window")

    def test_runs_with_any_stored_number_and_never_writes_it(self):
        cases = [
            ("absent", None),
            ("a number", "7"),
            ("negative", "-3"),
            ("not a number", "banana"),
            ("empty", ""),
            ("too large", "99999999999999999999"),
        ]
        for label, number in cases:
            with self.subTest(label):
                self.reg_delete(SETTINGS_KEY, "Number")
                if number is not None:
                    self.reg_add(SETTINGS_KEY, "Number", number)
                try:
                    self.start_snarvik()
                    self.assert_quietly_running()
                finally:
                    self.stop_snarvik()
                stored = self.stored_settings()
                if number is None:
                    self.assertNotIn("Number", stored)
                else:
                    self.assertEqual(stored.get("Number"), number)


if __name__ == "__main__":
    unittest.main()
