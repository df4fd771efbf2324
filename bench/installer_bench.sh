#!/usr/bin/env bash
# The real installer against its peers, on two payloads in one run: the generated demo product
# (about 100 MB) and a payload of real files assembled from this machine (bench/real_payload.py:
# Wine's Windows DLLs and programs, documentation, a CJK font, icons; about 100 MB).
# For each payload:
#   - PeloraSetup.exe as a user runs it: licence page, agreement ticked, quick install, timed from
#     the click on install to the finish page on the screen;
#   - an NSIS installer of the same files (Debian's makensis, `SetCompressor /SOLID lzma`), silent
#     install (`/S /D=...`), timed from its start to its end;
#   - `lzpack extract` of the very package the installer carries, native and under Wine;
#   - each installer's file size, and the installer's stub (the file without its named resources);
#   - the time from process start to the installer's window on the screen, beside the same for an
#     empty program built the same way (bench/EmptyWindow.cpp).
# Every installed and extracted tree is compared with the payload. On the demo product, the checks'
# cost too: each round also installs with a copy built without any check (no self-check, a payload
# package without check values), and times the self-check alone in-process (bench/SelfCheckBench.cpp).
#   bash bench/installer_bench.sh [ROUNDS]      (default 3; builds what it needs)
#
# The finish page is seen by one watcher process reading the close button's pixels from the X server
# every 10 ms (tests/e2e/screen.py watch): polling with a capture and a probe per look took most of
# a core away from the installer on a two-core machine and doubled the time measured.
#
# The window's start is timed two ways. From outside: from the moment `wine` is started to the
# moment the window's first pixels are on the X server (screen.py appear, reading the middle of the
# screen every 2 ms). From inside: the start-up timeline (ORVO_STARTUP_TRACE=1, read through
# WINEDEBUG=warn+seh) gives the first paint in milliseconds since the process was created, which
# leaves out Wine's own start before the process exists.
#
# Peak memory of the installer is the VmHWM of its Wine process, read from /proc at the finish page:
# under Wine a Windows process is one Linux process (the pid `wine` was started as), and Wine answers
# GetProcessMemoryInfo's PeakWorkingSetSize from that same VmHWM (a probe calling it inside Wine
# printed exactly the VmHWM of its pid), so this is the number a probe inside Wine would print.
# It counts the whole process: the UI, the worker thread, decoders, Wine's own libraries and the
# pages of the executable's resources that were touched (the package is read from the image).
set -Eeuo pipefail
# a command that fails without a message of its own still says where the run stopped
trap 'echo "installer_bench.sh: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
rounds=${1:-3}
# The real files first: the installer over them is made from that folder by the same CMake
# function as any publisher's, which finds the files when the build is configured. Assembled once.
real_payload=$build/bench/real-payload
if [ ! -s "$build/bench/real-payload.list" ]; then
    mkdir -p "$build/bench"
    python3 "$top/bench/real_payload.py" "$real_payload" >&2
    (cd "$real_payload" && find . -type f | sort) >"$build/bench/real-payload.list"
fi
bash "$top/tools/build.sh" --target bench_installer bench_installer_unchecked bench_installer_real selfcheck_bench \
    lzpack empty_window >/dev/null
# the same installer without its self-check, over the same payload packed without check values
unchecked=$build/bench/installer-unchecked/PeloraSetup.exe
selfcheck_bench=$build/bench/selfcheck_bench.exe
empty=$build/bench/empty_window.exe
native_lzpack=$build/native-tools/tools/lzpack/lzpack
windows_lzpack=$build/tools/lzpack/lzpack.exe
# The payloads by name: the installer, and its resources folder (the package, and the folder it was
# made from with the uninstaller added)
names=(generated real)
declare -A setup_of resources_of nsis_of
setup_of[generated]=$build/bench/installer/PeloraSetup.exe
resources_of[generated]=$build/bench/installer-resources
setup_of[real]=$build/bench/installer-real/PeloraSetup.exe
resources_of[real]=$build/bench/real-resources
for f in "${setup_of[@]}" "$unchecked" "$selfcheck_bench" "$empty" "$native_lzpack" "$windows_lzpack"; do
    [ -e "$f" ] || { echo "missing $f after the build" >&2; exit 1; }
done

