"""Marking a selection up with real input: the marks reach the clipboard and a PNG file at the
places drawn, the rest of the selection stays exact, a pixelated box shows nothing of what was
under it; Escape while typing, the drop button and Reselect."""

from e2e import Scenario, parse_record, pattern_mismatches, pattern_rgb

SEL = (200, 150, 600, 450)   # the selection on the screen: left, top, right, bottom
BOX = (420, 350, 501, 421)   # the pixelated box, corners included as dragged
RED = (0xE5, 0x39, 0x35)     # the first colour, chosen while the settings hold none
TITLE = "Save Graphic"


class MarkingScenario(Scenario):
    def setUp(self):
        super().setUp()
        self.start_snarvik()
        self.wait_window("Shell_TrayWnd", visible=True, timeout=20)

    def cut(self, inverted=()):
        self.cut_over_pattern(lambda: self.key("Print"), inverted)

    def toolbar(self):
        """The marking toolbar's rectangle while it is shown, else None."""
        children = self.wintool("children", hex(self.main_window()["hwnd"])).stdout
        bars = [r for r in map(parse_record, children.splitlines())
                if r.get("class") == "SnarvikMarkupBar" and r.get("visible") == 1]
        return bars[0]["rect"] if bars else None

    def mark_up(self):
        self.choose("m")
        return self.wait_for(self.toolbar, what="the marking toolbar")

    def tool(self, key, *drag):
        self.key(key)
        if len(drag) == 1:
            self.click(*drag[0])
            self.pointer_arrived(*drag[0])
        else:
            self.drag(list(drag))
            self.pointer_arrived(*drag[-1])

    def draw_marks(self):
        """A rectangle, an arrow, a word, a step, a pixelated box, and a line undone."""
        self.tool("r", (220, 170), (260, 200), (300, 230))
        self.tool("a", (330, 320), (380, 290), (430, 260))
        self.tool("t", (230, 300))
        self.key("H", "i")
        self.key("Return")
        self.tool("n", (520, 200))
        self.tool("x", BOX[:2], (460, 380), (BOX[2] - 1, BOX[3] - 1))
        self.tool("l", (220, 440), (400, 440), (560, 440))
        self.key("ctrl+z")

    def assert_marked(self, picture):
        """The marks where they were drawn, the pattern everywhere else."""
        at = lambda x, y: picture.getpixel((x - SEL[0], y - SEL[1]))[:3]
        self.assertEqual(at(220, 200), RED, "the rectangle's left edge")
        self.assertEqual(at(380, 290), RED, "the arrow's shaft")
        self.assertEqual(at(505, 200), RED, "the step's disc")
        text = [at(x, y) for x in range(230, 260) for y in range(300, 322)]
        self.assertGreater(text.count(RED), 10, "the typed word")
        block = {at(x, y) for x in range(BOX[0], BOX[2]) for y in range(BOX[1], BOX[3])}
        self.assertGreater(len(block), 3, "the pixelated box is a mosaic")
        self.assertNotIn(pattern_rgb(460, 380), block)
        # Elsewhere untouched, the undone line too: the marks' areas with their edges.
        areas = [(212, 162, 309, 239), (322, 248, 442, 330), (222, 292, 300, 335),
                 (490, 170, 550, 230), BOX]
        wrong = [(x, y) for y in range(SEL[1], SEL[3]) for x in range(SEL[0], SEL[2])
                 if not any(l <= x < r and t <= y < b for l, t, r, b in areas)
                 and at(x, y) != pattern_rgb(x, y)]
        self.assertEqual(wrong[:5], [], "pixels off the marks changed")


