"""End-to-end harness: snarvik.exe in a fresh Wine prefix on the private X display that
scripts/harness.sh (harness_up) set up, driven with real input (xdotool) and inspected with
wintool.exe, the registry and screenshots. Each scenario (a `Scenario`) gets its own copy of
the run's template prefix and wineserver, with Snarvik in C:\\Snarvik\\ and "Init"="1" stored.
Every wait is bounded; a failed scenario keeps what it saw under build/artifacts/e2e/<test>/.
"""

import os
import re
import shutil
import signal
import subprocess
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
MINGW_DIR = Path(os.environ.get("SNARVIK_MINGW_DIR", ROOT / "build" / "mingw"))
ARTIFACTS = Path(os.environ.get("SNARVIK_ARTIFACTS", ROOT / "build" / "artifacts" / "e2e"))
MAIN_CLASS = "SnarvikMainWindow"
INSTALL_DIR = "C:\\Snarvik"
SETTINGS_KEY = "HKCU\\Software\\VB and VBA Program Settings\\Snarvik\\Settings"
WINE_ENV = {"WINEARCH": "win64", "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}
QUIET = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
WM_CHAR = 0x102


class HarnessError(RuntimeError):
    pass


def run(args, timeout=30, env=None, check=False):
    """subprocess.run, bounded, text output with Wine's CRs removed."""
    done = subprocess.run([str(a) for a in args], capture_output=True, timeout=timeout,
                          env=env, stdin=subprocess.DEVNULL)
    out, err = (o.decode("utf-8", "replace").replace("\r", "") for o in (done.stdout, done.stderr))
    if check and done.returncode != 0:
        raise HarnessError("%s exited %d: %s%s" % (" ".join(done.args), done.returncode, out, err))
    return subprocess.CompletedProcess(done.args, done.returncode, out, err)


def parse_record(line):
    """One wintool line: tab-separated key=value fields."""
    record = dict(field.partition("=")[::2] for field in line.split("\t"))
    for key, convert in (("visible", int), ("pid", int), ("hwnd", lambda v: int(v, 16)),
                         ("rect", lambda v: tuple(int(n) for n in v.split(","))),
                         ("work", lambda v: tuple(int(n) for n in v.split(",")))):
        if key in record:
            record[key] = convert(record[key])
    return record


# The test pattern of `wintool pattern` (tests/support/pattern.h): every screen position has
# its own colour.
def pattern_rgb(x, y):
    return (x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4))


def pattern_mismatches(image, left, top):
    """((x, y), got, expected) of each pixel of a PIL image that differs from the pattern
    placed at screen (left, top); empty when the image is exactly that piece of the screen."""
    rgb = image.convert("RGB")
    data = rgb.load()
    return [((x, y), data[x, y], pattern_rgb(left + x, top + y))
            for y in range(rgb.size[1]) for x in range(rgb.size[0])
            if data[x, y] != pattern_rgb(left + x, top + y)]


def _on_alarm(signum, frame):
    raise TimeoutError("the scenario ran out of time")


