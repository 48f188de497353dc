"""Selecting on the frozen screen with the mouse: the free rubber band, Reselect and Abort,
the old selection after a new grab, the copy to the clipboard read back by another process, and
a picture pinned to the screen."""

from e2e import MAIN_CLASS, Scenario, pattern_mismatches, pattern_rgb

WM_COMMAND, WM_HOTKEY = 0x111, 0x312
IDOK = 1


class Selecting(Scenario):
    """Snarvik running in the tray, and the steps of a cut."""

    settings = {"Number": "7"}
    in_tray = True

    def cut(self, limit=0):
        """Starts a cut over the test pattern (Print Screen, or the tray menu's limit item);
        the pattern goes away once grabbed, so only the frozen image still shows it."""
        if limit:
            self.tray_command_over_pattern(str(limit)[0])
        else:
            self.cut_over_pattern(lambda: self.key("Print"))

    def assert_back_in_tray(self):
        self.wait_window(MAIN_CLASS, visible=False)
        self.assertTrue(self.snarvik_running(), "snarvik.exe has exited")

    def files(self):
        """Every file of the prefix's drive C outside the Windows folder, with its time."""
        root = self.unix_path("C:\\")
        return {p: p.stat().st_mtime for p in root.rglob("*")
                if p.is_file() and p.relative_to(root).parts[0] != "windows"}

    def test_free_drag_shows_the_pixels_and_copies_them(self):
        rect = (300, 200, 437, 291)
        depth = self.records("screen")[0]["bits"]
        self.cut()
        menu = self.select(rect[:2], rect[2:])
        self.assertEqual(self.picture1(), (rect, 1))
        self.assertEqual(menu[:2], rect[2:], "the menu opens at the release point")
        self.assert_shows_pattern(rect)
        self.assert_copies(rect)
        self.assertEqual(self.records("clipboard-bmp", "C:\\clip.bmp")[0]["bits"], depth)
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
        holder, out = self.wintool_process("clipboard-hold", 20000)
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
        self.wait_for(lambda: self.capture_up() and self.picture1()[1] == 0, what="a new cut")

    def test_escape_ends_the_cut_in_a_drag(self):
        self.cut()
        self.drag([(400, 300), (450, 350)],
                  while_held=lambda: (self.key("Escape"), self.assert_back_in_tray()))

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
        x, y = 700, 500
        for limit, keys, wheel, side in ((16, ["plus"], 0, 20), (64, ["KP_Subtract"], 0, 48),
                                         (32, [], 6, 256)):
            with self.subTest(side):
                self.cut(limit)
                self.move_to(x, y)
                if keys:
                    self.key(*keys)
                if wheel:
                    self.xdotool("click", "--repeat", wheel, "--delay", 50, "4")
                rect = (x - side, y - side, x, y)
                self.select((x, y))
                self.assertEqual(self.picture1(), (rect, 1))
                self.assert_copies(rect)

    def test_a_whole_cut_with_the_keyboard_alone(self):
        self.move(600, 400)
        self.print_screen()
        self.key("Return", *["shift+Right"] * 5, *["shift+Down"] * 3, "Right", "Return")
        self.open_menu()
        self.assertEqual(self.picture1(), ((600, 400, 651, 430), 1))
        self.choose("c")
        self.assertEqual(self.clipboard_image().size, (51, 30))

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
