#!/usr/bin/env python3
"""Reads a screen capture (binary PPM, as `import ... ppm:FILE` writes it) for drivers of the
installer that must know what the window shows before they act or take a picture.

    screen_probe.py bar PPM X Y WIDTH HEIGHT
        How far the progress bar in that rectangle is filled, as a percentage, or "none" when the
        rectangle does not hold a bar (another page is showing).

A bar is told by its middle row: every pixel there is close to one of two colours, the fill from
the left end and the track up to the right end, with one change from the first to the second. The
colours are read from the row itself, so a new skin or a new layout needs no change here.
"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at)
            continue
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or maxval != 255:
        sys.exit(f"{path}: not an 8-bit binary PPM")
    return width, height, data[at + 1:]


def distance(a, b):
    return max(abs(x - y) for x, y in zip(a, b))


def bar(path, x, y, width, height):
    image_width, image_height, pixels = read_ppm(path)
    if x < 0 or y < 0 or x + width > image_width or y + height > image_height or width < 16:
        return "none"
    row = y + height // 2
    # the rounded ends of the skin images are left out
    inner = range(x + 4, x + width - 4)
    colours = [tuple(pixels[(row * image_width + i) * 3:(row * image_width + i) * 3 + 3]) for i in inner]
    fill, track = colours[0], colours[-1]
    tolerance = 24
    if distance(fill, track) <= 3 * tolerance:
        # an empty or a full bar looks like any flat panel: not enough to tell, not a middle state
        return "none"
    filled, changed = 0, False
    for colour in colours:
        near_fill, near_track = distance(colour, fill) <= tolerance, distance(colour, track) <= tolerance
        if near_fill and not changed:
            filled += 1
        elif near_track:
            changed = True
        elif not (near_fill or near_track) and not changed:
            # the one blended column where the fill ends
            changed = True
        else:
            return "none"
    return str(round(filled * 100 / len(colours)))


def main():
    if len(sys.argv) == 7 and sys.argv[1] == "bar":
        print(bar(sys.argv[2], *map(int, sys.argv[3:7])))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
