#!/usr/bin/env python3
"""Checks that every include between folders of src/ points down the layers the README states
("A folder uses only those below it: app, then ui, then output, tray and shell, ...;"): an
include of a folder above, or of another folder on the same layer, fails with its file and line.
usage: check_layers.py ROOT   (ROOT holds README.md and src/)"""

import os
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'\s*#\s*include\s*["<]([^">]+)[">]')
SOURCES = (".h", ".hpp", ".cpp", ".cc", ".inl")


def layers(readme):
    """Folder -> layer number, 0 the top, from the README's one sentence on it."""
    text = " ".join(readme.read_text(encoding="utf-8").split())
    found = re.search(r"A folder uses only those below it: ([^;.]+)", text)
    if not found:
        raise ValueError("%s states no order of folders (\"A folder uses only those below it: "
                         "a, then b and c, then d;\")" % readme)
    ranks = {}
    for rank, layer in enumerate(found.group(1).split(", then ")):
        for folder in re.split(r",\s*|\s+and\s+", layer.strip()):
            ranks[folder.strip("` ")] = rank
    return ranks


def included_folder(src, path, name):
    """The folder of src/ an include names, or None (a system header, the same folder)."""
    if "/" not in name:
        return None
    if name.startswith("."):
        target = Path(os.path.normpath(path.parent / name))
        if src not in target.parents:
            return None
        return target.relative_to(src).parts[0]
    first = name.split("/", 1)[0]
    return first if (src / first).is_dir() else None


def check(root):
    """The faults found, and how many includes between folders were looked at."""
    src = root / "src"
    ranks = layers(root / "README.md")
    found, between = [], 0
    for folder in sorted(p.name for p in src.iterdir() if p.is_dir()):
        if folder not in ranks:
            found.append("src/%s: a folder on no layer of %s" % (folder, root / "README.md"))
    for path in sorted(p for p in src.rglob("*") if p.suffix in SOURCES):
        folder = path.relative_to(src).parts[0]
        lines = path.read_text(encoding="utf-8").splitlines()
        for number, line in enumerate(lines, 1):
            include = INCLUDE.match(line)
            used = include and included_folder(src, path, include.group(1))
            if not used or used == folder or folder not in ranks or used not in ranks:
                continue
            between += 1
            where = "%s:%d: %s includes %s" % (path.relative_to(root), number, folder,
                                               include.group(1))
            if ranks[used] < ranks[folder]:
                found.append("%s: up (%s is above %s)" % (where, used, folder))
            elif ranks[used] == ranks[folder]:
                found.append("%s: sideways (%s and %s are one layer)" % (where, folder, used))
    return found, between


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.rsplit("\n", 1)[-1])
    try:
        found, between = check(Path(sys.argv[1]).resolve())
    except (OSError, ValueError) as error:
        print("check_layers: %s" % error)
        return 1
    for fault in found:
        print(fault)
    print("%d includes between folders looked at, %d faults" % (between, len(found)))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
