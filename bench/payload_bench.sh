#!/usr/bin/env bash
# Payload benchmark, one command: on the benchmark installer's payload (the demo product of
# tools/payload/payload.py at ORVO_BENCH_PAYLOAD_MB, 100 MB by default; built here when missing)
# it times `lzpack create` with one job and with every core, the worker's extraction of every entry
# through orvo-run.exe with decoding ahead off and on, `lzpack extract` (native and under Wine) and
# plain decoding without writes; then prints one table with the ratios.
#   bash bench/payload_bench.sh [BUILD_DIR] [ROUNDS]   (default build/win and 3)
# Extraction runs ROUNDS times per way, alternating, and the median is shown.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${1:-$top/build/win}")
rounds=${2:-3}
ORVO_BUILD_DIR=$build bash "$top/tools/build.sh" --target bench_installer lzpack decode_bench orvo-run >/dev/null
native_lzpack=$build/native-tools/tools/lzpack/lzpack
windows_lzpack=$build/tools/lzpack/lzpack.exe
runner=$build/host/orvo-run.exe
decode_bench=$build/bench/decode_bench.exe
for f in "$native_lzpack" "$windows_lzpack" "$runner" "$decode_bench"; do
    [ -f "$f" ] || { echo "missing $f after the build" >&2; exit 1; }
done
cores=$(nproc)
budget_mib=64   # DecodeAhead::kDefaultBudget

