#!/usr/bin/env python3
"""The screen helper of the end-to-end tests (tests/e2e/e2e.sh calls it): where a control of a
window markup sits, what a screen capture (binary PPM, as `import ... ppm:FILE` writes it) shows,
and the screen and the pointer's cursor read straight from the X server ($DISPLAY).

    screen.py rects MARKUP
        "ID X Y WIDTH HEIGHT" in client pixels for every control with an id. Controls are placed by
        the x/y/width/height attributes of a Canvas layout, each relative to its parent; the offsets
        of the enclosing elements add up. Drivers ask this instead of keeping their own
        coordinates, so a change of layout in the markup does not break them.

    screen.py bar PPM X Y WIDTH HEIGHT
        How far the progress bar in that rectangle is filled, as a percentage, or "none" when the
        rectangle does not hold a bar (another page is showing).

A bar is told by its middle row: from the left end a run of the fill (smooth, a gradient allowed,
far from the track's colour), then the track's colour up to the right end. The colours are read
from the row itself, so a new skin or a new layout needs no change here. An empty or a full bar
reads as "none": it cannot be told from a flat panel, and it is no middle state either.

    screen.py same PPM_A PPM_B X Y WIDTH HEIGHT
        Exit status 0 when the rectangle holds the same pixels in both captures.

    screen.py watch X Y WIDTH HEIGHT READY_FILE [SECONDS]
        Watches a rectangle of the screen ($DISPLAY, root coordinates) every few milliseconds: takes
        what it holds now, creates READY_FILE, waits until the rectangle changes and settles, then
        until it changes again, and prints the two times of change (seconds since the epoch). Exit
        status 1 when SECONDS (600 by default) pass first. This is the timer of the benchmark: one
        process reading a few hundred pixels straight from the X server costs the machine next to
        nothing, where a capture and a probe started for every look would take CPU from the
        installer being timed and see the change a good half second late.

    screen.py appear X Y WIDTH HEIGHT READY_FILE [SECONDS]
        Takes what the rectangle holds now, creates READY_FILE, and prints the moment (seconds since
        the epoch) it first holds anything else: a window's first pixels on the screen, seen within
        a couple of milliseconds. Exit status 1 when SECONDS (60 by default) pass first.

    screen.py sample READY_FILE SECONDS X1 Y1 [X2 Y2 ...]
        Reads the pixels at those points of the screen ($DISPLAY, root coordinates) every couple of
        milliseconds for SECONDS, after creating READY_FILE, and prints every new combination seen
        as one line of RRGGBB values. For catching an animation of a tenth of a second in a few
        pixels, which a burst of full captures misses on a busy machine.

    screen.py places TREE X Y WIDTH HEIGHT
        Reads a window's accessibility tree as orvo-inspect prints it (TREE, a file) against the
        window's client rectangle on the screen, and prints one line for each fault: a visible
        object that reaches outside the window, or two visible objects that hold text or take
        input (no panels, pages or groupings) and overlap. Exit status 1 when there is any. Text
        that a display scale pushed out of place shows here as an object off the window or on top
        of its neighbour.

    screen.py cursor
        The pointer's current cursor shape as "WIDTH HEIGHT XHOT YHOT CHECKSUM", read through
        XFixes. Two cursors look alike exactly when the lines are equal.
"""
import ctypes
import ctypes.util
import re
import sys
import time
import xml.etree.ElementTree as ET
import zlib


def rects(element, origin=(0, 0)):
    x = origin[0] + int(element.get("x", "0"))
    y = origin[1] + int(element.get("y", "0"))
    if element.get("id"):
        yield element.get("id"), x, y, int(element.get("width", "0")), int(element.get("height", "0"))
    for child in element:
        yield from rects(child, (x, y))


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
    track = colours[-1]
    tolerance, step = 24, 12
    # the fill: from the left end, far from the track's colour, changing smoothly (the fill image
    # may be a gradient, stretched with the bar)
    filled = 0
    while (filled < len(colours) and distance(colours[filled], track) > 3 * tolerance
           and (filled == 0 or distance(colours[filled], colours[filled - 1]) <= step)):
        filled += 1
    if filled == 0:
        # an empty or a full bar looks like any flat panel: not enough to tell, not a middle state
        return "none"
    # a few blended columns where the fill ends, then the track to the right end
    rest = colours[filled:]
    blended = 0
    while blended < min(3, len(rest)) and distance(rest[blended], track) > tolerance:
        blended += 1
    if any(distance(colour, track) > tolerance for colour in rest[blended:]):
        return "none"
    return str(round(filled * 100 / len(colours)))


def region(path, x, y, width, height):
    image_width, image_height, pixels = read_ppm(path)
    if x < 0 or y < 0 or x + width > image_width or y + height > image_height:
        sys.exit(f"{path}: the rectangle {x},{y} {width}x{height} is outside the picture")
    return [pixels[((y + row) * image_width + x) * 3:((y + row) * image_width + x + width) * 3] for row in range(height)]


class XImage(ctypes.Structure):
    # the leading fields of Xlib's XImage, as far as they are read here
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int)]


def screen_reader():
    """A function (x, y, width, height) -> the raw pixels of that rectangle of the root window."""
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    root = xlib.XDefaultRootWindow(display)
    z_pixmap, all_planes = 2, 0xFFFFFFFF

    def grab(x, y, width, height):
        image = xlib.XGetImage(display, root, x, y, width, height, all_planes, z_pixmap)
        if not image:
            sys.exit(f"the rectangle {x},{y} {width}x{height} is not on the screen")
        pixels = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
        xlib.XDestroyImage(image)
        return pixels

    return grab


