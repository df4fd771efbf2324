#!/usr/bin/env bash
# Builds the installer and runs it under Wine. Without a display it runs in a private Xvfb and
# saves what the screen shows to build/win/screenshot.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/build.sh" --target PeloraSetup
# Absolute: Wine refuses a relative prefix.
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
. "$top/tools/wine-env.sh"
wine_env "$build"
had_display=${DISPLAY:-}
display_start
trap wine_stop EXIT
wine_prefix_init
wineserver_start

wine "$build/host/PeloraSetup.exe" &
setup=$!
if [ -z "$had_display" ]; then
    # the installer's window, once it is there and has painted
    for _ in $(seq 200); do
        LANG=C.UTF-8 xdotool search --name 'Pelora安装程序' >/dev/null 2>&1 && break
        kill -0 "$setup" 2>/dev/null || break
        sleep 0.1
    done
    sleep "${ORVO_SCREENSHOT_DELAY:-1}"
    import -window root "$build/screenshot.png" && echo "screenshot: $build/screenshot.png"
    # nobody can answer the dialog on a private display: the run ends here
    kill "$setup" 2>/dev/null || true
fi
rc=0
wait "$setup" || rc=$?
echo "PeloraSetup.exe exited with $rc"
