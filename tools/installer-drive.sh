# Drives the real installer under a private Xvfb with real X input; sourced by tools/screenshots.sh
# and bench/installer_bench.sh. Controls are found through tools/markup_point.py on the shipped
# markup, so a new layout needs no change here; waits poll the screen.
#
#   drive_start BUILD PREFIX_NAME    private Xvfb, a Wine prefix of its own under BUILD, wineserver
#   drive_reset                      forgets an earlier installation (registry key, install folder)
#   drive_launch EXE                 starts the installer and waits until its window has painted
#   drive_click ID                   moves the pointer onto control ID and clicks it
#   drive_capture FILE               the window's rectangle of the screen, as a binary PPM
#   drive_wait_change PPM            waits until the window differs from PPM, then until it settles
#   drive_frame PPM PNG              the window with its drop shadow and round corners, as a PNG
#   drive_stop                       ends the installer, the wineserver and the Xvfb

drive_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
drive_markup=$drive_top/assets/frame/mainframe.xml
drive_title='Pelora安装程序'
# The folder the installer offers (getProgramFolder() .. "\OrvoNubelo\").
drive_install_dir='C:\Program Files\OrvoNubelo'
export LANG=C.UTF-8

. "$drive_top/tools/wine-env.sh"

drive_fail() {
    echo "$*" >&2
    if [ -n "${drive_work:-}" ] && [ -n "${DISPLAY:-}" ]; then
        import -window root "$drive_work/failure.png" 2>/dev/null &&
            cp "$drive_work/failure.png" "$drive_build/installer-drive-failure.png" &&
            echo "the screen at the failure: $drive_build/installer-drive-failure.png" >&2
    fi
    exit 1
}

# wait_until SECONDS COMMAND...: polls every 0.1 s.
wait_until() {
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

drive_start() {
    drive_build=$1
    drive_work=$(mktemp -d /tmp/orvo-drive.XXXXXX)
    wine_env "$drive_build"
    # Its own prefix: an installation here must never leave a stored folder behind for the tests.
    export WINEPREFIX=$drive_build/$2
    # always a private display of a known size, so pictures do not depend on the caller's screen
    unset DISPLAY
    display_start || drive_fail "no X display"
    wine_prefix_init || drive_fail "no Wine prefix"
    wineserver_start
    drive_pid=
}

drive_stop() {
    if [ -n "${drive_pid:-}" ] && kill -0 "$drive_pid" 2>/dev/null; then
        kill "$drive_pid" 2>/dev/null
    fi
    wine_stop
    wait 2>/dev/null
    rm -rf "${drive_work:-/nonexistent}"
}

drive_reset() {
    wine reg delete 'HKCU\Software\OrvoNubelo' /f >/dev/null 2>&1 || true
    # the stored folder is the uninstall entry's
    wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' /f >/dev/null 2>&1 || true
    rm -rf "$(winepath -u "$drive_install_dir" 2>/dev/null)"
}

# where the window is: win_x, win_y, win_w, win_h
drive_locate() {
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$drive_window" 2>/dev/null) || return 1
    eval "$(echo "$geometry" | sed -n 's/^X=/win_x=/p; s/^Y=/win_y=/p; s/^WIDTH=/win_w=/p; s/^HEIGHT=/win_h=/p')"
}

drive_capture() {
    import -window root -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage -depth 8 "ppm:$1" 2>/dev/null
}

drive_same() { cmp -s "$1" "$2"; }

# Two captures a little apart that agree: nothing is being painted.
drive_settle() {
    local seconds=${1:-10} previous=$drive_work/settle-a.ppm current=$drive_work/settle-b.ppm
    drive_capture "$previous"
    for _ in $(seq $((seconds * 5))); do
        sleep 0.2
        drive_capture "$current"
        drive_same "$previous" "$current" && return 0
        mv "$current" "$previous"
    done
    return 1
}

drive_changed_from() {
    drive_capture "$drive_work/now.ppm" && ! drive_same "$1" "$drive_work/now.ppm"
}

drive_wait_change() {
    wait_until "${2:-10}" drive_changed_from "$1" || drive_fail "the window did not change"
    drive_settle || drive_fail "the window does not settle"
}

drive_launch() {
    drive_move 1 1
    wine "$1" >"$drive_work/installer.out" 2>&1 &
    drive_pid=$!
    find_window() { drive_window=$(xdotool search --name "^$drive_title\$" 2>/dev/null | head -1) && [ -n "$drive_window" ]; }
    wait_until 30 find_window || drive_fail "no window titled $drive_title"
    wait_until 10 drive_locate || drive_fail "the window has no geometry"
    # painted: no longer the black of a window without content, and still
    painted() { drive_capture "$drive_work/first.ppm" && [ "$(convert "$drive_work/first.ppm" -format '%[fx:maxima]' info:)" != 0 ]; }
    wait_until 10 painted || drive_fail "the window stays black"
    drive_settle || drive_fail "the window does not settle"
}

# The rectangle of control ID in window pixels: X Y WIDTH HEIGHT. The markup is read once: a
# Python start for every click is slow on a busy machine.
drive_rect() {
    [ -s "$drive_work/rects" ] || python3 "$drive_top/tools/markup_point.py" "$drive_markup" --all >"$drive_work/rects"
    local rect
    rect=$(awk -v id="$1" '$1 == id { print $2, $3, $4, $5 }' "$drive_work/rects")
    [ -n "$rect" ] || drive_fail "no control $1 in the markup"
    echo "$rect"
}

# The centre of control ID on the screen.
drive_point() {
    local x y w h
    read -r x y w h <<<"$(drive_rect "$1")"
    echo "$((win_x + x + w / 2)) $((win_y + y + h / 2))"
}

# drive_move X Y: the pointer there. --sync waits for a motion, which never comes when the pointer
# is there already.
drive_move() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    [ "$X $Y" = "$1 $2" ] || xdotool mousemove --sync "$1" "$2"
}

