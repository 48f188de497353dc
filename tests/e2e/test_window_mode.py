"""Window mode: Space outlines the window or control under the pointer on the frozen screen, the
wheel walks out to its window and monitor and back in, a click takes exactly that rectangle
(Enter makes the same press and release: the input machine's unit test), also on a shown
selected picture, a drag still makes a free one; windows no user can
see or click and the shell's desktop are passed over, controls are not."""

from e2e import MAIN_CLASS, Scenario

OVERLAY = (16, 16, 16 + 90, 16 + 156)  # the readout and magnifier's panel from the pointer


class WindowMode(Scenario):
    in_tray = True

    def setUp(self):
        super().setUp()
        targets, out = self.wintool_process("snap-targets")
        self.addCleanup(targets.wait, timeout=10)
        self.addCleanup(targets.kill)
        line = self.wait_for(lambda: targets.poll() is None and "target=" in out.read_text(
            "latin-1") and out.read_text("latin-1"), what="the windows to snap to")
        self.rects = {name: tuple(int(n) for n in value.split(",")) for name, value in
                      (field.split("=") for field in line.split())}

    def cut(self, at):
        self.move_to(*at)
        main = self.print_screen()
        # Keys reach the frozen screen once it is the foreground window.
        self.wait_for(lambda: [r["hwnd"] for r in self.records("foreground")] == [main["hwnd"]],
                      what="the frozen screen in the foreground")
        self.reference = self.grab()

    def assert_outlined(self, rect, pointer):
        """Window mode's outline, two pixels inside rect's edges, is on the screen over the
        frozen image, and nothing beside it: checked along each edge, away from the panel."""
        left, top, right, bottom = rect
        px, py = pointer
        panel = (px + OVERLAY[0] - 2, py + OVERLAY[1] - 2, px + OVERLAY[2] + 2, py + OVERLAY[3] + 2)
        screen = self.grab()
        wrong = []
        for along in (0.25, 0.5, 0.75):
            x = int(left + (right - left) * along)
            y = int(top + (bottom - top) * along)
            # (point on the outline, point beside it inside, point beside it outside)
            for ring, inside, outside in (((x, top + 1), (x, top + 2), (x, top - 1)),
                                          ((x, bottom - 2), (x, bottom - 3), (x, bottom)),
                                          ((left + 1, y), (left + 2, y), (left - 1, y)),
                                          ((right - 2, y), (right - 3, y), (right, y))):
                if any(panel[0] <= p[0] < panel[2] and panel[1] <= p[1] < panel[3]
                       for p in (ring, inside, outside)):
                    continue
                if screen.getpixel(ring) == self.reference.getpixel(ring):
                    wrong.append(("not outlined", ring))
                for beside in (inside, outside):
                    on_screen = 0 <= beside[0] < self.width and 0 <= beside[1] < self.height
                    if on_screen and screen.getpixel(beside) != self.reference.getpixel(beside):
                        wrong.append(("changed", beside))
        self.assertEqual(wrong, [], "outline of %r" % (rect,))

    def test_space_the_wheel_and_a_click_take_exactly_a_control_window_or_monitor(self):
        button, panel, target = self.rects["button"], self.rects["panel"], self.rects["target"]
        at = (button[0] + 10, button[1] + 10)
        self.cut(at)
        self.key("space")
        # The deepest, though marked transparent: under the two covering windows.
        self.assert_outlined(button, at)
        monitor = (0, 0, self.width, self.height)
        for wheel, outlined in (("4", panel), ("4", target), ("4", monitor), ("4", monitor),
                                ("5", target)):
            self.xdotool("click", wheel)
            self.assert_outlined(outlined, at)
        self.xdotool("click", "1")
        self.open_menu()
        self.assertEqual(self.picture1(), (target, 1))
        self.assert_copies(target)

    def test_on_the_desktop_the_monitor_and_over_the_selected_picture_a_control_is_taken(self):
        button, desktop = self.rects["button"], self.rects["desktop"]
        at = (desktop[2] - 100, desktop[3] - 50)  # on the shell's desktop, under no window
        self.cut(at)
        self.key("space")
        self.assert_outlined((0, 0, self.width, self.height), at)
        self.key("space")
        # A selection around the button, its menu dismissed: the picture stays shown over it.
        around = (button[0] - 10, button[1] - 10, button[2] + 20, button[3] + 20)
        self.select(around[:2], around[2:])
        self.choose("Escape")
        self.assertEqual(self.picture1(), (around, 1))
        at = (button[0] + 40, button[1] + 20)
        self.move_to(*at)
        self.key("space")
        at = (at[0] + 1, at[1] + 1)  # over the picture the outline follows the pointer
        self.move_to(*at)
        self.assert_outlined(button, at)
        self.xdotool("click", "1")
        self.assertEqual(self.open_menu()[:2], at)
        self.assertEqual(self.picture1(), (button, 1))
        self.choose("a")

    def test_a_drag_in_window_mode_is_free_and_without_it_a_click_selects_nothing(self):
        target = self.rects["target"]
        start = (target[0] + 20, target[1] + 20)
        self.cut(start)
        self.key("space")
        self.select(start, (start[0] + 200, start[1] + 160))
        self.assertEqual(self.picture1(), ((*start, start[0] + 200, start[1] + 160), 1))
        self.choose("a")
        # A new cut starts without window mode; a limited square takes no notice of Space.
        self.cut((800, 600))
        self.select((800, 600))
        self.assertEqual(self.picture1(), ((800, 600, 800, 600), 1))
        self.choose("a")
        self.tray_command("3")  # Cut - &32x32 Limit
        self.wait_window(MAIN_CLASS, visible=True)
        self.move_to(700, 500)
        self.key("space")
        self.select((700, 500))
        self.assertEqual(self.picture1(), ((668, 468, 700, 500), 1))

