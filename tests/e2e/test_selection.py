"""Selecting on the frozen screen with the mouse: the free rubber band, Reselect and Abort,
the old selection after a new grab, the copy to the clipboard read back by another process, and
a picture pinned to the screen."""

import subprocess

from e2e import MAIN_CLASS, MINGW_DIR, Scenario, pattern_mismatches, pattern_rgb

WM_CHAR, WM_COMMAND, WM_HOTKEY = 0x102, 0x111, 0x312
IDOK = 1


class Selecting(Scenario):
    """Snarvik running in the tray, and the steps of a cut."""

    settings = {"Number": "7"}

    def setUp(self):
        super().setUp()
        self.main = self.start_snarvik()
        self.wait_window("Shell_TrayWnd", visible=True, timeout=20)

    def cut(self, limit=0):
        """Starts a cut over the test pattern (Print Screen, or the tray menu's limit item);
        the pattern goes away once grabbed, so only the frozen image still shows it."""
        if limit:
            self.tray_click(3)
            self.open_menu()
        # The pattern covers the open tray menu: give it the item's access key.
        self.cut_over_pattern(lambda: self.wintool(
            "post", hex(self.records("menu")[0]["hwnd"]), WM_CHAR, ord(str(limit)[0]), 0)
            if limit else self.key("Print"))

    def assert_shows_pattern(self, rect):
        left, top, right, bottom = rect
        wrong = pattern_mismatches(self.grab().crop(rect), left, top)
        self.assertEqual(wrong, [], "first differing pixels of %r: %r" % (rect, wrong[:5]))

    def help_requests(self):
        return [u for u in self.browser_log() if u.lower().endswith("/help.html")]

    def assert_back_in_tray(self):
        self.wait_window(MAIN_CLASS, visible=False)
        self.assertTrue(self.snarvik_running(), "snarvik.exe has exited")

    def files(self):
        """Every file of the prefix's drive C outside the Windows folder, with its time."""
        root = self.unix_path("C:\\")
        return {p: p.stat().st_mtime for p in root.rglob("*")
                if p.is_file() and p.relative_to(root).parts[0] != "windows"}

    def test_free_drag_shows_the_pixels_and_copies_them(self):
        from PIL import Image
        rect = (300, 200, 437, 291)
        depth = self.records("screen")[0]["bits"]
        self.cut()
        menu = self.select(rect[:2], rect[2:])
        self.assertEqual(self.picture1(), (rect, 1))
        self.assertEqual(menu[:2], rect[2:], "the menu opens at the release point")
        self.assert_shows_pattern(rect)
        self.choose("c")
        self.assert_back_in_tray()
        info = self.records("clipboard-bmp", "C:\\clip.bmp")[0]
        self.assertEqual((info["width"], info["height"], info["bits"]), ("137", "91", depth))
        with Image.open(self.unix_path("C:\\clip.bmp")) as copied:
            wrong = pattern_mismatches(copied, *rect[:2])
        self.assertEqual(wrong, [], "first differing pixels: %r" % wrong[:5])
        self.assertEqual(self.stored_settings()["Number"], "7", "a copy uses no number")
        # In the order placed: the lossless PNG first, then the opaque 32-bit DIB, from which
        # the system makes the rest.
        names = [f["name"] for f in self.records("clipboard-formats")]
        self.assertEqual(names[:2], ["PNG", "CF_DIB"])
        self.assertIn("CF_BITMAP", names)
        self.assert_clipboard_png_is_the_dib(rect)
        self.tray_command("e")  # Exit: the PNG is made before the program ends
        self.assertEqual(self.app.wait(timeout=10), 0)
        self.assert_clipboard_png_is_the_dib(rect)

    def assert_clipboard_png_is_the_dib(self, rect):
        import struct
        from PIL import Image
        self.wintool("clipboard-data", "PNG", "C:\\clip.png")
        self.wintool("clipboard-data", "8", "C:\\clip.dib")
        dib = self.unix_path("C:\\clip.dib").read_bytes()
        size, width, height, _, bits = struct.unpack_from("<IiiHH", dib)
        self.assertEqual((width, height, bits), (rect[2] - rect[0], rect[3] - rect[1], 32))
        rows = [dib[size + 4 * width * y:size + 4 * width * (y + 1)] for y in range(height)][::-1]
        self.assertEqual({row[x + 3] for row in rows for x in range(0, 4 * width, 4)}, {255})
        with Image.open(self.unix_path("C:\\clip.png")) as png:
            self.assertEqual((png.size, png.mode), ((width, height), "RGB"))
            self.assertNotIn("dpi", png.info, "no size or resolution chunk")
            self.assertEqual(list(png.getdata()), [(row[x + 2], row[x + 1], row[x])
                                                   for row in rows for x in range(0, 4 * width, 4)])
            self.assertEqual(pattern_mismatches(png, *rect[:2]), [])

    def test_abort_writes_nothing_and_shows_nothing(self):
        # Nothing but the released selection, kept for Cut - Last Region.
        settings, files = self.stored_settings(), self.files()
        self.cut()
        self.select((50, 60), (250, 160))
        self.choose("a")
        self.assert_back_in_tray()
        shown = [r for r in self.records("windows")
                 if r["pid"] == self.main["pid"] and r["visible"]]
        self.assertEqual(shown, [], "a window of snarvik.exe is visible")
        self.assertEqual(self.stored_settings(), dict(settings, LastRegion="50,60,200,100"))
        self.assertEqual(self.files(), files)

    def test_reselect_keeps_the_grab_and_a_double_click_still_shows_the_old_selection(self):
        self.cut(16)
        self.select((900, 700))
        self.choose("r")
        self.assertEqual(self.picture1()[1], 0)
        self.assertTrue(self.capture_up(), "the capture window stays up")
        # The screen behind shows the desktop now; the selection still comes from the grab.
        rect = (484, 484, 500, 500)
        self.select((500, 500))
        self.assertEqual(self.picture1(), (rect, 1))
        self.choose("a")
        self.assert_back_in_tray()
        self.tray_double_click()
        self.wait_window(MAIN_CLASS, visible=True)
        # A new grab of the bare desktop; Picture1 still shows the old selection.
        self.assertEqual(self.picture1(), (rect, 1))
        self.assert_shows_pattern(rect)
        self.assertNotEqual(self.grab().getpixel((700, 500)), pattern_rgb(700, 500))
        # The limit stays; the picture moves only on the release.
        self.select((300, 300), while_held=lambda: self.assertEqual(self.picture1()[0], rect))
        self.assertEqual(self.picture1()[0], (284, 284, 300, 300))

    def test_busy_clipboard_is_reported_and_keeps_what_it_held(self):
        self.cut()
        self.select((10, 10), (40, 30))
        self.choose("c")  # what the clipboard holds before
        self.assert_back_in_tray()
        self.artifacts.mkdir(parents=True, exist_ok=True)
        out = self.artifacts / "hold.out"
        with open(out, "wb") as log:
            holder = subprocess.Popen(["wine", MINGW_DIR / "wintool.exe", "clipboard-hold",
                                       "20000"], env=self.env, stdin=subprocess.DEVNULL,
                                      stdout=log, stderr=subprocess.STDOUT)
        self.addCleanup(holder.wait, timeout=10)
        self.addCleanup(holder.kill)
        self.wait_for(lambda: b"held" in out.read_bytes(), what="the clipboard held")
        self.cut()
        self.select((200, 200), (260, 240))
        self.choose("c")
        self.assertIn("another program keeps the clipboard open",
                      self.wintool("dialog-text", "Snarvik").stdout)
        self.assertFalse(self.capture_up(), "the capture window is hidden")
        self.wintool("dialog-press", "Snarvik", IDOK)
        self.wait_for(lambda: not self.windows("#32770", "Snarvik"), what="the message gone")
        self.assert_back_in_tray()
        holder.kill()
        holder.wait(timeout=10)
        info = self.records("clipboard-bmp", "C:\\clip.bmp")[0]
        self.assertEqual((info["width"], info["height"]), ("30", "20"))

    def test_cut_requests_wait_while_a_menu_or_dialog_of_the_cut_is_open(self):
        rect = (200, 150, 260, 190)
        self.cut()
        self.select(rect[:2], rect[2:])
        for count, step in enumerate(("menu", "dialog"), 1):
            if step == "dialog":
                self.menu_key("b")
                self.wait_window("#32770", "Save Graphic", visible=True)
            # Print Screen's message and the icon's double click as the system sends them (the
            # taskbar is under the cut), then the tray's Help, which runs at once: once the
            # help page is asked for, the requests before it have had their turn.
            for message, wparam, lparam in ((WM_HOTKEY, 0xC000, 0x2C0000), (0x465, 0, 0x203),
                                            (WM_COMMAND, 0x2001, 0)):
                self.wintool("post", hex(self.main["hwnd"]), message, wparam, lparam)
            self.wait_for(lambda: len(self.help_requests()) == count, what="the help page")
            self.assertEqual(self.picture1(), (rect, 1), step)
            self.assertEqual(len(self.records("menu")), int(step == "menu"), step)
        self.wintool("dialog-press", "Save Graphic", 2)
        self.wait_for(lambda: not self.windows("#32770", "Save Graphic"), what="no dialog")
        self.assertEqual(self.picture1(), (rect, 1))
        self.xdotool("key", "Print")  # with nothing open, a new cut
        self.wait_for(lambda: self.picture1()[1] == 0, what="a new cut")

    def test_escape_ends_the_cut_on_the_screen_over_a_square_and_in_a_drag(self):
        for place in ("screen", "square", "drag"):
            with self.subTest(place):
                self.cut(32 if place == "square" else 0)
                self.move(400, 300)
                if place == "drag":
                    self.xdotool("mousedown", 1)
                    self.move(450, 350)
                self.key("Escape")
                self.assert_back_in_tray()
                if place == "drag":
                    self.xdotool("mouseup", 1)

    def test_arrows_move_a_drag_and_a_square_to_the_pixel(self):
        self.cut()
        self.drag([(300, 300), (350, 340)],
                  while_held=lambda: self.key("Right", "Right", "Right", "shift+Down"))
        self.open_menu()
        self.assertEqual(self.picture1(), ((300, 300, 353, 350), 1))
        self.choose("a")
        self.assert_back_in_tray()
        self.cut(16)
        self.move(500, 500)
        self.key("Left", "Left", "shift+Up", "Return")  # one Enter: a press and a release
        self.open_menu()
        self.assertEqual(self.picture1(), ((482, 474, 498, 490), 1))
        self.assert_shows_pattern((482, 474, 498, 490))

    def test_plus_minus_and_the_wheel_step_a_square_through_the_icon_sizes(self):
        from PIL import Image
        x, y = 700, 500
        for limit, keys, wheel, side in ((16, ["plus"], 0, 20), (64, ["KP_Subtract"], 0, 48),
                                         (32, [], 6, 256)):
            with self.subTest(side):
                self.cut(limit)
                self.move(x, y)
                self.pointer_arrived(x, y)
                if keys:
                    self.key(*keys)
                if wheel:
                    self.xdotool("click", "--repeat", wheel, "--delay", 50, "4")
                rect = (x - side, y - side, x, y)
                self.select((x, y))
                self.assertEqual(self.picture1(), (rect, 1))
                self.choose("c")
                self.assert_back_in_tray()
                self.records("clipboard-bmp", "C:\\clip.bmp")
                with Image.open(self.unix_path("C:\\clip.bmp")) as copied:
                    self.assertEqual(pattern_mismatches(copied, *rect[:2])[:3], [])
                    self.assertEqual(copied.size, (side, side))

    def test_a_whole_cut_with_the_keyboard_alone(self):
        from PIL import Image
        self.move(600, 400)
        self.key("Print")
        self.wait_window(MAIN_CLASS, visible=True)
        self.key("Return", *["shift+Right"] * 5, *["shift+Down"] * 3, "Right", "Return")
        self.open_menu()
        self.assertEqual(self.picture1(), ((600, 400, 651, 430), 1))
        self.choose("c")
        self.records("clipboard-bmp", "C:\\clip.bmp")
        with Image.open(self.unix_path("C:\\clip.bmp")) as copied:
            self.assertEqual(copied.size, (51, 30))

    def test_the_magnifier_shows_the_pixel_and_leaves_the_rest_alone(self):
        x, y = 800, 500
        self.cut()
        self.move(x, y)
        # The panel goes 16 pixels below and right; its middle cell is the pointer's pixel.
        self.wait_for(lambda: self.grab().getpixel((x + 16 + 1 + 5 * 8 + 3, y + 16 + 1 + 5 * 8 + 3))
                      == pattern_rgb(x, y), what="the enlarged pixel")
        screen = self.grab()
        cell = screen.crop((x + 16 + 1 + 5 * 8 + 1, y + 16 + 1 + 5 * 8 + 1,
                            x + 16 + 1 + 6 * 8, y + 16 + 1 + 6 * 8))
        self.assertEqual(set(cell.getdata()), {pattern_rgb(x, y)})
        # Outside the 321 x 321 square around the pointer: the frozen screen, untouched.
        wrong = [p for p, _, _ in pattern_mismatches(screen, 0, 0)
                 if abs(p[0] - x) > 160 or abs(p[1] - y) > 160]
        self.assertEqual(wrong, [])

    def test_a_pin_holds_the_selection_where_it_was_cut_moves_and_closes(self):
        rect = (300, 200, 437, 291)
        self.cut()
        self.select(rect[:2], rect[2:])
        self.choose("n")
        self.assert_back_in_tray()
        pin = self.wait_window("SnarvikPin", visible=True)
        self.assertEqual(pin["rect"], (299, 199, 438, 292), "the picture and a 1-pixel frame")
        # The pattern is gone from the screen: only the pin still shows it, over its place.
        self.assert_shows_pattern(rect)
        self.drag([(350, 240), (400, 265), (450, 290)])
        self.wait_for(lambda: self.windows("SnarvikPin")[0]["rect"] == (399, 249, 538, 342),
                      what="the pin dragged by 100, 50")
        moved = (400, 250, 537, 341)
        wrong = pattern_mismatches(self.grab().crop(moved), *rect[:2])
        self.assertEqual(wrong, [], "first differing pixels: %r" % wrong[:5])
        self.key("Escape")
        self.wait_for(lambda: not self.windows("SnarvikPin"), what="the pin closed")
        self.assertTrue(self.snarvik_running())
