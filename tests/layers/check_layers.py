#!/usr/bin/env python3
"""Checks every production file's project includes against cmake/layers.txt.

usage: check_layers.py ROOT [TABLE]

Lists each `#include "folder/..."` of the .h and .cpp files under the
folders of the table (tests/ is not production and is not read) and fails,
naming file and line, when a folder includes one its line does not allow,
or a file lies in a folder the table does not know.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_table(path):
    allowed = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            if ":" not in line:
                sys.exit(f"{path}:{number}: expected 'folder : folders'")
            folder, deps = line.split(":", 1)
            allowed[folder.strip()] = set(deps.split())
    for folder, deps in allowed.items():
        for dep in deps - allowed.keys():
            sys.exit(f"{path}: '{folder}' names '{dep}', which has no line of its own")
    return allowed


def layer_of(path, folders):
    """The deepest folder of the table that holds `path` (a '/' path)."""
    best = None
    for folder in folders:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    table = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "cmake", "layers.txt")
    allowed = read_table(table)
    top = {folder.split("/")[0] for folder in allowed}
    problems = []
    files = 0
    for first in sorted(top):
        for directory, dirs, names in os.walk(os.path.join(root, first)):
            dirs.sort()
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")
                files += 1
                layer = layer_of(path, allowed)
                if layer is None:
                    problems.append(f"{path}: its folder has no line in {table}")
                    continue
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match or "/" not in match.group(1):
                            continue  # a header beside the file, or a generated one
                        target = layer_of(match.group(1), allowed)
                        if target is None:
                            problems.append(f"{path}:{number}: includes \"{match.group(1)}\", "
                                            "which is in no folder of the table")
                        elif target != layer and target not in allowed[layer]:
                            problems.append(f"{path}:{number}: {layer}/ may not include "
                                            f"\"{match.group(1)}\" ({target}/)")
    for p in problems:
        print(p)
    print(f"{files} files, {len(problems)} wrong includes")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
