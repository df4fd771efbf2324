#!/usr/bin/env bash
# Takes a picture of each page of the real installer for the README:
#   tools/screenshots.sh [OUT_DIR]      (default docs/)
# writes page-licence.png, page-folder.png, page-progress.png and page-finish.png. It builds the
# installer over the benchmark's payload (large enough that the progress page stays up for a few
# seconds), runs it in a private Xvfb with a Wine prefix of its own, goes licence → custom install →
# folder page → install with real X input, and keeps each page framed with the window's shadow.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m -- "${1:-$top/docs}")
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
bash "$top/tools/build.sh" --target bench_installer >/dev/null
installer=$build/bench/installer/PeloraSetup.exe

. "$top/tools/installer-drive.sh"
trap drive_stop EXIT
drive_start "$build" shots-prefix
drive_reset
mkdir -p "$out"
work=$drive_work

drive_launch "$installer"

# licence page, the agreement ticked (the install buttons enabled)
drive_capture "$work/before.ppm"
drive_click 1001
drive_wait_change "$work/before.ppm"
drive_pointer_away
drive_capture "$work/licence.ppm"
drive_frame "$work/licence.ppm" "$out/page-licence.png"

# folder page, as custom install shows it
drive_click 1004
drive_wait_change "$work/licence.ppm"
drive_pointer_away
drive_capture "$work/folder.ppm"
drive_frame "$work/folder.ppm" "$out/page-folder.png"

# progress page: the first capture with the bar between a quarter and three quarters
drive_click 2004
xdotool mousemove --sync 1 1
caught= seen= filled=none
for _ in $(seq 600); do
    drive_capture "$work/progress.ppm"
    filled=$(drive_bar 3001 "$work/progress.ppm")
    if [ "$filled" != none ]; then
        seen=1
        if [ "$filled" -ge 25 ] && [ "$filled" -le 75 ]; then
            caught=$filled
            break
        fi
        [ "$filled" -lt 25 ] || break
    elif [ -n "$seen" ]; then
        break   # the bar is gone: the installation ended between two captures
    fi
done
[ -n "$caught" ] || drive_fail "the progress page was not caught between 25% and 75% (last: $filled)"
drive_frame "$work/progress.ppm" "$out/page-progress.png"

# finish page: the bar gone and the window still
finished() { drive_capture "$work/now.ppm" && [ "$(drive_bar 3001 "$work/now.ppm")" = none ]; }
wait_until 120 finished || drive_fail "the installation did not finish"
drive_settle || drive_fail "the finish page does not settle"
drive_capture "$work/finish.ppm"
drive_frame "$work/finish.ppm" "$out/page-finish.png"

echo "written: $out/page-licence.png $out/page-folder.png $out/page-progress.png $out/page-finish.png (${caught}% for the progress page)"
