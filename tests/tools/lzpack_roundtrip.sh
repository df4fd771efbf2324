#!/usr/bin/env bash
# lzpack for Linux and lzpack.exe under Wine make the same package from the same tree, and each
# extracts the other's package to byte-identical files, non-ASCII names included.
set -u
wine_run=$1 native=$2 windows=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
w() { winepath -w "$1" 2>/dev/null; }
fail() { echo "FAILED: $*"; exit 1; }

src=$work/src
mkdir -p "$src/安装程序/皮肤" "$src/docs"
printf 'hello' >"$src/readme.txt"
: >"$src/docs/empty.txt"
head -c 200000 /dev/urandom >"$src/安装程序/随机数据.bin"
yes '可压缩的中文文本 compressible text' | head -n 10000 >"$src/安装程序/皮肤/说明.txt"

"$native" create "$work/linux.lz" "$src" || fail "native create"
"$wine_run" "$windows" create "$(w "$work/windows.lz")" "$(w "$src")" || fail "wine create"
cmp "$work/linux.lz" "$work/windows.lz" || fail "the two builds of lzpack made different packages"
"$wine_run" "$windows" create --jobs=1 "$(w "$work/windows1.lz")" "$(w "$src")" || fail "wine create, one job"
cmp "$work/windows.lz" "$work/windows1.lz" || fail "one job and every core made different packages under Wine"

"$wine_run" "$windows" verify "$(w "$work/linux.lz")" >/dev/null || fail "wine verify"
"$wine_run" "$windows" extract "$(w "$work/linux.lz")" "$(w "$work/out-wine")" || fail "wine extract"
diff -r "$src" "$work/out-wine" || fail "wine extraction differs"
"$native" extract "$work/windows.lz" "$work/out-native" || fail "native extract"
diff -r "$src" "$work/out-native" || fail "native extraction differs"

# solid blocks: the same bytes from both builds, and each extracts the other's
"$native" create --solid=1 "$work/linux-solid.lz" "$src" || fail "native create, solid"
"$wine_run" "$windows" create --solid=1 "$(w "$work/windows-solid.lz")" "$(w "$src")" || fail "wine create, solid"
cmp "$work/linux-solid.lz" "$work/windows-solid.lz" || fail "the two builds of lzpack made different solid packages"
"$native" list "$work/linux-solid.lz" | grep -q '	1$' || fail "the solid package has no block"
"$wine_run" "$windows" extract "$(w "$work/linux-solid.lz")" "$(w "$work/out-wine-solid")" || fail "wine extract, solid"
diff -r "$src" "$work/out-wine-solid" || fail "wine extraction of the solid package differs"

"$wine_run" "$windows" list "$(w "$work/linux.lz")" >"$work/list" || fail "wine list"
grep -q '^安装程序/皮肤/说明.txt' "$work/list" || fail "wine list lost the Chinese names: $(cat "$work/list")"
"$wine_run" "$windows" extract "$(w "$work/linux.lz")" "$(w "$work/x")" '..\evil' 2>/dev/null && fail "escaping name accepted"
echo "lzpack round trip: identical packages (solid ones too) and files on Linux and under Wine"
