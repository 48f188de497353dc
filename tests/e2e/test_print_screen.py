"""Print Screen held by another program: the balloon that names the likely holder, the system's
setting handed over by a click on it, the key taken once it is free; and a held-down key cuts
once. Wine's shell holds no key: a wintool process stands in for the holder, and the shell's
message for a click on the balloon (which Wine never sends) is posted as the shell sends it."""

from e2e import MAIN_CLASS, Scenario

KEYBOARD = "HKCU\\Control Panel\\Keyboard"
SETTING = "PrintScreenKeyForSnippingEnabled"
SYSTEM = ("Windows uses Print Screen to open its own screen capture. Click here to let Snarvik "
          "have it.")
SIGN_IN = "Windows lets go of Print Screen at your next sign-in; from then on it is Snarvik's."
ONEDRIVE = "OneDrive uses Print Screen to save screenshots."
OTHER = "Another program uses Print Screen. Double-click the scissors or use their menu to cut."
TRAY_CALLBACK, BALLOON_CLICK, WM_CLOSE = 0x465, 0x405, 0x10


class TakenKey(Scenario):
    def start_with_key_held(self, setting):
        self.wine("reg", "add", KEYBOARD, "/v", SETTING, "/t", "REG_DWORD", "/d", setting, "/f",
                  check=True)
        self.holder, out = self.wintool_process("hold-print-screen", 90000)
        self.addCleanup(self.holder.kill)
        self.holder_hwnd = self.wait_for(lambda: "hwnd=" in out.read_text("latin-1") and
                                         out.read_text("latin-1").split("=")[1].strip(),
                                         what="the key held")
        return self.start_snarvik()["hwnd"]

    def release(self):
        self.wintool("post", self.holder_hwnd, WM_CLOSE, 0, 0)
        self.assertEqual(self.holder.wait(timeout=20), 0)

    def balloon(self, text):
        return self.wait_for(lambda: [t["text"] for t in self.records("tooltip")
                                      if t["text"].startswith(text)], what="the balloon " + text)

    def test_the_systems_capture_handed_over_by_a_click_on_its_balloon(self):
        main = self.start_with_key_held("1")
        self.assertEqual(self.balloon(SYSTEM), [SYSTEM])
        self.wintool("post", hex(main), TRAY_CALLBACK, 0, BALLOON_CLICK)
        self.balloon(SIGN_IN)  # the holder did not let go with the change
        self.assertEqual(self.reg_query(KEYBOARD)[SETTING], "0")
        self.release()
        self.wintool("setting-changed", "Keyboard")  # the next one, handled when it returns
        self.print_screen()

    def test_another_holder_named_and_the_key_taken_when_the_menu_opens(self):
        self.start_with_key_held("0")
        self.assertEqual(self.balloon(OTHER), [OTHER])
        self.release()
        self.tray_click(3)
        self.choose("Escape")
        self.print_screen()

    def test_onedrive_named_when_it_saves_screenshots(self):
        personal = self.user_folder("AppData/Local/Microsoft/OneDrive/settings/Personal")
        personal.mkdir(parents=True)
        (personal / "a1b2c3_screenshot.dat").write_bytes(b"1\r\n2\r\n")
        self.start_with_key_held("0")
        self.assertIn("\"Backup\" \u2192 \"Screenshots\"", self.balloon(ONEDRIVE)[0])


class HeldDown(Scenario):
    def test_a_held_down_print_screen_cuts_once(self):
        self.start_snarvik()
        self.addCleanup(self.xdotool, "keyup", "Print")
        self.key("Print", action="keydown")
        self.wait_window(MAIN_CLASS, visible=True)
        # The key repeats all along: a second cut would drop the drag and its menu.
        self.select((500, 400), (640, 480))
        self.choose("Escape")
        self.xdotool("keyup", "Print")
        self.assertEqual(self.picture1(), ((500, 400, 640, 480), 1))
