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

. "$top/tests/e2e/installer.sh"
inst_begin "$build" --private shots-prefix
inst_setup=$installer
inst_clean
mkdir -p "$out"
work=$e2e_work

# to the folder page of a fresh installer, the agreement ticked
to_folder_page() {
    inst_start
    capture "$work/before.ppm"
    inst_click 1001
    wait_change "$work/before.ppm"
    pointer_away
    capture "$work/licence.ppm"
    inst_click 1004
    wait_change "$work/licence.ppm"
    pointer_away
    capture "$work/folder.ppm"
}

# Installs and keeps the first capture with the bar between a quarter and three quarters in
# progress.ppm; fails when the bar was seen beyond that first.
catch_progress() {
    inst_click 2004
    xdotool mousemove --sync 1 1
    local bar_rect
    bar_rect=$(inst_rect 3001)
    local seen=
    filled=none
    for _ in $(seq 600); do
        capture "$work/progress.ppm"
        filled=$(screen bar "$work/progress.ppm" $bar_rect)
        if [ "$filled" != none ]; then
            seen=1
            [ "$filled" -lt 25 ] || break
        elif [ -n "$seen" ]; then
            break   # a full bar or the finish page: it went past between two captures
        fi
    done
    [ "$filled" != none ] && [ "$filled" -ge 25 ] && [ "$filled" -le 75 ]
}

# finish page: the script hides the close button while it installs and shows it again with the
# finish page, so the button's place changing from the progress page is the sign
finished() {
    capture "$work/now.ppm" &&
        ! screen same "$work/progress.ppm" "$work/now.ppm" $(inst_rect 5000)
}

to_folder_page
# licence page with the agreement ticked (the install buttons enabled), folder page as custom
# install shows it
inst_frame "$work/licence.ppm" "$out/page-licence.png"
inst_frame "$work/folder.ppm" "$out/page-folder.png"

# A busy machine may let the bar pass the middle between two captures: then once more from the
# start, in a clean prefix.
for attempt in 1 2 3; do
    catch_progress && break
    echo "attempt $attempt: the progress page was not caught between 25% and 75% (seen: $filled)" >&2
    [ "$attempt" -lt 3 ] || fail "the progress page was not caught"
    kill "$inst_pid" 2>/dev/null || true
    wait "$inst_pid" 2>/dev/null || true
    inst_clean
    to_folder_page
done
caught=$filled
inst_frame "$work/progress.ppm" "$out/page-progress.png"

wait_for 120 finished || fail "the installation did not finish"
settle || fail "the finish page does not settle"
capture "$work/finish.ppm"
inst_frame "$work/finish.ppm" "$out/page-finish.png"

echo "written: $out/page-licence.png $out/page-folder.png $out/page-progress.png $out/page-finish.png (${caught}% for the progress page)"
