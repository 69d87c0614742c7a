#!/usr/bin/env python3
"""usage: check_layers.py ROOT [TABLE]

Fails, naming file and line, when a production .h/.cpp file includes a
folder its line of TABLE (cmake/layers.txt) does not allow, or lies in a
folder the table does not know. tests/ is not production and is not read.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+/[^"]+)"')  # a header beside the file has no folder


def read_table(path):
    allowed = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if line:
                folder, colon, deps = line.partition(":")
                if not colon:
                    sys.exit(f"{path}:{number}: expected 'folder : folders'")
                allowed[folder.strip()] = set(deps.split())
    for folder, deps in allowed.items():
        for dep in deps - allowed.keys():
            sys.exit(f"{path}: '{folder}' names '{dep}', which has no line of its own")
    return allowed


def layer_of(path, folders):
    """The deepest folder of the table that holds `path`."""
    return max((f for f in folders if path.startswith(f + "/")), key=len, default=None)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    table = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "cmake", "layers.txt")
    allowed = read_table(table)
    problems, files = [], 0
    for first in sorted({folder.split("/")[0] for folder in allowed}):
        for directory, dirs, names in os.walk(os.path.join(root, first)):
            dirs.sort()
            for name in sorted(n for n in names if n.endswith((".h", ".cpp"))):
                path = os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")
                files += 1
                layer = layer_of(path, allowed)
                if layer is None:
                    problems.append(f"{path}: its folder has no line in {table}")
                    continue
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        target = match and layer_of(match.group(1), allowed)
                        if match and target is None:
                            problems.append(f"{path}:{number}: includes \"{match.group(1)}\", "
                                            "which is in no folder of the table")
                        elif match and target != layer and target not in allowed[layer]:
                            problems.append(f"{path}:{number}: {layer}/ may not include "
                                            f"\"{match.group(1)}\" ({target}/)")
    print("\n".join(problems + [f"{files} files, {len(problems)} wrong includes"]))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
