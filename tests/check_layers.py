#!/usr/bin/env python3
"""Checks that no two folders of src/ include each other, directly or through others: prints
each folder's includes of the others and every cycle found; exits 1 if there is one.
usage: check_layers.py SRC_DIR"""

import re
import sys
from pathlib import Path


def folder_graph(src):
    graph = {}
    for path in src.rglob("*"):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(src).parts[0]
        uses = graph.setdefault(folder, set())
        for line in path.read_text(encoding="utf-8").splitlines():
            found = re.match(r'\s*#include "([^/"]+)/', line)
            if found and found.group(1) != folder:
                uses.add(found.group(1))
    return graph


def cycles(graph):
    found, path = [], []

    def visit(node):
        if node in path:
            cycle = path[path.index(node):] + [node]
            if sorted(cycle[:-1]) not in [sorted(c[:-1]) for c in found]:
                found.append(cycle)
            return
        path.append(node)
        for used in sorted(graph.get(node, ())):
            visit(used)
        path.pop()

    for node in sorted(graph):
        visit(node)
    return found


def main():
    graph = folder_graph(Path(sys.argv[1]))
    for folder in sorted(graph):
        print("%-8s -> %s" % (folder, " ".join(sorted(graph[folder])) or "-"))
    found = cycles(graph)
    for cycle in found:
        print("cycle: " + " -> ".join(cycle))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