def watch(x, y, width, height, ready, seconds=600.0):
    grab = screen_reader()

    def look():
        return grab(x, y, width, height)

    deadline = time.monotonic() + seconds
    first = now = look()
    open(ready, "w").close()
    changed = None
    while time.monotonic() < deadline:
        time.sleep(0.01)
        now = look()
        if now != first:
            changed = time.time()
            break
    # settled: the same pixels over a tenth of a second
    settled, same_since = now, time.monotonic()
    while changed and time.monotonic() < deadline and time.monotonic() - same_since < 0.1:
        time.sleep(0.01)
        now = look()
        if now != settled:
            settled, same_since = now, time.monotonic()
    while changed and time.monotonic() < deadline:
        time.sleep(0.01)
        if look() != settled:
            print(f"{changed:.3f} {time.time():.3f}")
            return 0
    return 1


def appear(x, y, width, height, ready, seconds=60.0):
    grab = screen_reader()
    first = grab(x, y, width, height)
    open(ready, "w").close()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        time.sleep(0.002)
        if grab(x, y, width, height) != first:
            print(f"{time.time():.4f}")
            return 0
    return 1


def sample(ready, seconds, points):
    grab = screen_reader()
    seen = set()
    open(ready, "w").close()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        # a 32-bit visual keeps each pixel as B, G, R, unused
        now = " ".join(grab(x, y, 1, 1)[2::-1].hex() for x, y in points)
        if now not in seen:
            seen.add(now)
            print(now, flush=True)
        time.sleep(0.002)
    return 0


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor():
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xfixes = ctypes.CDLL(ctypes.util.find_library("Xfixes") or "libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                            ctypes.POINTER(ctypes.c_int)]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no display")
    event, error = ctypes.c_int(), ctypes.c_int()
    if not xfixes.XFixesQueryExtension(display, ctypes.byref(event), ctypes.byref(error)):
        sys.exit("no XFixes")
    image = xfixes.XFixesGetCursorImage(display)
    if not image:
        sys.exit("no cursor image")
    c = image.contents
    # the pixels are 32-bit ARGB values stored in unsigned longs
    pixels = bytearray()
    for i in range(c.width * c.height):
        pixels += (c.pixels[i] & 0xFFFFFFFF).to_bytes(4, "little")
    print(c.width, c.height, c.xhot, c.yhot, "%08x" % zlib.crc32(bytes(pixels)))
    x11.XFree(image)
    x11.XCloseDisplay(display)
    return 0


PLACE = re.compile(r'^( *)(\S.*?) "(.*)" \[([^\]]*)\] \((-?\d+),(-?\d+),(\d+),(\d+)\)')
CONTAINERS = ("client", "page", "grouping", "window", "page tab list", "list", "scroll bar")


def places(tree, x, y, width, height):
    objects = []
    hidden_depth = None
    with open(tree, encoding="utf-8") as f:
        for line in f:
            m = PLACE.match(line.rstrip("\n"))
            if not m:
                continue
            depth = len(m.group(1)) // 2
            if hidden_depth is not None and depth > hidden_depth:
                continue   # below an invisible object
            hidden_depth = depth if "invisible" in m.group(4).split(",") else None
            if hidden_depth is not None:
                continue
            l, t, w, h = (int(v) for v in m.groups()[4:8])
            if w == 0 or h == 0:
                continue
            objects.append((m.group(2), m.group(3), l, t, l + w, t + h))
    faults = []
    for role, name, l, t, r, b in objects:
        if l < x or t < y or r > x + width or b > y + height:
            faults.append(f'{role} "{name}" ({l},{t})-({r},{b}) reaches outside the window '
                          f'({x},{y})-({x + width},{y + height})')
    leaves = [o for o in objects if o[0] not in CONTAINERS]
    for i, a in enumerate(leaves):
        for b in leaves[i + 1:]:
            if min(a[4], b[4]) > max(a[2], b[2]) and min(a[5], b[5]) > max(a[3], b[3]):
                faults.append(f'{a[0]} "{a[1]}" and {b[0]} "{b[1]}" overlap')
    for fault in faults:
        print(fault)
    return 1 if faults else 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "rects":
        for row in rects(ET.parse(sys.argv[2]).getroot()):
            print(*row)
    elif len(sys.argv) == 7 and sys.argv[1] == "places":
        sys.exit(places(sys.argv[2], *map(int, sys.argv[3:7])))
    elif len(sys.argv) == 2 and sys.argv[1] == "cursor":
        sys.exit(cursor())
    elif len(sys.argv) == 7 and sys.argv[1] == "bar":
        print(bar(sys.argv[2], *map(int, sys.argv[3:7])))
    elif len(sys.argv) == 8 and sys.argv[1] == "same":
        rect = list(map(int, sys.argv[4:8]))
        sys.exit(0 if region(sys.argv[2], *rect) == region(sys.argv[3], *rect) else 1)
    elif len(sys.argv) in (7, 8) and sys.argv[1] == "watch":
        sys.exit(watch(*map(int, sys.argv[2:6]), sys.argv[6], *map(float, sys.argv[7:8])))
    elif len(sys.argv) in (7, 8) and sys.argv[1] == "appear":
        sys.exit(appear(*map(int, sys.argv[2:6]), sys.argv[6], *map(float, sys.argv[7:8])))
    elif len(sys.argv) >= 6 and len(sys.argv) % 2 == 0 and sys.argv[1] == "sample":
        coords = list(map(int, sys.argv[4:]))
        sys.exit(sample(sys.argv[2], float(sys.argv[3]), list(zip(coords[::2], coords[1::2]))))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
