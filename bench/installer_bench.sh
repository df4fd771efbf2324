#!/usr/bin/env bash
# The real installer over the benchmark's demo payload (about 100 MB), as a user runs it: licence
# page, agreement ticked, quick install, timed from the click on install to the finish page on the
# screen. Beside it, in the same run, `lzpack extract` of the very package the installer carries,
# native and under Wine. Every installed and extracted tree is compared with the payload.
# The checks' cost, in the same run: each round also installs with a copy built without any check
# (no self-check, a payload package without check values), and times the self-check alone in-process
# over the real installer (bench/SelfCheckBench.cpp): it runs before the window shows, so the click
# to finish page does not contain it.
#   bash bench/installer_bench.sh [ROUNDS]      (default 3; builds what it needs)
#
# The finish page is seen by one watcher process reading the close button's pixels from the X server
# every 10 ms (tests/e2e/screen.py watch): polling with a capture and a probe per look took most of
# a core away from the installer on a two-core machine and doubled the time measured.
#
# Peak memory of the installer is the VmHWM of its Wine process, read from /proc at the finish page:
# under Wine a Windows process is one Linux process (the pid `wine` was started as), and Wine answers
# GetProcessMemoryInfo's PeakWorkingSetSize from that same VmHWM (a probe calling it inside Wine
# printed exactly the VmHWM of its pid), so this is the number a probe inside Wine would print.
# It counts the whole process: the UI, the worker thread, decoders, Wine's own libraries and the
# pages of the executable's resources that were touched (the package is read from the image).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
rounds=${1:-3}
bash "$top/tools/build.sh" --target bench_installer bench_installer_unchecked selfcheck_bench lzpack >/dev/null
installer=$build/bench/installer/PeloraSetup.exe
# the same installer without its self-check, over the same payload packed without check values
unchecked=$build/bench/installer-unchecked/PeloraSetup.exe
selfcheck_bench=$build/bench/selfcheck_bench.exe
package=$build/bench/installer-resources/program.lz
payload=$build/bench/installer-resources/payload
native_lzpack=$build/native-tools/tools/lzpack/lzpack
windows_lzpack=$build/tools/lzpack/lzpack.exe
for f in "$installer" "$unchecked" "$selfcheck_bench" "$package" "$native_lzpack" "$windows_lzpack"; do
    [ -e "$f" ] || { echo "missing $f after the build" >&2; exit 1; }
done

