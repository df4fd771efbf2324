#!/usr/bin/env bash
# The release archive of orvo-build, from a finished build: the tool for Linux and for Windows, the
# installer stub (which the installer also writes out as its uninstaller), the script templates, the markup and style packages, an example
# project and the publisher's page of the README, with VERSION and SHA256SUMS. Nothing is built
# here: run tools/build.sh first.
#
#   tools/dist.sh [OUT_DIR]     writes OUT_DIR/orvo-build-VERSION.tar.gz (default: build/dist)
#
# Environment: ORVO_BUILD_DIR (the Windows build, build/win by default); SOURCE_DATE_EPOCH (the
# files' time in the archive; default: the last commit's).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
out=$(realpath -m -- "${1:-$top/build/dist}")
native=$build/native-tools/builder/orvo-build
for file in "$native" "$build/builder/orvo-build.exe" "$build/resources/stub.exe" \
            "$build/orvo-build-data/templates/UI.lua" "$build/orvo-build-data/frame.lz" "$build/orvo-build-data/style.lz"; do
    [ -f "$file" ] || { echo "dist.sh: $file is missing: run tools/build.sh first" >&2; exit 1; }
done
version=$("$native" --version | awk '{ print $2 }')
name=orvo-build-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/$name
share=$root/share/orvo-build
mkdir -p "$root/bin" "$share/templates" "$share/example"

strip -o "$root/bin/orvo-build" "$native"
x86_64-w64-mingw32-strip -o "$root/bin/orvo-build.exe" "$build/builder/orvo-build.exe"
x86_64-w64-mingw32-strip -o "$share/PeloraSetup.exe" "$build/resources/stub.exe"
# strip writes the time it ran into a PE file's header: the archive's time instead, checksum made anew
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || echo 0)}
python3 - "$epoch" "$root/bin/orvo-build.exe" "$share/PeloraSetup.exe" <<'PY'
import struct, sys
for path in sys.argv[2:]:
    image = bytearray(open(path, "rb").read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    struct.pack_into("<I", image, pe + 8, int(sys.argv[1]) & 0xFFFFFFFF)
    field = pe + 24 + 64
    struct.pack_into("<I", image, field, 0)
    total = 0
    padded = image + b"\0" * (len(image) & 1)
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    struct.pack_into("<I", image, field, ((total & 0xFFFF) + (total >> 16) + len(image)) & 0xFFFFFFFF)
    open(path, "wb").write(image)
PY
cp "$build/orvo-build-data/templates/"* "$share/templates/"
cp "$build/orvo-build-data/frame.lz" "$build/orvo-build-data/style.lz" "$share/"
cp "$top/tools/demo/example-project.lua" "$share/example/project.lua"
# the publisher's page: the README's section, on its own
awk '/^## Building an installer for your own files/ { on = 1 } on && /^## / && !/your own files/ { exit } on' \
    "$top/README.md" >"$root/README.md"
echo "$version" >"$root/VERSION"
(cd "$root" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)

mkdir -p "$out"
tar --sort=name --mtime="@$epoch" --owner=0 --group=0 --numeric-owner -C "$stage" -cf - "$name" |
    gzip -n -9 >"$out/$name.tar.gz"
echo "$out/$name.tar.gz"
