#!/usr/bin/env python3
"""Checks that includes between the program's folders point one way only: down.

Every `#include "folder/..."` in the program's folders is read. A file may include files of
its own folder and of any folder on a lower layer, and of the folders of its own layer that
its folder is declared to build on. Anything else (an include pointing up, sideways, or into a
folder that is no layer) fails, named by file and line. So does a cycle of includes between
files, even inside one folder.

platform/ is a contract over its implementations: the headers directly in platform/ are what
the layers above may include; platform/win32/ (Windows), platform/posix/ (Linux) and
platform/gcrypt/ (libgcrypt, for both) implement it. Nothing outside platform/ includes a file
of those folders, the contract headers include none of them, and the two systems' folders never
include each other.

    tools/check_layers.py [source root]
"""

import os
import re
import sys

# folder:      (layer, folders of its own layer it builds on)    -- higher layers on top
LAYERS = {
    "app":       (3, ()),  # the window program
    "sendto":    (3, ()),  # the companion program
    "cli":       (3, ()),  # the command-line program
    "document":  (2, ()),
    "finder":    (2, ()),
    "ui":        (1, ("platform",)),  # Windows' handles and UTF-16 text come from platform/
    "platform":  (1, ()),
    "cipher":    (0, ()),  # portable
    "util":      (0, ()),  # portable
    "resources": (0, ()),  # the ids shared with the resource script
    "core":      (0, ("cipher", "util")),  # the portable core the programs share
}

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/([^"]+)"')


def may_include(source_folder, target_folder):
    if target_folder == source_folder:
        return True
    if target_folder not in LAYERS:
        return False
    source_layer, builds_on = LAYERS[source_folder]
    target_layer = LAYERS[target_folder][0]
    return target_layer < source_layer or target_folder in builds_on


# platform/'s implementation folders, and which of them each may include.
PLATFORM_IMPLEMENTATIONS = {
    "win32": ("gcrypt",),
    "posix": ("gcrypt",),
    "gcrypt": (),
}


def platform_problem(relative, target):
    """Why `relative` may not include `target` under platform/'s own rule, or None."""
    target_parts = target.split("/")
    if target_parts[0] != "platform" or len(target_parts) < 3:
        return None
    target_sub = target_parts[1]
    source_parts = relative.split("/")
    if source_parts[0] != "platform":
        return f"platform/{target_sub}/ implements platform/: include its contract headers only"
    if len(source_parts) < 3:
        return "a contract header of platform/ includes none of its implementations"
    source_sub = source_parts[1]
    if target_sub == source_sub or target_sub in PLATFORM_IMPLEMENTATIONS.get(source_sub, ()):
        return None
    return f"platform/{source_sub}/ does not build on platform/{target_sub}/"


def source_files(root):
    for folder in sorted(LAYERS):
        top = os.path.join(root, folder)
        for directory, subfolders, names in os.walk(top):
            subfolders.sort()
            for name in sorted(names):
                if name.endswith(SOURCE_SUFFIXES):
                    path = os.path.join(directory, name)
                    yield folder, os.path.relpath(path, root).replace(os.sep, "/")


def read_includes(root, relative):
    with open(os.path.join(root, relative), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1), match.group(1) + "/" + match.group(2)


def find_cycle(edges):
    """One include cycle as a list of (file, line, included file), or None."""
    state = {}  # 1: on the trail being followed, 2: finished without a cycle
    trail = []  # the includes followed from the first file to the one being visited

    def visit(node):
        state[node] = 1
        for line, target in edges.get(node, ()):
            if state.get(target) == 1:
                start = next((i for i, step in enumerate(trail) if step[0] == target), len(trail))
                return trail[start:] + [(node, line, target)]
            if target not in state:
                trail.append((node, line, target))
                found = visit(target)
                if found:
                    return found
                trail.pop()
        state[node] = 2
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    problems = []
    edges = {}
    for folder, relative in source_files(root):
        for number, target_folder, target in read_includes(root, relative):
            if not may_include(folder, target_folder):
                where = ("is no layer" if target_folder not in LAYERS else
                         "is above " + folder if LAYERS[target_folder][0] > LAYERS[folder][0]
                         else "is beside " + folder)
                problems.append(f'{relative}:{number}: includes "{target}": '
                                f"{target_folder}/ {where}")
            problem = platform_problem(relative, target)
            if problem:
                problems.append(f'{relative}:{number}: includes "{target}": {problem}')
            if os.path.isfile(os.path.join(root, target)):
                edges.setdefault(relative, []).append((number, target))
    cycle = find_cycle(edges)
    if cycle:
        steps = ", ".join(f"{file}:{line} includes {target}" for file, line, target in cycle)
        problems.append(f"include cycle: {steps}")
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        layers = sorted({layer for layer, _ in LAYERS.values()}, reverse=True)
        picture = " / ".join(", ".join(f for f in LAYERS if LAYERS[f][0] == layer)
                             for layer in layers)
        print(f"layers, top first: {picture}; includes point down only", file=sys.stderr)
        return 1
    print(f"layers: {sum(len(v) for v in edges.values())} includes in "
          f"{len(edges)} files point down only, no cycles")
    return 0


if __name__ == "__main__":
    sys.exit(main())
