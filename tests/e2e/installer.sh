# The installer driver, on tests/e2e/e2e.sh: the real PeloraSetup.exe (or another build of it) in
# a Wine prefix, real X input, real message boxes. Controls are found by markup id in
# assets/frame/mainframe.xml, so a new layout needs no change to a scenario. How a scenario is
# written: the top of tests/e2e/e2e.sh.
#
#   inst_begin BUILD [--private NAME]  e2e_begin, and everything an installation leaves is cleaned
#                                 when the script ends once inst_clean has run
#   $inst_setup $inst_payload $inst_worker   the installer, the folder its payload was made from,
#                                 its worker script (the build's; set them for another build)
#   $inst_install_dir             the folder the installer offers
#   inst_clean [FOLDER...]        removes every trace of an installation: registry, shortcut, the
#                                 offered folder and these (Windows paths); again at the end
#   inst_launch [ARGS...]         starts the installer with these arguments; $inst_pid (the
#                                 process of its full exit code; with $inst_direct set, the
#                                 installer's own process, as a benchmark measures it)
#   inst_start [ARGS...]          inst_launch, then waits until its window has painted
#   inst_wait_exit [SECONDS]      waits until it has ended; $inst_rc is its full exit code
#   inst_rect ID / inst_point ID  control ID: "X Y WIDTH HEIGHT" in the window / its centre on screen
#                                 (device pixels at $e2e_dpi)
#   inst_click ID                 the pointer onto control ID, a click
#   inst_type ID TEXT             replaces the text of text box ID by typing TEXT
#   inst_bar ID PPM               how far progress bar ID is filled in a capture (percent), or none
#   inst_id_changes ID PPM_A PPM_B   whether control ID looks different in two captures
#   inst_inert ID                 clicks control ID and fails if the window changes
#   inst_tick_agreement           ticks 1001; the page before and after in $e2e_work/unticked.ppm,
#                                 ticked.ppm
#   inst_wait_finish              waits for the finish page
#   inst_box_shown                whether any box of the installer is on the screen
#   inst_store_path PATH          writes PATH as an earlier installation's folder (the uninstall
#                                 entry's "InstallLocation" and the user's "InstallPath")
#   inst_expect_payload FOLDER    every payload file in FOLDER (Windows path), byte for byte
#   inst_reg KEY FILE             the key as UTF-8 .reg lines; reg_has FILE LINE: one of them
#   reg_value KEY NAME            the data of one value, as `reg query` shows it
#   inst_hold PATH / inst_release   a helper keeps PATH open without sharing / lets go
#   inst_step_file N              the Nth file the worker extracts (relative Windows path)
#   inst_running PATH             whether a program started from PATH runs; $inst_app_pid
#   inst_frame PPM PNG            the window as on a desktop: the skin's shadow, cut corners
#   inst_check_layout PAGE        the window is the markup's initSize times the display scale (±1
#                                 pixel), and its accessibility tree's places lie inside it without
#                                 overlapping (screen.py places); PAGE names the page in a failure

. "$(dirname "${BASH_SOURCE[0]}")/e2e.sh"

inst_markup=$e2e_top/assets/frame/mainframe.xml
inst_title='Pelora安装程序'
# The folder the installer offers (getProgramFolder() .. "\OrvoNubelo\").
inst_install_dir='C:\Program Files\OrvoNubelo'
inst_pid=
inst_rc=
inst_hold_pid=
inst_app_pid=
inst_cleaned=
inst_folders=()

inst_begin() {
    e2e_begin "$@"
    inst_setup=$e2e_setup inst_payload=$e2e_payload inst_worker=$e2e_worker
    e2e_at_exit inst_end
}

inst_end() {
    touch "$e2e_work/release"
    local pid
    for pid in $inst_pid $inst_hold_pid; do
        kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
    done
    # an application the installer launched for us is ours to stop
    [ -n "$inst_app_pid" ] && kill "$inst_app_pid" 2>/dev/null
    # the installer's own processes gone before the prefix is cleaned under them
    [ -n "$inst_pid" ] && wait "$inst_pid" 2>/dev/null
    # nothing of this run, passed or failed, may reach the next test that starts the installer
    [ -n "$inst_cleaned" ] && inst_clean "${inst_folders[@]}"
    return 0
}

