#!/usr/bin/env python3
"""A short demo of Snarvik in a private X display, with screenshots in build/demo/.

Each step is a function in STEPS taking the driver (see e2e.Driver for what it can do); add one
to show more. A step that fails is reported and the demo goes on; the exit status tells.
"""

import subprocess
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from e2e import MAIN_CLASS, ROOT, Driver, parse_record  # noqa: E402

OUT = ROOT / "build" / "demo"


def menu_click(d, index):
    """Clicks the index-th item of the open menu: 3 px border, 16 px per item at 96 DPI."""
    left, top, right, bottom = d.open_menu()
    d.click((left + right) // 2, top + 3 + 16 * index + 8)


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


def limited_cut(d):
    d.notepad = subprocess.Popen(["wine", "notepad", "C:\\Snarvik\\help.html"], env=d.env,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
    d.wait_window("Notepad", timeout=20)
    time.sleep(1)
    d.tray_click(3)
    menu_click(d, 4)  # Cut - &32x32 Limit
    d.wait_window(MAIN_CLASS, visible=True)
    d.move(600, 300)
    time.sleep(0.2)
    d.move(640, 320)
    time.sleep(0.5)
    d.screenshot(OUT / "04-limited-square.png")


def copy_selection(d):
    d.click(640, 320)
    d.open_menu()
    time.sleep(0.3)
    d.screenshot(OUT / "05-selection-menu.png")
    menu_click(d, 0)  # Copy to &Clipboard
    d.wait_window(MAIN_CLASS, visible=False)
    print("clipboard:", d.records("clipboard-formats"))


def save_bitmap(d):
    d.unix_path("C:\\Demo").mkdir(exist_ok=True)
    pattern = d.start_pattern()  # something colourful to cut from
    d.key("Print")  # Cut - &Any Size
    d.wait_window(MAIN_CLASS, visible=True)
    pattern.kill()  # the frozen screen keeps it
    # the readout and the magnifier while the button is held
    d.drag([(300, 200), (500, 300), (700, 450)],
           while_held=lambda: d.screenshot(OUT / "06-magnifier.png"))
    menu_click(d, 1)  # Save as &Bitmap (.bmp)
    offered = d.wintool("dialog-text", "Save Graphic").stdout.splitlines()
    print("the dialog offers", [line for line in offered if line.startswith("edit=")])
    time.sleep(0.5)
    d.screenshot(OUT / "07-save-dialog.png")
    save_as(d, "Pic1.BMP")


def save_icon(d):
    d.tray_click(3)
    menu_click(d, 3)  # Cut - &64x64 Limit
    d.wait_window(MAIN_CLASS, visible=True)
    d.click(700, 400)
    menu_click(d, 4)  # Save as &Icon (.ico)
    save_as(d, "Icon2.ICO")


def window_mode(d):
    d.key("Print")
    d.wait_window(MAIN_CLASS, visible=True)
    editor = d.windows("Notepad")[0]["rect"]
    d.move(editor[0] + 200, editor[1] + 150)  # over the editor's text
    d.key("space")  # window mode: the control under the pointer, the text, is outlined
    time.sleep(0.5)
    d.screenshot(OUT / "08-window-mode.png")
    d.key("Escape")
    d.wait_window(MAIN_CLASS, visible=False)


def mark_up(d):
    """Marks a piece of the editor up: a box, an arrow, a word, two steps, a highlighter and a
    pixelated box, the toolbar below; the selection and its toolbar in 09-markup.png."""
    left, top = d.windows("Notepad")[0]["rect"][:2]
    sel = (left + 10, top + 50, left + 470, top + 290)
    d.key("Print")
    d.wait_window(MAIN_CLASS, visible=True)
    d.drag([sel[:2], ((sel[0] + sel[2]) // 2, (sel[1] + sel[3]) // 2), sel[2:]])
    d.choose("m")  # &Mark Up
    x, y = sel[:2]

    def tool(key, *points):
        d.key(key)
        if len(points) == 1:
            d.click(*points[0])
        else:
            d.drag(list(points))

    tool("r", (x + 8, y + 8), (x + 120, y + 40), (x + 200, y + 34))
    tool("a", (x + 330, y + 120), (x + 280, y + 80), (x + 215, y + 30))
    tool("t", (x + 300, y + 124))
    d.key("C", "h", "e", "c", "k", "space", "t", "h", "i", "s")
    d.key("Return")
    tool("n", (x + 440, y + 60))
    tool("n", (x + 440, y + 110))
    bar = d.wait_for(lambda: [r for r in map(parse_record, d.wintool(
        "children", hex(d.main_window()["hwnd"])).stdout.splitlines())
        if r.get("class") == "SnarvikMarkupBar"], what="the toolbar")[0]["rect"]
    d.click(bar[0] + 4 + 9 * 26 + 8 + 2 * 26 + 12, bar[1] + 16)  # the yellow colour
    tool("h", (x + 40, y + 130), (x + 150, y + 130), (x + 260, y + 130))
    tool("x", (x + 40, y + 175), (x + 150, y + 190), (x + 260, y + 215))
    time.sleep(0.5)
    shot = d.screenshot(OUT / "09-markup-screen.png")
    right, bottom = max(sel[2], bar[2]) + 8, max(sel[3], bar[3]) + 8
    subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (right - sel[0] + 16,
                    bottom - sel[1] + 16, sel[0] - 8, sel[1] - 8), "+repage",
                    str(OUT / "09-markup.png")], check=True)
    d.key("Return")  # the selection menu again: Copy to Clipboard takes the marks
    d.choose("c")
    d.wait_window(MAIN_CLASS, visible=False)


def save_as(d, name):
    d.wintool("dialog-set", "Save Graphic", "C:\\Demo\\" + name)
    d.wintool("dialog-press", "Save Graphic", "1")
    saved = d.unix_path("C:\\Demo\\" + name)
    d.wait_for(saved.exists, what=name)
    (OUT / name).write_bytes(saved.read_bytes())
    print("saved", name, "- a copy is in", OUT)


STEPS = [started_in_tray, tray_tip, tray_menu, limited_cut, copy_selection, save_bitmap, save_icon,
         window_mode, mark_up]


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
