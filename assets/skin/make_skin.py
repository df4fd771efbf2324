#!/usr/bin/env python3
"""Draws the installer's skin images as SVG and renders them to PNG with rsvg-convert.

Every image is rendered at three display scales from the same drawing: NAME.png at 1x, and
NAME@1.5x.png and NAME@2x.png with 1.5 and 2 times the pixels, which the installer takes on
screens at 144 and 192 DPI instead of stretching the 1x image.

Usage: make_skin.py OUT_DIR [--svg]

Every image of the style package is described here, in one palette, so that the whole look can be
changed in one place and rebuilt; nothing binary is kept in the tree. With --svg the SVG text is
written beside each PNG (for looking at a single image in an editor); the build does not ask for it.

The PNGs keep their pixels deflate-stored, not compressed: the style package packs them together
in one LZMA block, which finds what the images share (a third of what they take compressed one by
one), where compressed data would leave it nothing to find.

Geometry rules that keep the images crisp at 100 %: fills sit on whole pixels, 1-pixel strokes on
half pixels, and every image that is nine-sliced has flat colour in its stretched middle, so that
nearest-neighbour stretching shows no steps.
"""

import os
import struct
import subprocess
import sys
import zlib

# --- palette -------------------------------------------------------------------------------------

ACCENT = "#2F7CF6"          # the brand blue: primary buttons, checks, focus, progress
ACCENT_HOVER = "#4D90F8"
ACCENT_DOWN = "#1F66D6"
ACCENT_PALE = "#A7BDE6"     # a primary control that cannot be used yet
ACCENT_TINT = "#EAF2FE"     # light accent surfaces: pressed boxes, hovered list rows
SKY = "#3AB0F7"             # the far end of the brand gradient
BORDER = "#C9D0DA"
BORDER_STRONG = "#A9B4C2"
BORDER_LIGHT = "#DEE3E9"
SURFACE = "#FFFFFF"
SURFACE_HOVER = "#F4F7FB"
SURFACE_DOWN = "#E8EDF3"
SURFACE_DISABLED = "#F3F5F8"
ICON = "#6B7482"
ICON_STRONG = "#3B4350"
ICON_DISABLED = "#C3CAD3"
TRACK = "#F1F3F6"
THUMB = "#C5CBD3"
THUMB_HOVER = "#A8B0BB"
THUMB_DOWN = "#8C95A1"
SLIDER_REST = "#DDE2E8"
DANGER = "#E5484D"
DANGER_DOWN = "#C53A3E"

IMAGES = {}
SIZES = {}
# (file-name suffix, pixels per logical pixel)
SCALES = (("", 1.0), ("@1.5x", 1.5), ("@2x", 2.0))


def image(name, width, height, body, defs=""):
    SIZES[name] = (width, height)
    IMAGES[name] = (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}" shape-rendering="geometricPrecision">'
        f"<defs>{defs}</defs>{body}</svg>"
    )


def box(x, y, w, h, radius, fill, stroke=None, opacity=1.0):
    """A rounded rectangle filling whole pixels; a stroke is drawn on the half pixel inside."""
    if stroke:
        return (f'<rect x="{x + 0.5}" y="{y + 0.5}" width="{w - 1}" height="{h - 1}" '
                f'rx="{max(radius - 0.5, 0)}" fill="{fill}" stroke="{stroke}" stroke-width="1" '
                f'opacity="{opacity}"/>')
    return f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{radius}" fill="{fill}" opacity="{opacity}"/>'


def circle(cx, cy, r, fill, stroke=None):
    if stroke:
        return f'<circle cx="{cx}" cy="{cy}" r="{r - 0.5}" fill="{fill}" stroke="{stroke}" stroke-width="1"/>'
    return f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="{fill}"/>'


def line(points, colour, width=1.5, opacity=1.0):
    d = "M" + " L".join(f"{x} {y}" for x, y in points)
    return (f'<path d="{d}" fill="none" stroke="{colour}" stroke-width="{width}" '
            f'stroke-linecap="round" stroke-linejoin="round" opacity="{opacity}"/>')


def chevron(cx, cy, size, direction, colour, width=1.5):
    """A chevron `size` wide pointing up, down, left or right, centred on (cx, cy)."""
    h = size / 2
    q = size / 4
    shapes = {
        "down": [(cx - h, cy - q), (cx, cy + q), (cx + h, cy - q)],
        "up": [(cx - h, cy + q), (cx, cy - q), (cx + h, cy + q)],
        "left": [(cx + q, cy - h), (cx - q, cy), (cx + q, cy + h)],
        "right": [(cx - q, cy - h), (cx + q, cy), (cx - q, cy + h)],
    }
    return line(shapes[direction], colour, width)