. "$top/tests/e2e/installer.sh"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
inst_begin "$build" --private bench-prefix
# the installer's own process, not the probe's: its memory and CPU are what is measured (each
# round sets $inst_setup to the installer it runs)
inst_direct=1
work=$e2e_work
installed=$(unixpath "$inst_install_dir")
bytes=$(find "$payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
files=$(find "$payload" -type f | wc -l)
image=$(stat -c %s "$package")
ticks=$(getconf CLK_TCK)
now() { date +%s.%N; }

# One installation: seconds from the click to the finish page, peak working set (KiB), CPU seconds
# of the installer process (every thread) over the same span.
# install_round ROUND NAME EXE
install_round() {
    local round=$1 name=$2
    inst_setup=$3
    inst_clean
    inst_start
    capture "$work/before.ppm"
    inst_click 1001
    wait_change "$work/before.ppm"
    # The script hides the close button from the click on install and shows it again with the
    # finish page: a watcher reading that rectangle straight from the X server every 10 ms sees it
    # go (the progress page) and come back (the finish page), and says when.
    local point rx ry rw rh
    read -r rx ry rw rh <<<"$(inst_rect 5000)"
    point=$(inst_point 1003)
    xdotool mousemove --sync $point
    settle || fail "round $round: the licence page does not settle"
    rm -f "$work/ready"
    screen watch $((win_x + rx)) $((win_y + ry)) "$rw" "$rh" "$work/ready" 300 \
        >"$work/times" &
    local watcher=$!
    wait_for 10 test -e "$work/ready" || fail "round $round: the watcher did not start"
    local started ended progress cpu_before
    cpu_before=$(awk '{print $14 + $15}' "/proc/$inst_pid/stat")
    started=$(now)
    xdotool click 1
    wait "$watcher" || fail "round $round: the finish page did not come"
    read -r progress ended <"$work/times"
    # the Linux process that `wine` became is the installer itself
    local hwm cpu
    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$inst_pid/status")
    cpu=$(awk -v t="$ticks" -v b="$cpu_before" '{printf "%.1f", ($14 + $15 - b) / t}' "/proc/$inst_pid/stat")
    grep -q PeloraSetup "/proc/$inst_pid/cmdline" || fail "process $inst_pid is not the installer"
    kill "$inst_pid"
    wait_for 10 eval '! kill -0 "$inst_pid" 2>/dev/null' || kill -9 "$inst_pid" 2>/dev/null || true
    wait "$inst_pid" 2>/dev/null || true
    inst_pid=
    diff -r -q "$payload" "$installed" >/dev/null || fail "round $round: the installed files differ from the payload"
    echo "$(awk -v a="$started" -v b="$ended" 'BEGIN {printf "%.2f", b - a}') $hwm $cpu" \
         "$(awk -v a="$started" -v b="$progress" 'BEGIN {printf "%.2f", b - a}')" >"$work/$name-$round"
}

# lzpack extract of the package, timed by /usr/bin/time: seconds, peak RSS (KiB), CPU seconds.
extract_round() {
    local round=$1 out=$work/out
    rm -rf "$out"
    sync
    /usr/bin/time -f "%e %M %U %S" -o "$work/t" "$native_lzpack" extract "$package" "$out" >/dev/null
    awk '{printf "%s %s %.1f\n", $1, $2, $3 + $4}' "$work/t" >"$work/native-$round"
    diff -r -q "$payload" "$out" >/dev/null || fail "lzpack extract (native) differs from the payload"
    rm -rf "$out"
    sync
    /usr/bin/time -f "%e %M %U %S" -o "$work/t" wine "$windows_lzpack" extract "$(winpath "$package")" \
        "$(winpath "$out")" >/dev/null 2>&1
    awk '{printf "%s %s %.1f\n", $1, $2, $3 + $4}' "$work/t" >"$work/windows-$round"
    diff -r -q "$payload" "$out" >/dev/null || fail "lzpack extract (Wine) differs from the payload"
    rm -rf "$out"
}

# The self-check alone, in-process under Wine: the file and the five resources (CNG's SHA-256).
selfcheck_round() {
    wine "$selfcheck_bench" "$(winepath -w "$installer")" 5 </dev/null 2>/dev/null | tr -d '\r' >"$work/selfcheck-$1"
    [ -s "$work/selfcheck-$1" ] || fail "selfcheck_bench failed"
}

for round in $(seq "$rounds"); do
    echo "round $round of $rounds ..." >&2
    install_round "$round" installer "$installer"
    install_round "$round" unchecked "$unchecked"
    selfcheck_round "$round"
    extract_round "$round"
done

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
column() { for f in "$work/$1"-*; do cut -d' ' -f"$2" "$f"; done; }
row() {   # row LABEL PREFIX NOTE
    local seconds peak cpu
    seconds=$(column "$2" 1 | median)
    cpu=$(column "$2" 3 | median)
    peak=$(column "$2" 2 | sort -n | tail -1)
    printf '%-52s %8.2f %8.1f %8s %10s   %s\n' "$1" "$seconds" "$(awk -v b="$bytes" -v s="$seconds" 'BEGIN {print b / 1e6 / s}')" \
        "$cpu" "$((peak / 1024)) MiB" "$3"
}
echo "payload: $files files, $((bytes / 1000000)) MB; package $((image / 1000000)) MB; $(nproc) cores;" \
     "medians of $rounds rounds (peak: the highest); load average before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-52s %8s %8s %8s %10s\n' "" "seconds" "MB/s" "CPU s" "peak"
row "PeloraSetup.exe, click on install to finish page" installer "peak working set (VmHWM)"
row "  the same without any check (no self-check, no check values)" unchecked "peak working set (VmHWM)"
row "lzpack extract, native" native "peak RSS"
row "lzpack extract, Windows build (Wine)" windows "peak RSS, Wine start included"
checked_s=$(column installer 1 | median)
unchecked_s=$(column unchecked 1 | median)
check_ms=$(column selfcheck 1 | median)
check_bytes=$(cut -d' ' -f2 "$work/selfcheck-1")
echo "self-check at start-up (file and five resources, $((check_bytes / 1000000)) MB, in-process): ${check_ms} ms," \
     "$(awk -v b="$check_bytes" -v m="$check_ms" 'BEGIN {printf "%.0f", b / 1e3 / m}') MB/s;" \
     "$(awk -v m="$check_ms" -v s="$checked_s" 'BEGIN {printf "%.1f", m / 10 / s}') % of the install time"
echo "check values while extracting: $(awk -v a="$checked_s" -v b="$unchecked_s" 'BEGIN {printf "%+.2f s (%+.1f %%)", a - b, (a - b) * 100 / b}')" \
     "from click to finish page against the installer without checks"
echo "each round (installer): $(for f in "$work"/installer-*; do cut -d' ' -f1 "$f"; done | tr '\n' ' ')s;" \
     "progress page shown $(for f in "$work"/installer-*; do cut -d' ' -f4 "$f"; done | tr '\n' ' ')s after the click"
