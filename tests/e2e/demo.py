#!/usr/bin/env python3
"""A short demo of Snarvik in a private X display, with screenshots in build/demo/.

Each step is a function in STEPS taking the driver (see e2e.Driver for what it can do); add one
to show more. A step that fails is reported and the demo goes on; the exit status tells.
"""

import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from e2e import MAIN_CLASS, ROOT, Driver  # noqa: E402

OUT = ROOT / "build" / "demo"


def started_in_tray(d):
    d.start_snarvik()
    d.wait_window(MAIN_CLASS, timeout=20)
    time.sleep(1.5)  # the taskbar shows once the tray icon is in
    d.screenshot(OUT / "01-started-in-tray.png")


def tray_tip(d):
    d.move(*d.tray_point())
    tip = d.wait_for(lambda: [r for r in d.records("tooltip") if r.get("text")], timeout=5,
                     what="the tray tip")
    print("tray tip:", tip[0]["text"])
    d.screenshot(OUT / "02-tray-tip.png")


def tray_menu(d):
    d.tray_click()
    rect = d.open_menu()
    print("tray menu at", rect)
    time.sleep(0.3)
    d.screenshot(OUT / "03-tray-menu.png")
    d.menu_key("Escape")


STEPS = [started_in_tray, tray_tip, tray_menu]


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for old in OUT.glob("*.png"):
        old.unlink()
    demo = Driver()
    demo.open("demo")
    failures = 0
    try:
        for step in STEPS:
            print("demo:", step.__name__)
            try:
                step(demo)
            except Exception:  # show what did not work, then go on
                failures += 1
                traceback.print_exc()
                demo.screenshot(OUT / ("failed-%s.png" % step.__name__))
    finally:
        demo.close()
    print("demo: screenshots in", OUT)
    for shot in sorted(OUT.glob("*.png")):
        print("  ", shot.name)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
