"""The whole desktop, as far as Wine shows it (one monitor): a display mode change between two
cuts, and a desktop scaled to 144 DPI, where a cut still copies physical pixels and the tray
shows the artwork drawn for 24 px."""

from e2e import ROOT, Scenario


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

    def test_at_144_dpi_a_cut_copies_physical_pixels_and_the_tray_shows_the_24_px_art(self):
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
        self.assert_copies_exactly((301, 203, 338, 224))
