"""Selecting on the frozen screen with the mouse: the free rubber band and the limited square,
Reselect and Abort, and the copy to the clipboard read back by another process."""

import subprocess
import time
import unittest

from e2e import MAIN_CLASS, MINGW_DIR, Scenario, pattern_mismatches, pattern_rgb

WM_CHAR = 0x102
IDOK = 1
IDCANCEL = 2


class Selecting(Scenario):
    """Snarvik running in the tray, and the steps of a cut."""

    def setUp(self):
        super().setUp()
        self.main = self.start_snarvik()
        self.wait_window("Shell_TrayWnd", visible=True, timeout=20)

    # --- helpers -------------------------------------------------------------------------

    def cut(self, limit=0):
        """Starts a cut over the test pattern (Print Screen, or the tray menu's limit item);
        the pattern goes away once grabbed, so only the frozen image still shows it."""
        if limit:
            self.tray_right_click()
            self.open_menu()
        pattern = self.start_pattern()
        try:
            if limit:
                # The pattern covers the open tray menu: give it the item's access key.
                menu = self.records("menu")[0]
                self.wintool("post", hex(menu["hwnd"]), WM_CHAR, ord(str(limit)[0]), 0)
            else:
                self.key("Print")
            self.wait_window(MAIN_CLASS, visible=True)
        finally:
            pattern.kill()
            pattern.wait(timeout=10)
        self.wait_for(lambda: not self.windows("WintoolPattern"), what="the pattern gone")

    def select(self, start, end, button=1, while_held=None):
        """Presses at start, drags to end and releases there; returns the menu's rectangle."""
        self.move(*start)
        time.sleep(0.1)
        self.xdotool("mousedown", button)
        for step in ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2), end:
            time.sleep(0.1)
            self.move(*step)
        time.sleep(0.2)
        if while_held:
            while_held()
        self.xdotool("mouseup", button)
        return self.open_menu()

    def choose(self, key):
        self.menu_key(key)
        self.wait_for(lambda: not self.records("menu"), what="the menu closed")

    def picture(self):
        """Picture1's record (its rect is on the screen)."""
        found = [r for r in self.records("children", hex(self.main["hwnd"]))
                 if r["class"] == "SnarvikPicture"]
        self.assertEqual(len(found), 1)
        return found[0]

    def assert_shows_pattern(self, rect):
        left, top, right, bottom = rect
        self.assertGreater(right - left, 0)
        wrong = pattern_mismatches(self.grab().crop(rect), left, top)
        self.assertEqual(wrong, [], "first differing pixels of %r: %r" % (rect, wrong[:5]))

    def assert_back_in_tray(self):
        self.wait_window(MAIN_CLASS, visible=False)
        self.assertTrue(self.snarvik_running(), "snarvik.exe has exited")

    def clipboard(self):
        """The clipboard's bitmap, read by another process: (info, PIL image)."""
        from PIL import Image
        info = self.records("clipboard-bmp", "C:\\clip.bmp")
        self.assertEqual(len(info), 1, "no bitmap on the clipboard")
        with Image.open(self.prefix.unix_path("C:\\clip.bmp")) as image:
            return info[0], image.convert("RGB")

    def files(self):
        """Every file of the prefix's drive C outside the Windows folder, with its time."""
        root = self.prefix.unix_path("C:\\")
        return {p: p.stat().st_mtime for p in root.rglob("*")
                if p.is_file() and p.relative_to(root).parts[0] != "windows"}