# Every trace of an installation: registry keys and values, the shortcut, the test folders, a
# running application. Folders are the Windows paths given.
inst_clean() {
    inst_cleaned=1 inst_folders=("$@")
    # one import that removes them all: a Wine process for each key costs seconds
    cat >"$e2e_work/clean.reg" <<'EOF'
REGEDIT4

[-HKEY_CURRENT_USER\Software\OrvoNubelo]
[-HKEY_CLASSES_ROOT\orvolive]
[-HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Low Rights\ElevationPolicy\{CACBA33C-A5E5-43CD-9287-8C075425FC26}]
[-HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo]
[-HKEY_CLASSES_ROOT\CLSID\{6B1C3D7E-2F4A-4B8E-9C21-5D7E8F903A11}]
[-HKEY_CLASSES_ROOT\CLSID\{0E9F4C2B-7A61-4D35-8B0C-3F2A9E6D1B47}]
[HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run]
"OrvoNubelo Daemon"=-
EOF
    wine regedit /s "$(winpath "$e2e_work/clean.reg")" </dev/null >/dev/null 2>&1
    rm -f "$(unixpath 'C:\users\Public\Desktop')/OrvoPelora.lnk"
    rm -rf "$(unixpath "$inst_install_dir")"
    local folder
    for folder in "$@"; do
        rm -rf "$(unixpath "$folder")"
    done
    return 0
}

inst_launch() {
    pointer_to 1 1
    if [ -n "${inst_direct:-}" ]; then
        win_start "$inst_setup" "$@"
    else
        win_start --code "$inst_setup" "$@"
    fi
    inst_pid=$win_pid
}

inst_start() {
    inst_launch "$@"
    window_find "$inst_title"
    capture "$e2e_work/start.ppm"
}

inst_wait_exit() {
    win_wait "$inst_pid" "${1:-20}"
    inst_rc=$win_rc inst_pid=
}