# The NSIS peer of each payload: the same folder the installer's package was made from, LZMA solid,
# a 64-bit installer as ours is (this Wine runs no 32-bit program), which writes its own uninstaller
# as ours does (NSIS's from its stub, ours from its stub too). Made again when that folder or its
# script changed.
command -v makensis >/dev/null || { echo "makensis is missing: apt-get install nsis" >&2; exit 1; }
for name in "${names[@]}"; do
    folder=$build/bench/nsis-$name
    nsis_of[$name]=$folder/nsis-peer.exe
    mkdir -p "$folder"
    {
        echo 'Target amd64-unicode'
        echo 'SetCompressor /SOLID lzma'
        echo 'RequestExecutionLevel admin'
        echo 'Name "NSIS peer"'
        echo "OutFile \"${nsis_of[$name]}\""
        echo 'InstallDir "$PROGRAMFILES64\NsisPeer"'
        echo 'Section'
        echo '  SetOutPath "$INSTDIR"'
        echo "  File /r /x unins000.exe \"${resources_of[$name]}/payload/*\""
        echo '  WriteUninstaller "$INSTDIR\unins000.exe"'
        echo 'SectionEnd'
        echo 'Section "Uninstall"'
        echo '  RMDir /r "$INSTDIR"'
        echo 'SectionEnd'
    } >"$folder/peer.nsi.new"
    if [ ! -e "${nsis_of[$name]}" ] || [ -n "$(find "${resources_of[$name]}/payload" -newer "${nsis_of[$name]}" -print -quit)" ] ||
       ! cmp -s "$folder/peer.nsi.new" "$folder/peer.nsi"; then
        mv "$folder/peer.nsi.new" "$folder/peer.nsi"
        echo "making the NSIS installer of the $name payload ..." >&2
        makensis -V1 "$folder/peer.nsi" >&2
    fi
    rm -f "$folder/peer.nsi.new"
done

. "$top/tests/e2e/installer.sh"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
inst_begin "$build" --private bench-prefix
# the installer's own process, not the probe's: its memory and CPU are what is measured (each
# round sets $inst_setup to the installer it runs)
inst_direct=1
work=$e2e_work
installed=$(unixpath "$inst_install_dir")
nsis_dir='C:\NsisPeer'
nsis_installed=$(unixpath "$nsis_dir")
ticks=$(getconf CLK_TCK)
now() { date +%s.%N; }
read -r screen_w screen_h <<<"$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')"

# What an install left is moved aside, not deleted, until the end: the file system would otherwise
# pass over the thousands of inodes just freed (ext4 keeps a freed inode unused for a while and
# checks each one it meets) while the next install creates its files, a cost no user's first
# install meets, and which falls hardest on whoever creates files fastest.
set_aside_dir=$build/bench/set-aside
rm -rf "$set_aside_dir"
mkdir -p "$set_aside_dir"
set_aside() {
    local folder
    for folder in "$@"; do
        [ -e "$folder" ] && mv "$folder" "$(mktemp -d "$set_aside_dir/XXXXXX")/"
    done
    return 0
}

# One installation: seconds from the click to the finish page, peak working set (KiB), CPU seconds
# of the installer process (every thread) over the same span.
# install_round ROUND NAME EXE PAYLOAD
install_round() {
    local round=$1 name=$2 payload=$4
    inst_setup=$3
    set_aside "$installed"
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
    # the journal the installer writes beside its uninstaller is its own, not the payload's
    diff -r -q -x unins000.dat "$payload" "$installed" >/dev/null || fail "round $round: the installed files differ from the payload"
    echo "$(awk -v a="$started" -v b="$ended" 'BEGIN {printf "%.2f", b - a}') $hwm $cpu" \
         "$(awk -v a="$started" -v b="$progress" 'BEGIN {printf "%.2f", b - a}')" >"$work/$name-$round"
}

# The NSIS peer's silent install, whole, timed by /usr/bin/time: seconds, peak RSS (KiB), CPU seconds.
# nsis_round ROUND NAME EXE PAYLOAD
nsis_round() {
    local round=$1 name=$2 exe=$3 payload=$4
    set_aside "$nsis_installed"
    sync
    /usr/bin/time -f "%e %M %U %S" -o "$work/t" wine "$exe" /S "/D=$nsis_dir" </dev/null >/dev/null 2>&1 ||
        fail "round $round: the NSIS installer failed"
    awk '{printf "%s %s %.1f\n", $1, $2, $3 + $4}' "$work/t" >"$work/$name-$round"
    # the same files, each with an uninstaller of its own
    diff -r -q -x unins000.exe "$payload" "$nsis_installed" >/dev/null ||
        fail "round $round: NSIS installed other files than the payload"
    [ -s "$nsis_installed/unins000.exe" ] || fail "round $round: NSIS wrote no uninstaller"
    set_aside "$nsis_installed"
}

