# The one library of the end-to-end tests: real programs under Wine on an X display, driven with
# real input (xdotool) and judged from outside (the screen, message boxes, files, the registry).
# Every end-to-end script sources it, or a layer built on it: tests/e2e/installer.sh (the real
# installer) and tests/e2e/window.sh (a scenario script in the development runner).
#
# Conventions
#   - A script takes one argument, the Windows build folder, and hands it to e2e_begin (or
#     inst_begin / scn_begin). The programs it may need are read from BUILD/e2e-programs.sh, which
#     the build writes: $e2e_setup (the installer), $e2e_runner (orvo-run.exe), $e2e_probe,
#     $e2e_inspect, $e2e_hold_file, $e2e_hold_mutex, $e2e_lzpack (native), $e2e_style (style.lz),
#     $e2e_payload (the folder the installer's payload was made from), $e2e_worker (the worker script
#     with its step list).
#   - Verbs fail the test themselves (with a screenshot); questions (box_shown, changed_from,
#     logged, ...) only return a status, for `wait_for` and `check`. Nothing sleeps for a fixed time
#     where it can poll instead.
#   - Paths given to Windows programs are Windows paths: `winpath` makes one from a Unix path
#     without a Wine process, `unixpath` goes back. Points are client pixels of the window found
#     last ($win_x, $win_y its origin on the screen) unless a name says "screen".
#   - Names: the jobs every test has are plain verbs and questions (fail, wait_for, shoot, ...);
#     the set-up of each layer and what only it knows carries its prefix: e2e_, inst_ (installer),
#     scn_ (scenario runner).
#   - Temporary files go to $e2e_work, removed at the end; whatever should be kept goes to
#     $e2e_build/artefacts/. The name of the script ($e2e_name) names what it leaves.
#
# Environment
#   e2e_begin BUILD [--private NAME]  work folder, Wine settings, display, prefix, wineserver; the
#                        caller's display and prefix when it has them (ctest under tools/test.sh),
#                        else its own. --private: always a display and the prefix BUILD/NAME of its
#                        own, started and ended here (for tests that must share nothing).
#   e2e_at_exit CMD...   runs CMD when the script ends, however it ends (last registered first)
#   e2e_on_fail CMD...   runs CMD before a failure exits (to print a log, say)
# Failing and waiting
#   fail MESSAGE...      "FAIL: MESSAGE", the screen kept as artefacts/failures/NAME.png, exit 1
#   check CMD... MESSAGE fails with MESSAGE unless CMD succeeds
#   wait_for SECONDS CMD...   polls CMD every 0.1 s; status 1 when it never succeeded
# Paths
#   winpath UNIX_PATH    Z:\... for Windows programs;   unixpath WINDOWS_PATH   the prefix's file
# Programs inside Wine
#   win_run EXE ARGS...        runs it to its end; the status of `wine` (8 bits)
#   win_exit_code EXE ARGS...  runs it to its end and prints its FULL exit code (1603, 3010, ...)
#   win_start [--code] EXE ARGS...   starts it in the background: $win_pid (ended with the script),
#                              its output in $win_out. --code: through the probe, which reads the
#                              full exit code ($win_pid is then the probe's process)
#   win_wait PID [SECONDS]     waits for a program win_start started; $win_rc its exit code
# Windows and the screen
#   window_find TITLE [SECONDS]   waits for a window titled exactly TITLE to show and paint;
#                        $e2e_window and its place $win_x $win_y $win_w $win_h
#   probe TITLE          the toolkit window from inside Wine: $probe_window, $probe_region,
#                        $probe_shadow, $probe_tooltip (see tests/e2e/Probe.cpp); probe_popup: the
#                        combo box's drop-down line; window_exists HANDLE
#   capture FILE         the window's rectangle as a binary PPM;  colour_now X Y  a pixel now
#   shoot [FILE]         the whole screen; what follows reads the last one, in client pixels:
#     colour_at X Y        RRGGBB of a pixel;  row X Y WIDTH  the colours along a row, one a line
#     run_of X Y W H RRGGBB   "OFFSET LENGTH" of the first run of that colour along a row (H 1) or
#                          a column (W 1), or "none";  pixels X Y W H RRGGBB  how many there are
#     box_of X Y W H RRGGBB   "LEFT TOP RIGHT BOTTOM" of the pixels of that colour, or "none"
#     ink X Y W H FUZZ [BACKGROUND]   the same box of what differs from the background (the
#                          corner's colour by default), or "none"
#     keep NAME            the window's part kept as artefact NAME.png
#   artefact FILE        the path BUILD/artefacts/$e2e_keep/FILE for something to keep after the run
#                        ($e2e_keep: the script's name unless set), its folder made
#   changed_from PPM     whether the window differs from PPM now
#   settle [SECONDS]     until two captures agree; wait_change PPM [SECONDS]  until it changed
#                        from PPM, then settled
#   pointer_to X Y       the pointer at a screen point; point X Y  at a client point;
#                        glide X0 Y0 X1 Y1  there in small steps; pointer_away  off the window
#   press KEYS...        the keys; the window must change and settle (a key that shows nothing fails)
#   screen ARGS...       tests/e2e/screen.py: rects, bar, same, watch, sample, cursor
# Message boxes
#   box_answer TITLE BUTTON [TEXT]   waits for the box, presses BUTTON (1 OK, 2 Cancel, 4 Retry,
#                        6 Yes, 7 No) and checks its text when TEXT is given; the text in $box_text
#   box_shown TITLE      whether such a box is on the screen;  no_box TITLE  fails if one shows
#                        within a second
#
# A new installer scenario: tests/host/e2e/NAME.sh, added to the `foreach(scenario ...)` list in
# tests/CMakeLists.txt (which names the test InstallerNameE2E and gives it the locks of the shared
# display and prefix; one with --private needs none):
#
#   set -u
#   . "$(dirname "$0")/../../e2e/installer.sh"
#   inst_begin "$1"                        # or "$1" --private NAME for a prefix of its own
#   inst_clean 'C:\Elsewhere'              # also cleaned when the script ends
#   inst_start /D='C:\Elsewhere'           # arguments go to the installer; waits for its window
#   inst_click 1001                        # controls by markup id
#   box_answer 提示 1 "$expected_text"
#   inst_wait_exit 60; check test "$inst_rc" -eq 1603 "exit code $inst_rc"
#   inst_expect_payload 'C:\Elsewhere\'    # every payload file, byte for byte
#   check test "$(reg_value 'HKCU\Software\OrvoNubelo' InstallPath)" = 'C:\Elsewhere\' "..."
#
# A silent run shows no window: inst_launch ARGS... starts it without waiting for one. The rest
# of the installer driver is listed at the top of tests/e2e/installer.sh.

