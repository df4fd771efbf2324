# The driver library of the installer's end-to-end scenarios: the real PeloraSetup.exe in the test
# prefix, real X input, real message boxes. It builds on tools/installer-drive.sh (window, controls
# by id through markup_point.py, captures, waits) and adds what the tests check.
# Arguments of a scenario: BUILD SETUP_EXE ANSWER_BOX HOLD_FILE
#
#   inst_begin                    display, prefix and wineserver (the caller's when it has them)
#   inst_clean [FOLDER...]        removes everything an installation leaves in the prefix (again
#                                 when the scenario ends, however it ends)
#   inst_start                    starts the installer and waits until its window has painted
#   inst_type ID TEXT             replaces the text of text box ID by typing TEXT
#   inst_box TITLE BUTTON [TEXT]  answers the message box TITLE with BUTTON; checks its text
#   inst_no_box TITLE             fails if a box TITLE shows up within a second
#   inst_store_path PATH          writes PATH as an earlier installation's folder (the machine-wide
#                                 "InstallLocation" and the user's "InstallPath")
#   inst_tick_agreement           ticks 1001; the page before and after in unticked.ppm, ticked.ppm
#   inst_inert ID                 clicks control ID and fails if the window changes
#   inst_id_changes ID PPM_A PPM_B   whether control ID looks different in two captures
#   inst_wait_finish              waits for the finish page (the progress bar gone)
#   inst_wait_exit                waits until the installer has ended
#   inst_expect_payload FOLDER    every payload file in FOLDER (a Windows path) with the same bytes
#   inst_reg KEY FILE             the key as a UTF-8 .reg text, for grep -xF
#   inst_hold PATH / inst_release   a helper process keeps PATH open without sharing / lets go
#   check COND MESSAGE            fails with MESSAGE unless COND (a command) succeeds

inst_build=$1 inst_setup=$2 inst_answer=$3 inst_holder=$4
inst_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
. "$inst_top/tools/installer-drive.sh"
inst_payload=$inst_build/payload
inst_hold_pid=
inst_app_pid=
inst_own_display=
inst_cleaned=
inst_folders=()

inst_end() {
    [ -n "${drive_work:-}" ] && touch "$drive_work/release"
    local pid
    for pid in ${drive_pid:-} $inst_hold_pid; do
        kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
    done
    # an application the installer launched for us is ours to stop
    [ -n "$inst_app_pid" ] && kill "$inst_app_pid" 2>/dev/null
    # nothing of this run, passed or failed, may reach the next test that starts the installer
    [ -n "$inst_cleaned" ] && inst_clean "${inst_folders[@]}"
    [ -n "$inst_own_display" ] && wine_stop
    wait 2>/dev/null
    rm -rf "${drive_work:-/nonexistent}"
}

inst_begin() {
    drive_build=$inst_build
    drive_work=$(mktemp -d /tmp/orvo-e2e.XXXXXX)
    drive_pid=
    trap inst_end EXIT
    [ -n "${WINEPREFIX:-}" ] || wine_env "$inst_build"
    export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${DISPLAY:-}" ]; then
        # run by hand without a display: a private one, and a wineserver that ends with it
        display_start || drive_fail "no X display"
        inst_own_display=1
        wine_prefix_init || drive_fail "no Wine prefix"
        wineserver_start
    fi
}

# The prefix's own mapping, without a Wine process for each path: Z: is the Unix root, a drive
# letter is its link under dosdevices.
winpath() {
    local path
    path=$(realpath -m -- "$1")
    echo "Z:${path//\//\\}"
}
unixpath() {
    local drive=${1:0:1} rest=${1:2}
    echo "$WINEPREFIX/dosdevices/${drive,,}:${rest//\\//}"
}

check() {
    local message=${*: -1}
    "${@:1:$#-1}" || drive_fail "FAIL: $message"
}

# Every trace of an installation: registry keys and values, the shortcut, the test folders, a
# running application. Folders are the Windows paths given.
inst_clean() {
    inst_cleaned=1 inst_folders=("$@")
    # one import that removes them all: a Wine process for each key costs seconds
    cat >"$drive_work/clean.reg" <<'EOF'
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
    wine regedit /s "$(winpath "$drive_work/clean.reg")" </dev/null >/dev/null 2>&1
    rm -f "$(unixpath 'C:\users\Public\Desktop')/OrvoPelora.lnk"
    rm -rf "$(unixpath "$drive_install_dir")"
    local folder
    for folder in "$@"; do
        rm -rf "$(unixpath "$folder")"
    done
    return 0
}

inst_start() {
    drive_launch "$inst_setup"
    drive_capture "$drive_work/start.ppm"
}

inst_type() {
    drive_click "$1"
    xdotool key ctrl+a BackSpace
    [ -z "$2" ] || xdotool type --delay 15 -- "$2"
}

