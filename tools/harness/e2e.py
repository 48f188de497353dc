"""End-to-end harness: snarvik.exe in a fresh Wine prefix on a private X display, driven with
real input (xdotool) and inspected with wintool.exe, the registry and screenshots.

A scenario is a `Scenario` (a unittest.TestCase): every test gets its own copy of the run's
template prefix with its own wineserver, Snarvik installed in C:\\Snarvik\\ and "Init"="1"
stored (set `first_run = True` for a first start). Everything is bounded in time: a hung GUI
fails its scenario, it never hangs the run. On failure a screenshot, the window list and the
program's output are kept under build/artifacts/e2e/<test>/.

The display and template come from scripts/harness.sh (DISPLAY, SNARVIK_TEMPLATE_PREFIX) when
the caller set them up; otherwise the first scenario starts its own Xvfb and template.
"""

import atexit
import os
import re
import shutil
import signal
import subprocess
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
NATIVE_DIR = Path(os.environ.get("SNARVIK_NATIVE_DIR", ROOT / "build" / "native"))
MINGW_DIR = Path(os.environ.get("SNARVIK_MINGW_DIR", ROOT / "build" / "mingw"))
ARTIFACTS = Path(os.environ.get("SNARVIK_ARTIFACTS", ROOT / "build" / "artifacts" / "e2e"))
SCREENS = Path(os.environ.get("SNARVIK_SCREENS", ROOT / "build" / "screens"))
HARNESS_SH = ROOT / "scripts" / "harness.sh"

MAIN_CLASS = "SnarvikMainWindow"
INSTALL_DIR = "C:\\Snarvik"
SETTINGS_KEY = "HKCU\\Software\\VB and VBA Program Settings\\Snarvik\\Settings"
WINE_ENV = {"WINEARCH": "win64", "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}

# Window styles worth naming in assertions.
WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WS_MAXIMIZE = 0x01000000
WS_CAPTION = 0x00C00000
WS_EX_TOPMOST = 0x00000008


class HarnessError(RuntimeError):
    pass


def run(args, timeout=30, env=None, check=False, **kwargs):
    """subprocess.run, bounded, text output with Wine's CRs removed."""
    done = subprocess.run([str(a) for a in args], capture_output=True, timeout=timeout,
                          env=env, stdin=subprocess.DEVNULL, **kwargs)
    stdout = done.stdout.decode("latin-1").replace("\r", "")
    stderr = done.stderr.decode("latin-1").replace("\r", "")
    result = subprocess.CompletedProcess(done.args, done.returncode, stdout, stderr)
    if check and done.returncode != 0:
        raise HarnessError("%s exited %d: %s%s" % (" ".join(result.args), done.returncode,
                                                    stdout, stderr))
    return result


def parse_record(line):
    """One wintool line: tab-separated key=value fields."""
    record = {}
    for field in line.split("\t"):
        key, _, value = field.partition("=")
        record[key] = value
    for key in ("visible", "pid", "id"):
        if key in record:
            record[key] = int(record[key])
    for key in ("hwnd", "style", "exstyle", "parent"):
        if key in record:
            record[key] = int(record[key], 16)
    for key in ("rect", "client"):
        if key in record:
            record[key] = tuple(int(v) for v in record[key].split(","))
    return record


# The test pattern of `wintool pattern`: every screen position has its own colour.
def pattern_rgb(x, y):
    return (x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4))


def pattern_position(rgb):
    """The screen position whose pattern colour is rgb."""
    red, green, blue = rgb[:3]
    return (red | ((blue & 15) << 8), green | ((blue >> 4) << 8))


def pattern_mismatches(image, left, top):
    """Pixels of a PIL image that differ from the pattern placed at screen (left, top):
    a list of ((x, y), got, expected), empty when the image is exactly that piece of screen."""
    rgb = image.convert("RGB")
    width, height = rgb.size
    data = rgb.load()
    wrong = []
    for y in range(height):
        for x in range(width):
            want = pattern_rgb(left + x, top + y)
            if data[x, y] != want:
                wrong.append(((x, y), data[x, y], want))
    return wrong


