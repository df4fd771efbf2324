#!/usr/bin/env bash
# A damaged installer touches nothing. Copies of the real PeloraSetup.exe with one byte changed in
# each of its five resources in turn, and one cut short by a byte, run while another installer
# holds the installer mutex, a nubmon.exe runs and the cleanup's folders hold leftovers: each shows
# the one "错误" box (not the "already running" notice: the check comes before the lock) and exits
# with 1603, or, cut short, may not start at all; with /S the box is not shown and the reason goes
# to the /LOG file. Afterwards the install folder, the registry, the leftovers and nubmon.exe are
# as they were.
set -u
. "$(dirname "$0")/../../e2e/installer.sh"
inst_begin "$1"
copy=$e2e_work/Setup.exe
damaged_text='安装程序已损坏，请重新下载。'

# what the cleanup would stop and delete
appdata=$(find "$(unixpath 'C:\users')" -mindepth 3 -maxdepth 3 -type d -path '*/AppData/Roaming' ! -path '*/Public/*' | head -1)
[ -n "$appdata" ] || fail "no roaming application-data folder in the prefix"
user=$(basename "$(dirname "$(dirname "$appdata")")")
inst_clean "C:\\users\\$user\\AppData\\Roaming\\Nubelo"
mkdir -p "$appdata/Nubelo/codecs"
printf 'old' >"$appdata/Nubelo/settings.ini"
cp "$e2e_hold_file" "$e2e_work/nubmon.exe"
win_start "$(winpath "$e2e_work/nubmon.exe")" "$(winpath "$e2e_work/nubmon.lock")" "$(winpath "$e2e_work/nubmon.ready")" \
    "$(winpath "$e2e_work/nubmon.stop")"
nubmon=$win_pid
nubmon_ready() { [ -e "$e2e_work/nubmon.ready" ]; }
wait_for 20 nubmon_ready || fail "nubmon.exe did not start"
win_start "$e2e_hold_mutex" "$(winpath "$e2e_work/mutex.ready")" "$(winpath "$e2e_work/mutex.stop")"
mutex_pid=$win_pid
mutex_ready() { [ -e "$e2e_work/mutex.ready" ]; }
wait_for 20 mutex_ready || fail "the mutex holder did not start: is another installer running?"
stop_helpers() { touch "$e2e_work/nubmon.stop" "$e2e_work/mutex.stop"; wait "$nubmon" "$mutex_pid" 2>/dev/null; }
e2e_at_exit stop_helpers

# run_copy [ARGS...]: the copy through the probe; finished_copy: its full exit code in $code
run_copy() { win_start --code "$(winpath "$copy")" "$@"; copy_pid=$win_pid; }
finished_copy() { win_wait "$copy_pid" 60; code=$win_rc; }
untouched() {
    check test ! -e "$(unixpath "$inst_install_dir")" "$1: the install folder exists"
    check test "$(cat "$appdata/Nubelo/settings.ini" 2>/dev/null)" = old "$1: the cleanup ran"
    check kill -0 "$nubmon" "$1: nubmon.exe was stopped"
    if wine reg query 'HKCU\Software\OrvoNubelo' </dev/null >/dev/null 2>&1 ||
       wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' </dev/null >/dev/null 2>&1; then
        fail "$1: registry values were written"
    fi
}

for id in 111 113 114 115 116; do
    read -r at size <<<"$(wine "$e2e_probe" offset "$(winpath "$inst_setup")" $id </dev/null | tr -d '\r')"
    [ -n "${size:-}" ] || fail "resource $id not found in $inst_setup"
    cp "$inst_setup" "$copy"
    # one byte in the middle of the resource, changed
    python3 -c "import sys; f=open(sys.argv[1],'r+b'); f.seek(int(sys.argv[2])); b=f.read(1); f.seek(int(sys.argv[2])); f.write(bytes([b[0]^0x55]))" \
        "$copy" $((at + size / 2))
    run_copy
    box_answer 错误 1 "$damaged_text"
    finished_copy
    check test "$code" = 1603 "resource $id changed: exit $code, not 1603"
    untouched "resource $id changed"
    echo "resource $id (byte $((size / 2)) of $size changed): one box, exit 1603, nothing touched"
done

# silent: no box, the reason in the log, the same exit code (the copy still has style.lz changed)
log=$e2e_work/setup.log
run_copy /S "/LOG=$(winpath "$log")"
no_box 错误
finished_copy
check test "$code" = 1603 "silent run of a damaged copy: exit $code, not 1603"
check grep -q "$damaged_text (resource 116 does not match its SHA-256)" "$log" "the silent run's log lacks the reason: $(cat "$log" 2>/dev/null)"
untouched "silent run"
echo "silent run: no box, the reason in the log, exit 1603"

# cut short by one byte: Windows may refuse to start it; if it starts, it refuses itself
size=$(stat -c %s "$inst_setup")
head -c $((size - 1)) "$inst_setup" >"$copy"
run_copy
if wine "$e2e_probe" answer 错误 1 "$(winpath "$e2e_work/box.txt")" 15000 </dev/null >/dev/null 2>&1; then
    finished_copy
    check test "$(cat "$e2e_work/box.txt")" = "$damaged_text" "the cut copy's box says $(cat "$e2e_work/box.txt")"
    check test "$code" = 1603 "cut copy: exit $code, not 1603"
    echo "cut short by one byte: one box, exit 1603, nothing touched"
else
    finished_copy
    grep -q 'cannot start' "$win_out" || [ "$code" = 1603 ] ||
        fail "cut copy without a box ended with $code: $(cat "$win_out")"
    echo "cut short by one byte: not started ($code), nothing touched"
fi
untouched "cut short"