# inst_box TITLE BUTTON [EXPECTED_TEXT]: BUTTON as a dialog id (1 OK, 2 Cancel, 4 Retry, 6 Yes, 7 No).
inst_box() {
    local text=$drive_work/box.txt
    rm -f "$text"
    wine "$inst_answer" "$1" "$2" "$(winpath "$text")" 20000 </dev/null >/dev/null 2>&1 ||
        drive_fail "FAIL: no \"$1\" box"
    if [ $# -ge 3 ]; then
        local seen
        seen=$(cat "$text" 2>/dev/null)
        [ "$seen" = "$3" ] || drive_fail "FAIL: the \"$1\" box says \"$seen\", expected \"$3\""
    fi
    return 0
}

inst_no_box() {
    if wine "$inst_answer" "$1" 2 "" 1000 </dev/null >/dev/null 2>&1; then
        drive_fail "FAIL: an unexpected \"$1\" box"
    fi
}

# crop ID PPM OUT: the rectangle of control ID out of a window capture
inst_crop() {
    local x y w h
    read -r x y w h <<<"$(drive_rect "$1")"
    convert "$2" -crop "${w}x${h}+${x}+${y}" +repage "ppm:$3"
}

inst_id_changes() {
    inst_crop "$1" "$2" "$drive_work/crop-a.ppm" && inst_crop "$1" "$3" "$drive_work/crop-b.ppm" &&
        ! cmp -s "$drive_work/crop-a.ppm" "$drive_work/crop-b.ppm"
}

# inst_store_path PATH: the "InstallPath" an earlier installation would have left. A Wine process
# has been seen, once in many runs, to end at once without a word just as the previous test's
# processes ended (cause not found); one more try keeps that out of what the scenarios check, and
# a real failure still fails with what Wine said.
inst_store_path() {
    local out key
    for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo /v InstallLocation' \
               'HKCU\Software\OrvoNubelo /v InstallPath'; do
        # shellcheck disable=SC2086
        out=$(wine reg add $key /d "$1" /f </dev/null 2>&1) ||
            out=$(WINEDEBUG=err+all wine reg add $key /d "$1" /f </dev/null 2>&1) ||
            drive_fail "cannot store the install folder $1: $out"
    done
}

# Ticks the agreement (1001) and waits for the window to show it; the pages before and after are
# kept as $drive_work/unticked.ppm and ticked.ppm, to see which controls the tick changed.
inst_tick_agreement() {
    drive_pointer_away
    drive_capture "$drive_work/unticked.ppm"
    drive_click 1001
    drive_wait_change "$drive_work/unticked.ppm"
    drive_pointer_away
    drive_capture "$drive_work/ticked.ppm"
}

# A click on a disabled or hidden control changes nothing on the window.
inst_inert() {
    drive_move $(drive_point "$1")
    drive_settle || drive_fail "the window does not settle"
    drive_capture "$drive_work/inert-a.ppm"
    xdotool click 1
    sleep 0.5
    drive_settle || drive_fail "the window does not settle"
    drive_capture "$drive_work/inert-b.ppm"
    cmp -s "$drive_work/inert-a.ppm" "$drive_work/inert-b.ppm" || drive_fail "FAIL: a click on $1 changed the window"
}

# A message box of the installer on the screen.
inst_box_shown() { xdotool search --onlyvisible --name '^(异常|错误|提示|退出安装程序)$' >/dev/null 2>&1; }

# The finish page: no progress bar, no box over the window, and a finish button drawn where the
# progress page has none.
inst_wait_finish() {
    finish_shown() {
        kill -0 "$drive_pid" 2>/dev/null || drive_fail "FAIL: the installer ended before its finish page"
        ! inst_box_shown && drive_capture "$drive_work/now.ppm" &&
            [ "$(drive_bar 3001 "$drive_work/now.ppm")" = none ] &&
            inst_crop 4003 "$drive_work/now.ppm" "$drive_work/button.ppm" &&
            [ "$(convert "$drive_work/button.ppm" -format '%[fx:standard_deviation>0.02]' info:)" = 1 ]
    }
    wait_until 90 finish_shown || drive_fail "FAIL: no finish page"
    drive_settle || drive_fail "the finish page does not settle"
}

inst_wait_exit() {
    ended() { ! kill -0 "$drive_pid" 2>/dev/null; }
    wait_until "${1:-20}" ended || drive_fail "FAIL: the installer did not end"
    wait "$drive_pid" 2>/dev/null
    drive_pid=
}

inst_expect_payload() {
    local folder
    folder=$(unixpath "$1")
    local count
    count=$(cd "$inst_payload" && find . -type f | wc -l)
    [ "$count" -eq 217 ] || drive_fail "the payload folder has $count files"
    diff -rq "$inst_payload" "$folder" | grep -v "^Only in $folder" &&
        drive_fail "FAIL: the files in $1 differ from the payload"
    return 0
}

# inst_reg KEY FILE: the key's values as UTF-8 lines ("name"="data", @="default", dword:...).
inst_reg() {
    local utf16=$drive_work/export.reg
    rm -f "$utf16"
    wine reg export "$1" "$(winpath "$utf16")" /y </dev/null >/dev/null 2>&1 || { : >"$2"; return 0; }
    iconv -f UTF-16 -t UTF-8 "$utf16" | tr -d '\r' >"$2"
}

# reg_has FILE LINE
reg_has() { grep -qxF -- "$2" "$1"; }

inst_hold() {
    rm -f "$drive_work/held" "$drive_work/release"
    mkdir -p "$(dirname "$(unixpath "$1")")"
    wine "$inst_holder" "$1" "$(winpath "$drive_work/held")" "$(winpath "$drive_work/release")" >/dev/null 2>&1 &
    inst_hold_pid=$!
    held() { [ -e "$drive_work/held" ]; }
    wait_until 20 held || drive_fail "the helper could not hold $1"
}

inst_release() {
    touch "$drive_work/release"
    wait "$inst_hold_pid" 2>/dev/null
    inst_hold_pid=
}

# The Nth file the worker extracts (its relative Windows path), from the built worker script.
inst_step_file() {
    grep -oP '^\s*\{1, \[\[\K[^]]*' "$inst_build/resources/LG.lua" | sed -n "${1}p"
}

# The process id of a program started from PATH (a Windows path) in the prefix: Wine processes show
# their Windows path first in their command line.
inst_running() {
    local pattern=${1//\\/\\\\}
    inst_app_pid=$(pgrep -f -- "^${pattern//./\\.}( |\$)" | head -1)
    [ -n "$inst_app_pid" ]
}
