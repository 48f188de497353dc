"""The whole desktop, as far as Wine shows it (one monitor): a display mode change between two
cuts, and a desktop scaled to 144 DPI, where the tray shows the artwork drawn for 24 px, the
readout and magnifier beside the pointer are half as large again and touch nothing else of the
frozen screen, and a cut still copies physical pixels."""

from e2e import ROOT, Scenario, pattern_mismatches, pattern_rgb


class Desktop(Scenario):
    in_tray = True

    def assert_copies_exactly(self, rect):
        """Print Screen over the pattern, rect selected and copied: the copy is that piece of
        the pattern. Returns the capture window's rectangle."""
        self.move(*rect[:2])  # keys reach the desktop only with the pointer over it
        self.cut_over_pattern(lambda: self.key("Print"))
        self.select(rect[:2], rect[2:])
        window = self.main_window()["rect"]
        self.assert_copies(rect)
        return window


class DisplayChange(Desktop):
    def test_a_cut_after_a_display_mode_change_covers_the_new_screen_exactly(self):
        self.assert_copies_exactly((1800, 1000, 1900, 1050))
        self.wintool("display", 1280, 720)
        self.width, self.height = 1280, 720  # where the pattern is looked for
        self.wait_for(lambda: self.records("screen")[0]["width"] == "1280", what="1280x720")
        self.assertEqual(self.assert_copies_exactly((1200, 650, 1279, 719)), (0, 0, 1280, 720))


class HighDpi(Desktop):
    dpi = 144

    def test_at_144_dpi_the_tray_art_and_the_panel_scale_and_a_cut_copies_physical_pixels(self):
        from PIL import Image
        self.assertEqual(self.records("screen")[0]["dpi"], "144")
        # Wine draws tray icons at the small-icon size, 24 px here: the art made for 24 px,
        # over the taskbar's colour, is on the screen pixel for pixel.
        with Image.open(ROOT / "res" / "snarvik.ico") as icon:
            icon.size = (24, 24)
            art = icon.convert("RGBA")
        left, top, right, bottom = self.windows("Shell_TrayWnd")[0]["rect"]
        tray = self.grab().crop((right - 100, top, right, bottom))  # one icon at the right end
        expected = Image.new("RGB", art.size, tray.getpixel((0, tray.height // 2)))
        expected.paste(art, mask=art.getchannel("A"))
        spots = [(x, y) for x in range(tray.width - 23) for y in range(tray.height - 23)
                 if tray.crop((x, y, x + 24, y + 24)).tobytes() == expected.tobytes()]
        self.assertEqual(len(spots), 1, "the 24 px art in the tray")

        self.move_to(600, 400)
        self.cut_over_pattern(lambda: self.key("Print"))
        at = (601, 401)
        self.move_to(*at)
        # 24 px from the pointer: 11 cells of 12 px and two 24 px lines in a one-pixel frame.
        left, top, width, height = at[0] + 24, at[1] + 24, 134, 182
        white = (255, 255, 255)

        def panel_drawn():
            screen = self.grab()
            return screen if screen.getpixel((left, top)) == white else None

        screen = self.wait_for(panel_drawn, what="the panel's corner")
        corners = [(left, top), (left + width - 1, top), (left, top + height - 1),
                   (left + width - 1, top + height - 1)]
        self.assertEqual([screen.getpixel(p) for p in corners], [white] * 4)
        # Everything beside the panel is the frozen screen, untouched.
        wrong = [p for p, _, _ in pattern_mismatches(screen, 0, 0)
                 if not (left <= p[0] < left + width and top <= p[1] < top + height)]
        self.assertEqual(wrong[:5], [])
        wrong = [(i, j) for i in range(11) for j in range(11)
                 if screen.getpixel((left + 1 + 12 * i + 6, top + 1 + 12 * j + 6)) !=
                 pattern_rgb(at[0] - 5 + i, at[1] - 5 + j)]
        self.assertEqual(wrong, [], "loupe cells not showing their pixel")
        # The text at 144 DPI: the colour line's ink ("#RRGGBB") is 12 rows high (8 at 96 DPI),
        # centred in its line.
        line_top = top + 1 + 132
        rows = [y for y in range(line_top, line_top + 24)
                if any(screen.getpixel((x, y)) == white for x in range(left + 2, left + width - 2))]
        self.assertTrue(rows, "no text in the panel")
        self.assertGreaterEqual(rows[-1] - rows[0] + 1, 11)
        self.assertLessEqual(abs((rows[0] - line_top) - (line_top + 23 - rows[-1])), 2)

        rect = (301, 203, 338, 224)
        self.select(rect[:2], rect[2:])
        self.assert_copies(rect)
