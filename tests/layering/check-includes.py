#!/usr/bin/env python3
"""Keeps the source folders layered: every include points down, and nothing includes in a circle.

Floors, lowest first. A file may include files of its own floor and of the floors below;
transfer/ and site/ stand side by side and include neither each other. In ui/, only
MainForm includes ui/MainForm.h: the menus and dialogs reach the window through the
small interface they are given.

Usage: check-includes.py SOURCE_DIR   (prints every violation, exits 1 when there is one)
"""
import os
import re
import sys

FLOORS = {
    "text": 0,
    "model": 1,
    "catalogue": 2,
    "transfer": 3,
    "site": 3,
    "generation": 4,
    "ui": 5,
    "app": 6,
}
# Folders on one floor that must not include each other.
SIDE_BY_SIDE = {("transfer", "site"), ("site", "transfer")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def folder_of(path):
    return path.split("/", 1)[0]


def sources(root):
    for folder in FLOORS:
        for base, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    full = os.path.join(base, name)
                    yield os.path.relpath(full, root).replace(os.sep, "/")


def main(root):
    problems = []
    graph = {}
    for path in sources(root):
        with open(os.path.join(root, path), encoding="utf-8") as f:
            text = f.read()
        includes = [i for i in INCLUDE.findall(text) if folder_of(i) in FLOORS]
        graph[path] = includes
        here = folder_of(path)
        for inc in includes:
            there = folder_of(inc)
            if FLOORS[there] > FLOORS[here]:
                problems.append(f"{path}: includes {inc}, a floor above ({here} is below {there})")
            elif (here, there) in SIDE_BY_SIDE:
                problems.append(f"{path}: includes {inc}; {here}/ and {there}/ stand side by side")
            if inc == "ui/MainForm.h" and not path.startswith("ui/MainForm.") and here == "ui":
                problems.append(f"{path}: includes ui/MainForm.h; reach the window through its interface")

    # Circles between units (a unit is X.h with X.cpp): a depth-first walk that remembers the
    # units on its path. MainForm.cpp including a dialog whose .cpp includes MainForm.h is one.
    units = {}
    for path, includes in graph.items():
        unit = os.path.splitext(path)[0]
        units.setdefault(unit, set()).update(os.path.splitext(i)[0] for i in includes)
    graph = {u: sorted(i - {u}) for u, i in units.items()}
    state = {}
    def walk(node, stack):
        state[node] = "open"
        stack.append(node)
        for nxt in graph.get(node, []):
            if nxt not in graph:
                continue
            if state.get(nxt) == "open":
                circle = stack[stack.index(nxt):] + [nxt]
                problems.append("circle: " + " -> ".join(circle))
            elif nxt not in state:
                walk(nxt, stack)
        stack.pop()
        state[node] = "done"
    for node in sorted(graph):
        if node not in state:
            walk(node, [])

    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layering problem(s)")
        return 1
    print(f"layering: {len(graph)} units, every include points down, no circle")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
