#!/usr/bin/env python3
"""Fails when a source file includes against the layering of the program.

Folders depend downwards only: app -> ui, zoom, input -> settings -> fw;
ui, zoom and input never include each other. A file in a core/ subfolder is
platform-free: it includes only the C++ standard library and other core/
files (a Windows header only in an `#ifdef _WIN32` branch, where the native
build never goes). Tools (bench/) may use the program's folders but not tests/.

    check_layers.py [source root]
"""
import pathlib
import re
import sys

RANK = {"fw": 0, "settings": 1, "ui": 2, "zoom": 2, "input": 2, "app": 3}
TOOLS = ["bench"]
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
DIRECTIVE = re.compile(r"^\s*#\s*(\w+)\s*(.*)$")
WIN32_ONLY = re.compile(r"^(defined\s*\(?\s*_WIN32\s*\)?|_WIN32)$")


def includes(path: pathlib.Path):
    """(line number, quote, name, in a Windows-only branch) per include."""
    # One entry per open conditional: whether its current branch is Windows-only.
    branches = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        directive = DIRECTIVE.match(line)
        if directive:
            word, rest = directive.groups()
            rest = rest.split("//")[0].strip()
            if word == "ifdef":
                branches.append(rest == "_WIN32")
            elif word == "if":
                branches.append(bool(WIN32_ONLY.match(rest)))
            elif word == "ifndef":
                branches.append(False)
            elif word in ("else", "elif") and branches:
                branches[-1] = False
            elif word == "endif" and branches:
                branches.pop()
        match = INCLUDE.match(line)
        if match:
            yield number, match.group(1), match.group(2), any(branches)


def violations(root: pathlib.Path, path: pathlib.Path):
    rel = path.relative_to(root)
    folder = rel.parts[0]
    core = len(rel.parts) > 2 and rel.parts[1] == "core"
    for number, quote, name, windows_only in includes(path):
        where = f"{rel}:{number}: {name}"
        if quote == "<":
            # The C++ standard library's headers have no extension.
            if core and "." in name and not windows_only:
                yield f"{where}: a platform-free file includes a system header"
            continue
        target = pathlib.PurePosixPath(name).parts
        if target[0] == "tests":
            yield f"{where}: product or tool code includes test code"
            continue
        if target[0] not in RANK:
            continue  # resource.h and the like
        if core and not (len(target) > 2 and target[1] == "core"):
            yield f"{where}: a platform-free file includes a Win32 file"
        if folder in RANK and target[0] != folder and RANK[target[0]] >= RANK[folder]:
            yield f"{where}: {folder}/ may not include {target[0]}/"


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else __file__).resolve()
    if len(sys.argv) <= 1:
        root = root.parents[2]
    found = []
    for folder in list(RANK) + TOOLS:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix in (".h", ".cpp"):
                found.extend(violations(root, path))
    for line in found:
        print(line)
    print(f"{len(found)} include(s) against the layering")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