e2e_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$e2e_top/tools/wine-env.sh"
export LANG=C.UTF-8

e2e_work=
e2e_build=
e2e_name=$(basename "$0" .sh)
e2e_own_wine=
e2e_exit_hooks=()
e2e_fail_hooks=()
e2e_pids=()
e2e_failing=

e2e_begin() {
    e2e_build=$(realpath -m -- "$1")
    shift
    local private=
    if [ "${1:-}" = --private ]; then
        private=$2
    fi
    [ -f "$e2e_build/e2e-programs.sh" ] || { echo "FAIL: no $e2e_build/e2e-programs.sh: build first" >&2; exit 1; }
    . "$e2e_build/e2e-programs.sh"
    e2e_work=$(mktemp -d "${TMPDIR:-/tmp}/orvo-e2e.XXXXXX")
    trap e2e_end EXIT
    if [ -n "$private" ]; then
        wine_env "$e2e_build"
        export WINEPREFIX=$e2e_build/$private
        # a display of a known size, so pictures do not depend on the caller's screen
        unset DISPLAY
    elif [ -z "${WINEPREFIX:-}" ]; then
        wine_env "$e2e_build"
    else
        wine_settings
    fi
    if [ -n "$private" ] || [ -z "${DISPLAY:-}" ]; then
        # run by hand without a display, or asked to share nothing: a display and a wineserver
        # that end with the script
        e2e_own_wine=1
        display_start || fail "no X display"
        wine_prefix_init || fail "no Wine prefix"
        wineserver_start
    fi
    return 0
}

e2e_at_exit() { e2e_exit_hooks+=("$*"); }
e2e_on_fail() { e2e_fail_hooks+=("$*"); }

