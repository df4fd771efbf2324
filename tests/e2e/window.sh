# The scenario runner, on tests/e2e/e2e.sh: runs a scenario's UI.lua in orvo-run.exe and drives it
# with real X input. The scenario script logs what its controls receive to log.txt (tests/e2e/
# window.lua gives it `log`, `watch`, `serveCommands` and `waitForFinish`); the driver hands it Lua
# commands (cmdN.lua, run in order by a timer of the script) and waits by polling.
#
#   scn_begin BUILD               e2e_begin; the log is $log
#   $scn_style                    the style package a scenario starts with (the shipped one)
#   scn_start SCENARIO.lua MARKUP_FOLDER [STYLE_FOLDER]   packs the markup (beside the shipped
#                                 shadow markup), writes UI.lua (window.lua + the scenario) and
#                                 starts the runner ($scn_pid). Files of STYLE_FOLDER replace or
#                                 join those of $scn_style.
#   logged LINE / expect_log LINE [SECONDS]   whether the log holds LINE / waits for it
#   mark / since_mark PATTERN     the log lines after the mark that match PATTERN
#   run_lua CODE                  the scenario runs it from its command timer; waits until it returned
#   start_lua CODE                as run_lua, but returns once it started (it may block in a box)
#   last_text [N] / expect_text TEXT [N]   what the scenario's dump(N) logged last as "text [N] ..."
#                                 (CR, LF and tab written as \r, \n and \t) / dumps and checks it
#   keys KEYS...                  xdotool keys, and a moment for the window to take them
#   tooltip_is TITLE VISIBLE      whether the window's tooltip is (1) or is not (0) shown
#   scn_exited                    whether the runner has ended
#   scn_finish                    lets the scenario's waitForFinish return

. "$(dirname "${BASH_SOURCE[0]}")/e2e.sh"

scn_pid=
scn_commands=0

scn_begin() {
    e2e_begin "$@"
    log=$e2e_work/app/log.txt
    scn_style=$e2e_style
    mkdir -p "$e2e_work/app"
    e2e_on_fail scn_report
    e2e_at_exit scn_stop
}

scn_report() {
    echo "--- log ---"
    cat "$log" 2>/dev/null
    echo "--- runner ---"
    cat "$e2e_work/runner.out" 2>/dev/null
}

scn_stop() {
    if [ -n "$scn_pid" ] && kill -0 "$scn_pid" 2>/dev/null; then
        kill "$scn_pid" 2>/dev/null
        wait "$scn_pid" 2>/dev/null
    fi
    return 0
}

scn_start() {
    local scenario=$1 markup=$2 styles=${3:-} work=$e2e_work
    mkdir -p "$work/frame"
    cp "$e2e_top/assets/frame/proxywindow.xml" "$markup"/* "$work/frame/"
    "$e2e_lzpack" create "$work/app/frame.lz" "$work/frame" >/dev/null || fail "cannot pack $markup"
    if [ -n "$styles" ]; then
        rm -rf "$work/style"
        "$e2e_lzpack" extract "$scn_style" "$work/style" >/dev/null || fail "cannot unpack the styles"
        cp "$styles"/* "$work/style/"
        "$e2e_lzpack" create "$work/app/style.lz" "$work/style" >/dev/null || fail "cannot pack the styles"
    else
        cp "$scn_style" "$work/app/style.lz"
    fi
    { printf 'HARNESS_DIR = [[%s\\]]\n' "$(winpath "$work/app")"; cat "$e2e_top/tests/e2e/window.lua" "$scenario"; } >"$work/app/UI.lua"
    # the pointer starts away from where windows appear, so no hover state is left over
    xdotool mousemove --sync 5 5
    wine "$e2e_runner" "$(winpath "$work/app")" </dev/null >"$work/runner.out" 2>&1 &
    scn_pid=$!
}

logged() { grep -qxF -- "$1" "$log" 2>/dev/null; }
expect_log() { wait_for "${2:-10}" logged "$1" || fail "no log line \"$1\""; }
mark() { mark_at=$(wc -l <"$log" 2>/dev/null || echo 0); }
since_mark() { tail -n +"$((mark_at + 1))" "$log" | grep -E -- "$1" || true; }

scn_command() {
    scn_commands=$((scn_commands + 1))
    printf '%s\n' "$1" >"$e2e_work/app/cmd.tmp"
    mv "$e2e_work/app/cmd.tmp" "$e2e_work/app/cmd$scn_commands.lua"
}
run_lua() { scn_command "$1"; expect_log "ran $scn_commands"; }
start_lua() { scn_command "$1"; expect_log "run $scn_commands"; }

last_text() {
    local prefix="text ${1:+$1 }"
    grep "^$prefix" "$log" | tail -1 | cut -c$((${#prefix} + 1))-
}
expect_text() {
    run_lua "dump(${2:-})"
    [ "$(last_text ${2:-})" = "$1" ] || fail "${2:+text $2: }expected \"$1\", got \"$(last_text ${2:-})\""
}
keys() { xdotool key --delay 60 "$@"; sleep 0.2; }

tooltip_is() { probe "$1"; [ "$probe_tooltip" = "$2" ]; }
scn_exited() { ! kill -0 "$scn_pid" 2>/dev/null; }
scn_finish() { touch "$e2e_work/app/finish"; }
