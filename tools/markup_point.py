#!/usr/bin/env python3
"""Prints where a control of a window markup sits, for drivers that click it with real input.

    markup_point.py MARKUP ID            centre of the control, "X Y" in client pixels
    markup_point.py MARKUP ID --rect     "X Y WIDTH HEIGHT" in client pixels
    markup_point.py MARKUP --all         "ID X Y WIDTH HEIGHT" for every control with an id

Controls are placed by the x/y/width/height attributes of a Canvas layout, each relative to its
parent; the offsets of the enclosing elements add up. Drivers ask this instead of keeping their own
coordinates, so a change of layout in the markup does not break them.
"""
import sys
import xml.etree.ElementTree as ET


def find(element, wanted, origin):
    x = origin[0] + int(element.get("x", "0"))
    y = origin[1] + int(element.get("y", "0"))
    if element.get("id") == wanted:
        return x, y, int(element.get("width", "0")), int(element.get("height", "0"))
    for child in element:
        found = find(child, wanted, (x, y))
        if found:
            return found
    return None


def every(element, origin):
    x = origin[0] + int(element.get("x", "0"))
    y = origin[1] + int(element.get("y", "0"))
    if element.get("id"):
        yield element.get("id"), x, y, int(element.get("width", "0")), int(element.get("height", "0"))
    for child in element:
        yield from every(child, (x, y))


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    root = ET.parse(sys.argv[1]).getroot()
    if sys.argv[2] == "--all":
        for row in every(root, (0, 0)):
            print(*row)
        return
    found = find(root, sys.argv[2], (0, 0))
    if not found:
        sys.exit(f"no control with id {sys.argv[2]} in {sys.argv[1]}")
    x, y, width, height = found
    if "--rect" in sys.argv[3:]:
        print(x, y, width, height)
    else:
        print(x + width // 2, y + height // 2)


if __name__ == "__main__":
    main()
