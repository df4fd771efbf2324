# The one Wine set-up of the project: tools/run.sh, tools/test.sh, the build's wine-run (ctest's
# emulator) and the end-to-end library source it, then call the functions.
# A prefix of the project's own lives in the build folder, so nothing outside the tree is touched.

# The settings every Wine process of the project runs with, whatever its prefix.
wine_settings() {
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
}

wine_env() {
    export WINEPREFIX=$1/wineprefix
    wine_settings
}

# `wine reg add` with its arguments; a failure is reported with what Wine said, and returned.
wine_reg_add() {
    local out
    if ! out=$(wine reg add "$@" 2>&1); then
        echo "wine reg add $*: failed" >&2
        echo "$out" >&2
        return 1
    fi
}

# Creates the prefix once and applies the settings the tests rely on.
wine_prefix_init() {
    if [ ! -f "$WINEPREFIX/.orvo-ready" ]; then
        rm -rf "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        # Marked ready only once it exists, so a failed set-up is retried instead of kept.
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine_prefix_init: wineboot could not create $WINEPREFIX" >&2
            return 1
        fi
        # Without a window manager, destroying a visible window would cost 2 s each time.
        wine_reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
        # The skins name the usual Windows UI fonts; map them to the installed CJK font.
        for face in 'Microsoft YaHei' '微软雅黑' 'SimSun' '宋体' 'Segoe UI' 'Tahoma'; do
            wine_reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'WenQuanYi Micro Hei' /f || return 1
        done
        wineserver -w
        touch "$WINEPREFIX/.orvo-ready"
    fi
    # A crashing test would otherwise sit in Wine's crash dialog until ctest's time-out; without
    # the dialog it fails at once with its backtrace. Applied once, to older prefixes too.
    if [ ! -f "$WINEPREFIX/.orvo-no-crash-dialog" ]; then
        wine_reg_add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f || return 1
        wineserver -w
        touch "$WINEPREFIX/.orvo-no-crash-dialog"
    fi
}

# A display: the caller's when it has one, else a private Xvfb for this run.
display_start() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    # The server picks a free display number itself and writes it once it takes connections:
    # tests that start their own displays at the same moment never end up sharing one (where the
    # first to finish would take the other's screen away).
    local number
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
    ORVO_XVFB_PID=$!
    for _ in $(seq 100); do
        if [ -s "$number" ]; then
            export DISPLAY=":$(tr -d '[:space:]' <"$number")"
            rm -f "$number"
            return
        fi
        kill -0 "$ORVO_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill "$ORVO_XVFB_PID" 2>/dev/null
    rm -f "$number"
    echo "no X display could be started" >&2
    return 1
}

# A persistent wineserver makes each Wine process start in a fraction of a second.
# The first Wine process also starts Wine's own background services, which inherit its output
# handles; starting them here with nothing attached keeps ctest from waiting on their pipes.
wineserver_start() {
    wineserver -p >/dev/null 2>&1 &
    sleep 0.2
    wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${ORVO_XVFB_PID:-}" ]; then
        kill "$ORVO_XVFB_PID" 2>/dev/null || true
    fi
}
