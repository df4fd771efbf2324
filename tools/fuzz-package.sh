#!/usr/bin/env bash
# Fuzzes the package reader for SECONDS (default 300) from a seed corpus of packages made by lzpack.
# Usage: tools/fuzz-package.sh [SECONDS]. Findings land in build/fuzz/findings/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
bash "$top/tools/setup.sh"
build=$top/build/fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DORVO_FUZZ=ON -DORVO_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target package_fuzz lzpack

# seeds: stored and packed packages of small trees, and an empty one
corpus=$build/corpus
mkdir -p "$corpus" "$build/findings"
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
mkdir -p "$seeds/tree/文件夹" "$seeds/empty"
printf 'hello' >"$seeds/tree/a.txt"
: >"$seeds/tree/empty.bin"
printf 'some compressible text %s\n' $(seq 200) >"$seeds/tree/文件夹/b.txt"
head -c 700 /dev/urandom >"$seeds/tree/r.bin"
"$build/tools/lzpack/lzpack" create --store "$corpus/seed-store.lz" "$seeds/tree"
"$build/tools/lzpack/lzpack" create --lzma=1 "$corpus/seed-lzma1.lz" "$seeds/tree"
"$build/tools/lzpack/lzpack" create --lzma=9 "$corpus/seed-lzma9.lz" "$seeds/tree"
"$build/tools/lzpack/lzpack" create "$corpus/seed-empty.lz" "$seeds/empty"

export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1}
"$build/bench/fuzz/package_fuzz" "$corpus" -max_total_time="$seconds" -rss_limit_mb=4096 -malloc_limit_mb=2048 \
    -artifact_prefix="$build/findings/" -print_final_stats=1 2>&1 | tee "$build/fuzz.log" | grep -E '^(#[0-9]+ *(DONE|pulse)|stat::|==[0-9]+==|SUMMARY)' || true
if ls "$build/findings/"* >/dev/null 2>&1; then
    echo "fuzz-package: findings in $build/findings" >&2
    exit 1
fi
echo "fuzz-package: no findings in ${seconds}s ($(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/fuzz.log" | grep -o '[0-9]*$') executions)"