e2e_end() {
    local i pid
    for ((i = ${#e2e_exit_hooks[@]} - 1; i >= 0; i--)); do
        eval "${e2e_exit_hooks[i]}" || true
    done
    for pid in "${e2e_pids[@]}"; do
        kill -0 "$pid" 2>/dev/null && kill "$pid" 2>/dev/null
    done
    [ -n "$e2e_own_wine" ] && wine_stop
    wait 2>/dev/null
    rm -rf "${e2e_work:-/nonexistent}"
}

fail() {
    echo "FAIL: $*" >&2
    # a hook that fails must not come back here
    [ -n "$e2e_failing" ] && exit 1
    e2e_failing=1
    local hook
    for hook in "${e2e_fail_hooks[@]}"; do
        eval "$hook" >&2 || true
    done
    if [ -n "${DISPLAY:-}" ] && [ -n "$e2e_build" ]; then
        local shot=$e2e_build/artefacts/failures/$e2e_name.png
        mkdir -p "${shot%/*}"
        import -window root "$shot" 2>/dev/null && echo "the screen at the failure: $shot" >&2
    fi
    exit 1
}

check() {
    local message=${*: -1}
    "${@:1:$#-1}" || fail "$message"
}

wait_for() {
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
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

# --- programs inside Wine ---

win_run() { wine "$@" </dev/null; }

win_exit_code() {
    local out
    out=$(wine "$e2e_probe" run "$@" </dev/null 2>/dev/null | tr -d '\r')
    printf '%s\n' "$out" | sed -n 's/^exit \([0-9]*\)$/\1/p' | tail -1
}

declare -A e2e_outputs
win_start() {
    win_out=$e2e_work/start-$((${#e2e_pids[@]} + 1)).out
    if [ "$1" = --code ]; then
        shift
        wine "$e2e_probe" run "$@" </dev/null >"$win_out" 2>&1 &
    else
        wine "$@" </dev/null >"$win_out" 2>&1 &
    fi
    win_pid=$!
    e2e_pids+=("$win_pid")
    e2e_outputs[$win_pid]=$win_out
}

win_wait() {
    local pid=$1 seconds=${2:-20} code
    e2e_ended() { ! kill -0 "$pid" 2>/dev/null; }
    wait_for "$seconds" e2e_ended || fail "the program did not end within $seconds s"
    win_rc=0
    wait "$pid" 2>/dev/null || win_rc=$?
    # the full code the probe read, when it ran the program
    code=$(tr -d '\r' <"${e2e_outputs[$pid]:-/dev/null}" | sed -n 's/^exit \([0-9]*\)$/\1/p' | tail -1)
    [ -z "$code" ] || win_rc=$code
    return 0
}

# --- windows, the screen and the pointer ---

window_find() {
    local title=$1 seconds=${2:-30}
    e2e_found() { e2e_window=$(xdotool search --name "^$title\$" 2>/dev/null | head -1) && [ -n "$e2e_window" ]; }
    wait_for "$seconds" e2e_found || fail "no window titled $title"
    wait_for 10 window_locate || fail "the window has no geometry"
    # painted: no longer the black of a window without content, and still
    e2e_painted() { capture "$e2e_work/first.ppm" && [ "$(convert "$e2e_work/first.ppm" -format '%[fx:maxima]' info:)" != 0 ]; }
    wait_for 10 e2e_painted || fail "the window stays black"
    settle || fail "the window does not settle"
}

# where the window is: win_x, win_y, win_w, win_h
window_locate() {
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$e2e_window" 2>/dev/null) || return 1
    eval "$(echo "$geometry" | sed -n 's/^X=/win_x=/p; s/^Y=/win_y=/p; s/^WIDTH=/win_w=/p; s/^HEIGHT=/win_h=/p')"
}

probe() {
    local out
    out=$(wine "$e2e_probe" window "$1" </dev/null 2>/dev/null | tr -d '\r')
    probe_window=$(printf '%s\n' "$out" | sed -n 's/^window //p')
    probe_region=$(printf '%s\n' "$out" | sed -n 's/^region //p')
    probe_shadow=$(printf '%s\n' "$out" | sed -n 's/^shadow //p')
    probe_tooltip=$(printf '%s\n' "$out" | sed -n 's/^tooltip //p')
}
probe_popup() { wine "$e2e_probe" popup </dev/null 2>/dev/null | tr -d '\r'; }
window_exists() { wine "$e2e_probe" exists "$1" </dev/null 2>/dev/null | grep -q "exists 1"; }

# Screenshots: shoot keeps the whole screen; the readers below look at the last one, at client
# points and rectangles of the window found last.
shoot() {
    e2e_shot=${1:-$e2e_work/shot.png}
    import -window root "$e2e_shot" 2>/dev/null || fail "no screenshot"
}
# The screen's colour at a client point now, without a screenshot.
colour_now() {
    import -window root -crop "1x1+$((win_x + $1))+$((win_y + $2))" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr a-f A-F
}
e2e_crop() { convert "$e2e_shot" -crop "$3x$4+$((win_x + $1))+$((win_y + $2))" +repage "${@:5}"; }
colour_at() { e2e_crop "$1" "$2" 1 1 -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tail -1; }
row() { e2e_crop "$1" "$2" "$3" 1 -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p'; }
run_of() {
    e2e_crop "$1" "$2" "$3" "$4" -depth 8 txt:- |
        awk -v want="#$5" -v across="$(( $3 > 1 ))" '
            NR == 1 { start = -1; length_ = 0; next }
            {
                split($1, at, /[,:]/); i = across ? at[1] : at[2]
                if (index(toupper($0), toupper(want))) { if (start < 0) start = i; if (!ended) length_++ }
                else if (start >= 0) ended = 1
            }
            END { if (start < 0) print "none"; else print start, length_ }'
}
box_of() {
    e2e_crop "$1" "$2" "$3" "$4" -depth 8 txt:- |
        awk -v c="#$5" -v ox="$1" -v oy="$2" -F'[,: ]+' '
            index($0, c) { x = $1 + ox; y = $2 + oy
                if (n++ == 0 || x < l) l = x; if (n == 1 || y < t) t = y
                if (n == 1 || x + 1 > r) r = x + 1; if (n == 1 || y + 1 > b) b = y + 1 }
            END { if (n) print l, t, r, b; else print "none" }'
}
ink() {
    local box background=()
    [ -z "${6:-}" ] || background=(-background "$6")
    box=$(e2e_crop "$1" "$2" "$3" "$4" -fuzz "$5" "${background[@]}" -format '%@' info: 2>/dev/null)
    # -format %@ gives WxH+X+Y; one column (a caret) or an all-background crop is no ink
    [[ $box =~ ^([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+)$ ]] || { echo none; return; }
    [ "${BASH_REMATCH[1]}" -gt 1 ] || { echo none; return; }
    echo "$(($1 + BASH_REMATCH[3])) $(($2 + BASH_REMATCH[4])) $(($1 + BASH_REMATCH[3] + BASH_REMATCH[1])) $(($2 + BASH_REMATCH[4] + BASH_REMATCH[2]))"
}
pixels() {
    e2e_crop "$1" "$2" "$3" "$4" -format %c histogram:info: |
        grep -i "$5" | sed 's/^ *\([0-9]*\):.*/\1/' | head -1 | grep . || echo 0
}
# The path of a file to keep after the run, its folder made.
artefact() {
    local out=$e2e_build/artefacts/${e2e_keep:-$e2e_name}/$1
    mkdir -p "${out%/*}"
    echo "$out"
}
keep() {
    local out
    out=$(artefact "$1.png")
    convert "$e2e_shot" -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage "$out" || fail "cannot keep $1"
}
capture() {
    import -window root -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage -depth 8 "ppm:$1" 2>/dev/null
}

changed_from() { capture "$e2e_work/now.ppm" && ! cmp -s "$1" "$e2e_work/now.ppm"; }

# Two captures a little apart that agree: nothing is being painted.
settle() {
    local seconds=${1:-10} previous=$e2e_work/settle-a.ppm current=$e2e_work/settle-b.ppm
    capture "$previous"
    for _ in $(seq $((seconds * 5))); do
        sleep 0.2
        capture "$current"
        cmp -s "$previous" "$current" && return 0
        mv "$current" "$previous"
    done
    return 1
}

wait_change() {
    wait_for "${2:-10}" changed_from "$1" || fail "the window did not change"
    settle || fail "the window does not settle"
}

# --sync waits for a motion, which never comes when the pointer is there already.
pointer_to() {
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    [ "$X $Y" = "$1 $2" ] || xdotool mousemove --sync "$1" "$2"
}
point() { xdotool mousemove --sync $((win_x + $1)) $((win_y + $2)); }
# A move in small steps, so the program sees the way between.
glide() {
    local x0=$1 y0=$2 x1=$3 y1=$4 i
    for i in 1 2 3 4 5; do
        xdotool mousemove --sync $((win_x + x0 + (x1 - x0) * i / 5)) $((win_y + y0 + (y1 - y0) * i / 5))
        sleep 0.05
    done
}
# The pointer off the window, and the window settled again (a hover state gone).
pointer_away() {
    pointer_to 1 1
    sleep 0.1
    settle || fail "the window does not settle"
}

e2e_presses=0
press() {
    e2e_presses=$((e2e_presses + 1))
    local before=$e2e_work/press$e2e_presses.ppm
    capture "$before"
    xdotool key --delay 80 "$@"
    wait_for 10 changed_from "$before" || fail "key $e2e_presses: $* changed nothing on the screen"
    settle || fail "key $e2e_presses: the window does not settle"
}

screen() { python3 "$e2e_top/tests/e2e/screen.py" "$@"; }

# --- message boxes ---

box_answer() {
    local title=$1 button=$2 text=$e2e_work/box.txt
    rm -f "$text"
    wine "$e2e_probe" answer "$title" "$button" "$(winpath "$text")" 20000 </dev/null >/dev/null 2>&1 ||
        fail "no \"$title\" box"
    box_text=$(cat "$text" 2>/dev/null)
    if [ $# -ge 3 ] && [ "$box_text" != "$3" ]; then
        fail "the \"$title\" box says \"$box_text\", expected \"$3\""
    fi
    return 0
}

box_shown() { wine "$e2e_probe" box "$1" </dev/null >/dev/null 2>&1; }

no_box() {
    if wine "$e2e_probe" box "$1" 1000 </dev/null >/dev/null 2>&1; then
        fail "an unexpected \"$1\" box"
    fi
}