class Selection(Selecting):
    def test_free_drag_shows_the_pixels_and_copies_them(self):
        rect = (300, 200, 437, 291)
        self.cut()
        menu = self.select(rect[:2], rect[2:],
                           while_held=lambda: self.keep_screenshot("rubber-band"))
        self.keep_screenshot("selection-menu")
        self.assertEqual(self.picture()["rect"], rect)
        self.assertEqual(self.picture()["visible"], 1)
        self.assertEqual(menu[:2], rect[2:], "the menu opens at the release point")
        self.assert_shows_pattern(rect)
        self.choose("c")
        self.assert_back_in_tray()
        info, copied = self.clipboard()
        self.assertEqual((info["width"], info["height"]), ("137", "91"))
        wrong = pattern_mismatches(copied, *rect[:2])
        self.assertEqual(wrong, [], "first differing pixels: %r" % wrong[:5])

    def test_limited_cut_gives_a_square_ending_at_the_pointer(self):
        self.cut(32)
        pointer = (600, 400)
        self.move(pointer[0] - 3, pointer[1] - 3)
        time.sleep(0.1)
        self.move(*pointer)
        time.sleep(0.3)
        self.keep_screenshot("limited-square")
        # Before the press the dotted square already follows the pointer.
        left, top = pointer[0] - 32, pointer[1] - 32
        around = (left - 20, top - 20, pointer[0] + 20, pointer[1] + 20)
        framed = [(x + around[0], y + around[1]) for (x, y), _, _ in
                  pattern_mismatches(self.grab().crop(around), *around[:2])]
        self.assertTrue(framed, "no frame drawn")
        xs, ys = {x for x, _ in framed}, {y for _, y in framed}
        self.assertEqual((min(xs), min(ys), max(xs), max(ys)),
                         (left, top, pointer[0] - 1, pointer[1] - 1), "the frame's extent")
        inside = [(x, y) for x, y in framed if left < x < pointer[0] - 1 and
                  top < y < pointer[1] - 1]
        self.assertEqual(inside, [], "only the square's outline is drawn")
        self.select(pointer, pointer)
        self.assertEqual(self.picture()["rect"], (left, top) + pointer)
        self.assert_shows_pattern((left, top) + pointer)

    def test_right_and_middle_buttons_select_like_the_left(self):
        for name, button in (("right", 3), ("middle", 2)):
            with self.subTest(name):
                self.cut()
                self.select((100, 120), (150, 190), button=button)
                self.assertEqual(self.picture()["rect"], (100, 120, 150, 190))
                self.assertEqual(self.picture()["visible"], 1)
                self.choose("a")
                self.assert_back_in_tray()

    def test_single_pixel_copies_at_the_display_depth(self):
        depth = self.records("screen")[0]["bits"]
        self.cut()
        self.select((777, 333), (778, 334))
        self.assertEqual(self.picture()["rect"], (777, 333, 778, 334))
        self.choose("c")
        self.assert_back_in_tray()
        info, copied = self.clipboard()
        self.assertEqual((info["width"], info["height"], info["bits"]), ("1", "1", depth))
        self.assertEqual(copied.getpixel((0, 0)), pattern_rgb(777, 333))

    def test_reselect_keeps_the_frozen_image_and_the_limit(self):
        self.cut(32)
        self.select((400, 300), (400, 300))
        self.choose("r")
        self.assertEqual(self.picture()["visible"], 0)
        self.assertEqual(self.main_window()["visible"], 1, "the capture window stays up")
        # The screen now shows the desktop; the new selection still comes from the grab.
        self.select((900, 700), (900, 700))
        self.assertEqual(self.picture()["rect"], (868, 668, 900, 700))
        self.assert_shows_pattern((868, 668, 900, 700))

    def test_abort_writes_nothing_and_leaves_only_the_tray_icon(self):
        settings, files = self.stored_settings(), self.files()
        self.cut()
        self.select((50, 60), (250, 160))
        self.choose("a")
        self.assert_back_in_tray()
        time.sleep(0.5)
        shown = [r for r in self.records("windows")
                 if r["pid"] == self.main["pid"] and r["visible"]]
        self.assertEqual(shown, [], "a window of snarvik.exe is visible")
        self.assertEqual(self.windows("Shell_TrayWnd")[0]["visible"], 1, "the tray icon")
        self.assertEqual(self.stored_settings(), settings)
        self.assertEqual(self.files(), files)

    def test_tray_double_click_after_abort_shows_the_old_selection(self):
        rect = (500, 500, 580, 560)
        self.cut()
        self.select(rect[:2], rect[2:])
        self.choose("a")
        self.assert_back_in_tray()
        self.tray_double_click()
        self.wait_window(MAIN_CLASS, visible=True)
        self.assertEqual(self.picture()["rect"], rect)
        self.assertEqual(self.picture()["visible"], 1)
        self.assert_shows_pattern(rect)
        # The old frame is still anchored one pixel up and left of it: a move stretches it.
        self.move(700, 650)
        time.sleep(0.3)
        screen = self.grab()
        for x, y in ((rect[0] - 1, 620), (640, rect[1] - 1)):
            self.assertNotEqual(screen.getpixel((x, y)), screen.getpixel((x - 3, y - 3)),
                                "no frame at %d,%d" % (x, y))
        # The picture stays while a new rubber band is dragged, and moves on the release.
        self.select((100, 100), (140, 130),
                    while_held=lambda: self.assertEqual(self.picture()["rect"], rect))
        self.assertEqual(self.picture()["rect"], (100, 100, 140, 130))

    def test_busy_clipboard_is_reported_and_nothing_breaks(self):
        self.artifacts.mkdir(parents=True, exist_ok=True)
        out = self.artifacts / "hold.out"
        with open(out, "wb") as log:
            holder = subprocess.Popen(["wine", MINGW_DIR / "wintool.exe", "clipboard-hold",
                                       "20000"], env=self.prefix.env, stdin=subprocess.DEVNULL,
                                      stdout=log, stderr=subprocess.STDOUT)
        self.addCleanup(holder.wait, timeout=10)
        self.addCleanup(holder.kill)
        self.wait_for(lambda: b"held" in out.read_bytes(), what="the clipboard held")
        self.cut()
        self.select((200, 200), (260, 240))
        self.choose("c")
        message = self.wintool("dialog-text", "Snarvik").stdout
        self.assertIn("not copied", message)
        self.assertEqual(self.main_window()["visible"], 0, "the capture window is hidden")
        self.wintool("dialog-press", "Snarvik", IDOK)
        self.wait_for(lambda: not self.windows("#32770", "Snarvik"), what="the message gone")
        self.assert_back_in_tray()


class NumberedCopy(Selecting):
    settings = {"Number": "7"}

    def test_copy_leaves_the_settings_and_the_running_number(self):
        settings = self.stored_settings()
        self.cut()
        self.select((10, 10), (40, 40))
        self.choose("c")
        self.assert_back_in_tray()
        self.assertEqual(self.stored_settings(), settings)
        self.cut()
        self.select((10, 10), (40, 40))
        self.choose("b")
        self.assertIn("edit=Pic7.BMP", self.wintool("dialog-text", "Save Graphic").stdout)
        self.wintool("dialog-press", "Save Graphic", IDCANCEL)


if __name__ == "__main__":
    unittest.main()