# lzpack extract of the package, timed by /usr/bin/time: seconds, peak RSS (KiB), CPU seconds.
# extract_round ROUND NAME PACKAGE PAYLOAD
extract_round() {
    local round=$1 name=$2 package=$3 payload=$4 out=$work/out
    set_aside "$out"
    sync
    /usr/bin/time -f "%e %M %U %S" -o "$work/t" "$native_lzpack" extract "$package" "$out" >/dev/null
    awk '{printf "%s %s %.1f\n", $1, $2, $3 + $4}' "$work/t" >"$work/$name-native-$round"
    # the package holds the payload; the installer writes the uninstaller beside it
    diff -r -q -x unins000.exe "$payload" "$out" >/dev/null || fail "lzpack extract (native) differs from the payload"
    set_aside "$out"
    sync
    /usr/bin/time -f "%e %M %U %S" -o "$work/t" wine "$windows_lzpack" extract "$(winpath "$package")" \
        "$(winpath "$out")" >/dev/null 2>&1
    awk '{printf "%s %s %.1f\n", $1, $2, $3 + $4}' "$work/t" >"$work/$name-windows-$round"
    diff -r -q -x unins000.exe "$payload" "$out" >/dev/null || fail "lzpack extract (Wine) differs from the payload"
    set_aside "$out"
}

# From process start to the window: milliseconds from starting `wine` to the first pixels in the
# middle of the screen, and the first paint the program's own timeline gives (ms since its process
# was created). Both programs put a 600x400 window in the middle of the screen.
# startup_round ROUND NAME EXE
startup_round() {
    local round=$1 name=$2 exe=$3 out=$work/startup.out
    rm -f "$work/ready" "$out"
    screen appear $((screen_w / 2 - 100)) $((screen_h / 2 - 50)) 200 100 "$work/ready" 30 >"$work/appeared" &
    local watcher=$! started pid
    wait_for 10 test -e "$work/ready" || fail "round $round: the watcher did not start"
    started=$(now)
    ORVO_STARTUP_TRACE=1 WINEDEBUG=warn+seh wine "$exe" </dev/null >"$out" 2>&1 &
    pid=$!
    wait "$watcher" || fail "round $round: no window of $exe appeared"
    painted() { grep -a -q 'startup: .* first paint' "$out"; }
    wait_for 20 painted || fail "round $round: $exe wrote no first paint"
    kill "$pid" 2>/dev/null || true
    wait_for 10 eval '! kill -0 "$pid" 2>/dev/null' || kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$(awk -v a="$started" -v b="$(cat "$work/appeared")" 'BEGIN {printf "%.0f", (b - a) * 1000}')" \
         "$(grep -a -o 'startup: *[0-9.]* ms *first paint' "$out" | head -1 | awk '{print $2}')" >"$work/$name-$round"
    grep -a -o 'OutputDebugStringA "startup: [^"]*' "$out" | sed 's/^OutputDebugStringA "//; s/\\n$//' \
        >"$work/$name-timeline-$round"
}

# The self-check alone, in-process under Wine: the file and the five resources (CNG's SHA-256).
selfcheck_round() {
    wine "$selfcheck_bench" "$(winepath -w "${setup_of[generated]}")" 5 </dev/null 2>/dev/null | tr -d '\r' >"$work/selfcheck-$1"
    [ -s "$work/selfcheck-$1" ] || fail "selfcheck_bench failed"
}

for round in $(seq "$rounds"); do
    echo "round $round of $rounds ..." >&2
    for name in "${names[@]}"; do
        payload=${resources_of[$name]}/payload
        install_round "$round" "$name-installer" "${setup_of[$name]}" "$payload"
        [ "$name" != generated ] || install_round "$round" unchecked "$unchecked" "$payload"
        nsis_round "$round" "$name-nsis" "${nsis_of[$name]}" "$payload"
        extract_round "$round" "$name" "${resources_of[$name]}/program.lz" "$payload"
    done
    # the windows back to back, once what the installs wrote is on the disk: the three starts then
    # meet the same machine
    set_aside "$installed"
    inst_clean
    sync
    startup_round "$round" empty-window "$empty"
    for name in "${names[@]}"; do
        startup_round "$round" "$name-window" "${setup_of[$name]}"
    done
    selfcheck_round "$round"
