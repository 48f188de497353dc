"""Saving a selection: the Save Graphic dialog and its numbered names, the BMP/ICO/CUR files
read back by Pillow, failures that lose nothing, and the selection as wallpaper."""

import time

from e2e import MAIN_CLASS, Scenario, pattern_mismatches, pattern_position

TITLE = "Save Graphic"
OUT = "C:\\out"
DESKTOP_KEY = "HKCU\\Control Panel\\Desktop"
# left, top, right, bottom of selections on the pattern: an odd width pads the BMP rows, and an
# icon need not be square.
PIECE = (301, 203, 338, 224)
OBLONG = (600, 400, 648, 424)
WALL = (480, 300, 544, 348)
# Menu keys. "C" is also Copy to Clipboard's access key, and Wine runs the first item that has
# it, so the cursor item is reached with the arrows.
BITMAP, ICON, CURSOR = ("b",), ("i",), ("Down",) * 4 + ("Return",)


class SaveScenario(Scenario):
    def setUp(self):
        super().setUp()
        self.out = self.prefix.unix_path(OUT)
        self.out.mkdir()
        self.start_snarvik()
        self.pattern = None
        self.show_pattern()
        self.addCleanup(self.hide_pattern)

    def show_pattern(self):
        self.pattern = self.start_pattern()

    def hide_pattern(self):
        if self.pattern is not None:
            self.pattern.kill()
            self.pattern.wait(timeout=10)
            self.pattern = None

    def capture_up(self):
        main = self.main_window()
        return bool(main and main["visible"])

    def select(self, rect=PIECE):
        """Cuts (unless the capture window is still up) and selects rect; its menu opens."""
        if not self.capture_up():
            self.key("Print")
            self.wait_window(MAIN_CLASS, visible=True)
            time.sleep(0.3)
        left, top, right, bottom = rect
        self.drag([(left, top), ((left + right) // 2, (top + bottom) // 2), (right, bottom)])
        self.open_menu()

    def dialog(self, keys, rect=PIECE):
        """Selects rect and chooses the menu item; returns the name the dialog offers."""
        self.select(rect)
        self.menu_key(*keys)
        self.wait_window("#32770", TITLE, visible=True, timeout=20)
        text = self.wintool("dialog-text", TITLE).stdout
        return next(line[5:] for line in text.splitlines() if line.startswith("edit="))

    def answer(self, path=None):
        """Saves under path, or cancels without one; waits for the dialog to close."""
        if path is None:
            self.wintool("dialog-press", TITLE, "2")
        else:
            self.wintool("dialog-set", TITLE, path)
            self.wintool("dialog-press", TITLE, "1")
        self.wait_for(lambda: not self.windows("#32770", TITLE), timeout=10,
                      what="the save dialog to close")

    def save(self, keys, name, rect=PIECE):
        """Saves a selection of rect as OUT\\name; returns the file."""
        number = self.stored_settings().get("Number", "1")
        self.dialog(keys, rect)
        self.answer(OUT + "\\" + name)
        self.wait_for(lambda: self.stored_settings().get("Number") == str(int(number) + 1),
                      timeout=10, what="the number to advance")
        self.wait_for(lambda: not self.capture_up(), what="the capture window to hide")
        return self.out / name

    def assert_picture(self, path, rect, kind):
        from PIL import Image
        with Image.open(path) as picture:
            self.assertEqual(picture.format, kind)
            self.assertEqual(picture.size, (rect[2] - rect[0], rect[3] - rect[1]))
            rgba = picture.convert("RGBA")
        self.assertEqual(pattern_mismatches(rgba, rect[0], rect[1])[:3], [])
        if kind == "ICO":
            self.assertEqual(set(rgba.getdata(3)), {255}, "an icon pixel is transparent")

    def assert_reported(self, path):
        """A message box names the file; it is closed."""
        self.wait_window("#32770", "Snarvik", visible=True, timeout=10)
        self.assertIn(path, self.wintool("dialog-text", "Snarvik").stdout)
        self.wintool("dialog-press", "Snarvik", "1")
        self.wait_for(lambda: not self.windows("#32770", "Snarvik"), what="the message to close")


class SaveDialog(SaveScenario):
    def test_one_running_number_for_all_kinds_survives_a_restart(self):
        self.assertEqual(self.dialog(BITMAP), "Pic1.BMP")
        self.answer(OUT + "\\Pic1.BMP")
        self.wait_for(lambda: (self.out / "Pic1.BMP").exists(), what="Pic1.BMP")
        self.wait_for(lambda: self.stored_settings().get("Number") == "2", what="Number 2")
        self.assertEqual(self.dialog(ICON), "Icon2.ICO")
        self.answer(OUT + "\\Icon2.ICO")
        self.wait_for(lambda: self.stored_settings().get("Number") == "3", what="Number 3")
        self.stop_snarvik()
        self.start_snarvik()
        self.assertEqual(self.dialog(CURSOR), "Cursor3.CUR")

    def test_missing_extension_is_added_and_any_case_kept(self):
        for typed, written in (("a", "a.BMP"), ("b.Bmp", "b.Bmp"), ("c.png", "c.png.BMP")):
            with self.subTest(typed):
                self.save(BITMAP, typed)
                self.assertTrue((self.out / written).exists(), sorted(self.out.iterdir()))
        self.assertEqual(sorted(p.name for p in self.out.iterdir()),
                         ["a.BMP", "b.Bmp", "c.png.BMP"])

    def test_files_hold_exactly_the_selected_pixels(self):
        self.assert_picture(self.save(BITMAP, "piece.bmp", PIECE), PIECE, "BMP")
        icon = self.save(ICON, "oblong.ico", OBLONG)
        cursor = self.save(CURSOR, "oblong.cur", OBLONG)
        self.assert_picture(icon, OBLONG, "ICO")
        self.assertEqual(icon.read_bytes(), cursor.read_bytes())

    def test_existing_file_is_replaced_without_a_prompt(self):
        old = self.out / "old.bmp"
        old.write_bytes(b"not a picture")
        self.save(BITMAP, "old.bmp")
        self.assertEqual(self.windows("#32770", TITLE), [])
        self.assert_picture(old, PIECE, "BMP")


class NothingLost(SaveScenario):
    settings = {"Number": "7"}

    def test_cancel_writes_nothing_and_keeps_the_number(self):
        self.assertEqual(self.dialog(BITMAP), "Pic7.BMP")
        self.answer()
        time.sleep(0.5)
        self.assertTrue(self.capture_up(), "cancelling the bitmap dialog ended the cut")
        self.assertEqual(self.dialog(ICON), "Icon7.ICO")
        self.answer()
        self.wait_for(lambda: not self.capture_up(), what="the capture window to hide")
        self.assertTrue(self.snarvik_running())
        self.assertEqual(self.dialog(BITMAP), "Pic7.BMP")
        self.assertEqual(self.stored_settings()["Number"], "7")
        self.assertEqual(list(self.out.iterdir()), [])

    def test_unwritable_file_is_reported_and_nothing_is_lost(self):
        for label, keys, name, capture_stays in (("bitmap", BITMAP, "locked.BMP", True),
                                                 ("icon", ICON, "locked.ICO", False)):
            with self.subTest(label):
                locked = self.out / name
                locked.write_bytes(b"old content")
                locked.chmod(0o444)  # read-only for Wine; a read-only folder does not stop root
                self.dialog(keys)
                self.answer(OUT + "\\locked")
                self.assert_reported(OUT + "\\" + name)
                self.assertEqual(locked.read_bytes(), b"old content")
                self.assertEqual(self.capture_up(), capture_stays)
                self.assertTrue(self.snarvik_running())
        self.assertEqual(sorted(p.name for p in self.out.iterdir()), ["locked.BMP", "locked.ICO"])
        self.assertEqual(self.stored_settings()["Number"], "7")
        self.assertEqual(self.dialog(BITMAP), "Pic7.BMP")


class Wallpaper(SaveScenario):
    def middle_shows(self, rect):
        x, y = pattern_position(self.grab().getpixel((self.width // 2, self.height // 2)))
        return rect[0] <= x < rect[2] and rect[1] <= y < rect[3]

    def test_each_placement_is_stored_and_shows_the_picture(self):
        # Each mode its own piece of the pattern, so the screen tells which picture it shows.
        modes = (("c", "0", "0", WALL), ("s", "0", "2", (1000, 700, 1064, 748)),
                 ("t", "1", "0", WALL))
        for key, tile, style, rect in modes:
            with self.subTest(key):
                if self.pattern is None:
                    self.show_pattern()
                path = self.save(("w", key), "wall-%s.bmp" % key, rect)
                self.assert_picture(path, rect, "BMP")
                values = {name: data for name, (_, data) in self.reg_query(DESKTOP_KEY).items()}
                self.assertEqual((values.get("TileWallpaper"), values.get("WallpaperStyle"),
                                  values.get("Wallpaper")), (tile, style, OUT + "\\" + path.name))
                self.hide_pattern()
                # Wine centres a stretched wallpaper; either way the middle of the screen
                # shows a pixel of the selection.
                self.wait_for(lambda: self.middle_shows(rect), what="the wallpaper in the middle")
        screen = self.grab()
        self.keep_screenshot("wallpaper")
        width, height = WALL[2] - WALL[0], WALL[3] - WALL[1]
        for left, top in ((0, 0), (width, height)):
            piece = screen.crop((left, top, left + width, top + height))
            self.assertEqual(pattern_mismatches(piece, *WALL[:2]), [])
