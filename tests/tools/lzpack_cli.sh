#!/usr/bin/env bash
# lzpack on the build machine: round trip of a tree with non-ASCII names, listing, verification of
# damaged packages, refused names and usage errors.
set -u
lzpack=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # description, command...
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
status_is() { # expected, command...
    local want=$1; shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$want" ] || { echo "  exit $got, wanted $want; stderr: $(cat "$work/err")"; return 1; }
}

src=$work/src
mkdir -p "$src/安装/子目录" "$src/skin" "$src/empty-dir"
printf 'hello' >"$src/readme.txt"
: >"$src/empty.bin"
head -c 300000 /dev/urandom >"$src/安装/随机.bin"
yes 'compressible line of text' | head -n 20000 >"$src/安装/子目录/文本.txt"
printf 'png' >"$src/skin/Button.png"

for mode in --store --lzma --lzma=9; do
    rm -rf "$work/out-dir"
    check "create $mode" status_is 0 "$lzpack" create $mode "$work/p.lz" "$src"
    check "verify $mode" status_is 0 "$lzpack" verify "$work/p.lz"
    check "extract $mode" status_is 0 "$lzpack" extract "$work/p.lz" "$work/out-dir"
    check "identical tree $mode" diff -r "$src" "$work/out-dir" -x empty-dir
done

"$lzpack" list "$work/p.lz" >"$work/list"
check "list names every file once" [ "$(wc -l <"$work/list")" -eq 5 ]
check "list shows unpacked sizes" grep -q "^安装/子目录/文本.txt	[0-9]*	520000$" "$work/list"
check "list shows empty entries" grep -q "^empty.bin	0	0$" "$work/list"

rm -rf "$work/some"
check "extract named entries" status_is 0 "$lzpack" extract "$work/p.lz" "$work/some" readme.txt skin/Button.png
check "only the named entries" [ "$(find "$work/some" -type f | wc -l)" -eq 2 ]
check "missing entry is an error" status_is 1 "$lzpack" extract "$work/p.lz" "$work/some" nothere.txt

# check values: one changed byte anywhere in a stored entry (which no decoder sees) is found, the
# other entries still extract, nothing is written for the damaged one and never the check entry
status_is 0 "$lzpack" verify "$work/p.lz"
check "a fresh package verifies against its check values" grep -q "matching its SHA-256" "$work/out"
mkdir -p "$work/noise"
head -c 300000 /dev/urandom >"$work/noise/随机.bin"
printf 'kept' >"$work/noise/z.txt"
"$lzpack" create "$work/noise.lz" "$work/noise"
# z.txt comes first (UTF-16 order), its 4 bytes at 0, the noise at 4 to 300003
for at in 4 150004 300003; do
    cp "$work/noise.lz" "$work/flip.lz"
    printf '\x5a' | dd of="$work/flip.lz" bs=1 seek=$at conv=notrunc status=none
    cmp -s "$work/noise.lz" "$work/flip.lz" || {
        check "byte $at changed fails verify" status_is 1 "$lzpack" verify "$work/flip.lz"
        check "naming the stored entry ($at)" grep -q "随机.bin: data does not match its check value" "$work/err"
        rm -rf "$work/flip-out"
        check "extract fails ($at)" status_is 1 "$lzpack" extract "$work/flip.lz" "$work/flip-out"
        check "nothing written for it ($at)" [ ! -e "$work/flip-out/随机.bin" ]
        check "the other entry extracted ($at)" [ "$(cat "$work/flip-out/z.txt")" = kept ]
    }
done
rm -rf "$work/all-out"
"$lzpack" extract "$work/noise.lz" "$work/all-out"
check "the check-value entry is never extracted" [ "$(find "$work/all-out" | wc -l)" -eq 3 ]
check "nor when asked for" status_is 1 "$lzpack" extract "$work/noise.lz" "$work/all-out" /sha256
check "create without check values" status_is 0 "$lzpack" create --no-check-values "$work/old.lz" "$work/noise"
check "an older package verifies" status_is 0 "$lzpack" verify "$work/old.lz"
check "saying it has no check values" grep -q "no check values" "$work/out"
check "list says so too" status_is 0 "$lzpack" list "$work/old.lz"
check "on stderr" grep -q "has no check values" "$work/err"
check "and lists the same entries" [ "$(cut -f1 "$work/out")" = "$("$lzpack" list "$work/noise.lz" | cut -f1)" ]