. "$top/tests/e2e/e2e.sh"
e2e_begin "$build" --private bench-prefix
work=$e2e_work
timed() {   # timed OUTFILE COMMAND...: wall seconds, peak RSS (KiB) and CPU seconds of COMMAND into OUTFILE
    local out=$1
    shift
    /usr/bin/time -f "%e %M %U %S" -o "$out" "$@" >/dev/null
}
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# --- payload: the one the benchmark installer carries ---------------------------------------------
payload=$build/bench/installer-resources/payload
files=$(find "$payload" -type f | wc -l)
bytes=$(find "$payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
largest=$(find "$payload" -type f -printf '%s\n' | sort -n | tail -1)

# --- packing -------------------------------------------------------------------------------------
echo "packing with one job and with $cores ..." >&2
timed "$work/t-create1" "$native_lzpack" create --jobs=1 "$work/one.lz" "$payload"
timed "$work/t-createN" "$native_lzpack" create "$work/program.lz" "$payload"
cmp -s "$work/one.lz" "$work/program.lz" || { echo "packages of one job and every core differ" >&2; exit 1; }
image=$(stat -c %s "$work/program.lz")

# --- extraction by the worker, as the installer does it --------------------------------------------
run=$work/run
mkdir "$run"
cp "$work/program.lz" "$run/program.lz"
{
    echo "-- every step of the payload, as the shipped worker lists them"
    python3 "$top/tools/payload/payload.py" steps "$payload"
    cat <<'LUA'
local root, started = config.dest, os.clock()
local extracted, failed = 0, 0
for _, step in ipairs(operations) do
    if step[1] == 0 then
        createDirectory(root .. step[2])
    elseif extractFile(step[2], root .. step[2]) then
        extracted = extracted + 1
    else
        failed = failed + 1
    end
end
local seconds = os.clock() - started
local f = assert(io.open(config.result, 'w'))
f:write(extracted, ' ', failed, ' ', seconds, '\n')
f:close()
LUA
} >"$run/LG.lua"
cat >"$run/UI.lua" <<LUA
startWork('LG.lua', 'program.lz', [==[{dest=[[$(winpath "$work/out")\\]], result=[[$(winpath "$work/result")]]}]==])
LUA

extract_worker() {   # extract_worker MODE ROUND: MODE off (ORVO_DECODE_AHEAD=0) or on (the default)
    local mode=$1 round=$2
    rm -rf "$work/out" "$work/result"
    mkdir "$work/out"
    sync
    # the worker's debugger output says how its requests were served
    if [ "$mode" = off ]; then
        timed "$work/t-$mode-$round" env ORVO_DECODE_AHEAD=0 WINEDEBUG=-all,+debugstr \
            "$build/wine-run" "$runner" "$(winpath "$run")" 2>"$work/debug-$mode-$round"
    else
        timed "$work/t-$mode-$round" env -u ORVO_DECODE_AHEAD WINEDEBUG=-all,+debugstr \
            "$build/wine-run" "$runner" "$(winpath "$run")" 2>"$work/debug-$mode-$round"
    fi
    read -r extracted failed loop < <(tr -d '\r' <"$work/result") || { echo "the worker wrote no result" >&2; exit 1; }
    [ "$extracted" = "$files" ] && [ "$failed" = 0 ] || { echo "worker ($mode): $extracted extracted, $failed failed" >&2; exit 1; }
    diff -r -q "$payload" "$work/out" >/dev/null || { echo "worker ($mode): files differ from the payload" >&2; exit 1; }
    echo "$loop" >"$work/loop-$mode-$round"
}
echo "extracting through orvo-run.exe, $rounds rounds ..." >&2
for round in $(seq "$rounds"); do
    extract_worker off "$round"
    extract_worker on "$round"
done

# --- the tools, and decoding alone -----------------------------------------------------------------
rm -rf "$work/out-lz" "$work/out-lzwin"
timed "$work/t-lz" "$native_lzpack" extract "$work/program.lz" "$work/out-lz"
timed "$work/t-lzwin" "$build/wine-run" "$windows_lzpack" extract "$(winpath "$work/program.lz")" "$(winpath "$work/out-lzwin")"
for out in out-lz out-lzwin; do
    diff -r -q "$payload" "$work/$out" >/dev/null || { echo "$out differs from the payload" >&2; exit 1; }
done
read -r _ _ _ _ _ decoders _ alone _ ahead _ <<<"$("$build/wine-run" "$decode_bench" "$(winpath "$work/program.lz")" | tr -d '\r')"

# --- table -----------------------------------------------------------------------------------------
wall() { cut -d' ' -f1 "$1"; }
cpu() { awk '{printf "%.1f", $3 + $4}' "$1"; }
rss() { echo "$(( $(cut -d' ' -f2 "$1") / 1024 ))"; }
loop_off=$(cat "$work"/loop-off-* | median)
loop_on=$(cat "$work"/loop-on-* | median)
wall_off=$(for f in "$work"/t-off-*; do wall "$f"; done | median)
wall_on=$(for f in "$work"/t-on-*; do wall "$f"; done | median)
rss_off=$(for f in "$work"/t-off-*; do rss "$f"; done | sort -n | tail -1)
rss_on=$(for f in "$work"/t-on-*; do rss "$f"; done | sort -n | tail -1)
create1=$(wall "$work/t-create1")
createN=$(wall "$work/t-createN")
ratio() { echo "scale=2; $1 / $2" | bc; }
row() { printf '%-56s %8.2f %8.1f %8s   %s\n' "$1" "$2" "$(echo "scale=1; $bytes / 1000000 / $2" | bc)" "$3" "$4"; }

echo "payload: $files files, $(( bytes / 1000000 )) MB, largest $(( largest / 1000000 )) MB; package $(( image / 1000000 )) MB;" \
     "$cores cores; medians of $rounds rounds; load average before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-56s %8s %8s %8s   %s\n' "" "seconds" "MB/s" "CPU s" "peak memory (RSS of the process)"
row "lzpack create, native, 1 job" "$create1" "$(cpu "$work/t-create1")" "$(rss "$work/t-create1") MiB"
row "lzpack create, native, $cores jobs" "$createN" "$(cpu "$work/t-createN")" "$(rss "$work/t-createN") MiB"
row "extractFile loop, orvo-run (Wine), decode ahead off" "$loop_off" "" "$rss_off MiB"
row "extractFile loop, orvo-run (Wine), decode ahead on" "$loop_on" "" "$rss_on MiB"
row "orvo-run start to exit, decode ahead off" "$wall_off" "" "(Wine start and package read included)"
row "orvo-run start to exit, decode ahead on" "$wall_on" "" ""
row "lzpack extract, native" "$(wall "$work/t-lz")" "$(cpu "$work/t-lz")" "$(rss "$work/t-lz") MiB"
row "lzpack extract, Windows build (Wine)" "$(wall "$work/t-lzwin")" "" "$(rss "$work/t-lzwin") MiB (Wine start included)"
row "decode only, one thread (Wine)" "$alone" "" ""
row "decode only, $decoders decoders ahead (Wine)" "$ahead" "" ""
echo
echo "lzpack create, $cores jobs over 1 job:        $(ratio "$create1" "$createN")x  (target 1.8x on 2 cores)"
echo "extractFile loop, decode ahead on over off:   $(ratio "$loop_off" "$loop_on")x  (target 1.4x on 2 cores)"
echo "orvo-run start to exit, on over off:          $(ratio "$wall_off" "$wall_on")x"
served=$(grep -ho 'LuaWork: [^"]*decoders;[^"\\]*' "$work/debug-on-$rounds" | tail -1)
echo "decode ahead, last round: ${served:-no report from the worker}"
limit=$(( budget_mib + largest / 1048576 + 32 ))
echo "peak memory with decode ahead: $rss_on MiB; without: $rss_off MiB; growth $(( rss_on - rss_off )) MiB;" \
     "budget + largest entry + 32 MiB = $limit MiB, plus the package image held whole ($(( image / 1048576 )) MiB) = $(( limit + image / 1048576 )) MiB"
