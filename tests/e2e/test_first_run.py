"""Starting: the first start for a user puts a shortcut to the program, whatever its exe is
called, into the Startup folder, records "Init", opens the help page and starts the numbering at
1, also where the program's folder and the Startup folder are named in other scripts; a later
start does none of it and goes on with the stored number. A shortcut that could not be made is
tried again at the next start, as is the whole first run after an Exit during it; one the user
disabled among the startup apps is never made again."""

import re
import subprocess

from e2e import SETTINGS_KEY, Scenario

LINK_NAME = "Shortcut to Snarvik.lnk"
WINDOWS = "AppData/Roaming/Microsoft/Windows"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"
STARTUP_APPS = ("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved"
                "\\StartupFolder")


class Starting(Scenario):
    first_run = True

    def offered_bitmap_name(self):
        """Cuts a rectangle, chooses Save as Bitmap and reads the default name, then cancels."""
        self.print_screen(timeout=15)
        self.select((300, 200), (500, 320))
        self.menu_key("b")
        text = self.wintool("dialog-text", "Save Graphic").stdout
        self.wintool("dialog-press", "Save Graphic", 2)
        return re.search(r"^edit=(.*)$", text, re.M).group(1)

    def exit_snarvik(self):
        self.tray_command("e")  # &Exit
        self.wait_for(lambda: not self.snarvik_running(), what="snarvik.exe to exit")

    def lnk_fields(self, link):
        info = subprocess.run(["lnkinfo", str(link)], capture_output=True, timeout=30)
        self.assertEqual(info.returncode, 0, info.stderr)
        return dict(re.findall(r"^\t(Local path|Working directory)\s*: (.*)$",
                               info.stdout.decode("utf-8"), re.M))


class FirstStart(Starting):
    install_dir = "C:\\\u0421\u043d\u0430\u0440\u0432\u0438\u043a"  # Cyrillic
    exe_name = "Snarvik 2.exe"  # renamed by the user

    def test_first_start_in_folders_named_in_other_scripts(self):
        startup = self.user_folder("\u81ea\u52d5\u8d77\u52d5")  # CJK
        startup.mkdir()
        windows_startup = "C:\\users\\%s\\%s" % (startup.parent.name, startup.name)
        self.wine("reg", "add", SHELL_FOLDERS, "/v", "Startup", "/t", "REG_EXPAND_SZ", "/d",
                  windows_startup, "/f", check=True)
        recent = self.user_folder(WINDOWS + "/Recent")
        recent.mkdir(parents=True, exist_ok=True)
        (recent / "notes.txt.lnk").write_bytes(b"L\0\0\0")  # a user's own recent document
        self.start_snarvik()
        # The help page is the last first-run step: everything else is done once it shows.
        self.assertEqual(len(self.wait_for(self.help_requests, what="the help page")), 1)
        link = self.records("link", windows_startup + "\\" + LINK_NAME)
        self.assertEqual([(r["target"], r["workdir"]) for r in link],
                         [(self.install_dir + "\\Snarvik 2.exe", self.install_dir)])
        self.assertEqual(self.lnk_fields(startup / LINK_NAME)["Working directory"],
                         self.install_dir)
        self.assertEqual(sorted(p.name for p in recent.iterdir()), ["notes.txt.lnk"])
        self.assertEqual(self.offered_bitmap_name(), "Pic1.BMP")


class LaterStart(Starting):
    def test_a_later_start_repeats_nothing_and_goes_on_numbering(self):
        self.start_snarvik()
        self.wait_for(self.help_requests, what="the first help page")
        shortcut = self.user_folder(WINDOWS + "/Start Menu/Programs/StartUp") / LINK_NAME
        # The shell's own recent-documents shortcut, rewritten, where its paths are ANSI.
        self.assertEqual(self.lnk_fields(shortcut), {"Local path": "C:\\Snarvik\\snarvik.exe",
                                                     "Working directory": "C:\\Snarvik"})
        self.exit_snarvik()
        shortcut.unlink()
        self.wine("reg", "add", SETTINGS_KEY, "/v", "Number", "/d", "5", "/f", check=True)
        self.start_snarvik()
        self.assertEqual(self.offered_bitmap_name(), "Pic5.BMP")
        self.assertFalse(shortcut.exists(), "the shortcut was written again")
        self.assertEqual(len(self.help_requests()), 1, self.browser_log())


class StartupShortcut(Starting):
    def test_made_at_the_next_start_after_a_failure_or_an_exit_never_against_the_users_no(self):
        startup = self.user_folder(WINDOWS + "/Start Menu/Programs/StartUp")
        link = startup / LINK_NAME
        startup.exists() and startup.rmdir()
        startup.write_bytes(b"")  # a file where the folder should be: nothing can go into it
        # Exit while the failure's message is up: the first run ends there, asked for again.
        self.start_snarvik()
        self.wait_window("#32770", "Shortcut")
        self.tray_command("e")  # &Exit
        self.assertEqual(self.app.wait(timeout=10), 0)
        self.start_snarvik()
        self.wait_window("#32770", "Shortcut")  # the first run again
        self.assertEqual(self.help_requests(), [], "the help page opened after Exit")
        self.wintool("dialog-press", "Shortcut", 1)
        self.assertEqual(len(self.wait_for(self.help_requests, what="the help page")), 1)
        self.assertNotIn("Init", self.stored_settings())
        self.exit_snarvik()

        startup.unlink()
        startup.mkdir()
        self.start_snarvik()
        self.wait_for(lambda: len(self.help_requests()) == 2, what="the second help page")
        self.assertTrue(link.exists())
        self.assertEqual(self.stored_settings().get("Init"), "1")
        self.exit_snarvik()

        # Disabled among the startup apps, gone, and the first run asked for again.
        self.wine("reg", "add", STARTUP_APPS, "/v", LINK_NAME, "/t", "REG_BINARY", "/d",
                  "030000000000000000000000", "/f", check=True)
        self.wine("reg", "delete", SETTINGS_KEY, "/v", "Init", "/f", check=True)
        link.unlink()
        self.start_snarvik()
        self.wait_for(lambda: len(self.help_requests()) == 3, what="the third help page")
        self.assertFalse(link.exists(), "a disabled start at logon was made again")
        self.assertEqual(self.stored_settings().get("Init"), "1")
