"""The tray menu's last region, taken again on a changed screen and after a restart, and the
delayed cut: its count in the tip, what it freezes at zero, and Print Screen ending it."""

import re
import subprocess
import time

from e2e import MAIN_CLASS, MINGW_DIR, QUIET, Scenario, pattern_mismatches

WM_CHAR = 0x102
TIP = "Snarvik -- click for menu"
LAST_REGION, DELAY, TEN_SECONDS = "l", "d", "0"
COUNTING = re.compile(r"^Snarvik -- cut in \d+ s \(click for menu\)$")


class LastRegion(Scenario):
    def setUp(self):
        super().setUp()
        self.start_snarvik()
        self.wait_window("Shell_TrayWnd", visible=True, timeout=20)

    def picture1_shown(self):
        rect, visible = self.picture1()
        return rect if visible else None

    def last_region_over_pattern(self):
        """Cut - Last Region from the tray menu with the test pattern over the screen; the
        pattern goes away once grabbed, so only the frozen image shows it."""
        self.tray_click(3)
        self.open_menu()
        # The pattern covers the open tray menu: give it the item's access key.
        self.cut_over_pattern(lambda: self.wintool(
            "post", hex(self.records("menu")[0]["hwnd"]), WM_CHAR, ord(LAST_REGION), 0))

    def assert_taken_again(self, rect):
        self.open_menu()  # the selection menu, at once
        self.assertEqual(self.picture1_shown(), rect)
        wrong = pattern_mismatches(self.grab().crop(rect), *rect[:2])
        self.assertEqual(wrong, [], "first differing pixels of %r: %r" % (rect, wrong[:5]))
        self.choose("a")
        self.wait_window(MAIN_CLASS, visible=False)

    def test_the_last_selection_is_taken_again_on_a_new_screen_and_after_a_restart(self):
        # None stored yet: an ordinary cut of any size, waiting for a drag.
        self.tray_command(LAST_REGION)
        self.wait_window(MAIN_CLASS, visible=True)
        self.assertIsNone(self.picture1_shown())
        self.assertEqual(self.records("menu"), [])
        rect = (300, 200, 420, 290)
        self.select(rect[:2], rect[2:])
        self.assertEqual(self.stored_settings().get("LastRegion"), "300,200,120,90")
        self.choose("a")
        self.wait_window(MAIN_CLASS, visible=False)

        # The screen changed (the pattern over it): the same rectangle, its new pixels.
        self.last_region_over_pattern()
        self.assert_taken_again(rect)

        self.stop_snarvik()
        self.start_snarvik()
        self.wait_window("Shell_TrayWnd", visible=True, timeout=20)
        self.last_region_over_pattern()
        self.assert_taken_again(rect)


class DelayedCut(Scenario):
    def setUp(self):
        super().setUp()
        self.start_snarvik()
        self.wait_window("Shell_TrayWnd", visible=True, timeout=20)

    def start_count(self):
        """Cut - After a Delay, 10 seconds; returns when it was chosen."""
        self.tray_click(3)
        self.choose(DELAY, TEN_SECONDS)
        return time.monotonic()

    def tip_shown(self, pattern):
        """Hovers over the tray icon until its tip matches; the tip's record."""
        x, y = self.tray_point()
        self.move(x - 50, y - 50)
        self.pointer_arrived(x - 50, y - 50)
        self.move(x, y)
        return self.wait_for(lambda: next((t for t in self.records("tooltip")
                                           if re.match(pattern, t["text"])), None),
                             timeout=6, what="the tip %r" % pattern)

    def test_the_count_shows_in_the_tip_and_its_end_freezes_a_menu_opened_meanwhile(self):
        self.start_count()
        self.tip_shown(COUNTING)
        # Another program's menu, opened during the count.
        opener = subprocess.Popen(["wine", MINGW_DIR / "wintool.exe", "popup-menu", "500", "400"],
                                  env=self.env, **QUIET)
        self.addCleanup(lambda: opener.poll() is None and (opener.kill(), opener.wait(10)))
        rect = self.open_menu()
        self.assertFalse(self.capture_up(), "the cut came before the count was over")
        live = self.grab().crop(rect)
        self.wait_window(MAIN_CLASS, visible=True, timeout=15)
        opener.kill()
        opener.wait(timeout=10)
        self.wait_for(lambda: not self.records("menu"), what="the menu gone")
        # The frozen screen still holds the menu: copied from it, it is the menu as it showed.
        self.select(rect[:2], rect[2:])
        self.choose("c")
        self.wait_window(MAIN_CLASS, visible=False)
        from PIL import ImageChops, Image
        self.records("clipboard-bmp", "C:\\clip.bmp")
        with Image.open(self.unix_path("C:\\clip.bmp")) as copied:
            self.assertIsNone(ImageChops.difference(copied.convert("RGB"), live).getbbox())
        self.assertEqual(self.tip_shown(re.escape(TIP))["text"], TIP)

    def test_print_screen_during_the_count_cuts_at_once_and_ends_it(self):
        chosen = self.start_count()
        self.tip_shown(COUNTING)
        self.move(600, 400)  # keys reach the desktop only with the pointer over it
        self.pointer_arrived(600, 400)
        self.key("Print")
        self.wait_window(MAIN_CLASS, visible=True)
        self.assertLess(time.monotonic() - chosen, 10, "the cut came only with the count")
        self.key("Escape")
        self.wait_window(MAIN_CLASS, visible=False)
        # The count is over: the tip is the usual one, and the menu offers the delay again
        # (its Cancel item would take "c" and end the menu with no cut).
        self.assertEqual(self.tip_shown(re.escape(TIP))["text"], TIP)
        self.tray_click(3)
        self.choose(DELAY, TEN_SECONDS)
        self.tip_shown(COUNTING)
        self.tray_click(3)
        self.choose("c")  # Cancel Delayed Cut
        self.assertEqual(self.tip_shown(re.escape(TIP))["text"], TIP)