class Driver:
    """Drives one Snarvik in one prefix. `Scenario` is the unittest form; the demo uses it
    directly: open(), drive, close()."""

    first_run = False  # start without "Init", as a user's first start
    settings = {}  # further values stored under the Settings key before the start
    install_dir = INSTALL_DIR  # where snarvik.exe and help.html are put; None: nowhere
    exe_name = "snarvik.exe"  # what the exe is called there, as a user may rename it
    time_limit = 120  # seconds for the whole scenario
    dpi = 96  # the desktop's scaling, set before the prefix's server starts

    def open(self, name):
        self.name = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        self.width, self.height = (int(v) for v in os.environ["SNARVIK_SCREEN"].split("x"))
        self.artifacts = ARTIFACTS / self.name
        self.path = Path(os.environ["SNARVIK_HARNESS_DIR"]) / "scenarios" / self.name
        self.env = dict(os.environ, WINEPREFIX=str(self.path), **WINE_ENV)
        self.app = self.app_log = None
        self.server = False
        try:
            run(["bash", "-c", 'source "$1" && harness_copy "$2"', "copy",
                 ROOT / "scripts" / "harness.sh", self.path], timeout=120, check=True)
            if self.install_dir:
                self.put_program(self.install_dir)
            # Straight into the user's registry file before its server reads it: quicker and
            # surer than a Wine process per value.
            user = self.path / "user.reg"
            text = user.read_text("latin-1")
            if self.dpi != 96:
                at = text.index("\n", text.index("[Control Panel\\\\Desktop]")) + 1
                text = text[:at] + '"LogPixels"=dword:%08x\n' % self.dpi + text[at:]
            values = dict({} if self.first_run else {"Init": "1"}, **self.settings)
            if values:
                key = SETTINGS_KEY.split("\\", 1)[1].replace("\\", "\\\\")
                text += "\n[%s] 0\n" % key + "".join('"%s"="%s"\n' % v for v in values.items())
            user.write_text(text, "latin-1")
            self.start_server()
        except BaseException:
            self.close(failed=True)
            raise

    def close(self, failed=False):
        """Ends the scenario; a failed one keeps its screenshot and logs, a passed one none."""
        try:
            if failed:
                self.keep_artifacts()
            self.stop_snarvik()
        finally:
            self.stop_server()
            shutil.rmtree(self.path, ignore_errors=True)
            if not failed:
                shutil.rmtree(self.artifacts, ignore_errors=True)

    # --- the prefix ----------------------------------------------------------------------

    def unix_path(self, windows_path):
        """The file behind a C:\\ path of this prefix."""
        drive, _, rest = windows_path.partition(":")
        assert drive.upper() == "C", windows_path
        return self.path / "drive_c" / rest.strip("\\").replace("\\", "/")

    def user_folder(self, subfolder=""):
        """The prefix's one user's folder (its name is the Linux user's)."""
        users = [p for p in (self.path / "drive_c" / "users").iterdir()
                 if p.name.lower() != "public"]
        assert len(users) == 1, users
        return users[0] / subfolder

    def put_program(self, folder):
        """Copies snarvik.exe (as exe_name) and help.html into a C:\\ folder, as a user
        unpacking the zip."""
        folder = self.unix_path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        for name, copy in (("snarvik.exe", self.exe_name), ("help.html", "help.html")):
            shutil.copy2(MINGW_DIR / name, folder / copy)

    def start_server(self):
        # The server and the first program's services outlive the call: they get no pipe.
        self.server = True
        subprocess.run(["wineserver", "-p"], env=self.env, timeout=30, check=True, **QUIET)
        subprocess.run(["wine", "cmd", "/c", "exit", "0"], env=self.env, timeout=60, **QUIET)

    def stop_server(self):
        self.stop_snarvik()
        for flag in ("-k", "-w") if self.server else ():
            subprocess.run(["wineserver", flag], env=self.env, timeout=20, **QUIET)
        self.server = False

    def wine(self, *args, check=False):
        return run(["wine", *args], env=self.env, check=check)

    # --- the program ---------------------------------------------------------------------

    def start_snarvik(self):
        """Starts the installed program; its main window, waited for."""
        assert not self.snarvik_running(), "already running"
        self.artifacts.mkdir(parents=True, exist_ok=True)
        self.app_log = open(self.artifacts / "snarvik.log", "ab")
        self.app = subprocess.Popen(["wine", self.install_dir + "\\" + self.exe_name],
                                    env=self.env, cwd=self.unix_path(self.install_dir),
                                    stdin=subprocess.DEVNULL, stdout=self.app_log,
                                    stderr=subprocess.STDOUT)
        return self.wait_window(MAIN_CLASS, timeout=20)

    def start_in_tray(self):
        """Starts the installed program and waits for the taskbar; its main window."""
        main = self.start_snarvik()
        self.wait_window("Shell_TrayWnd", visible=True, timeout=20)
        return main

    def snarvik_running(self):
        return self.app is not None and self.app.poll() is None

    def stop_snarvik(self):
        if self.snarvik_running():
            self.app.kill()
            self.app.wait(timeout=10)
        self.app_log and self.app_log.close()
        self.app = self.app_log = None

    # --- looking inside Windows ----------------------------------------------------------

    def wintool(self, *args, check=True):
        done = run(["wine", MINGW_DIR / "wintool.exe", *args], env=self.env)
        if check and done.returncode != 0:
            raise HarnessError("wintool %s exited %d: %s%s" % (
                " ".join(map(str, args)), done.returncode, done.stdout, done.stderr))
        return done

    def wintool_process(self, *args):
        """wintool running beside the program, its output into the artifacts: (process, file)."""
        self.artifacts.mkdir(parents=True, exist_ok=True)
        out = self.artifacts / ("%s.out" % args[0])
        with open(out, "wb") as log:
            process = subprocess.Popen(["wine", MINGW_DIR / "wintool.exe", *map(str, args)],
                                       env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                       stderr=subprocess.STDOUT)
        return process, out

    def records(self, *args):
        done = self.wintool(*args, check=False)
        return [parse_record(line) for line in done.stdout.splitlines() if "=" in line]

    def windows(self, class_name, title=None):
        return self.records("find", class_name, *[t for t in [title] if t is not None])

    def wait_for(self, condition, timeout=10, what="condition"):
        """Polls condition() until it returns something true; fails after timeout seconds."""
        deadline = time.monotonic() + timeout
        while not (value := condition()):
            if time.monotonic() > deadline:
                raise AssertionError("timed out after %gs waiting for %s" % (timeout, what))
            time.sleep(0.2)
        return value

    def wait_window(self, class_name, title=None, visible=None, timeout=10):
        return self.wait_for(
            lambda: next((r for r in self.windows(class_name, title)
                          if visible is None or r["visible"] == int(visible)), None),
            timeout, what="window %s %r visible=%s" % (class_name, title, visible))

    def main_window(self):
        return (self.windows(MAIN_CLASS) or [None])[0]

    def capture_up(self):
        return bool((self.main_window() or {}).get("visible"))

    def reg_query(self, key):
        """Values of a key under HKCU as {name: data}; {} when the key is absent."""
        return {r["name"]: r["data"] for r in self.records("reg", key)}

    def stored_settings(self):
        return self.reg_query(SETTINGS_KEY)

    def browser_log(self):
        """What the shell was asked to open (URLs and file:// paths), in order."""
        log = self.path / "browser.log"
        return log.read_text(encoding="latin-1").splitlines() if log.exists() else []

    def help_requests(self):
        return [u for u in self.browser_log() if u.lower().endswith("/help.html")]

    def picture1(self):
        """Picture1's (rect, visible): its rectangle on the screen."""
        children = self.wintool("children", hex(self.main_window()["hwnd"])).stdout
        found = [(r["rect"], r["visible"]) for r in map(parse_record, children.splitlines())
                 if r.get("class") == "SnarvikPicture"]
        assert len(found) == 1, found
        return found[0]

    def picture1_shown(self):
        rect, visible = self.picture1()
        return rect if visible else None

    def clipboard_image(self):
        """The clipboard's bitmap as another program reads it, as a PIL image."""
        from PIL import Image
        self.records("clipboard-bmp", "C:\\clip.bmp")
        with Image.open(self.unix_path("C:\\clip.bmp")) as copied:
            return copied.convert("RGB")

    # --- input ---------------------------------------------------------------------------

    def xdotool(self, *args):
        run(["xdotool", *args], env=self.env, check=True)

    def move(self, x, y):
        self.xdotool("mousemove", x, y)

    def move_to(self, x, y):
        """Moves the pointer and waits until the system has it there."""
        self.move(x, y)
        self.pointer_arrived(x, y)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", button)

    def pointer_arrived(self, x, y, button=1, down=False):
        """Waits until the system has the pointer at (x, y) with the button as given: the input
        sent has arrived, in order, before anything is sent after it."""
        field = {1: "left", 3: "right"}.get(button)
        self.wait_for(lambda: [(int(r["x"]), int(r["y"]), field and int(r[field]))
                               for r in self.records("pointer")] == [(x, y, field and int(down))],
                      timeout=5, what="the pointer at %d,%d, button %d %s" % (
                          x, y, button, "down" if down else "up"))

    def drag(self, points, button=1, while_held=None):
        """Presses at the first point, moves through the others, releases at the last."""
        self.move(*points[0])
        self.pointer_arrived(*points[0], button)
        self.xdotool("mousedown", button)
        self.pointer_arrived(*points[0], button, down=True)
        for point in points[1:]:
            self.move(*point)
            self.pointer_arrived(*point, button, down=True)
        if while_held:
            while_held()
        self.xdotool("mouseup", button)

    def key(self, *keys, action="key"):
        # A Wine desktop closed by an earlier scenario leaves X's input focus on no window, and
        # a focused Wine window keeps keys from the one under the pointer: focus the root first,
        # as a desktop session would, so keys go where the pointer is.
        root = run(["xwininfo", "-root"], env=self.env, check=True).stdout
        self.xdotool("windowfocus", root.split("Window id: ")[1].split()[0])
        self.xdotool(action, *keys)

    def print_screen(self, timeout=10):
        """Print Screen pressed; the cut's window, waited for."""
        self.key("Print")
        return self.wait_window(MAIN_CLASS, visible=True, timeout=timeout)

    def tray_point(self):
        """Centre of the tray icon at the right end of the taskbar."""
        return (self.width - 10, self.height - 10)

    def tray_click(self, button=1):
        # Two clicks within the double-click time (500 ms) are a double click, which cuts: the
        # system tells them apart by time alone.
        time.sleep(max(0.0, getattr(self, "_tray_clicked", 0) + 0.6 - time.monotonic()))
        self.click(*self.tray_point(), button=button)
        self._tray_clicked = time.monotonic()

    def tray_double_click(self):
        self.xdotool("mousemove", *self.tray_point(), "click", "--repeat", 2, "--delay", 80, 1)

    def tray_command(self, key):
        """A tray menu item by its access key."""
        self.tray_click(3)
        self.choose(key)

    def open_menu(self, timeout=5):
        """The open popup menu's rectangle, waited for."""
        return self.wait_for(lambda: (self.records("menu") or [None])[0], timeout,
                             what="an open popup menu")["rect"]

    def menu_key(self, *keys):
        """Keys reach a menu only with the pointer over it: park it on the menu's border."""
        left, top, right, bottom = self.open_menu()
        self.move(right - 5, bottom - 3)
        self.pointer_arrived(right - 5, bottom - 3)
        self.key(*keys)

    def choose(self, *keys):
        """Chooses from the open menu by keys; waits for it to close."""
        self.menu_key(*keys)
        self.wait_for(lambda: not self.records("menu"), what="the menu closed")

    def select(self, start, end=None, button=1, while_held=None):
        """Drags from start to end (a click without end); the selection menu's rectangle."""
        end = end or start
        middle = ((start[0] + end[0]) // 2, (start[1] + end[1]) // 2)
        self.drag([start, middle, end], button=button, while_held=while_held)
        return self.open_menu()

    # --- pictures ------------------------------------------------------------------------

    def screenshot(self, path):
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        run(["import", "-window", "root", path], check=True)
        return path

    def grab(self):
        """The whole screen as a PIL image."""
        from PIL import Image
        return Image.open(self.screenshot(self.artifacts / "grab.png")).convert("RGB")

    def start_pattern(self, inverted=()):
        """Covers the screen with the test pattern (a topmost window), inverted inside the
        rectangle `inverted` (left, top, right, bottom) when given; returns the process."""
        process, out = self.wintool_process("pattern", *(["0", *inverted] if inverted else []))
        # Up once X shows it: the pixel in the screen's middle is the pattern's.
        middle = (self.width // 2, self.height // 2)
        self.wait_for(lambda: process.poll() is not None or
                      self.grab().getpixel(middle) == pattern_rgb(*middle),
                      timeout=20, what="the pattern on the screen")
        if process.poll() is not None:
            raise HarnessError("wintool pattern failed: " + out.read_text("latin-1"))
        return process

    def cut_over_pattern(self, start, inverted=()):
        """start() starts a cut with the test pattern (inverted inside `inverted`) over the
        screen; the pattern goes once the cut is up, so only the frozen image still shows it."""
        pattern = self.start_pattern(inverted)
        try:
            start()
            self.wait_window(MAIN_CLASS, visible=True)
        finally:
            pattern.kill()
            pattern.wait(timeout=10)
        self.wait_for(lambda: not self.windows("WintoolPattern"), what="the pattern gone")

    def tray_command_over_pattern(self, key):
        """A tray menu item by its access key, its cut over the test pattern: the pattern
        covers the open menu, so the key is posted to the menu."""
        self.tray_click(3)
        self.open_menu()
        self.cut_over_pattern(lambda: self.wintool(
            "post", hex(self.records("menu")[0]["hwnd"]), WM_CHAR, ord(key), 0))

    def keep_artifacts(self):
        """The screen, the window list and the settings of a failed scenario."""
        self.artifacts.mkdir(parents=True, exist_ok=True)
        try:
            self.screenshot(self.artifacts / "failure.png")
            (self.artifacts / "windows.txt").write_text(self.wintool("windows", check=False).stdout)
            (self.artifacts / "settings.txt").write_text(repr(self.stored_settings()))
        except Exception as error:  # a broken artifact must not hide the real failure
            print("could not keep all artifacts of %s: %s" % (self.name, error))


class Scenario(Driver, unittest.TestCase):
    """A unittest scenario in its own prefix; see Driver for the helpers."""

    in_tray = False  # started in the tray before each test, its main window in self.main

    def setUp(self):
        signal.signal(signal.SIGALRM, _on_alarm)
        signal.alarm(self.time_limit)
        self.addCleanup(signal.alarm, 0)
        self.open(self.id().split(".", 1)[-1])
        self.addCleanup(self._close)
        if self.in_tray:
            self.main = self.start_in_tray()

    def assert_shows_pattern(self, rect):
        """The screen shows exactly the pattern's piece at rect (left, top, right, bottom)."""
        wrong = pattern_mismatches(self.grab().crop(rect), *rect[:2])
        self.assertEqual(wrong, [], "first differing pixels of %r: %r" % (rect, wrong[:5]))

    def assert_copies(self, rect):
        """Copy to Clipboard chosen from the selection menu: the cut ends, and the clipboard
        holds exactly the pattern's piece at rect (left, top, right, bottom)."""
        self.choose("c")
        self.wait_window(MAIN_CLASS, visible=False)
        copied = self.clipboard_image()
        self.assertEqual(copied.size, (rect[2] - rect[0], rect[3] - rect[1]))
        wrong = pattern_mismatches(copied, *rect[:2])
        self.assertEqual(wrong, [], "first differing pixels: %r" % wrong[:5])

    def _close(self):
        signal.alarm(60)  # the tidy-up is bounded too
        outcome = getattr(self, "_outcome", None)
        result = getattr(outcome, "result", None)
        reported = list(getattr(outcome, "errors", [])) + (
            result.failures + result.errors if result is not None else [])
        self.close(failed=any(test is self or getattr(test, "test_case", None) is self
                              for test, error in reported if error is not None))
