"""The tray menu's last region, taken again on a changed screen and after a restart, and the
delayed cut: its count in the tip, what it freezes at zero, and Print Screen ending it."""

import re
import time

from e2e import MAIN_CLASS, Scenario

TIP = "Snarvik -- click for menu"
LAST_REGION, DELAY, TEN_SECONDS = "l", "d", "0"
COUNTING = re.compile(r"^Snarvik -- cut in \d+ s \(click for menu\)$")


class LastRegion(Scenario):
    in_tray = True

    def assert_taken_again(self, rect):
        self.open_menu()  # the selection menu, at once
        self.assertEqual(self.picture1_shown(), rect)
        self.assert_shows_pattern(rect)
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
        self.choose("a")
        self.wait_window(MAIN_CLASS, visible=False)

        # The screen changed (the pattern over it): the same rectangle, its new pixels.
        self.tray_command_over_pattern(LAST_REGION)
        self.assert_taken_again(rect)

        self.stop_snarvik()
        self.start_in_tray()
        self.tray_command_over_pattern(LAST_REGION)
        self.assert_taken_again(rect)


class DelayedCut(Scenario):
    in_tray = True

    def start_count(self):
        """Cut - After a Delay, 10 seconds; returns when it was chosen."""
        self.tray_click(3)
        self.choose(DELAY, TEN_SECONDS)
        return time.monotonic()

    def tip_shown(self, pattern):
        """Hovers over the tray icon until its tip matches; the tip's record."""
        x, y = self.tray_point()
        self.move_to(x - 50, y - 50)
        self.move(x, y)
        return self.wait_for(lambda: next((t for t in self.records("tooltip")
                                           if re.match(pattern, t["text"])), None),
                             timeout=6, what="the tip %r" % pattern)

    def test_the_count_shows_in_the_tip_and_its_end_freezes_a_menu_opened_meanwhile(self):
        self.start_count()
        self.tip_shown(COUNTING)
        # Another program's menu, opened during the count.
        opener, _ = self.wintool_process("popup-menu", 500, 400)
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
        from PIL import ImageChops
        self.assertIsNone(ImageChops.difference(self.clipboard_image(), live).getbbox())
        self.assertEqual(self.tip_shown(re.escape(TIP))["text"], TIP)

    def test_print_screen_during_the_count_cuts_at_once_and_ends_it(self):
        chosen = self.start_count()
        self.tip_shown(COUNTING)
        self.move_to(600, 400)  # keys reach the desktop only with the pointer over it
        self.print_screen()
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
