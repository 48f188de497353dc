"""Saving a selection: the Save Graphic dialog and its numbered names, the BMP/ICO/CUR files
read back by Pillow, and the selection as wallpaper."""

from e2e import Scenario, pattern_mismatches

TITLE = "Save Graphic"
OUT = "C:\\\u0421\u043d\u0438\u043c\u043a\u0438"  # Cyrillic
DESKTOP_KEY = "HKCU\\Control Panel\\Desktop"
# left, top, right, bottom of selections on the pattern: an odd width pads the BMP rows.
PIECE = (301, 203, 338, 224)
SQUARE = (600, 400, 664, 464)
WALL = (480, 300, 544, 348)
# Menu keys. "C" is also Copy to Clipboard's access key, and Wine runs the first item that has
# it, so the cursor item is reached with the arrows.
BITMAP, PNG, ICON, CURSOR = ("b",), ("p",), ("i",), ("Down",) * 6 + ("Return",)
QUICK = ("q",)


class SaveScenario(Scenario):
    def setUp(self):
        super().setUp()
        self.out = self.unix_path(OUT)
        self.out.mkdir()
        self.start_snarvik()
        self.pattern = self.start_pattern()
        self.addCleanup(self.hide_pattern)

    def hide_pattern(self):
        if self.pattern is not None:
            self.pattern.kill()
            self.pattern.wait(timeout=10)
            self.pattern = None

    def save(self, keys, name, rect):
        """Cuts (unless the capture window is still up), selects rect, chooses the menu item
        and saves as OUT\\name; returns what the dialog showed as {"edit": ..., "types": ...}
        and whether it was placed on the monitor's work area."""
        number = int(self.stored_settings().get("Number", "1"))
        if not self.capture_up():
            self.print_screen()
        self.select(rect[:2], rect[2:])
        self.menu_key(*keys)
        left, top, right, bottom = self.wait_window("#32770", TITLE, visible=True,
                                                    timeout=20)["rect"]
        shown = dict(line.split("=", 1) for line in self.wintool("dialog-text", TITLE).stdout
                     .splitlines() if line.startswith(("edit=", "types=")))
        # Placed on the pointer's monitor when it opened: centred across its work area (Wine's
        # dialog then loses some height) and within it.
        work = self.records("screen")[0]["work"]
        shown["placed"] = (left - work[0] == work[2] - right and work[1] <= top and
                           bottom <= work[3])
        self.wintool("dialog-set", TITLE, OUT + "\\" + name)
        self.wintool("dialog-press", TITLE, "1")
        self.wait_for(lambda: self.stored_settings().get("Number") == str(number + 1),
                      what="the number to advance")
        self.wait_for(lambda: not self.capture_up(), what="the capture window to hide")
        return shown

    def assert_picture(self, path, rect, kind):
        from PIL import Image
        with Image.open(path) as picture:
            self.assertEqual((picture.format, picture.size),
                             (kind, (rect[2] - rect[0], rect[3] - rect[1])))
            opaque = picture.mode == "RGB" or set(picture.convert("RGBA").getdata(3)) == {255}
            wrong = pattern_mismatches(picture, rect[0], rect[1])[:3]
        self.assertEqual(wrong, [])
        self.assertTrue(opaque, "a pixel is transparent")


class Saving(SaveScenario):
    settings = {"Number": "7"}

    def test_files_hold_exactly_the_selected_pixels_with_one_running_number(self):
        # Typed in CJK and Greek, into a folder named in Cyrillic.
        piece, icon = "\u753b\u50cf.bmp", "\u03b5\u03b9\u03ba\u03cc\u03bd\u03b1"
        (self.out / piece).write_bytes(b"not a picture")
        kinds = ((BITMAP, piece, PIECE, "Pic7.BMP", "Bitmap Files (*.BMP)"),
                 (PNG, "shot", PIECE, "Pic8.PNG", "PNG Files (*.PNG)"),
                 (ICON, icon, SQUARE, "Icon9.ICO", "Icon Files (*.ICO)"),
                 (CURSOR, icon, SQUARE, "Cursor10.CUR", "Cursor Files (*.CUR)"))
        for keys, name, rect, offered, types in kinds:
            self.assertEqual(self.save(keys, name, rect),
                             {"edit": offered, "types": types, "placed": True})
        self.assert_picture(self.out / piece, PIECE, "BMP")
        self.assert_picture(self.out / "shot.PNG", PIECE, "PNG")
        # The first and largest entry is the selection (the smaller sizes and the cursor's
        # header and hotspots: the encoders' unit tests and Windows reading the files).
        self.assert_picture(self.out / (icon + ".ICO"), SQUARE, "ICO")
        self.assertEqual(sorted(p.name for p in self.out.iterdir()),
                         sorted([piece, "shot.PNG", icon + ".ICO", icon + ".CUR"]))


class QuickSave(SaveScenario):
    settings = {"Number": "7"}

    def quick_save(self, rect):
        self.print_screen()
        self.select(rect[:2], rect[2:])
        self.menu_key(*QUICK)

    # Names taken meanwhile passed over, the number kept across starts and after a failure: the
    # output commands' Win32 test.
    def test_next_name_in_the_last_folder_told_in_a_balloon_and_a_failure_keeps_the_cut(self):
        self.save(BITMAP, "first.BMP", PIECE)  # the last save's folder, Pic7 used
        self.quick_save(PIECE)
        self.wait_for(lambda: not self.capture_up(), what="the capture window to hide")
        self.assert_picture(self.out / "Pic8.PNG", PIECE, "PNG")
        self.wait_for(lambda: [t for t in self.records("tooltip")
                               if t["text"].startswith("Saved Pic8.PNG.")], what="the balloon")

        # The folder is gone: nothing is written, a message says why, the cut stays up.
        self.out.rename(self.out.with_name("moved"))
        self.quick_save(PIECE)
        self.wait_window("#32770", "Snarvik", visible=True)
        self.assertIn("Pic9.PNG", self.wintool("dialog-text", "Snarvik").stdout)
        self.wintool("dialog-press", "Snarvik", "1")
        self.wait_for(lambda: not [w for w in self.windows("#32770", "Snarvik") if w["visible"]],
                      what="the message to close")
        self.assertTrue(self.capture_up(), "the cut is still up")
        self.key("Escape")


class Wallpaper(SaveScenario):
    def test_each_placement_is_stored_and_a_tiled_picture_shows(self):
        for key, tile, style in (("c", "0", "0"), ("s", "0", "2"), ("t", "1", "0")):
            with self.subTest(key):
                self.save(("w", key), "wall-%s.bmp" % key, WALL)  # the file: as Save as Bitmap's
                values = self.reg_query(DESKTOP_KEY)
                self.assertEqual((values.get("TileWallpaper"), values.get("WallpaperStyle"),
                                  values.get("Wallpaper")), (tile, style, OUT + "\\wall-%s.bmp" % key))
        self.hide_pattern()
        width, height = WALL[2] - WALL[0], WALL[3] - WALL[1]
        self.wait_for(lambda: not pattern_mismatches(self.grab().crop((0, 0, width, height)),
                                                     *WALL[:2]), what="the wallpaper's first tile")
        piece = self.grab().crop((width, height, 2 * width, 2 * height))
        self.assertEqual(pattern_mismatches(piece, *WALL[:2]), [])
