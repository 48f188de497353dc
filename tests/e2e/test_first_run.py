"""First run: the first start for a user puts a shortcut into the Startup folder, records
"Init", opens the help page and starts the numbering at 1; later starts do none of it."""

import re
import subprocess
import unittest

from e2e import MAIN_CLASS, SETTINGS_KEY, Scenario

LINK_NAME = "Shortcut to Snarvik.lnk"
WINDOWS = "AppData/Roaming/Microsoft/Windows"
STARTUP = WINDOWS + "/Start Menu/Programs/StartUp"
IDCANCEL = "2"


class FirstRunBase(Scenario):
    def user_folder(self, subfolder):
        users = [p for p in (self.prefix.path / "drive_c" / "users").iterdir()
                 if p.name.lower() != "public"]
        self.assertEqual(len(users), 1, users)
        return users[0] / subfolder

    def shortcut(self):
        return self.user_folder(STARTUP) / LINK_NAME

    def help_requests(self):
        return [u for u in self.browser_log() if u.lower().endswith("/c:/snarvik/help.html")]

    def start_and_settle(self):
        """Starts the program and waits for its tray icon's tip; returns the tips shown."""
        self.start_snarvik()
        self.move(*self.tray_point())
        tips = self.wait_for(lambda: [r["text"] for r in self.records("tooltip") if r.get("text")],
                             timeout=15, what="the tray tip")
        self.move(self.width // 2, self.height // 2)
        return tips

    def offered_bitmap_name(self):
        """Cuts a rectangle, chooses Save as Bitmap and reads the default name, then cancels."""
        self.key("Print")
        self.wait_window(MAIN_CLASS, visible=True, timeout=15)
        self.drag([(300, 200), (400, 260), (500, 320)])
        self.open_menu()
        self.menu_key("b")
        text = self.wait_for(
            lambda: self.wintool("dialog-text", "Save Graphic", check=False).stdout,
            timeout=15, what="the Save Graphic dialog")
        self.wintool("dialog-press", "Save Graphic", IDCANCEL)
        match = re.search(r"^edit=(.*)$", text, re.M)
        return match.group(1) if match else None

    def lnk_fields(self, path):
        info = subprocess.run(["lnkinfo", str(path)], capture_output=True, timeout=30)
        self.assertEqual(info.returncode, 0, info.stderr)
        fields = {}
        for line in info.stdout.decode("latin-1").splitlines():
            match = re.match(r"\s+([A-Za-z ]+?)\s*:\s?(.*)$", line)
            if match:
                fields.setdefault(match.group(1), match.group(2))
        return fields


class FirstStart(FirstRunBase):
    first_run = True

    def test_first_start_adds_startup_shortcut_records_init_and_opens_help(self):
        self.assertIn("Snarvik", self.start_and_settle()[0])
        # The help page is the last first-run step: everything else is done once it shows.
        self.assertEqual(len(self.wait_for(self.help_requests, what="the help page")), 1)
        fields = self.lnk_fields(self.shortcut())
        self.assertEqual(fields.get("Local path"), "C:\\Snarvik\\snarvik.exe")
        self.assertEqual(fields.get("Working directory"), "C:\\Snarvik")
        self.assertEqual(self.stored_settings().get("Init"), "1")
        self.assertEqual(self.offered_bitmap_name(), "Pic1.BMP")

    def test_first_start_leaves_no_shell_link_in_recent(self):
        recent = self.user_folder(WINDOWS + "/Recent")
        recent.mkdir(parents=True, exist_ok=True)
        (recent / "notes.txt.lnk").write_bytes(b"L\0\0\0")  # a user's own recent document
        self.start_and_settle()
        self.wait_for(self.help_requests, what="the help page")
        self.assertTrue(self.shortcut().exists())
        # The shell's snarvik.exe.lnk is gone; the user's own entry stays.
        self.assertEqual(sorted(p.name for p in recent.iterdir()), ["notes.txt.lnk"])

    def test_second_start_repeats_nothing_and_continues_numbering(self):
        self.start_and_settle()
        self.wait_for(self.help_requests, what="the first help page")
        self.tray_right_click()
        self.menu_key("e")  # &Exit
        self.wait_for(lambda: not self.snarvik_running(), what="snarvik.exe to exit")
        self.shortcut().unlink()
        self.reg_add(SETTINGS_KEY, "Number", "5")
        self.start_and_settle()
        self.assertEqual(self.offered_bitmap_name(), "Pic5.BMP")
        self.assertFalse(self.shortcut().exists(), "the shortcut was written again")
        self.assertEqual(len(self.help_requests()), 1, self.browser_log())
        self.assertEqual(self.stored_settings().get("Init"), "1")


class LaterStart(FirstRunBase):
    def test_init_zero_or_garbage_runs_first_run_actions_again(self):
        for init in ("0", "garbage"):
            with self.subTest(init=init):
                self.shortcut().unlink(missing_ok=True)
                opened = len(self.help_requests())
                self.reg_add(SETTINGS_KEY, "Init", init)
                try:
                    self.start_snarvik()
                    self.wait_for(lambda: len(self.help_requests()) > opened,
                                  what="the help page")
                finally:
                    self.stop_snarvik()
                self.assertEqual(self.lnk_fields(self.shortcut()).get("Local path"),
                                 "C:\\Snarvik\\snarvik.exe")
                self.assertEqual(self.stored_settings().get("Init"), "1")
                self.assertEqual(len(self.help_requests()), opened + 1, self.browser_log())


if __name__ == "__main__":
    unittest.main()
