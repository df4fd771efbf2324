#!/usr/bin/env bash
# Extraction benchmark: one generated payload of about 100 MB (about 200 files: text-like,
# random and zero-filled), packed once with lzpack at its default level and once as a tar.xz,
# then extracted four ways in one run; prints one table.
#   bash bench/extract_bench.sh [BUILD_DIR]      (default build/win; build it first)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/win}" && pwd)
native_lzpack=$build/native-tools/tools/lzpack/lzpack
windows_lzpack=$build/tools/lzpack/lzpack.exe
bench_exe=$build/bench/extract_bench.exe
for f in "$native_lzpack" "$windows_lzpack" "$bench_exe"; do
    [ -x "$f" ] || [ -f "$f" ] || { echo "missing $f: run bash tools/build.sh first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/orvo-extract-bench.XXXXXX)
. "$top/tools/wine-env.sh"
wine_env "$build"
cleanup() { wine_stop; rm -rf "$work"; }
trap cleanup EXIT
wineserver_start

# --- payload -------------------------------------------------------------------------------
start=$(date +%s.%N)
python3 - "$work/payload" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(20240501)
total = 100 * 1024 * 1024
kinds = ["text"] * 70 + ["random"] * 65 + ["zero"] * 65
rng.shuffle(kinds)
weights = [rng.lognormvariate(0, 1) for _ in kinds]
scale = total / sum(weights)
sizes = [max(1, int(w * scale)) for w in weights]
sizes[-1] += total - sum(sizes)
words = ["".join(rng.choice("etaoinshrdlucmfwypvbgkqjxz") for _ in range(rng.randint(2, 9)))
         for _ in range(4000)] + ["the", "of", "and", "to", "in", "=", "{", "}", "return", "local"]
for i, (kind, size) in enumerate(zip(kinds, sizes)):
    folder = os.path.join(root, kind, "group%d" % (i % 4))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "%s_%03d.%s" % (kind, i, {"text": "txt", "random": "bin", "zero": "dat"}[kind]))
    with open(path, "wb") as f:
        if kind == "zero":
            f.write(bytes(size))
        elif kind == "random":
            f.write(rng.randbytes(size))
        else:
            out, have = [], 0
            while have < size:
                line = " ".join(rng.choices(words, k=12)) + "\n"
                out.append(line)
                have += len(line)
            f.write("".join(out).encode()[:size])
PY
"$native_lzpack" create "$work/bench.lz" "$work/payload" >/dev/null
tar -C "$work/payload" -cf - . | xz -T2 -6 -c >"$work/payload.tar.xz"
generated=$(echo "$(date +%s.%N) - $start" | bc)
files=$(find "$work/payload" -type f | wc -l)
bytes=$(find "$work/payload" -type f -printf '%s\n' | awk '{s += $1} END {print s}')

# --- extraction ------------------------------------------------------------------------------
timed() {   # timed OUTFILE COMMAND...: wall seconds and peak RSS (KiB) of COMMAND into OUTFILE
    local out=$1
    shift
    /usr/bin/time -f "%e %M" -o "$out" "$@" >/dev/null
}
winpath() { echo "Z:${1//\//\\}"; }

mkdir "$work/out-worker" "$work/out-lzwin" "$work/out-lz" "$work/out-xz"
sync
worker=$("$build/wine-run" "$bench_exe" "$(winpath "$work")" bench.lz "$(winpath "$work/out-worker")" | tr -d "\r")
timed "$work/t-lzwin" "$build/wine-run" "$windows_lzpack" extract "$(winpath "$work/bench.lz")" "$(winpath "$work/out-lzwin")"
timed "$work/t-lz" "$native_lzpack" extract "$work/bench.lz" "$work/out-lz"
timed "$work/t-xz" sh -c "xz -T1 -dc '$work/payload.tar.xz' | tar -xf - -C '$work/out-xz'"

for out in out-worker out-lzwin out-lz out-xz; do
    diff -r -q "$work/payload" "$work/$out" >/dev/null || { echo "$out differs from the payload" >&2; exit 1; }
done

# --- table -----------------------------------------------------------------------------------
read -r _ _ _ _ _ loop _ total _ peak_ws _ peak_pf <<<"$worker"
mb=$(echo "scale=1; $bytes / 1000000" | bc)
row() {   # row NAME SECONDS PEAK
    printf '%-44s %8.2f %9.1f   %s\n' "$1" "$2" "$(echo "scale=1; $bytes / 1000000 / $2" | bc)" "$3"
}
mib() { echo "$(( $1 / 1048576 )) MiB"; }
echo "payload: $files files, $mb MB ($(( bytes / 1048576 )) MiB); lzpack default level: $(stat -c %s "$work/bench.lz") bytes;" \
     "tar.xz -6: $(stat -c %s "$work/payload.tar.xz") bytes; generated in ${generated%.*} s"
printf '%-44s %8s %9s   %s\n' "extraction" "seconds" "MB/s" "peak memory"
row "extractFile loop on the worker (Wine)" "$loop" "working set $(mib "$peak_ws"), pagefile $(mib "$peak_pf")"
row "startWork to worker end (read+open+loop)" "$total" "(same process)"
read -r s k <"$work/t-lzwin"; row "lzpack extract, Windows build (Wine)" "$s" "rss $(( k / 1024 )) MiB (wine start included)"
read -r s k <"$work/t-lz"; row "lzpack extract, native" "$s" "rss $(( k / 1024 )) MiB"
read -r s k <"$work/t-xz"; row "xz -T1 -d | tar -x, native" "$s" "rss $(( k / 1024 )) MiB (largest of xz, tar)"
