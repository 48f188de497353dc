"""Installing: setup puts Snarvik, its Start menu shortcut and its Uninstall entry in place for
the user; an upgrade ends a running copy and replaces it, keeping the settings; while one of
its dialogs is open a silent setup gives up and changes nothing; the uninstaller ends a running
copy and takes away what setup and the first start made, and nothing of the user's."""

import re

from e2e import MAIN_CLASS, MINGW_DIR, Scenario, run

UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
PROGRAMS = "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"
STARTUP_LINK = "\\StartUp\\Shortcut to Snarvik.lnk"
OTHER_COPY = "C:\\Other"


class Installing(Scenario):
    install_dir = None  # setup puts it in place
    first_run = True
    settings = {"Number": "7"}
    time_limit = 300

    def setUp(self):
        super().setUp()
        setups = list(MINGW_DIR.glob("snarvik-*-setup.exe"))
        self.assertEqual(len(setups), 1, setups)
        self.setup_exe = setups[0]
        self.version = re.fullmatch(r"snarvik-(.+)-setup\.exe", self.setup_exe.name).group(1)
        home = "C:\\users\\" + self.user_folder().name
        self.target = home + "\\AppData\\Local\\Programs\\Snarvik"
        self.folder = self.unix_path(self.target)
        self.programs = home + PROGRAMS

    def setup(self):
        """Runs setup silently; its exit code."""
        return run(["wine", self.setup_exe, "/S"], timeout=90, env=self.env).returncode

    def uninstall(self, *args):
        # The uninstaller copies itself away and returns at once; its entry goes last.
        self.wine(self.target + "\\uninstall.exe", "/S", *args, check=True)
        self.wait_for(lambda: not self.entries(), timeout=30, what="the uninstaller to finish")

    def entries(self):
        """Names of the user's Uninstall entries."""
        out = self.wine("reg", "query", UNINSTALL_KEY).stdout
        return re.findall(r"^HKEY_CURRENT_USER\\.*\\Uninstall\\(.+)$", out, re.M)

    def link_target(self, link):
        return next((r["target"] for r in self.records("link", link)), None)

    def start_installed(self, folder):
        self.install_dir = folder
        self.start_snarvik()
        self.wait_for(lambda: self.link_target(self.programs + STARTUP_LINK) ==
                      folder + "\\snarvik.exe", what="the first start's Startup shortcut")

    def assert_ended_cleanly(self):
        self.wait_for(lambda: not self.snarvik_running(), what="Snarvik to end")
        self.assertEqual(self.app.returncode, 0)

    def cut_to_the_menu(self):
        self.print_screen(timeout=15)
        self.select((300, 200), (400, 300))

    def files(self):
        return sorted(p.name for p in self.folder.iterdir()) if self.folder.exists() else None

    def test_silent_install_then_an_upgrade_over_a_running_copy(self):
        self.assertEqual(self.setup(), 0)
        self.assertEqual(self.files(), ["help.html", "snarvik.exe", "uninstall.exe"])
        for name in ("help.html", "snarvik.exe"):
            self.assertEqual((self.folder / name).read_bytes(), (MINGW_DIR / name).read_bytes())
        exe = self.target + "\\snarvik.exe"
        self.assertEqual(self.link_target(self.programs + "\\Snarvik.lnk"), exe)
        entry = self.reg_query(UNINSTALL_KEY + "\\Snarvik")
        size = int(entry.pop("EstimatedSize"))  # KB
        self.assertEqual(entry, {
            "DisplayName": "Snarvik", "DisplayVersion": self.version, "Publisher": "Snarvik",
            "DisplayIcon": exe + ",0", "InstallLocation": self.target,
            "UninstallString": '"%s\\uninstall.exe"' % self.target,
            "QuietUninstallString": '"%s\\uninstall.exe" /S' % self.target,
            "NoModify": "1", "NoRepair": "1"})
        on_disk = sum((self.folder / n).stat().st_size for n in self.files()) // 1024
        self.assertLessEqual(abs(size - on_disk), 1)
        self.assertEqual(self.windows(MAIN_CLASS), [], "a silent install starts nothing")

        self.start_installed(self.target)
        self.cut_to_the_menu()
        self.choose("a")

        with open(self.folder / "help.html", "ab") as page:
            page.write(b"<!-- an older page -->")
        self.assertEqual(self.setup(), 0)
        self.assert_ended_cleanly()
        self.assertEqual((self.folder / "help.html").read_bytes(),
                         (MINGW_DIR / "help.html").read_bytes())
        self.assertEqual(self.entries(), ["Snarvik"])
        self.assertEqual(self.stored_settings(),
                         {"Init": "1", "Number": "7", "LastRegion": "300,200,100,100"})

    def test_setup_gives_way_to_a_dialog_and_uninstall_ends_a_running_copy(self):
        self.assertEqual(self.setup(), 0)
        self.start_installed(self.target)
        marked = (self.folder / "help.html").read_bytes() + b"<!-- marked -->"
        (self.folder / "help.html").write_bytes(marked)
        self.cut_to_the_menu()
        self.menu_key("b")
        self.wait_window("#32770", "Save Graphic", visible=True)
        self.assertEqual(self.setup(), 1)
        self.assertEqual((self.folder / "help.html").read_bytes(), marked)
        self.assertTrue(self.windows("#32770", "Save Graphic"), "the dialog stays open")
        self.wintool("dialog-press", "Save Graphic", 2)
        self.wait_for(lambda: not self.windows("#32770", "Save Graphic"), what="no dialog")
        self.key("Escape")
        self.wait_for(lambda: not self.capture_up(), what="back in the tray")
        self.assertTrue(self.snarvik_running(), "closing was not left pending")

        (self.folder / "notes.txt").write_text("the user's own")
        self.uninstall()
        self.assert_ended_cleanly()
        self.assertEqual(self.files(), ["notes.txt"])
        self.assertEqual(self.link_target(self.programs + "\\Snarvik.lnk"), None)
        self.assertEqual(self.link_target(self.programs + STARTUP_LINK), None)
        # Without its shortcut, the next first start makes it again; the rest is kept.
        self.assertEqual(self.stored_settings(), {"Number": "7", "LastRegion": "300,200,100,100"})

        # Again, with the Startup shortcut made by the first start of a copy elsewhere.
        (self.folder / "notes.txt").unlink()
        self.assertEqual(self.setup(), 0)
        self.put_program(OTHER_COPY)
        self.start_installed(OTHER_COPY)
        self.tray_command("e")  # &Exit
        self.assert_ended_cleanly()
        self.uninstall("/REMOVESETTINGS")
        self.assertEqual(self.files(), None)
        self.assertEqual(self.link_target(self.programs + STARTUP_LINK),
                         OTHER_COPY + "\\snarvik.exe")
        self.assertEqual(self.stored_settings(), {})