def gradient(ident, stops, horizontal=True):
    x2, y2 = ("1", "0") if horizontal else ("0", "1")
    parts = "".join(f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return f'<linearGradient id="{ident}" x1="0" y1="0" x2="{x2}" y2="{y2}">{parts}</linearGradient>'


# --- windows and pages ---------------------------------------------------------------------------

# The window: white with a hairline edge so it stands apart from any desktop (grid 1,1,1,1).
image("window_bg.png", 8, 8, box(0, 0, 8, 8, 0, SURFACE, "#BAC3CF"))
# A page: white fading to a cool grey at its foot (stretched, no grid).
image("page_bg.png", 8, 120, '<rect width="8" height="120" fill="url(#g)"/>',
      gradient("g", [(0, SURFACE), (0.55, SURFACE), (1, "#F4F7FB")], horizontal=False))
# The title bar: the brand gradient, left to right (stretched; 240 source columns keep it smooth).
image("titlebar_bg.png", 240, 8, '<rect width="240" height="8" fill="url(#g)"/>',
      gradient("g", [(0, ACCENT), (1, SKY)]))
# A card for grouped content (grid 6,6,6,6).
image("panel_bg.png", 16, 16, box(0, 0, 16, 16, 6, "#F7F9FC", BORDER_LIGHT))
# The divider line (stretched).
image("seperator.png", 4, 1, box(0, 0, 4, 1, 0, BORDER_LIGHT))
# The tab strip's floor: a hairline at its bottom (grid 0,0,0,1).
image("tabstrip_bg.png", 4, 4, box(0, 0, 4, 3, 0, SURFACE) + box(0, 3, 4, 1, 0, BORDER_LIGHT))
image("tab_over.png", 8, 8, box(0, 0, 8, 8, 0, SURFACE_HOVER))
image("tab_selected.png", 8, 8, box(0, 0, 8, 6, 0, SURFACE) + box(0, 6, 8, 2, 0, ACCENT))

# The drop shadow around the main window. The window covers the clear middle (its edges are 20, 14,
# 16 and 21 pixels in from the image's); the shadow falls a little down and left, and nothing of it
# lies under the window, because the shadow window sits above its owner and must not darken it.
SHADOW_W, SHADOW_H = 20 + 80 + 16, 14 + 80 + 21
image("shadow.png", SHADOW_W, SHADOW_H,
      f'<g mask="url(#hole)"><rect x="19" y="17" width="80" height="80" rx="4" fill="#0B1A33" '
      f'opacity="0.22" filter="url(#blur)"/></g>',
      '<filter id="blur" x="-50%" y="-50%" width="200%" height="200%">'
      '<feGaussianBlur stdDeviation="5.5"/></filter>'
      f'<mask id="hole"><rect width="{SHADOW_W}" height="{SHADOW_H}" fill="white"/>'
      '<rect x="20" y="14" width="80" height="80" fill="black"/></mask>')

# --- buttons (20 × 20, radius 4, grid 6,6,6,6) ---------------------------------------------------

image("button_up.png", 20, 20, box(0, 0, 20, 20, 4, ACCENT))
image("button_over.png", 20, 20, box(0, 0, 20, 20, 4, ACCENT_HOVER))
image("button_down.png", 20, 20, box(0, 0, 20, 20, 4, ACCENT_DOWN))
image("button_disabled.png", 20, 20, box(0, 0, 20, 20, 4, ACCENT_PALE))
image("button_gray_up.png", 20, 20, box(0, 0, 20, 20, 4, SURFACE, BORDER))
image("button_gray_over.png", 20, 20, box(0, 0, 20, 20, 4, SURFACE_HOVER, BORDER_STRONG))
image("button_gray_down.png", 20, 20, box(0, 0, 20, 20, 4, SURFACE_DOWN, BORDER_STRONG))
image("button_gray_disabled.png", 20, 20, box(0, 0, 20, 20, 4, SURFACE_DISABLED, BORDER_LIGHT))
# Borderless until touched: icon buttons and tabs of secondary actions.
image("flat_over.png", 20, 20, box(0, 0, 20, 20, 4, SURFACE_HOVER))
image("flat_down.png", 20, 20, box(0, 0, 20, 20, 4, SURFACE_DOWN))

# The large call to action as one strip of four 160 × 40 frames: up, over, down, disabled.
frames = [ACCENT, ACCENT_HOVER, ACCENT_DOWN, ACCENT_PALE]
image("cta_strip.png", 160, 160,
      "".join(f'<g transform="translate(0 {i * 40})">{box(0, 0, 160, 40, 6, c)}</g>' for i, c in enumerate(frames)))

# The close button of the title bar, 32 × 32: a white cross on the brand colour, red when aimed at.
def cross(colour, opacity=1.0):
    return line([(11.5, 11.5), (20.5, 20.5)], colour, 1.5, opacity) + line([(20.5, 11.5), (11.5, 20.5)], colour, 1.5, opacity)


image("close_up.png", 32, 32, cross("#FFFFFF", 0.9))
image("close_over.png", 32, 32, box(0, 0, 32, 32, 4, DANGER) + cross("#FFFFFF"))
image("close_down.png", 32, 32, box(0, 0, 32, 32, 4, DANGER_DOWN) + cross("#FFFFFF"))
image("close_disabled.png", 32, 32, cross("#FFFFFF", 0.4))

# --- check boxes and radio buttons (16 × 16 icons) ------------------------------------------------

CHECK = [(4.5, 8.5), (7, 11), (11.5, 5.5)]


def check_box(fill, stroke, mark=None):
    body = box(0, 0, 16, 16, 3, fill, stroke) if stroke else box(0, 0, 16, 16, 3, fill)
    return body + (line(CHECK, mark, 1.75) if mark else "")


def radio(fill, stroke, dot=None):
    body = circle(8, 8, 8, fill, stroke) if stroke else circle(8, 8, 8, fill)
    return body + (circle(8, 8, 3, dot) if dot else "")


CHECK_STATES = {
    "up": check_box(SURFACE, "#B4BDC9"),
    "over": check_box(SURFACE, ACCENT),
    "down": check_box(ACCENT_TINT, ACCENT_DOWN),
    "disabled": check_box(SURFACE_DISABLED, BORDER_LIGHT),
    "on_up": check_box(ACCENT, None, "#FFFFFF"),
    "on_over": check_box(ACCENT_HOVER, None, "#FFFFFF"),
    "on_down": check_box(ACCENT_DOWN, None, "#FFFFFF"),
    "on_disabled": check_box(ACCENT_PALE, None, "#FFFFFF"),
}
RADIO_STATES = {
    "up": radio(SURFACE, "#B4BDC9"),
    "over": radio(SURFACE, ACCENT),
    "down": radio(ACCENT_TINT, ACCENT_DOWN),
    "disabled": radio(SURFACE_DISABLED, BORDER_LIGHT),
    "on_up": radio(ACCENT, None, "#FFFFFF"),
    "on_over": radio(ACCENT_HOVER, None, "#FFFFFF"),
    "on_down": radio(ACCENT_DOWN, None, "#FFFFFF"),
    "on_disabled": radio(ACCENT_PALE, None, "#FFFFFF"),
}
for state, body in CHECK_STATES.items():
    image(f"check_{state}.png", 16, 16, body)
for state, body in RADIO_STATES.items():
    image(f"radio_{state}.png", 16, 16, body)
# The same check box as one strip of eight frames: up, over, down, disabled, then checked.
order = ["up", "over", "down", "disabled", "on_up", "on_over", "on_down", "on_disabled"]
image("check_strip.png", 16, 128,
      "".join(f'<g transform="translate(0 {i * 16})">{CHECK_STATES[s]}</g>' for i, s in enumerate(order)))

# The switch: a 36 × 20 track with its knob at the left (off) or the right (on).
def switch(track, knob_x, knob="#FFFFFF"):
    return (box(0, 0, 36, 20, 10, track) +
            f'<circle cx="{knob_x}" cy="10" r="7" fill="{knob}"/>')


image("switch_off_up.png", 36, 20, switch("#C3CAD3", 10))
image("switch_off_over.png", 36, 20, switch("#AEB7C3", 10))
image("switch_off_down.png", 36, 20, switch("#98A2B0", 12))
image("switch_off_disabled.png", 36, 20, switch("#E3E7EC", 10, "#F7F8FA"))
image("switch_on_up.png", 36, 20, switch(ACCENT, 26))
image("switch_on_over.png", 36, 20, switch(ACCENT_HOVER, 26))
image("switch_on_down.png", 36, 20, switch(ACCENT_DOWN, 24))
image("switch_on_disabled.png", 36, 20, switch(ACCENT_PALE, 26, "#F7F8FA"))

# --- text fields and the combo box (20 × 20, radius 3, grid 4,4,4,4) ------------------------------

image("edit_up.png", 20, 20, box(0, 0, 20, 20, 3, SURFACE, BORDER))
image("edit_over.png", 20, 20, box(0, 0, 20, 20, 3, SURFACE, ACCENT))
image("edit_down.png", 20, 20, box(0, 0, 20, 20, 3, SURFACE, ACCENT_DOWN))
image("edit_disabled.png", 20, 20, box(0, 0, 20, 20, 3, SURFACE_DISABLED, BORDER_LIGHT))
# The drop button sits flush right at its natural size, vertically centred.
image("combo_drop.png", 28, 16, chevron(14, 8, 8, "down", ICON, 1.5))
# The drop-down list's window: square and opaque, because it is not a layered window.
image("combo_list_bg.png", 8, 8, box(0, 0, 8, 8, 0, SURFACE, BORDER))
image("listitem_over.png", 8, 8, box(0, 0, 8, 8, 0, ACCENT_TINT))

# --- scroll bars: 10 pixels thick, arrows 10 × 12 (vertical) and 12 × 10 (horizontal) -------------

image("vscroll_track.png", 10, 10, box(0, 0, 10, 10, 0, TRACK))
image("hscroll_track.png", 10, 10, box(0, 0, 10, 10, 0, TRACK))
ARROWS = {"up": ICON, "over": ICON_STRONG, "down": ACCENT, "disabled": ICON_DISABLED}
for state, colour in ARROWS.items():
    image(f"vscroll_up_{state}.png", 10, 12, box(0, 0, 10, 12, 0, TRACK) + chevron(5, 6, 6, "up", colour, 1.25))
    image(f"vscroll_down_{state}.png", 10, 12, box(0, 0, 10, 12, 0, TRACK) + chevron(5, 6, 6, "down", colour, 1.25))
    image(f"hscroll_left_{state}.png", 12, 10, box(0, 0, 12, 10, 0, TRACK) + chevron(6, 5, 6, "left", colour, 1.25))
    image(f"hscroll_right_{state}.png", 12, 10, box(0, 0, 12, 10, 0, TRACK) + chevron(6, 5, 6, "right", colour, 1.25))
# Thumbs: the bar narrows them by a pixel on each side, so 8 pixels across, round ends
# (thumbScaleGrid 0,4,0,4 vertical and 4,0,4,0 horizontal).
for state, colour in {"up": THUMB, "over": THUMB_HOVER, "down": THUMB_DOWN}.items():
    image(f"vscroll_thumb_{state}.png", 8, 16, box(0, 0, 8, 16, 4, colour))
    image(f"hscroll_thumb_{state}.png", 16, 8, box(0, 0, 16, 8, 4, colour))

# --- slider: a 4-pixel track (grid 2,0,2,0) and a 16 × 16 knob ------------------------------------

image("slider_fill.png", 8, 4, box(0, 0, 8, 4, 2, ACCENT))
image("slider_rest.png", 8, 4, box(0, 0, 8, 4, 2, SLIDER_REST))
def knob(fill, ring):
    return f'<circle cx="8" cy="8" r="7" fill="{fill}" stroke="{ring}" stroke-width="2"/>'


image("slider_thumb_up.png", 16, 16, knob(SURFACE, ACCENT))
image("slider_thumb_over.png", 16, 16, knob(ACCENT_TINT, ACCENT_HOVER))
image("slider_thumb_down.png", 16, 16, knob(ACCENT_TINT, ACCENT_DOWN) + circle(8, 8, 3, ACCENT_DOWN))

# --- progress bar: 8 pixels high, round ends (grid 4,0,4,0) ---------------------------------------

image("progress_bg.png", 16, 8, box(0, 0, 16, 8, 4, "#E6EAF0"))
image("progress_fill.png", 240, 8, '<rect width="240" height="8" rx="4" fill="url(#g)"/>',
      gradient("g", [(0, ACCENT), (1, SKY)]))

# --- focus cues: drawn over a control the keyboard has focused, never for the mouse ---------------
# Each fits inside its control (a control paints only its own rectangle): a white ring inset on
# the filled blue and red controls, a blue ring on the white ones, a halo around the check marks.


def ring(x, y, w, h, radius, colour, width=2, opacity=1.0):
    """A ring `width` pixels wide lying inside the rectangle, on whole pixels."""
    inset = width / 2
    return (f'<rect x="{x + inset}" y="{y + inset}" width="{w - width}" height="{h - width}" '
            f'rx="{max(radius - inset, 0)}" fill="none" stroke="{colour}" stroke-width="{width}" '
            f'opacity="{opacity}"/>')


image("button_focus.png", 20, 20, ring(2, 2, 16, 16, 3, "#FFFFFF", 1.5, 0.95))
image("button_gray_focus.png", 20, 20, ring(0, 0, 20, 20, 4, ACCENT, 2))
image("cta_focus.png", 160, 40, ring(3, 3, 154, 34, 4, "#FFFFFF", 2, 0.95))
image("close_focus.png", 32, 32, ring(2, 2, 28, 28, 4, "#FFFFFF", 2, 0.95))
# Around a 16 × 16 mark, drawn centred on it: a pale halo outside, the mark's edge in blue (seen on
# an empty box) and a white ring just inside it (seen on a ticked one).
image("check_focus.png", 20, 20, ring(0, 0, 20, 20, 5, ACCENT, 2, 0.35) + ring(2, 2, 16, 16, 3, ACCENT, 1)
      + ring(4, 4, 12, 12, 2, "#FFFFFF", 1, 0.9))
image("radio_focus.png", 20, 20,
      f'<circle cx="10" cy="10" r="9" fill="none" stroke="{ACCENT}" stroke-width="2" opacity="0.35"/>'
      f'<circle cx="10" cy="10" r="7.5" fill="none" stroke="{ACCENT}" stroke-width="1"/>'
      f'<circle cx="10" cy="10" r="5.5" fill="none" stroke="#FFFFFF" stroke-width="1" opacity="0.9"/>')
image("edit_focus.png", 20, 20, ring(0, 0, 20, 20, 3, ACCENT, 1) + ring(1, 1, 18, 18, 2, ACCENT, 1, 0.4))

# --- icons for icon buttons (16 × 16 and 12 × 12) --------------------------------------------------

image("icon_folder.png", 16, 16,
      '<path d="M1.5 4.5 a1 1 0 0 1 1 -1 h3.6 l1.6 1.6 h5.8 a1 1 0 0 1 1 1 v6.4 a1 1 0 0 1 -1 1 h-11 '
      f'a1 1 0 0 1 -1 -1 z" fill="none" stroke="{ICON_STRONG}" stroke-width="1" stroke-linejoin="round"/>'
      + line([(1.5, 7.5), (14.5, 7.5)], ICON_STRONG, 1))
image("icon_expand.png", 12, 12, chevron(6, 6, 8, "down", ACCENT, 1.5))
image("icon_collapse.png", 12, 12, chevron(6, 6, 8, "up", ACCENT, 1.5))


def store_png(path):
    """Rewrites a PNG with its image data deflate-stored and only the chunks a decoder needs."""
    with open(path, "rb") as f:
        data = f.read()
    signature = b"\x89PNG\r\n\x1a\n"
    if not data.startswith(signature):
        raise ValueError(f"{path} is not a PNG")
    kept, pixels, at = [], b"", len(signature)
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IDAT":
            pixels += body
        elif kind in (b"IHDR", b"PLTE", b"tRNS"):
            kept.append((kind, body))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    out = signature + b"".join(chunk(kind, body) for kind, body in kept)
    out += chunk(b"IDAT", zlib.compress(zlib.decompress(pixels), 0)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(out)


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    out = argv[1]
    keep_svg = "--svg" in argv[2:]
    os.makedirs(out, exist_ok=True)
    for name, svg in sorted(IMAGES.items()):
        stem = os.path.join(out, name[:-4])
        if keep_svg:
            with open(stem + ".svg", "w", encoding="utf-8") as f:
                f.write(svg)
        width, height = SIZES[name]
        for suffix, scale in SCALES:
            # whole pixels at every scale; the loader divides them back to the same logical size
            size = [f"--width={max(1, round(width * scale))}", f"--height={max(1, round(height * scale))}"]
            result = subprocess.run(["rsvg-convert", "--format=png", *size, "--output", stem + suffix + ".png"],
                                    input=svg.encode("utf-8"), stderr=subprocess.PIPE)
            if result.returncode != 0:
                print(f"make_skin: {name}{suffix}: {result.stderr.decode(errors='replace').strip()}",
                      file=sys.stderr)
                return 1
            store_png(stem + suffix + ".png")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
