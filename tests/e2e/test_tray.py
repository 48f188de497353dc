"""The tray: the tray menu and its commands, a second start, Exit, driven with real mouse and
keyboard input."""

import subprocess

from e2e import INSTALL_DIR, MAIN_CLASS, Scenario

HOME_PAGE = "http://www.orlendasoftware.com/home.html?snarvik"
# Access keys of the tray menu's items.
VISIT, HELP, LIMIT_32, EXIT = "v", "h", "3", "e"


class Tray(Scenario):
    in_tray = True

    def test_32x32_limit_cuts_a_square_ending_at_the_pointer(self):
        before = self.grab()
        self.tray_command(LIMIT_32)
        self.wait_window(MAIN_CLASS, visible=True)
        x, y = 700, 500
        self.move_to(x - 20, y - 10)
        self.move(x, y)
        # Around the square, short of the magnifier that sits 16 pixels below and right.
        region = [(px, py) for px in range(x - 50, x + 10) for py in range(y - 50, y + 10)]

        def changed():
            now = self.grab()
            return {p: now.getpixel(p) for p in region if now.getpixel(p) != before.getpixel(p)}
        frame = self.wait_for(changed, what="the dotted square")
        # Only the square's outline is drawn, ending one pixel before the pointer.
        self.assertEqual({px in (x - 32, x - 1) or py in (y - 32, y - 1) for px, py in frame},
                         {True})
        xs, ys = [p[0] for p in frame], [p[1] for p in frame]
        self.assertEqual((min(xs), min(ys), max(xs), max(ys)), (x - 32, y - 32, x - 1, y - 1))

    def test_visit_opens_the_home_page_and_help_nothing_when_it_is_missing(self):
        self.unix_path(INSTALL_DIR + "\\help.html").unlink()
        self.tray_command(HELP)
        self.tray_command(VISIT)  # after the missing page: its turn ends the wait for that
        self.assertEqual(self.wait_for(self.browser_log, what="a page opened"), [HOME_PAGE])
        shown = [w for w in self.records("windows") if w["visible"] and
                 (w["pid"] == self.main["pid"] or w["class"] == "#32770")]
        self.assertEqual(shown, [], "a message or the capture window appeared")

    def test_a_second_start_ends_at_once_and_the_running_one_says_so(self):
        second = subprocess.run(["wine", INSTALL_DIR + "\\snarvik.exe"], env=self.env,
                                timeout=30, capture_output=True)
        self.assertEqual(second.returncode, 0)
        self.assertEqual(len(self.windows(MAIN_CLASS)), 1, "one main window")
        self.assertTrue(self.snarvik_running())
        balloon = self.wait_for(lambda: [t for t in self.records("tooltip")
                                         if "already running" in t["text"]], what="the balloon")
        self.assertIn("Snarvik is already running. Press Print Screen or double-click the "
                      "scissors to cut a piece of the screen.", balloon[0]["text"])

    def test_exit_during_a_save_dialog_ends_the_program_once_the_dialog_closes(self):
        self.print_screen()
        self.select((300, 300), (340, 330))
        self.menu_key("i")  # Save as &Icon: the cut ends, the dialog opens over the tray
        self.wintool("dialog-text", "Save Graphic")
        self.tray_command(EXIT)
        # A second start's message after it: once the balloon answers, Exit has had its turn.
        self.wintool("post", hex(self.main["hwnd"]), "Snarvik.AlreadyRunning", 0, 0)
        self.wait_for(lambda: any("already running" in t["text"] for t in self.records("tooltip")),
                      what="the balloon")
        self.assertTrue(self.snarvik_running(), "Exit must wait for the open dialog")
        self.wintool("dialog-press", "Save Graphic", "2")
        self.assertEqual(self.app.wait(timeout=10), 0)
        self.assertEqual(self.windows("#32770", "Save Graphic"), [])
