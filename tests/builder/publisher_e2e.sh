#!/usr/bin/env bash
# A publisher's whole path with the release archive alone: unpack it, write a project for a
# payload that is not the demo (a few hundred files in nested folders, Chinese and spaces in the
# names), run orvo-build with no compiler on PATH, and then:
#  1. a payload name Windows cannot make: an error naming it, exit non-zero, no installer;
#  2. three builds (cold cache, warm cache, no cache) give the same bytes, in solid blocks; one
#     changed file's block is the only unit packed again, and the result equals a build without the
#     cache; the payload package is the one `lzpack create` makes of the same files with the same
#     settings (solid and file by file), and the worker's steps follow its order;
#  3. the silent install writes every file byte for byte, and the uninstall entry carries the
#     project's name, version and publisher; the window title carries its name and version;
#  4. the silent uninstall (the uninstaller orvo-build wrote) removes the files and the entry;
#  5. signed with a certificate made here: osslsigncode verifies the installer and the uninstaller
#     inside it, two signed builds are the same bytes, and the signed installer passes its
#     self-check and installs.
set -u
. "$(dirname "$0")/../e2e/e2e.sh"
e2e_begin "$1"

# --- the release archive, made from this build and unpacked alone ---
archive_dir=$e2e_work/dist
ORVO_BUILD_DIR=$e2e_build bash "$e2e_top/tools/dist.sh" "$archive_dir" >/dev/null || fail "tools/dist.sh failed"
archive=$(ls "$archive_dir"/orvo-build-*.tar.gz 2>/dev/null | head -1)
[ -n "$archive" ] || fail "no release archive in $archive_dir"
mkdir -p "$e2e_work/release"
tar -xzf "$archive" -C "$e2e_work/release"
release=$(echo "$e2e_work"/release/orvo-build-*)
(cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "the archive's SHA256SUMS does not match its files"
tool=$release/bin/orvo-build
# PATH holds osslsigncode and nothing else: no compiler, no resource compiler, no linker
mkdir -p "$e2e_work/path"
ln -s "$(command -v osslsigncode)" "$e2e_work/path/osslsigncode"
build() { env -i PATH="$e2e_work/path" HOME="$e2e_work/home" SIGN_PASS="${SIGN_PASS:-}" "$tool" "$@"; }
check test -z "$(PATH=$e2e_work/path command -v gcc x86_64-w64-mingw32-gcc windres ld)" "a compiler is on the PATH"

# --- the payload and the project ---
payload=$e2e_work/payload
python3 - "$payload" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(28)
folders = ["", "bin", "bin/插件", "data", "data/用户 模板", "data/用户 模板/深 层", "docs", "docs/帮助 文档", "media files"]
count = 0
for folder in folders:
    os.makedirs(os.path.join(root, folder), exist_ok=True)
    for i in range(36):
        name = rng.choice(["文件", "note", "图像 ", "readme ", "数据"]) + "%02d" % i + rng.choice([".txt", ".bin", ".dat", " 副本.ini"])
        size = rng.choice([0, 17, 900, 5000, 40000, 200000])
        data = rng.randbytes(size) if name.endswith(".bin") else (("行 %d " % i) * (size // 6 + 1)).encode()[:size]
        with open(os.path.join(root, folder, name), "wb") as f:
            f.write(data)
        count += 1
os.makedirs(os.path.join(root, "empty folder"))
with open(os.path.join(root, "LumenNotes.exe"), "wb") as f:
    f.write(b"MZ" + rng.randbytes(30000))
print(count + 1)
PY
files=$(find "$payload" -type f | wc -l)
check test "$files" -ge 300 "only $files payload files"
project=$e2e_work/project.lua
cat >"$project" <<'LUA'
return {
    name = "Lumen Notes",
    program_name = "Lumen",
    executable = "LumenNotes.exe",
    version = "3.1.4",
    publisher = "Lumen Software Ltd.",
    publisher_url = "https://lumen.example/",
    licence_url = "https://lumen.example/licence.html",
    install_folder = "LumenNotes",
    payload = "payload",
    output = "out/LumenSetup.exe",
    cache = "cache",
    solid = 1,
}
LUA

# 1. a name Windows cannot make: refused by name, nothing written
mkdir -p "$e2e_work/bad/payload/sub"
cp "$payload/LumenNotes.exe" "$e2e_work/bad/payload/"
touch "$e2e_work/bad/payload/sub/CON.txt"
cp "$project" "$e2e_work/bad/project.lua"
if build "$e2e_work/bad/project.lua" >"$e2e_work/bad.out" 2>&1; then
    fail "a payload with CON.txt was built"
fi
grep -q 'sub/CON.txt' "$e2e_work/bad.out" || fail "the error does not name sub/CON.txt: $(cat "$e2e_work/bad.out")"
check test ! -e "$e2e_work/bad/out" -o -z "$(ls -A "$e2e_work/bad/out" 2>/dev/null)" "a refused build left output behind"

# 2. cold, warm and uncached builds: the same bytes
setup=$e2e_work/out/LumenSetup.exe
build "$project" >"$e2e_work/cold.out" 2>&1 || fail "orvo-build failed: $(cat "$e2e_work/cold.out")"
grep -q '^SHA-256 [0-9a-f]\{64\} ' "$e2e_work/cold.out" || fail "no SHA-256 line: $(cat "$e2e_work/cold.out")"
grep -q "$(sha256sum "$setup" | cut -c1-64)" "$e2e_work/cold.out" || fail "the printed SHA-256 is not the file's"
grep -q 'not signed' "$e2e_work/cold.out" || fail "the summary does not say the build is unsigned"
cp "$setup" "$e2e_work/cold.exe"
build "$project" >"$e2e_work/warm.out" 2>&1 || fail "the second build failed: $(cat "$e2e_work/warm.out")"
grep -q ' 0 packed' "$e2e_work/warm.out" || fail "the warm build packed files again: $(tail -2 "$e2e_work/warm.out")"
cmp -s "$setup" "$e2e_work/cold.exe" || fail "two builds of the same project differ"
build --no-cache "$project" >/dev/null 2>&1 || fail "the uncached build failed"
cmp -s "$setup" "$e2e_work/cold.exe" || fail "the build without the cache differs from the cached one"
# changed in place: the same size keeps every block's members, so exactly one block is packed again
changed=$(find "$payload/data" -name '*.txt' -size +4k | sort | head -1)
printf 'changed' | dd of="$changed" conv=notrunc status=none
build --keep "$e2e_work/kept" "$project" >"$e2e_work/one.out" 2>&1 || fail "the rebuild failed"
grep -q ' 1 packed' "$e2e_work/one.out" || fail "one changed file did not pack one unit: $(tail -2 "$e2e_work/one.out")"
cp "$setup" "$e2e_work/changed.exe"
build --no-cache "$project" >/dev/null 2>&1 || fail "the uncached rebuild failed"
cmp -s "$setup" "$e2e_work/changed.exe" || fail "the rebuild from the cache differs from an uncached one"
# lzpack makes the same package from the same files (the installer writes its uninstaller beside them)
mkdir -p "$e2e_work/tree"
cp -a "$payload/." "$e2e_work/tree/"
"$e2e_lzpack" create --lzma=7 --solid=1 "$e2e_work/lzpack.lz" "$e2e_work/tree" || fail "lzpack create --solid failed"
cmp -s "$e2e_work/kept/program.lz" "$e2e_work/lzpack.lz" || fail "orvo-build's solid package differs from lzpack's"
build --no-cache --keep "$e2e_work/kept0" --set solid=0 --set level=1 --output "$e2e_work/perfile.exe" "$project" \
    >/dev/null 2>&1 || fail "the build file by file failed"
"$e2e_lzpack" create --lzma=1 "$e2e_work/lzpack0.lz" "$e2e_work/tree" || fail "lzpack create failed"
cmp -s "$e2e_work/kept0/program.lz" "$e2e_work/lzpack0.lz" || fail "orvo-build's package file by file differs from lzpack's"
# the worker's files in the package's order
"$e2e_lzpack" list "$e2e_work/kept/program.lz" 2>/dev/null | cut -f1 >"$e2e_work/package.order"
sed -n 's/^    {1, \[\[\(.*\)\]\]},$/\1/p' "$e2e_work/kept/LG.lua" | tr '\\' / >"$e2e_work/steps.order"
check test -s "$e2e_work/steps.order" "the worker script lists no files"
cmp -s "$e2e_work/package.order" "$e2e_work/steps.order" || fail "the worker's steps do not follow the package's order"

# 3. installed silently: every file, the uninstall entry
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\LumenNotes'
folder='C:\OrvoE2E\Lumen Notes'
clean() {
    wine reg delete "$key" /f >/dev/null 2>&1
    wine reg delete 'HKCU\Software\LumenNotes' /f >/dev/null 2>&1
    rm -rf "$(unixpath 'C:\OrvoE2E')" "$(unixpath 'C:\users\Public\Desktop')/Lumen Notes.lnk"
}
clean
e2e_at_exit clean
code=$(win_exit_code "$(winpath "$setup")" /S "/D=$folder")
check test "$code" = 0 "the silent install exited with '$code'"
installed=$(unixpath "$folder")
(cd "$payload" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$e2e_work/payload.sums"
(cd "$installed" && sha256sum -c --quiet "$e2e_work/payload.sums") || fail "installed files differ from the payload"
check test -d "$installed/empty folder" "the empty folder was not made"
check test -f "$installed/unins000.exe" "no uninstaller was installed"
cmp -s "$installed/unins000.exe" "$e2e_work/kept/unins000.exe" ||
    fail "the installer did not write its uninstaller as orvo-build made it"
reg_value() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
check test "$(reg_value DisplayName)" = "Lumen Notes" "DisplayName is '$(reg_value DisplayName)'"
check test "$(reg_value DisplayVersion)" = "3.1.4" "DisplayVersion is '$(reg_value DisplayVersion)'"
check test "$(reg_value Publisher)" = "Lumen Software Ltd." "Publisher is '$(reg_value Publisher)'"
# the window, started without /S: its title is the project's
# (through the probe: ending it ends the installer)
win_start --code "$(winpath "$setup")"
window_find "Lumen Notes 3.1.4 安装程序" 30
kill "$win_pid" 2>/dev/null
wait "$win_pid" 2>/dev/null

# 4. the uninstaller orvo-build wrote knows the product's keys
e2e_on_fail 'cat "$(unixpath "C:\\OrvoE2E\\uninstall.log")"'
code=$(win_exit_code "$folder\\unins000.exe" /S '/LOG=C:\OrvoE2E\uninstall.log')
check test "$code" = 0 "the silent uninstall exited with '$code'"
gone() { ! wine reg query "$key" >/dev/null 2>&1; }
wait_for 20 gone || fail "the uninstall entry is still there"
wait_for 20 test ! -e "$installed/LumenNotes.exe" || fail "the uninstall left LumenNotes.exe"

# 5. signed with a certificate made here
(cd "$e2e_work" && openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=OrvoE2E -days 2 -keyout key.pem -out cert.pem &&
    openssl pkcs12 -export -inkey key.pem -in cert.pem -out signing.p12 -passout pass:e2e-secret) >/dev/null 2>&1 ||
    fail "no test certificate"
sed 's|^}$|    sign = { pkcs12 = "signing.p12", password_env = "SIGN_PASS" },\n    output = "out/LumenSigned.exe",\n}|' \
    "$project" | grep -v 'output = "out/LumenSetup.exe"' >"$e2e_work/signed.lua"
signed=$e2e_work/out/LumenSigned.exe
SIGN_PASS=e2e-secret build "$e2e_work/signed.lua" >"$e2e_work/signed.out" 2>&1 ||
    fail "the signed build failed: $(cat "$e2e_work/signed.out")"
grep -q ', signed' "$e2e_work/signed.out" || fail "the summary does not say signed"
osslsigncode verify -CAfile "$e2e_work/cert.pem" -in "$signed" >"$e2e_work/verify.out" 2>&1 ||
    fail "osslsigncode does not verify the installer: $(tail -5 "$e2e_work/verify.out")"
cp "$signed" "$e2e_work/signed-first.exe"
SIGN_PASS=e2e-secret build "$e2e_work/signed.lua" >/dev/null 2>&1 || fail "the second signed build failed"
cmp -s "$signed" "$e2e_work/signed-first.exe" || fail "two signed builds differ"
if build "$e2e_work/signed.lua" >"$e2e_work/nopass.out" 2>&1; then
    fail "a signed build without its password succeeded"
fi
grep -q 'SIGN_PASS' "$e2e_work/nopass.out" || fail "the error does not name SIGN_PASS: $(cat "$e2e_work/nopass.out")"
code=$(win_exit_code "$(winpath "$signed")" /S '/D=C:\OrvoE2E\Signed')
check test "$code" = 0 "the signed installer exited with '$code' (its self-check?)"
osslsigncode verify -CAfile "$e2e_work/cert.pem" -in "$(unixpath 'C:\OrvoE2E\Signed')/unins000.exe" >/dev/null 2>&1 ||
    fail "the installed uninstaller is not signed"
# a byte after the signature: refused by the self-check
cp "$signed" "$e2e_work/appended.exe"
printf 'x' >>"$e2e_work/appended.exe"
code=$(win_exit_code "$(winpath "$e2e_work/appended.exe")" /S '/D=C:\OrvoE2E\Appended')
check test "$code" = 1603 "data after the signature was not refused (exit '$code')"
check test ! -e "$(unixpath 'C:\OrvoE2E\Appended')" "the refused installer wrote files"
echo "PASS: $files files built, installed, uninstalled; signed and verified"
