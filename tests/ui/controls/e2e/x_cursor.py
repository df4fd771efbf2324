#!/usr/bin/env python3
"""Prints the X pointer's current cursor shape as "WIDTH HEIGHT XHOT YHOT CHECKSUM", read through
the XFixes extension of the display in $DISPLAY. Two cursors look alike exactly when the lines
are equal; the end-to-end scripts compare a control's cursor with reference cursors this way."""
import ctypes
import ctypes.util
import sys
import zlib


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def main():
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
        print("no display", file=sys.stderr)
        return 1
    event, error = ctypes.c_int(), ctypes.c_int()
    if not xfixes.XFixesQueryExtension(display, ctypes.byref(event), ctypes.byref(error)):
        print("no XFixes", file=sys.stderr)
        return 1
    image = xfixes.XFixesGetCursorImage(display)
    if not image:
        print("no cursor image", file=sys.stderr)
        return 1
    c = image.contents
    # the pixels are 32-bit ARGB values stored in unsigned longs
    pixels = bytearray()
    for i in range(c.width * c.height):
        pixels += (c.pixels[i] & 0xFFFFFFFF).to_bytes(4, "little")
    print(c.width, c.height, c.xhot, c.yhot, "%08x" % zlib.crc32(bytes(pixels)))
    x11.XFree(image)
    x11.XCloseDisplay(display)
    return 0


if __name__ == "__main__":
    sys.exit(main())
