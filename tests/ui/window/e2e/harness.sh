# Sourced by the window end-to-end scripts: runs a scenario's UI.lua in orvo-run.exe and drives it
# with real X input. The scenario script logs what its controls receive to log.txt; the driver
# hands it Lua commands (cmdN.lua, run in order by a timer of the script) and waits by polling.
# Arguments of the driver: WINE_RUN RUNNER LZPACK STYLE_PACKAGE PROBE ANSWER_BOX

wine_run=$1 runner=$2 lzpack=$3 style_package=$4 probe=$5 answer=$6
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
runner_pid=
trap 'e2e_stop' EXIT
export LANG=C.UTF-8
log=$work/app/log.txt
commands=0

winpath() { winepath -w "$1" 2>/dev/null; }

fail() {
    echo "FAIL: $*"
    echo "--- log ---"
    cat "$log" 2>/dev/null
    cp "$work/runner.out" /tmp/e2e-runner.out 2>/dev/null
    import -window root "$work/failure.png" 2>/dev/null && cp "$work/failure.png" "${TMPDIR:-/tmp}/$(basename "$0" .sh)-failure.png"
    exit 1
}

e2e_stop() {
    if [ -n "$runner_pid" ] && kill -0 "$runner_pid" 2>/dev/null; then
        kill "$runner_pid" 2>/dev/null
        wait "$runner_pid" 2>/dev/null
    fi
    rm -rf "$work"
}

# e2e_start SCENARIO.lua MARKUP_FOLDER [STYLE_FOLDER]: packs the markup, writes UI.lua (harness +
# scenario) and starts the runner. Files of STYLE_FOLDER replace or join the shipped styles.
e2e_start() {
    local scenario=$1 markup=$2 styles=${3:-}
    mkdir -p "$work/app" "$work/frame"
    # the scenario's markup beside the shipped shadow markup
    cp "$here/../../../../assets/frame/proxywindow.xml" "$markup"/* "$work/frame/"
    "$lzpack" create "$work/app/frame.lz" "$work/frame" >/dev/null || fail "cannot pack $markup"
    if [ -n "$styles" ]; then
        rm -rf "$work/style"
        "$lzpack" extract "$style_package" "$work/style" >/dev/null || fail "cannot unpack the styles"
        cp "$styles"/* "$work/style/"
        "$lzpack" create "$work/app/style.lz" "$work/style" >/dev/null || fail "cannot pack the styles"
    else
        cp "$style_package" "$work/app/style.lz"
    fi
    local dir_win
    dir_win=$(winpath "$work/app")
    { printf 'HARNESS_DIR = [[%s\\]]\n' "$dir_win"; cat "$here/harness.lua" "$scenario"; } >"$work/app/UI.lua"
    # the pointer starts away from where windows appear, so no hover state is left over
    xdotool mousemove --sync 5 5
    "$wine_run" "$runner" "$dir_win" >"$work/runner.out" 2>&1 &
    runner_pid=$!
}

# wait_for SECONDS CONDITION...: polls every 0.1 s until the command succeeds.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

logged() { grep -qxF -- "$1" "$log" 2>/dev/null; }
# expect_log LINE [SECONDS]
expect_log() { wait_for "${2:-10}" logged "$1" || fail "no log line \"$1\""; }
# The log lines after the mark that match PATTERN, one per line.
mark() { mark_at=$(wc -l <"$log" 2>/dev/null || echo 0); }
since_mark() { tail -n +"$((mark_at + 1))" "$log" | grep -E -- "$1" || true; }

# run_lua CODE: the scenario runs it from its command timer; waits until it has returned.
run_lua() {
    commands=$((commands + 1))
    printf '%s\n' "$1" >"$work/app/cmd.tmp"
    mv "$work/app/cmd.tmp" "$work/app/cmd$commands.lua"
    expect_log "ran $commands"
}
# start_lua CODE: as run_lua, but returns once it has started (it may block in a message box).
start_lua() {
    commands=$((commands + 1))
    printf '%s\n' "$1" >"$work/app/cmd.tmp"
    mv "$work/app/cmd.tmp" "$work/app/cmd$commands.lua"
    expect_log "run $commands"
}

# probe TITLE: sets probe_window, probe_region, probe_shadow, probe_tooltip from window_probe.
probe() {
    local out
    out=$("$wine_run" "$probe" "$1" 2>/dev/null | tr -d '\r')
    probe_window=$(printf '%s\n' "$out" | sed -n 's/^window //p')
    probe_region=$(printf '%s\n' "$out" | sed -n 's/^region //p')
    probe_shadow=$(printf '%s\n' "$out" | sed -n 's/^shadow //p')
    probe_tooltip=$(printf '%s\n' "$out" | sed -n 's/^tooltip //p')
}
tooltip_is() { probe "$1"; [ "$probe_tooltip" = "$2" ]; }

# The pointer at a point of the window's client area (origin in win_x, win_y).
point() { xdotool mousemove --sync $((win_x + $1)) $((win_y + $2)); }
# A move in small steps, so the program sees the way between.
glide() {
    local x0=$1 y0=$2 x1=$3 y1=$4 i
    for i in 1 2 3 4 5; do
        xdotool mousemove --sync $((win_x + x0 + (x1 - x0) * i / 5)) $((win_y + y0 + (y1 - y0) * i / 5))
        sleep 0.05
    done
}

# Screenshots: shoot FILE takes the screen; colour_at FILE X Y prints the pixel at a client point
# as RRGGBB; run_of FILE X Y WIDTH HEIGHT RRGGBB scans a client row (HEIGHT 1) or column (WIDTH 1)
# and prints "OFFSET LENGTH" of the first run of that colour along it, or "none".
shoot() { import -window root "$1" 2>/dev/null || fail "no screenshot"; }
colour_at() {
    convert "$1" -crop 1x1+$((win_x + $2))+$((win_y + $3)) +repage -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p'
}
run_of() {
    convert "$1" -crop "$4x$5+$((win_x + $2))+$((win_y + $3))" +repage -depth 8 txt:- |
        awk -v want="#$6" -v across="$(( $4 > 1 ))" '
            NR == 1 { start = -1; length_ = 0; next }
            {
                split($1, at, /[,:]/); i = across ? at[1] : at[2]
                if (index(toupper($0), toupper(want))) { if (start < 0) start = i; if (!ended) length_++ }
                else if (start >= 0) ended = 1
            }
            END { if (start < 0) print "none"; else print start, length_ }'
}

# The runner's exit, waited for up to SECONDS.
runner_exited() { ! kill -0 "$runner_pid" 2>/dev/null; }