# damaged packages: truncated, flipped trailer, corrupted stream
size=$(stat -c %s "$work/p.lz")
head -c $((size - 3)) "$work/p.lz" >"$work/trunc.lz"
check "truncated package fails verify" status_is 1 "$lzpack" verify "$work/trunc.lz"
check "with a one-line message" grep -q "damaged directory" "$work/err"
mkdir -p "$work/text"
yes 'compressible line of text, with a counter' | head -n 50000 | cat -n >"$work/text/文本.txt"
"$lzpack" create "$work/mid.lz" "$work/text"
printf '\xff\xff\xff\xff\xff\xff\xff\xff' | dd of="$work/mid.lz" bs=1 seek=1000 conv=notrunc status=none
check "corrupted entry fails verify" status_is 1 "$lzpack" verify "$work/mid.lz"
check "naming the entry" grep -q "文本.txt" "$work/err"
check "empty file is not a package" status_is 1 "$lzpack" verify /dev/null

# packing on several jobs: the same bytes as one job, and the same first failure
for i in 1 2 3 4 5 6 7 8; do yes "entry $i of a tree packed on several jobs" | head -n $((i * 3000)) >"$src/安装/job$i.txt"; done
check "create one job" status_is 0 "$lzpack" create --jobs=1 "$work/j1.lz" "$src"
check "create three jobs" status_is 0 "$lzpack" create --jobs=3 "$work/j3.lz" "$src"
check "create every core" status_is 0 "$lzpack" create "$work/jn.lz" "$src"
check "three jobs, the one-job package" cmp "$work/j1.lz" "$work/j3.lz"
check "every core, the one-job package" cmp "$work/j1.lz" "$work/jn.lz"
check "zero jobs is a usage error" status_is 2 "$lzpack" create --jobs=0 "$work/q.lz" "$src"
check "jobs must be a number" status_is 2 "$lzpack" create --jobs=two "$work/q.lz" "$src"
# a name of more than 1023 units, and files before and after it in the package's order
long=$work/long
deep=$long
for c in a b c d e; do deep=$deep/$(printf "$c%.0s" $(seq 200)); done
mkdir -p "$deep"
for n in 1 2; do yes fill | head -n 20000 >"$long/$n.txt"; printf 'x' >"$deep/$n-$(printf 'f%.0s' $(seq 200)).txt"; done
check "name too long fails with one job" status_is 1 "$lzpack" create --jobs=1 "$work/q.lz" "$long"
cp "$work/err" "$work/err1"
check "name too long fails with three jobs" status_is 1 "$lzpack" create --jobs=3 "$work/q.lz" "$long"
check "naming the same first file" cmp "$work/err1" "$work/err"
check "which is the first in the package's order" grep -q "/1-f*.txt: name longer" "$work/err"