class Harness:
    """The run's X display and template prefix (one per process)."""

    _instance = None

    def __init__(self):
        size = os.environ.get("SNARVIK_SCREEN", "1920x1080")
        self.width, self.height = (int(v) for v in size.split("x"))
        self.dir = Path(os.environ.get("SNARVIK_HARNESS_DIR", ROOT / "build" / "harness"))
        self.xvfb = None
        template = os.environ.get("SNARVIK_TEMPLATE_PREFIX")
        display = os.environ.get("SNARVIK_DISPLAY") or os.environ.get("DISPLAY")
        if template and display and Path(template, "system.reg").exists():
            self.display, self.template = display, Path(template)
            return
        self.display = self._start_xvfb(size)
        self.template = self.dir / ("e2e-template-%s" % size)
        env = dict(os.environ, DISPLAY=self.display, **WINE_ENV)
        done = run([ROOT / "scripts" / "make-prefix", self.template, size], timeout=240,
                   env=env)
        if done.returncode != 0:
            raise HarnessError("could not make the template prefix: " + done.stderr)

    @classmethod
    def get(cls):
        if cls._instance is None:
            cls._instance = Harness()
            atexit.register(cls._instance.close)
        return cls._instance

    def _start_xvfb(self, size):
        for number in range(200, 400):
            if Path("/tmp/.X%d-lock" % number).exists() or \
                    Path("/tmp/.X11-unix/X%d" % number).exists():
                continue
            display = ":%d" % number
            self.xvfb = subprocess.Popen(
                ["Xvfb", display, "-screen", "0", size + "x24", "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline and self.xvfb.poll() is None:
                if run(["xdpyinfo", "-display", display], timeout=5).returncode == 0:
                    return display
                time.sleep(0.1)
            self.close()
        raise HarnessError("could not start Xvfb")

    def close(self):
        if self.xvfb is not None:
            self.xvfb.kill()
            self.xvfb.wait(timeout=10)
            self.xvfb = None


class Prefix:
    """A scenario's own copy of the template prefix, with its own wineserver."""

    def __init__(self, harness, name):
        self.harness = harness
        self.path = harness.dir / "scenarios" / name
        self.env = dict(os.environ, DISPLAY=harness.display, WINEPREFIX=str(self.path),
                        **WINE_ENV)
        self.server = False
        run(["bash", "-c", 'source "$1" && harness_copy "$2"', "copy", HARNESS_SH, self.path],
            timeout=120, check=True,
            env=dict(os.environ, SNARVIK_TEMPLATE_PREFIX=str(harness.template)))

    def unix_path(self, windows_path):
        """The file behind a C:\\ path of this prefix."""
        drive, _, rest = windows_path.partition(":")
        if drive.upper() != "C":
            raise ValueError("not on drive C: " + windows_path)
        return self.path / "drive_c" / rest.strip("\\").replace("\\", "/")

    def add_user_values(self, key, values):
        """Stores string values under an HKCU key; only before the wineserver starts."""
        assert not self.server, "the registry file is the server's while it runs"
        subkey = key.split("\\", 1)[1].replace("\\", "\\\\")
        lines = ["", "[%s] %d" % (subkey, int(time.time()))]
        for name, value in values.items():
            escaped = value.replace("\\", "\\\\").replace('"', '\\"')
            lines.append('"%s"="%s"' % (name, escaped))
        with open(self.path / "user.reg", "a", encoding="latin-1") as reg:
            reg.write("\n".join(lines) + "\n")

    def start_server(self):
        # The server lives on after this call: it must not hold a pipe of ours either.
        self.server = True
        subprocess.run(["wineserver", "-p"], env=self.env, timeout=30, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # The first wine process leaves services holding its stdout: never give it a pipe.
        subprocess.run(["wine", "cmd", "/c", "exit", "0"], env=self.env, timeout=60,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)

    def wine(self, *args, timeout=30, check=False):
        return run(["wine", *args], timeout=timeout, env=self.env, check=check)

    def stop_server(self):
        if self.server:
            for flag in ("-k", "-w"):
                try:
                    run(["wineserver", flag], timeout=20, env=self.env)
                except subprocess.TimeoutExpired:
                    pass
            self.server = False

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


class ScenarioTimeout(Exception):
    pass


def _on_alarm(signum, frame):
    raise ScenarioTimeout("the scenario ran out of time")


class Driver:
    """Drives one Snarvik in one prefix. `Scenario` is the unittest form; scripts (the demo)
    use it directly: open(), drive, close()."""

    first_run = False  # start without "Init", as a user's first start
    settings = {}  # further values stored under the Settings key before the start
    time_limit = 120  # seconds for the whole scenario

    def open(self, name, first_run=None, settings=None):
        self.name = re.sub(r"[^A-Za-z0-9_.-]+", "_", name)
        self.harness = Harness.get()
        self.width, self.height = self.harness.width, self.harness.height
        self.artifacts = ARTIFACTS / self.name
        self.app = None
        self.app_log = None
        self.prefix = Prefix(self.harness, self.name)
        try:
            first = self.first_run if first_run is None else first_run
            values = {} if first else {"Init": "1"}
            values.update(self.settings if settings is None else settings)
            if values:
                self.prefix.add_user_values(SETTINGS_KEY, values)
            self.install()
            self.prefix.start_server()
        except BaseException:
            self.prefix.stop_server()
            self.prefix.remove()
            raise

    def close(self, failed=False):
        """Ends the scenario; a failed one keeps its screenshot and logs, a passed one none."""
        try:
            if failed:
                self.keep_artifacts()
            self.stop_snarvik()
        finally:
            self.prefix.stop_server()
            self.prefix.remove()
            if not failed:
                shutil.rmtree(self.artifacts, ignore_errors=True)

    # --- the program ---------------------------------------------------------------------

    def install(self):
        """Puts snarvik.exe and help.html into C:\\Snarvik\\ of the prefix."""
        folder = self.prefix.unix_path(INSTALL_DIR)
        folder.mkdir(parents=True, exist_ok=True)
        for name in ("snarvik.exe", "help.html"):
            source = MINGW_DIR / name
            if not source.exists():
                raise HarnessError("%s is missing: build the mingw preset first" % source)
            shutil.copy2(source, folder / name)

    def start_snarvik(self, wait=True):
        """Starts the installed program; waits (bounded) for its main window."""
        assert self.app is None or self.app.poll() is not None, "already running"
        self.artifacts.mkdir(parents=True, exist_ok=True)
        self.app_log = open(self.artifacts / "snarvik.log", "ab")
        self.app = subprocess.Popen(["wine", INSTALL_DIR + "\\snarvik.exe"], env=self.prefix.env,
                                    cwd=self.prefix.unix_path(INSTALL_DIR),
                                    stdin=subprocess.DEVNULL, stdout=self.app_log,
                                    stderr=subprocess.STDOUT)
        if wait:
            return self.wait_window(MAIN_CLASS, timeout=20)
        return None

    def snarvik_running(self):
        return self.app is not None and self.app.poll() is None

    def stop_snarvik(self):
        """Ends the program, bounded: kill, then whatever it left in the prefix."""
        if self.app is not None:
            if self.app.poll() is None:
                self.app.kill()
                try:
                    self.app.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    pass
            self.app = None
        if self.app_log is not None:
            self.app_log.close()
            self.app_log = None

    def restart_server(self):
        """A clean slate between runs in one prefix (ends every program of the prefix)."""
        self.stop_snarvik()
        self.prefix.stop_server()
        self.prefix.start_server()

    # --- looking inside Windows ----------------------------------------------------------

    def wintool(self, *args, timeout=20, check=True):
        done = run(["wine", MINGW_DIR / "wintool.exe", *args], timeout=timeout,
                   env=self.prefix.env)
        if check and done.returncode != 0 and not done.stderr:
            # Exited without a word of its own: seen once under load with the window there;
            # ask once more before calling it a failure.
            print("wintool %s exited %d silently; asking again" % (args[0], done.returncode))
            time.sleep(0.5)
            done = run(["wine", MINGW_DIR / "wintool.exe", *args], timeout=timeout,
                       env=self.prefix.env)
        if check and done.returncode != 0:
            raise HarnessError("wintool %s exited %d: %s" % (" ".join(map(str, args)),
                                                            done.returncode, done.stderr))
        return done

    def records(self, *args):
        done = self.wintool(*args, check=False)
        return [parse_record(line) for line in done.stdout.splitlines() if "=" in line]

    def windows(self, class_name, title=None):
        return self.records("find", class_name, *([title] if title is not None else []))

    def wait_for(self, condition, timeout=10, interval=0.2, what="condition"):
        """Polls condition() until it returns something true; fails after timeout seconds."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise AssertionError("timed out after %gs waiting for %s" % (timeout, what))
            time.sleep(interval)

    def wait_window(self, class_name, title=None, visible=None, timeout=10):
        def found():
            for record in self.windows(class_name, title):
                if visible is None or record["visible"] == int(visible):
                    return record
            return None
        return self.wait_for(found, timeout, what="window %s%s%s" % (
            class_name, "" if title is None else " " + repr(title),
            "" if visible is None else (" visible" if visible else " hidden")))

    def main_window(self):
        found = self.windows(MAIN_CLASS)
        return found[0] if found else None

    def reg_query(self, key, name=None):
        """Values of a registry key as {name: (type, data)}; {} when the key is absent."""
        args = ["reg", "query", key] + (["/v", name] if name is not None else [])
        done = self.prefix.wine(*args)
        values = {}
        for line in done.stdout.splitlines():
            match = re.match(r"^    (.*?)    (REG_\w+)    ?(.*)$", line)
            if match:
                values[match.group(1)] = (match.group(2), match.group(3))
        return values

    def reg_add(self, key, name, data, kind="REG_SZ"):
        self.prefix.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f", check=True)

    def reg_delete(self, key, name=None):
        args = ["/v", name] if name is not None else []
        self.prefix.wine("reg", "delete", key, *args, "/f")

    def stored_settings(self):
        """The Settings values as {name: text}."""
        return {name: data for name, (_, data) in self.reg_query(SETTINGS_KEY).items()}

    def browser_log(self):
        """What the shell was asked to open (URLs and file:// paths), in order."""
        log = self.prefix.path / "browser.log"
        return log.read_text(encoding="latin-1").splitlines() if log.exists() else []

    # --- input ---------------------------------------------------------------------------

    def xdotool(self, *args, timeout=20):
        run(["xdotool", *args], timeout=timeout, env=self.prefix.env, check=True)

    def move(self, x, y):
        self.xdotool("mousemove", x, y)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", button)

    def right_click(self, x, y):
        self.click(x, y, 3)

    def double_click(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", "--repeat", 2, "--delay", 80, button)

    def drag(self, points, button=1, step=0.1):
        """Presses at the first point, moves through the others, releases at the last."""
        first, rest = points[0], points[1:]
        self.move(*first)
        time.sleep(step)
        self.xdotool("mousedown", button)
        for point in rest:
            time.sleep(step)
            self.move(*point)
        time.sleep(step)
        self.xdotool("mouseup", button)

    def key(self, *keys):
        # A Wine desktop closed by an earlier scenario leaves X's input focus on no window, and
        # a focused Wine window keeps keys from the one under the pointer: focus the root first,
        # as a desktop session would, so keys go where the pointer is.
        root = run(["xwininfo", "-root"], env=self.prefix.env, check=True).stdout
        self.xdotool("windowfocus", root.split("Window id: ")[1].split()[0])
        self.xdotool("key", *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", 50, text)

    def tray_point(self, index=0):
        """Centre of the index-th tray icon, counted from the right end of the taskbar."""
        return (self.width - 10 - 20 * index, self.height - 10)

    def tray_click(self, index=0):
        self.click(*self.tray_point(index))

    def tray_right_click(self, index=0):
        self.right_click(*self.tray_point(index))

    def tray_double_click(self, index=0):
        self.double_click(*self.tray_point(index))

    def open_menu(self, timeout=5):
        """The open popup menu's rectangle, waited for."""
        record = self.wait_for(lambda: (self.records("menu") or [None])[0], timeout,
                               what="an open popup menu")
        return record["rect"]

    def menu_key(self, *keys):
        """Keys reach a menu only with the pointer over it: park it on the menu's border."""
        left, top, right, bottom = self.open_menu()
        self.move(right - 5, bottom - 3)
        time.sleep(0.1)
        self.key(*keys)

    def menu_click(self, index, separators=0):
        """Clicks the index-th item of the open menu (counting items, not separators), with
        `separators` separators above it: 3 px border, 16 px per item, 9 px per separator."""
        left, top, right, bottom = self.open_menu()
        self.click((left + right) // 2, top + 3 + 16 * index + 9 * separators + 8)

    # --- pictures ------------------------------------------------------------------------

    def screenshot(self, path):
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        run(["import", "-display", self.harness.display, "-window", "root", path], timeout=30,
            check=True)
        return path

    def grab(self):
        """The whole screen as a PIL image."""
        from PIL import Image
        path = self.screenshot(self.artifacts / "grab.png")
        with Image.open(path) as image:
            return image.convert("RGB")

    def keep_screenshot(self, name):
        """A named screenshot kept for documentation under build/screens/ (SNARVIK_SCREENS)."""
        return self.screenshot(SCREENS / (name + ".png"))

    def start_pattern(self, milliseconds=None):
        """Covers the screen with the test pattern (a topmost window); returns the process."""
        self.artifacts.mkdir(parents=True, exist_ok=True)
        out = self.artifacts / "pattern.out"
        with open(out, "wb") as log:
            process = subprocess.Popen(
                ["wine", MINGW_DIR / "wintool.exe", "pattern",
                 *([str(milliseconds)] if milliseconds else [])],
                env=self.prefix.env, stdin=subprocess.DEVNULL, stdout=log,
                stderr=subprocess.STDOUT)
        self.wait_for(lambda: b"hwnd=" in out.read_bytes() or process.poll() is not None,
                      timeout=20, what="the pattern window")
        if process.poll() is not None:
            raise HarnessError("wintool pattern failed: " + out.read_text("latin-1"))
        time.sleep(0.3)  # let it reach the X screen
        return process

    def keep_artifacts(self):
        """Screenshot, window list and registry settings of a failed scenario."""
        self.artifacts.mkdir(parents=True, exist_ok=True)
        for what, action in (
                ("screen", lambda: self.screenshot(self.artifacts / "failure.png")),
                ("windows", lambda: (self.artifacts / "windows.txt").write_text(
                    self.wintool("windows", check=False).stdout)),
                ("settings", lambda: (self.artifacts / "settings.txt").write_text(
                    repr(self.stored_settings()))),
                ("browser", lambda: (self.artifacts / "browser.txt").write_text(
                    "\n".join(self.browser_log())))):
            try:
                action()
            except Exception as error:  # a broken artifact must not hide the real failure
                print("could not keep the %s of %s: %s" % (what, self.name, error))


class Scenario(Driver, unittest.TestCase):
    """A unittest scenario in its own prefix; see Driver for the helpers."""

    def setUp(self):
        signal.signal(signal.SIGALRM, _on_alarm)
        signal.alarm(self.time_limit)
        self.addCleanup(signal.alarm, 0)
        self.open(self.id().split(".", 1)[-1])
        self.addCleanup(self._close)

    def _close(self):
        signal.alarm(60)  # the tidy-up is bounded too
        self.close(failed=self._failed())

    def _failed(self):
        # Asked from a cleanup, where the outcome's own success flag is reset for that part.
        outcome = getattr(self, "_outcome", None)
        if outcome is None:
            return False
        reported = list(getattr(outcome, "errors", []))
        result = getattr(outcome, "result", None)
        if result is not None:
            reported += result.failures + result.errors
        return any(test is self or getattr(test, "test_case", None) is self
                   for test, error in reported if error is not None)