drive_click() {
    # moved there first, so the control has seen the pointer enter before the button goes down
    drive_move $(drive_point "$1")
    sleep 0.1
    xdotool click 1
}

# The pointer off the window, and the window settled again (a hover state gone).
drive_pointer_away() {
    drive_move 1 1
    sleep 0.1
    drive_settle || drive_fail "the window does not settle"
}

# How far progress bar ID is filled in PPM (percent), or "none".
drive_bar() {
    python3 "$drive_top/tools/screen_probe.py" bar "$2" $(drive_rect "$1")
}

# The window framed as it looks on a desktop: the skin's own drop shadow (the 9-grid image of
# shadow.xml around the window, as the shadow window draws it) and the corners the window's region
# cuts off made transparent. Xvfb has no compositor to blend the real shadow window, so it is
# composed here from the same image.
drive_frame() {
    local ppm=$1 png=$2 style=$drive_build/style
    local image=$style/shadow.png grid
    grid=$(sed -n 's/.*scaleGrid="\([0-9,]*\)".*/\1/p' "$style/shadow.xml" | head -1)
    [ -f "$image" ] && [ -n "$grid" ] || drive_fail "no shadow image in $style"
    local l t r b iw ih
    IFS=, read -r l t r b <<<"$grid"
    read -r iw ih <<<"$(identify -format "%w %h" "$image")"
    local cw=$((iw - l - r)) ch=$((ih - t - b)) W=$((win_w + l + r)) H=$((win_h + t + b))
    local args=(-size "${W}x${H}" xc:none)
    # piece SRC_W SRC_H SRC_X SRC_Y DEST_W DEST_H DEST_X DEST_Y
    piece() {
        args+=('(' "$image" -crop "${1}x${2}+${3}+${4}" +repage -scale "${5}x${6}!" ')'
               -geometry "+${7}+${8}" -composite)
    }
    piece "$l" "$t" 0 0 "$l" "$t" 0 0
    piece "$cw" "$t" "$l" 0 "$win_w" "$t" "$l" 0
    piece "$r" "$t" $((iw - r)) 0 "$r" "$t" $((W - r)) 0
    piece "$l" "$ch" 0 "$t" "$l" "$win_h" 0 "$t"
    piece "$r" "$ch" $((iw - r)) "$t" "$r" "$win_h" $((W - r)) "$t"
    piece "$l" "$b" 0 $((ih - b)) "$l" "$b" 0 $((H - b))
    piece "$cw" "$b" "$l" $((ih - b)) "$win_w" "$b" "$l" $((H - b))
    piece "$r" "$b" $((iw - r)) $((ih - b)) "$r" "$b" $((W - r)) $((H - b))
    # corners: pure black where the window's region leaves the (black) screen showing
    local cut=() cx cy
    for corner in "0 0" "$((win_w - 1)) 0" "0 $((win_h - 1))" "$((win_w - 1)) $((win_h - 1))"; do
        read -r cx cy <<<"$corner"
        if [ "$(convert "$ppm" -format "%[hex:p{$cx,$cy}]" info:)" = 000000 ]; then
            cut+=(-draw "color $cx,$cy floodfill")
        fi
    done
    args+=('(' "$ppm" -alpha set -fuzz 0 -fill none "${cut[@]}" ')' -geometry "+$l+$t" -compose over -composite)
    convert "${args[@]}" -depth 8 -strip "$png" || drive_fail "cannot frame $ppm"
}