# The rectangle of control ID in window pixels. The markup is read once: a Python start for every
# click is slow on a busy machine.
inst_rect() {
    [ -s "$e2e_work/rects" ] || screen rects "$inst_markup" >"$e2e_work/rects"
    local rect
    # the markup's places are logical; on the screen they are times the display scale
    rect=$(awk -v id="$1" -v dpi="$e2e_dpi" '
        function device(v) { return int((v * dpi + 48) / 96) }
        $1 == id { l = device($2); t = device($3); print l, t, device($2 + $4) - l, device($3 + $5) - t }' \
        "$e2e_work/rects")
    [ -n "$rect" ] || fail "no control $1 in the markup"
    echo "$rect"
}

inst_point() {
    local x y w h
    read -r x y w h <<<"$(inst_rect "$1")"
    echo "$((win_x + x + w / 2)) $((win_y + y + h / 2))"
}

inst_click() {
    # moved there first, so the control has seen the pointer enter before the button goes down
    pointer_to $(inst_point "$1")
    sleep 0.1
    xdotool click 1
}

inst_type() {
    inst_click "$1"
    xdotool key ctrl+a BackSpace
    [ -z "$2" ] || xdotool type --delay 15 -- "$2"
}

inst_bar() { screen bar "$2" $(inst_rect "$1"); }

# crop ID PPM OUT: the rectangle of control ID out of a window capture
inst_crop() {
    local x y w h
    read -r x y w h <<<"$(inst_rect "$1")"
    convert "$2" -crop "${w}x${h}+${x}+${y}" +repage "ppm:$3"
}

inst_id_changes() {
    inst_crop "$1" "$2" "$e2e_work/crop-a.ppm" && inst_crop "$1" "$3" "$e2e_work/crop-b.ppm" &&
        ! cmp -s "$e2e_work/crop-a.ppm" "$e2e_work/crop-b.ppm"
}

# inst_store_path PATH: the "InstallPath" an earlier installation would have left. A Wine process
# has been seen, once in many runs, to end at once without a word just as the previous test's
# processes ended (cause not found); one more try keeps that out of what the scenarios check, and
# a real failure still fails with what Wine said.
inst_store_path() {
    local out key
    # the installer takes the folder from the machine-wide entry; the user's value must agree
    for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo /v InstallLocation' \
               'HKCU\Software\OrvoNubelo /v InstallPath'; do
        # shellcheck disable=SC2086
        out=$(wine reg add $key /d "$1" /f </dev/null 2>&1) ||
            out=$(WINEDEBUG=err+all wine reg add $key /d "$1" /f </dev/null 2>&1) ||
            fail "cannot store the install folder $1: $out"
    done
}

inst_tick_agreement() {
    pointer_away
    capture "$e2e_work/unticked.ppm"
    inst_click 1001
    wait_change "$e2e_work/unticked.ppm"
    pointer_away
    capture "$e2e_work/ticked.ppm"
}

# A click on a disabled or hidden control changes nothing on the window.
inst_inert() {
    pointer_to $(inst_point "$1")
    settle || fail "the window does not settle"
    capture "$e2e_work/inert-a.ppm"
    xdotool click 1
    sleep 0.5
    settle || fail "the window does not settle"
    capture "$e2e_work/inert-b.ppm"
    cmp -s "$e2e_work/inert-a.ppm" "$e2e_work/inert-b.ppm" || fail "a click on $1 changed the window"
}

inst_box_shown() { xdotool search --onlyvisible --name '^(异常|错误|提示|退出安装程序)$' >/dev/null 2>&1; }

# The finish page: no progress bar, no box over the window, and a finish button drawn where the
# progress page has none.
inst_wait_finish() {
    inst_finish_shown() {
        kill -0 "$inst_pid" 2>/dev/null || fail "the installer ended before its finish page"
        ! inst_box_shown && capture "$e2e_work/now.ppm" &&
            [ "$(inst_bar 3001 "$e2e_work/now.ppm")" = none ] &&
            inst_crop 4003 "$e2e_work/now.ppm" "$e2e_work/button.ppm" &&
            [ "$(convert "$e2e_work/button.ppm" -format '%[fx:standard_deviation>0.02]' info:)" = 1 ]
    }
    wait_for "${1:-90}" inst_finish_shown || fail "no finish page"
    settle || fail "the finish page does not settle"
}

# The files of the folder the installer's payload was made from, all of them, byte for byte.
inst_expect_payload() {
    local folder
    folder=$(unixpath "$1")
    [ -n "$(find "$inst_payload" -type f -print -quit 2>/dev/null)" ] || fail "no payload files in $inst_payload"
    diff -rq "$inst_payload" "$folder" | grep -v "^Only in $folder" &&
        fail "the files in $1 differ from the payload"
    return 0
}

# inst_reg KEY FILE: the key's values as UTF-8 lines ("name"="data", @="default", dword:...).
inst_reg() {
    local utf16=$e2e_work/export.reg
    rm -f "$utf16"
    wine reg export "$1" "$(winpath "$utf16")" /y </dev/null >/dev/null 2>&1 || { : >"$2"; return 0; }
    iconv -f UTF-16 -t UTF-8 "$utf16" | tr -d '\r' >"$2"
}

reg_has() { grep -qxF -- "$2" "$1"; }

reg_value() {
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

inst_hold() {
    rm -f "$e2e_work/held" "$e2e_work/release"
    mkdir -p "$(dirname "$(unixpath "$1")")"
    wine "$e2e_hold_file" "$1" "$(winpath "$e2e_work/held")" "$(winpath "$e2e_work/release")" </dev/null >/dev/null 2>&1 &
    inst_hold_pid=$!
    inst_held() { [ -e "$e2e_work/held" ]; }
    wait_for 20 inst_held || fail "the helper could not hold $1"
}

inst_release() {
    touch "$e2e_work/release"
    wait "$inst_hold_pid" 2>/dev/null
    inst_hold_pid=
}

inst_step_file() {
    grep -oP '^\s*\{1, \[\[\K[^]]*' "$inst_worker" | sed -n "${1}p"
}

# Wine processes show their Windows path first in their command line.
inst_running() {
    local pattern=${1//\\/\\\\}
    inst_app_pid=$(pgrep -f -- "^${pattern//./\\.}( |\$)" | head -1)
    [ -n "$inst_app_pid" ]
}

inst_check_layout() {
    local size w h
    size=$(sed -n 's/.*<Window [^>]*initSize="\([0-9]*\),\([0-9]*\)".*/\1 \2/p' "$inst_markup" | head -1)
    read -r w h <<<"$size"
    window_locate
    w=$(device "$w") h=$(device "$h")
    [ $((win_w - w)) -le 1 ] && [ $((w - win_w)) -le 1 ] && [ $((win_h - h)) -le 1 ] && [ $((h - win_h)) -le 1 ] ||
        fail "$1: the window is ${win_w}x${win_h} at $e2e_dpi DPI, not ${w}x${h}"
    wine "$e2e_inspect" "$inst_title" </dev/null >"$e2e_work/places" 2>/dev/null ||
        fail "$1: no accessibility tree"
    screen places "$e2e_work/places" "$win_x" "$win_y" "$win_w" "$win_h" >"$e2e_work/faults" ||
        fail "$1 at $e2e_dpi DPI: $(cat "$e2e_work/faults")"
}

# The window framed as it looks on a desktop: the skin's own drop shadow (the 9-grid image of
# shadow.xml around the window, as the shadow window draws it) and the corners the window's region
# cuts off made transparent. Xvfb has no compositor to blend the real shadow window, so it is
# composed here from the same image.
inst_frame() {
    local ppm=$1 png=$2 style=$e2e_build/style
    local image=$style/shadow.png grid
    grid=$(sed -n 's/.*scaleGrid="\([0-9,]*\)".*/\1/p' "$style/shadow.xml" | head -1)
    [ -f "$image" ] && [ -n "$grid" ] || fail "no shadow image in $style"
    local l t r b iw ih
    IFS=, read -r l t r b <<<"$grid"
    # at a display scale the shadow is the denser drawing, its grid scaled with it
    local suffix= half=2
    [ "$e2e_dpi" -gt 96 ] && suffix=@1.5x half=3
    [ "$e2e_dpi" -gt 144 ] && suffix=@2x half=4
    image=$style/shadow$suffix.png
    l=$(((l * half + 1) / 2)) t=$(((t * half + 1) / 2)) r=$(((r * half + 1) / 2)) b=$(((b * half + 1) / 2))
    read -r iw ih <<<"$(identify -format "%w %h" "$image")"
    local cw=$((iw - l - r)) ch=$((ih - t - b)) W=$((win_w + l + r)) H=$((win_h + t + b))
    local args=(-size "${W}x${H}" xc:none)
    # piece SRC_W SRC_H SRC_X SRC_Y DEST_W DEST_H DEST_X DEST_Y
    inst_piece() {
        args+=('(' "$image" -crop "${1}x${2}+${3}+${4}" +repage -scale "${5}x${6}!" ')'
               -geometry "+${7}+${8}" -composite)
    }
    inst_piece "$l" "$t" 0 0 "$l" "$t" 0 0
    inst_piece "$cw" "$t" "$l" 0 "$win_w" "$t" "$l" 0
    inst_piece "$r" "$t" $((iw - r)) 0 "$r" "$t" $((W - r)) 0
    inst_piece "$l" "$ch" 0 "$t" "$l" "$win_h" 0 "$t"
    inst_piece "$r" "$ch" $((iw - r)) "$t" "$r" "$win_h" $((W - r)) "$t"
    inst_piece "$l" "$b" 0 $((ih - b)) "$l" "$b" 0 $((H - b))
    inst_piece "$cw" "$b" "$l" $((ih - b)) "$win_w" "$b" "$l" $((H - b))
    inst_piece "$r" "$b" $((iw - r)) $((ih - b)) "$r" "$b" $((W - r)) $((H - b))
    # corners: pure black where the window's region leaves the (black) screen showing
    local cut=() cx cy
    for corner in "0 0" "$((win_w - 1)) 0" "0 $((win_h - 1))" "$((win_w - 1)) $((win_h - 1))"; do
        read -r cx cy <<<"$corner"
        if [ "$(convert "$ppm" -format "%[hex:p{$cx,$cy}]" info:)" = 000000 ]; then
            cut+=(-draw "color $cx,$cy floodfill")
        fi
    done
    args+=('(' "$ppm" -alpha set -fuzz 0 -fill none "${cut[@]}" ')' -geometry "+$l+$t" -compose over -composite)
    convert "${args[@]}" -depth 8 -strip "$png" || fail "cannot frame $ppm"
}

