"""Starting: the first start for a user puts a shortcut into the Startup folder, records
"Init", opens the help page and starts the numbering at 1; a later start does none of it and
goes on with the stored number."""

import re
import subprocess

from e2e import SETTINGS_KEY, Scenario

LINK_NAME = "Shortcut to Snarvik.lnk"
WINDOWS = "AppData/Roaming/Microsoft/Windows"
STARTUP = WINDOWS + "/Start Menu/Programs/StartUp"


class Starts(Scenario):
    first_run = True

    def user_folder(self, subfolder):
        users = [p for p in (self.path / "drive_c" / "users").iterdir()
                 if p.name.lower() != "public"]
        self.assertEqual(len(users), 1, users)
        return users[0] / subfolder

    def shortcut(self):
        return self.user_folder(STARTUP) / LINK_NAME

    def help_requests(self):
        return [u for u in self.browser_log() if u.lower().endswith("/c:/snarvik/help.html")]

    def offered_bitmap_name(self):
        """Cuts a rectangle, chooses Save as Bitmap and reads the default name, then cancels."""
        self.key("Print")
        self.wait_window("SnarvikMainWindow", visible=True, timeout=15)
        self.drag([(300, 200), (400, 260), (500, 320)])
        self.menu_key("b")
        text = self.wintool("dialog-text", "Save Graphic").stdout
        self.wintool("dialog-press", "Save Graphic", 2)
        return re.search(r"^edit=(.*)$", text, re.M).group(1)

    def test_first_start_adds_a_startup_shortcut_and_opens_help(self):
        recent = self.user_folder(WINDOWS + "/Recent")
        recent.mkdir(parents=True, exist_ok=True)
        (recent / "notes.txt.lnk").write_bytes(b"L\0\0\0")  # a user's own recent document
        self.start_snarvik()
        # The help page is the last first-run step: everything else is done once it shows.
        self.assertEqual(len(self.wait_for(self.help_requests, what="the help page")), 1)
        info = subprocess.run(["lnkinfo", str(self.shortcut())], capture_output=True, timeout=30)
        self.assertEqual(info.returncode, 0, info.stderr)
        fields = {}
        for name, value in re.findall(r"^[ \t]+([A-Za-z ]+?)[ \t]*:[ \t]?(.*)$",
                                      info.stdout.decode("latin-1"), re.M):
            fields.setdefault(name, value)
        self.assertEqual(fields.get("Local path"), "C:\\Snarvik\\snarvik.exe")
        self.assertEqual(fields.get("Working directory"), "C:\\Snarvik")
        self.assertEqual(self.stored_settings().get("Init"), "1")
        # The shell's own snarvik.exe.lnk is gone from Recent; the user's entry stays.
        self.assertEqual(sorted(p.name for p in recent.iterdir()), ["notes.txt.lnk"])
        self.assertEqual(self.offered_bitmap_name(), "Pic1.BMP")

    def test_a_later_start_repeats_nothing_and_goes_on_numbering(self):
        self.start_snarvik()
        self.wait_for(self.help_requests, what="the first help page")
        self.tray_command("e")  # &Exit
        self.wait_for(lambda: not self.snarvik_running(), what="snarvik.exe to exit")
        self.shortcut().unlink()
        self.wine("reg", "add", SETTINGS_KEY, "/v", "Number", "/d", "5", "/f", check=True)
        self.start_snarvik()
        self.assertEqual(self.offered_bitmap_name(), "Pic5.BMP")
        self.assertFalse(self.shortcut().exists(), "the shortcut was written again")
        self.assertEqual(len(self.help_requests()), 1, self.browser_log())