# solid blocks: the same bytes on any number of jobs, every file back, the package's order as the
# worker's step list has it (payload.py), and one changed byte failing the files of its block only
payload_py=$(cd "$(dirname "$0")/../.." && pwd)/tools/payload/payload.py
cp "$work/text/文本.txt" "$src/skin/Notes.TXT"
check "create solid, one job" status_is 0 "$lzpack" create --solid=1 --jobs=1 "$work/s1.lz" "$src"
check "create solid, three jobs" status_is 0 "$lzpack" create --solid=1 --jobs=3 "$work/s3.lz" "$src"
check "solid: the same bytes on any number of jobs" cmp "$work/s1.lz" "$work/s3.lz"
check "solid verify" status_is 0 "$lzpack" verify "$work/s1.lz"
check "solid verify checks every file" grep -q "^.*: 14 entries intact, each matching its SHA-256" "$work/out"
rm -rf "$work/s-out"
check "solid extract" status_is 0 "$lzpack" extract "$work/s1.lz" "$work/s-out"
check "solid: identical tree" diff -r "$src" "$work/s-out" -x empty-dir
rm -rf "$work/s-some"
check "solid: named entries out of order" status_is 0 "$lzpack" extract "$work/s1.lz" "$work/s-some" 安装/job8.txt readme.txt 安装/job1.txt
check "solid: the named entries" diff "$src/安装/job1.txt" "$work/s-some/安装/job1.txt"
"$lzpack" list "$work/s1.lz" >"$work/s-list"
check "list shows each file's block" [ "$(awk -F'\t' '$4 > 0' "$work/s-list" | wc -l)" -ge 2 ]
python3 "$payload_py" steps "$src" | sed -n 's/^    {1, \[\[\(.*\)\]\]},$/\1/p' | tr '\\' / >"$work/steps"
check "the worker's steps follow the package's order" [ "$(cut -f1 "$work/s-list")" = "$(cat "$work/steps")" ]
check "--solid takes MiB" status_is 2 "$lzpack" create --solid=0 "$work/q.lz" "$src"
check "--solid takes a number" status_is 2 "$lzpack" create --solid=x "$work/q.lz" "$src"
# a block first in the image (a.txt, b.txt), then an archive too large to join a block, stored on its own
mkdir -p "$work/blk"
yes 'first file of the block' | head -n 20000 | cat -n >"$work/blk/a.txt"
yes 'second file of the block' | head -n 20000 | cat -n >"$work/blk/b.txt"
head -c 1100000 /dev/urandom >"$work/blk/noise.zip"
"$lzpack" create --solid "$work/blk.lz" "$work/blk"
check "the two text files share block 1" [ "$("$lzpack" list "$work/blk.lz" | awk -F'\t' '$4 == 1' | wc -l)" -eq 2 ]
for at in 5 2000; do
    cp "$work/blk.lz" "$work/blk-flip.lz"
    printf '\x5a' | dd of="$work/blk-flip.lz" bs=1 seek=$at conv=notrunc status=none
    cmp -s "$work/blk.lz" "$work/blk-flip.lz" || {
        check "byte $at of a block fails verify" status_is 1 "$lzpack" verify "$work/blk-flip.lz"
        check "naming both its files ($at)" [ "$(grep -c 'txt: block 1' "$work/err")" -eq 2 ]
        rm -rf "$work/blk-out"
        check "extract fails ($at)" status_is 1 "$lzpack" extract "$work/blk-flip.lz" "$work/blk-out"
        check "nothing written for the block ($at)" [ ! -e "$work/blk-out/a.txt" ] && [ ! -e "$work/blk-out/b.txt" ]
        check "the file outside it extracted ($at)" cmp "$work/blk/noise.zip" "$work/blk-out/noise.zip"
    }
done

# names that would escape the destination
mkdir -p "$work/evil"
printf 'x' >"$work/evil/ok.txt"
check "create evil" status_is 0 "$lzpack" create "$work/evil.lz" "$work/evil"
check "dot-dot name refused" status_is 1 "$lzpack" extract "$work/evil.lz" "$work/evil-out" ../escape.txt
check "absolute name refused" status_is 1 "$lzpack" extract "$work/evil.lz" "$work/evil-out" /tmp/escape.txt
check "nothing escaped" [ ! -e "$work/escape.txt" ]

check "no arguments is a usage error" status_is 2 "$lzpack"
check "unknown command is a usage error" status_is 2 "$lzpack" frobnicate
check "bad level is a usage error" status_is 2 "$lzpack" create --lzma=x "$work/q.lz" "$src"
check "missing folder is an error" status_is 1 "$lzpack" create "$work/q.lz" "$work/nope"

[ "$failures" -eq 0 ] && echo "lzpack cli: all checks passed" || echo "lzpack cli: $failures failed"
exit $(( failures > 0 ))
