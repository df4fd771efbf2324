#!/usr/bin/env python3
"""Writes the worker script from its template and a payload folder: the `operations` table lists
every folder (kind 0) and file (kind 1) of the folder, so the steps and the package the build makes
from the same folder can never disagree.

Usage: make_worker.py PAYLOAD_DIR LG.lua.in LG.lua

Paths use "\\" between levels and come in case-insensitive alphabetical order, so that every folder
stands before the entries inside it.
"""
import os
import sys


def lua_string(text):
    """Long brackets of a level the text cannot close: neither a "]]" inside nor a last "]" that
    the closing bracket would complete may end the string early."""
    level = 0
    while (text + "]" + "=" * level + "]").find("]" + "=" * level + "]") != len(text):
        level += 1
    lead = "\n" if text[:1] in ("\r", "\n") else ""
    return "[" + "=" * level + "[" + lead + text + "]" + "=" * level + "]"


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    root, template, out = sys.argv[1:]
    steps = []
    for folder, dirs, files in os.walk(root):
        relative = os.path.relpath(folder, root)
        prefix = "" if relative == "." else relative.replace(os.sep, "\\") + "\\"
        steps += [(0, prefix + d) for d in dirs]
        steps += [(1, prefix + f) for f in files]
    steps.sort(key=lambda step: step[1].lower())
    table = "\n".join("    {%d, %s}," % (kind, lua_string(path)) for kind, path in steps)
    with open(template, encoding="utf-8") as f:
        script = f.read()
    if "--@OPERATIONS@" not in script:
        sys.exit("make_worker.py: the template has no --@OPERATIONS@ line")
    script = script.replace("--@OPERATIONS@", table)
    partial = out + ".part"
    with open(partial, "w", encoding="utf-8", newline="\n") as f:
        f.write(script)
    os.replace(partial, out)


if __name__ == "__main__":
    main()