class Marking(MarkingScenario):
    def test_marks_reach_the_png_and_the_clipboard_and_hide_the_box_for_good(self):
        from PIL import Image, ImageChops
        self.cut()
        self.select(SEL[:2], SEL[2:])
        bar = self.mark_up()
        self.assertEqual(bar[1], SEL[3] + 4, "the toolbar goes below the selection")
        self.draw_marks()
        self.key("Return")
        self.open_menu()
        self.choose("p")
        self.wait_window("#32770", TITLE, visible=True, timeout=20)
        self.wintool("dialog-set", TITLE, "C:\\marked.png")
        self.wintool("dialog-press", TITLE, "1")
        self.wait_for(lambda: not self.capture_up(), what="the cut to end")
        saved = Image.open(self.unix_path("C:\\marked.png")).convert("RGB")
        self.assertEqual(saved.size, (SEL[2] - SEL[0], SEL[3] - SEL[1]))
        self.assert_marked(saved)

        # The same marks over a screen that differs only inside the box: the same picture.
        self.cut(inverted=BOX)
        self.select(SEL[:2], SEL[2:])
        self.mark_up()
        self.draw_marks()
        self.key("Return")
        self.open_menu()
        self.choose("c")
        self.wait_for(lambda: not self.capture_up(), what="the cut to end")
        self.records("clipboard-bmp", "C:\\clip.bmp")
        with Image.open(self.unix_path("C:\\clip.bmp")) as copied:
            self.assertIsNone(ImageChops.difference(copied.convert("RGB"), saved).getbbox())

    def test_escape_while_typing_the_drop_button_and_reselect(self):
        from PIL import Image
        self.cut()
        self.select(SEL[:2], SEL[2:])
        self.mark_up()
        self.tool("r", (220, 170), (260, 200), (300, 230))
        self.tool("t", (350, 300))
        self.key("a", "b", "c")
        self.wait_for(lambda: self.grab().crop((350, 300, 380, 322)).getcolors(4096) and
                      RED in [c for _, c in self.grab().crop((350, 300, 380, 322)).getcolors(4096)],
                      what="the typed text shown")
        self.key("Escape")  # drops the text only
        self.wait_for(lambda: pattern_mismatches(self.grab().crop((345, 295, 400, 330)),
                                                 345, 295) == [], what="the text gone")
        self.assertIsNotNone(self.toolbar(), "still marking")
        self.key("Escape")  # ends marking with the rectangle
        self.open_menu()
        self.assertEqual(self.grab().getpixel((220, 200)), RED)

        bar = self.mark_up()  # again: the rectangle is still there
        self.assertEqual(self.grab().getpixel((220, 200)), RED)
        self.move(bar[0] + 16, bar[1] + 16)  # the first button's tip names its key
        self.wait_for(lambda: [t for t in self.records("tooltip")
                               if t.get("text") == "Rectangle (R)"], what="the tooltip")
        self.click(bar[2] - 16, (bar[1] + bar[3]) // 2)  # the drop button, the last one
        self.open_menu()
        self.wait_for(lambda: self.grab().getpixel((220, 200)) == pattern_rgb(220, 200),
                      what="the marks dropped")

        self.mark_up()
        self.tool("e", (250, 180), (350, 260))
        self.assertEqual(self.stored_settings().get("MarkTool"), "1", "the ellipse is kept")
        self.key("Return")
        self.open_menu()
        self.choose("r")  # Reselect drops the marks with the selection
        self.select(SEL[:2], SEL[2:])
        self.choose("c")
        self.wait_for(lambda: not self.capture_up(), what="the cut to end")
        self.records("clipboard-bmp", "C:\\clip.bmp")
        with Image.open(self.unix_path("C:\\clip.bmp")) as copied:
            self.assertEqual(pattern_mismatches(copied, *SEL[:2])[:3], [])


class MarkingAt144Dpi(MarkingScenario):
    dpi = 144

    def test_marks_and_the_toolbar_follow_the_monitors_scaling(self):
        self.cut()
        self.select(SEL[:2], SEL[2:])
        bar = self.mark_up()
        self.assertEqual(bar[3] - bar[1], 48, "the toolbar one and a half times as high")
        self.tool("l", (220, 300), (400, 300), (580, 300))  # the middle width: 4 px at 100 %
        self.key("Return")
        self.open_menu()
        screen = self.grab()
        red = [y for y in range(290, 311) if screen.getpixel((400, y)) == RED]
        # Centred on row 300, 6 px wide: five rows wholly, the sixth shared by two rows.
        self.assertEqual(red[:5], list(range(298, 303)), "the line's rows")
        self.assertLessEqual(red[-1], 303)
        self.assertEqual([screen.getpixel((400, y)) for y in (296, 304)],
                         [pattern_rgb(400, y) for y in (296, 304)])
