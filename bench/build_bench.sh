#!/usr/bin/env bash
# The publisher's tool, one run: orvo-build over the 100 MB demo payload (tools/payload/payload.py)
# beside `lzpack create` of the same folder and `makensis` of the same files, then a rebuild after
# one 1 MB file changed; each file packed on its own (solid=0, the tool's default) and in solid
# blocks of 16 MiB (the example project's setting). Goals: a cold build at most 5 % over lzpack
# create with the same settings; the rebuild at most 10 % of the cold build.
#   bash bench/build_bench.sh [BUILD_DIR] [MB]   (default build/win and 100)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${1:-$top/build/win}")
mb=${2:-100}
ORVO_BUILD_DIR=$build bash "$top/tools/build.sh" --target PeloraSetup >/dev/null
tool=$build/native-tools/builder/orvo-build
lzpack=$build/native-tools/tools/lzpack/lzpack
demo=$build/tools/demo
for f in "$tool" "$lzpack" "$build/resources/stub.exe"; do
    [ -f "$f" ] || { echo "missing $f after the build" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "makensis is missing (Debian package nsis)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds() {   # wall seconds of COMMAND (a shell function too)
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

# the stub as the release archive ships it, without debugging information
x86_64-w64-mingw32-strip -o "$work/stub.exe" "$build/resources/stub.exe"
payload=$work/payload
python3 "$top/tools/payload/payload.py" product "$payload" "$mb" "$demo/NubeloUI.exe" "$demo/Nubelo.ax" "$demo/nubdumper.dll"
files=$(find "$payload" -type f | wc -l)
bytes=$(find "$payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
build_it() {   # build_it OUT [orvo-build options...]
    local out=$1
    shift
    "$tool" --quiet --data "$build/orvo-build-data" --stub "$work/stub.exe" \
        --payload "$payload" --output "$out" "$@" \
        "$top/host/project.lua"
}

# the same LZMA level as the shipped installer (host/project.lua: 7), each file on its own and in
# solid blocks of 16 MiB (the example project's setting)
t_lzpack=$(seconds "$lzpack" create --lzma=7 "$work/payload.lz" "$payload")
t_lzsolid=$(seconds "$lzpack" create --lzma=7 --solid=16 "$work/solid.lz" "$payload")
t_cold=$(seconds build_it "$work/cold.exe" --cache "$work/cache" --set solid=0)
t_warm=$(seconds build_it "$work/warm.exe" --cache "$work/cache" --set solid=0)
t_scold=$(seconds build_it "$work/scold.exe" --cache "$work/cache" --set solid=16)
t_swarm=$(seconds build_it "$work/swarm.exe" --cache "$work/cache" --set solid=16)
# one file of about 1 MB changed in place (same size, new bytes)
victim=$(find "$payload" -type f -size +800k -size -1200k | sort | head -1)
python3 -c 'import os,sys; p=sys.argv[1]; n=os.path.getsize(p); open(p,"r+b").write(os.urandom(n))' "$victim"
t_one=$(seconds build_it "$work/one.exe" --cache "$work/cache" --set solid=0)
t_sone=$(seconds build_it "$work/sone.exe" --cache "$work/cache" --set solid=16)
for solid in 0 16; do
    cached=$work/one.exe
    [ "$solid" = 0 ] || cached=$work/sone.exe
    build_it "$work/uncached.exe" --no-cache --set solid=$solid >/dev/null
    cmp -s "$cached" "$work/uncached.exe" || { echo "solid=$solid: the rebuild from the cache differs from an uncached build" >&2; exit 1; }
done

# makensis: every file, solid LZMA (its usual setting for a download)
cat >"$work/bench.nsi" <<NSI
Unicode true
SetCompressor /SOLID lzma
OutFile "$work/nsis.exe"
InstallDir "\$PROGRAMFILES64\\OrvoNubelo"
RequestExecutionLevel admin
Section
SetOutPath "\$INSTDIR"
File /r "$payload/*"
SectionEnd
NSI
t_nsis=$(seconds makensis -V1 "$work/bench.nsi")

size() { stat -c %s "$1"; }
awk -v files="$files" -v bytes="$bytes" -v lz="$t_lzpack" -v cold="$t_cold" -v warm="$t_warm" -v one="$t_one" \
    -v lzsolid="$t_lzsolid" -v scold="$t_scold" -v swarm="$t_swarm" -v sone="$t_sone" \
    -v nsis="$t_nsis" -v lzs="$(size "$work/payload.lz")" -v ins="$(size "$work/cold.exe")" \
    -v lzss="$(size "$work/solid.lz")" -v sins="$(size "$work/scold.exe")" \
    -v nss="$(size "$work/nsis.exe")" -v victim="${victim#"$payload"/}" -v cores="$(nproc)" \
    -v load="$(cut -d' ' -f1-3 /proc/loadavg)" 'BEGIN {
    printf "payload: %d files, %.1f MB; %d cores, load average %s; changed: %s\n\n", files, bytes / 1e6, cores, load, victim
    printf "| %-44s | %8s | %10s |\n", "step", "seconds", "output MB"
    printf "|%s|%s|%s|\n", "----------------------------------------------", "----------", "------------"
    row("lzpack create --lzma=7", lz, lzs)
    row("orvo-build solid=0, cold cache", cold, ins)
    row("orvo-build solid=0 again, nothing changed", warm, ins)
    row("orvo-build solid=0, one 1 MB file changed", one, ins)
    row("lzpack create --lzma=7 --solid=16", lzsolid, lzss)
    row("orvo-build solid=16, cold cache", scold, sins)
    row("orvo-build solid=16 again, nothing changed", swarm, sins)
    row("orvo-build solid=16, one 1 MB file changed", sone, sins)
    row("makensis, solid LZMA", nsis, nss)
    print ""
    goals("solid=0", cold, lz, one)
    goals("solid=16", scold, lzsolid, sone)
}
function row(step, s, b) { printf "| %-44s | %8.2f | %10.1f |\n", step, s, b / 1e6 }
function goals(name, cold, lz, one,   over, part) {
    over = 100 * (cold - lz) / lz; part = 100 * one / cold
    printf "%s: cold build over lzpack create: %+.1f %% (goal <= +5 %%) %s\n", name, over, over <= 5 ? "met" : "MISSED"
    printf "%s: rebuild after one change: %.1f %% of the cold build (goal <= 10 %%) %s\n", name, part, part <= 10 ? "met" : "MISSED"
}'
