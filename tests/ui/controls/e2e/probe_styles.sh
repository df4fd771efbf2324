# Sourced by the controls' end-to-end scripts after the scenario runner (tests/e2e/window.sh): builds a style package of
# the shipped styles plus probe skins whose colours tell every state apart in a screenshot, and
# makes the scenario use it.
#   probe_button.xml   Button: up C00000, over 00C000, down 0000C0, disabled 808080; white caption
#                      moved by downOffset 1
#   probe_track.png    220 x 8 of 20E020 (a progress bar's background)
#   probe_grad.png     200 x 4, column i of colour (i, 0x40, 0x80) (a progress bar's fill)

# The pointer goes back to the corner whatever the end, so that no test after this one finds it
# over the windows it opens.
e2e_at_exit 'xdotool mousemove 5 5 2>/dev/null'

probe_up=C00000 probe_over=00C000 probe_down=0000C0 probe_disabled=808080 probe_track=20E020
# The fill image's colour of column I, as ImageMagick's txt output writes it.
probe_grad() { printf '%02X4080' "$1"; }

use_probe_styles() {
    local dir=$e2e_work/style
    mkdir -p "$dir"
    "$e2e_lzpack" extract "$scn_style" "$dir" >/dev/null || fail "cannot unpack $scn_style"
    python3 - "$dir" <<'PY' || fail "cannot write the probe images"
import struct, sys, zlib

def png(path, width, height, colour_of):
    rows = b"".join(b"\0" + b"".join(bytes(colour_of(x, y)) + b"\xff" for x in range(width))
                    for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))

def solid(rgb):
    return lambda x, y: ((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255)

folder = sys.argv[1]
for name, rgb in (("up", 0xC00000), ("over", 0x00C000), ("down", 0x0000C0), ("disabled", 0x808080)):
    png(f"{folder}/probe_{name}.png", 8, 8, solid(rgb))
png(f"{folder}/probe_track.png", 220, 8, solid(0x20E020))
png(f"{folder}/probe_grad.png", 200, 4, lambda x, y: (x, 0x40, 0x80))
PY
    cat >"$dir/probe_button.xml" <<'XML'
<style><class name="Button"><properties upSkin="probe_up.png" overSkin="probe_over.png" downSkin="probe_down.png"
    disabledSkin="probe_disabled.png" textColor="#FFFFFF" downOffset="1"/></class></style>
XML
    "$e2e_lzpack" create "$e2e_work/probe-style.lz" "$dir" >/dev/null || fail "cannot pack the probe styles"
    scn_style=$e2e_work/probe-style.lz
}

cursor_shape() { screen cursor; }