done
rm -rf "$set_aside_dir"

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
column() { for f in "$work/$1"-[0-9]*; do cut -d' ' -f"$2" "$f"; done; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
mb() { awk -v b="$1" 'BEGIN {printf "%.2f MB", b / 1e6}'; }
row() {   # row LABEL PREFIX BYTES NOTE
    local seconds peak cpu
    seconds=$(column "$2" 1 | median)
    cpu=$(column "$2" 3 | median)
    peak=$(column "$2" 2 | sort -n | tail -1)
    printf '  %-50s %8.2f %8.1f %8s %10s   %s\n' "$1" "$seconds" "$(awk -v b="$3" -v s="$seconds" 'BEGIN {print b / 1e6 / s}')" \
        "$cpu" "$((peak / 1024)) MiB" "$4"
}
echo "$(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) cores; medians of $rounds rounds (peak: the highest);" \
     "load average before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg)"
for name in "${names[@]}"; do
    payload=${resources_of[$name]}/payload
    resources=${resources_of[$name]}
    bytes=$(find "$payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
    files=$(find "$payload" -type f | wc -l)
    setup_size=$(stat -c %s "${setup_of[$name]}")
    nsis_size=$(stat -c %s "${nsis_of[$name]}")
    # the stub: the installer without its named resources as stored (the five files, the scripts
    # packed, and the uninstaller's recipe): their sizes from the digest resource orvo-build kept
    five=$(python3 - "$resources/digests.bin" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
count, slice_size = struct.unpack_from("<II", data, 8)
pos, total = 16, 0
for _ in range(count):
    size = struct.unpack_from("<I", data, pos + 4)[0]
    total += size
    pos += 8 + 32 * max(1, -(-size // slice_size))
print(total)
EOF
)
    echo
    echo "$name payload: $files files, $(mb "$bytes")"
    echo "  PeloraSetup.exe $(mb "$setup_size") (stub $(mb $((setup_size - five)))), NSIS solid LZMA $(mb "$nsis_size"):" \
         "$(awk -v a="$setup_size" -v b="$nsis_size" 'BEGIN {printf "%.3f", a / b}')x the size of NSIS"
    printf '  %-50s %8s %8s %8s %10s\n' "" "seconds" "MB/s" "CPU s" "peak"
    row "PeloraSetup.exe, click on install to finish page" "$name-installer" "$bytes" "peak working set (VmHWM)"
    [ "$name" != generated ] ||
        row "  the same without any check" unchecked "$bytes" "no self-check, no check values"
    row "NSIS, silent install (/S), start to end" "$name-nsis" "$bytes" "peak RSS, Wine start included"
    row "lzpack extract, native" "$name-native" "$bytes" "peak RSS"
    row "lzpack extract, Windows build (Wine)" "$name-windows" "$bytes" "peak RSS, Wine start included"
    ours=$(column "$name-installer" 1 | median)
    theirs=$(column "$name-nsis" 1 | median)
    echo "  click to finish $(ratio "$theirs" "$ours")x faster than the NSIS silent install;" \
         "each round: $(column "$name-installer" 1 | tr '\n' ' ')s;" \
         "progress page shown $(column "$name-installer" 4 | tr '\n' ' ')s after the click"
done
echo
echo "window on the screen after process start, ms (outside: from starting wine to its first pixels;" \
     "inside: first paint since the process was created)"
empty_out=$(column empty-window 1 | median)
empty_in=$(column empty-window 2 | median)
printf '  %-50s %8s %8s\n' "" outside inside
printf '  %-50s %8s %8s\n' "empty program" "$empty_out" "$empty_in"
for name in "${names[@]}"; do
    out=$(column "$name-window" 1 | median)
    in=$(column "$name-window" 2 | median)
    printf '  %-50s %8s %8s   %+d / %+.0f ms beyond the empty program\n' "PeloraSetup.exe ($name payload)" "$out" "$in" \
        "$((out - empty_out))" "$(awk -v a="$in" -v b="$empty_in" 'BEGIN {print a - b}')"
done
echo "  timeline of the real payload's installer, last round:"
sed 's/^/    /' "$work/real-window-timeline-$rounds"
checked_s=$(column generated-installer 1 | median)
unchecked_s=$(column unchecked 1 | median)
check_ms=$(column selfcheck 1 | median)
check_bytes=$(cut -d' ' -f2 "$work/selfcheck-1")
echo
echo "self-check of the generated payload's installer (file and five resources, $((check_bytes / 1000000)) MB, in-process):" \
     "${check_ms} ms, $(awk -v b="$check_bytes" -v m="$check_ms" 'BEGIN {printf "%.0f", b / 1e3 / m}') MB/s;" \
     "$(awk -v m="$check_ms" -v s="$checked_s" 'BEGIN {printf "%.1f", m / 10 / s}') % of the install time"
echo "check values while extracting: $(awk -v a="$checked_s" -v b="$unchecked_s" 'BEGIN {printf "%+.2f s (%+.1f %%)", a - b, (a - b) * 100 / b}')" \
     "from click to finish page against the installer without checks"
