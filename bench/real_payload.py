#!/usr/bin/env python3
"""The benchmark's payload of real files nobody here wrote, assembled from what this machine has:

    real_payload.py OUT_DIR

bin/   the Windows DLLs and programs Wine ships (its x86_64-windows folder), by name, up to 80 MB
doc/   package documentation from /usr/share/doc, by path, up to 12 MB
fonts/ a CJK font
icons/ the Adwaita icon theme's small sizes, up to 4 MB

About 100 MB in all, the same files on every run on the same machine. Only regular files are taken
(no links), and only names Windows can hold: none with a character it refuses, none ending in a dot
or a space, none that differs from another in letter case alone. OUT_DIR is made afresh.
"""
import os
import shutil
import sys

SOURCES = [
    # (folder in the payload, source folder, byte budget)
    ("bin", "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", 80_000_000),
    ("doc", "/usr/share/doc", 12_000_000),
    ("icons", "/usr/share/icons/Adwaita", 4_000_000),
]
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
REFUSED = set('<>:"|?*\\') | {chr(c) for c in range(32)}


def usable(relative):
    for part in relative.split("/"):
        if not part or part[-1] in ". " or any(ch in REFUSED for ch in part):
            return False
    return True


def regular_files(top):
    """Every regular file below top as a path relative to it, sorted; links are left alone."""
    found = []
    for folder, dirs, files in os.walk(top, followlinks=False):
        dirs[:] = [d for d in dirs if not os.path.islink(os.path.join(folder, d))]
        for name in files:
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not os.path.islink(path):
                found.append(os.path.relpath(path, top))
    return sorted(found)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    taken = set()   # lower-case payload paths

    def take(source, target):
        key = target.lower()
        if key in taken or not usable(target):
            return 0
        taken.add(key)
        destination = os.path.join(out, target)
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        shutil.copyfile(source, destination)
        return os.path.getsize(destination)

    total = 0
    for folder, top, budget in SOURCES:
        used = 0
        for relative in regular_files(top):
            size = os.path.getsize(os.path.join(top, relative))
            if used + size > budget:
                continue
            used += take(os.path.join(top, relative), folder + "/" + relative)
        total += used
    total += take(FONT, "fonts/" + os.path.basename(FONT))
    print(f"{out}: {len(taken)} files, {total / 1e6:.1f} MB")


if __name__ == "__main__":
    main()
