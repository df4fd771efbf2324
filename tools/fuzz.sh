#!/usr/bin/env bash
# Fuzzes one reader natively with libFuzzer and the sanitizers, from a generated seed corpus.
# Usage: tools/fuzz.sh package|markup|image [SECONDS]   (default 300 s). Findings: build/fuzz/findings-TARGET/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-}
seconds=${2:-300}
case "$target" in
    package|markup|image) ;;
    *) echo "usage: tools/fuzz.sh package|markup|image [SECONDS]" >&2; exit 2 ;;
esac
bash "$top/tools/setup.sh"
build=$top/build/fuzz
# configured every time: a target added since the last run must be known before it is built
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DORVO_FUZZ=ON -DORVO_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)" --target ${target}_fuzz lzpack >/dev/null

corpus=$build/corpus-$target
findings=$build/findings-$target
mkdir -p "$corpus" "$findings"
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
if [ "$target" = package ]; then
    # stored and packed packages of a small tree, and an empty one
    mkdir -p "$seeds/tree/文件夹" "$seeds/empty"
    printf 'hello' >"$seeds/tree/a.txt"
    : >"$seeds/tree/empty.bin"
    printf 'some compressible text %s\n' $(seq 200) >"$seeds/tree/文件夹/b.txt"
    head -c 700 /dev/urandom >"$seeds/tree/r.bin"
    lzpack=$build/tools/lzpack/lzpack
    "$lzpack" create --store "$corpus/seed-store.lz" "$seeds/tree"
    "$lzpack" create --lzma=1 "$corpus/seed-lzma1.lz" "$seeds/tree"
    "$lzpack" create --lzma=9 "$corpus/seed-lzma9.lz" "$seeds/tree"
    "$lzpack" create "$corpus/seed-empty.lz" "$seeds/empty"
    "$lzpack" create --no-check-values "$corpus/seed-unchecked.lz" "$seeds/tree"
    # solid (their directory in the packed index): the small files in one block (the noise too,
    # which shares it), with and without check values; "B", the block map (with the blocks'
    # digests) of a small solid package of the target's own making, which the input changes (XORed
    # onto it) with its digests made right, the block count changed or the first block's digest;
    # and "I", changes XORed onto the whole index of one (its directory, map, check values)
    "$lzpack" create --solid "$corpus/seed-solid.lz" "$seeds/tree"
    "$lzpack" create --lzma=1 --solid=1 --no-check-values "$corpus/seed-solid-unchecked.lz" "$seeds/tree"
    printf 'B' >"$corpus/seed-blockmap"
    printf 'B\000\000\000\000\001' >"$corpus/seed-blockmap-count"
    { printf 'B'; head -c 28 /dev/zero; printf '\001'; } >"$corpus/seed-blockmap-digest"
    printf 'I' >"$corpus/seed-index"
    printf 'I\000\000\000\000\000\000\000\000\001' >"$corpus/seed-index-record"
    # "C" and a check-value entry: the target puts it into a package of its own making (a.txt,
    # dir/b.txt, empty) with its digests made right, so mutations reach the records behind them
    python3 - "$corpus/seed-checks" <<'EOF'
import hashlib, struct, sys
files = [("a.txt", b"hello"), ("dir/b.txt", bytes(b"some text "[i % 10] for i in range(300))), ("empty", b"")]
body = b"OCV1" + struct.pack("<I", len(files)) + bytes(32)
for name, data in files:
    units = name.encode("utf-16-le")
    body += struct.pack("<H", len(units) // 2) + units + struct.pack("<I", len(data)) + hashlib.sha256(data).digest()
open(sys.argv[1], "wb").write(b"C" + body + bytes(32))
EOF
elif [ "$target" = image ]; then
    # a few of the real skin images, and one small picture in every format the decoder takes
    python3 "$top/assets/skin/make_skin.py" "$seeds/skin" >/dev/null
    for name in button_up check_on_up shadow progress_fill vscroll_up_over; do
        cp "$seeds/skin/$name.png" "$corpus/seed-$name.png"
    done
    printf '\001' | cat - "$seeds/skin/check_up.png" >"$corpus/seed-marked.png"
    for format in bmp gif jpg psd hdr; do
        convert "$seeds/skin/radio_on_up.png" "$corpus/seed-radio.$format" 2>/dev/null || true
    done
    convert -size 5x3 gradient:red-blue -depth 8 "BMP3:$corpus/seed-plain.bmp" 2>/dev/null || true
else
    # the shipped markup and styles, and a few documents of every shape the builder meets
    find "$top/assets" -name '*.xml' -exec cp {} "$corpus/" \;
    printf '<?xml version="1.0"?>\n<!-- c --><Window initSize="480,360" style="bg.xml"><DockPanel margin="4, 2,4,2" color="#3333CC"><Button id="1004" text="欢迎 &amp;" horizontalAlign="center" visible="1"/></DockPanel></Window>' >"$corpus/seed-window.xml"
    printf '<Style><Class name="Button"/><P upSkin="b.png" scaleGrid="3,3,3,3" textColor="#FFFFFF"/></Style>' >"$corpus/seed-style.xml"
    printf '<fonts><f name="Default" face="SimSun" size="12" bold="true" underline="false"/></fonts>' >"$corpus/seed-font.xml"
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1}
# Findings of earlier runs stay for study; only those of this run count. An input that runs for
# 30 s is a hang, and a finding like any other.
stamp=$seeds/started
touch "$stamp"
"$build/bench/fuzz/${target}_fuzz" "$corpus" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -malloc_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$build/fuzz-$target.log" 2>&1 || true
grep -E '^(==[0-9]+==|SUMMARY)' "$build/fuzz-$target.log" || true
new=$(find "$findings" -type f -newer "$stamp" | wc -l)
if [ "$new" -gt 0 ]; then
    echo "fuzz $target: $new new findings in $findings" >&2
    exit 1
fi
runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/fuzz-$target.log" | grep -o '[0-9]*$' || true)
if [ -z "$runs" ]; then
    # no statistics: the fuzzer never ran (or died without a finding); not a clean result
    echo "fuzz $target: the fuzzer did not run to its end; see $build/fuzz-$target.log" >&2
    exit 1
fi
echo "fuzz $target: no findings in ${seconds}s ($runs executions)"
