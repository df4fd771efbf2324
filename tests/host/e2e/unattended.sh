#!/usr/bin/env bash
# Unattended installs and exit codes with the real PeloraSetup.exe. Silent runs (/S) into a folder
# with spaces, by /D= (the last argument, unquoted) and by /DIR="...": no window of theirs is ever
# visible (the X server is polled through every run), every file and registry value as an
# interactive install writes them, the log names every file; with the application running it is
# stopped; a file held open past the retries fails with 1603 and is named in the log while a second
# copy is refused with 1618; a bad switch and a refused folder end with 87 and write nothing.
# Interactive: quitting on the licence page is 1602; a damaged payload entry (the executable's
# digests made to match it, so that extraction, not the self-check, meets it) shows one box, the
# dialog leaves, 1603.
set -u
. "$(dirname "$0")/../../e2e/installer.sh"
inst_begin "$1"
base='C:\OrvoE2E\Silent Folder'
folder="$base\\With Spaces\\"
inst_clean 'C:\OrvoE2E'
logs=$e2e_work/logs
mkdir -p "$logs"

# --- no window: a watcher lists every visible window that was not there before the runs ---------
visible_windows() { xdotool search --onlyvisible --name '.*' 2>/dev/null | sort; }
visible_windows >"$e2e_work/baseline"
(
    while [ ! -e "$e2e_work/watch.stop" ]; do
        visible_windows | comm -13 "$e2e_work/baseline" - | while read -r id; do
            echo "$id $(xdotool getwindowname "$id" 2>/dev/null)"
        done >>"$e2e_work/seen"
        sleep 0.05
    done
) &
watcher=$!
e2e_at_exit 'touch "$e2e_work/watch.stop"'
# The windows seen so far, except the application's own (it runs in one of the scenarios).
installer_windows() { sort -u "$e2e_work/seen" 2>/dev/null | grep -v ' Pelora$'; }

# silent_run NAME ARGS...: runs the installer with /S /LOG=<logs/NAME.log> ARGS to its end; its
# full exit code in rc.
silent_run() {
    local name=$1
    shift
    rc=$(win_exit_code "$inst_setup" /S "/LOG=$(winpath "$logs/$name.log")" "$@")
}
expect_rc() { [ "$rc" = "$1" ] || fail "$2: exit code $rc, expected $1"; }
log_has() { grep -qF -- "$2" "$logs/$1.log" || fail "the $1 log lacks \"$2\": $(cat "$logs/$1.log")"; }
nothing_written() {
    inst_reg 'HKCU\Software\OrvoNubelo' "$e2e_work/none.reg"
    [ -s "$e2e_work/none.reg" ] && fail "$1 wrote the registry"
    check test ! -e "$(unixpath "$base")" "$1 made the install folder"
}

# --- 87: a bad switch and a refused folder touch nothing ------------------------------------------
silent_run bad /Bogus
expect_rc 87 "an unknown switch"
log_has bad "unknown switch or bad value: /Bogus"
log_has bad "/VERYSILENT"
log_has bad "exit code 87"
nothing_written "an unknown switch"
silent_run root /D=C:\\
expect_rc 87 "the drive root as the folder"
log_has root "install folder refused"
nothing_written "a refused folder"

# --- 0: /D= unquoted with spaces, the monitor asked for --------------------------------------------
# shellcheck disable=SC2086 # the folder goes as separate words: the installer sees it unquoted
silent_run plain /AUTOSTART=1 /D=${folder%\\}
expect_rc 0 "the silent install by /D="
inst_expect_payload "$folder"
# Every level the installer made outside Program Files has rights of its own, none for everyone
# (which the drive root grants): Wine keeps them as the folder's Unix permissions.
for level in 'C:\OrvoE2E' "$base" "$folder"; do
    mode=$(stat -c %a "$(unixpath "$level")")
    [ "${mode: -1}" = 0 ] || fail "$level was made with rights for everyone (Unix mode $mode)"
done
files=$(cd "$inst_payload" && find . -type f | wc -l)
written=$(grep -c 'file written: ' "$logs/plain.log")
[ "$written" -eq "$files" ] || fail "the log names $written files written, the payload has $files"
log_has plain "file written: ${folder}NubeloUI.exe ("
log_has plain "install folder: $folder"
log_has plain "registry value written: HKCU\\Software\\OrvoNubelo\\InstallPath = $folder"
log_has plain "exit code 0"
inst_reg 'HKCU\Software\OrvoNubelo' "$e2e_work/app.reg"
check reg_has "$e2e_work/app.reg" "\"InstallPath\"=\"${folder//\\/\\\\}\"" "no InstallPath"
check reg_has "$e2e_work/app.reg" '"Version"="8.0.0.5"' "no Version"
inst_reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' "$e2e_work/uninstall.reg"
check reg_has "$e2e_work/uninstall.reg" '"DisplayName"="OrvoPelora"' "no uninstall entry"
inst_reg 'HKCR\orvolive\shell\open\command' "$e2e_work/protocol.reg"
check reg_has "$e2e_work/protocol.reg" "@=\"\\\"${folder//\\/\\\\}NubeloUI.exe\\\" \\\"%1\\\"\"" "no URL protocol"
inst_reg 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' "$e2e_work/run.reg"
check grep -qF '"OrvoNubelo Daemon"=' "$e2e_work/run.reg" "/AUTOSTART=1 wrote no autostart value"
check test -e "$(unixpath 'C:\users\Public\Desktop')/OrvoPelora.lnk" "no shortcut"
inst_running "${folder}NubeloUI.exe" && fail "a silent run launched the application"

# --- 0: /DIR="..." with the application running: it is stopped ------------------------------------
win_start "${folder}NubeloUI.exe"
app=$win_pid
running() { inst_running "${folder}NubeloUI.exe"; }
wait_for 20 running || fail "the application did not start"
silent_run running "/DIR=$folder" /NORESTART
expect_rc 0 "the silent install by /DIR= with the application running"
wait "$app" 2>/dev/null
inst_app_pid=
running && fail "the running application was not stopped"
log_has running "stopping the processes of ${folder}NubeloUI.exe"
log_has running "exit code 0"
inst_expect_payload "$folder"

# --- 1603 and 1618: a file held open past the retries, and a second copy meanwhile ----------------
held="$folder$(inst_step_file 40)"
before="$folder$(inst_step_file 39)"
rm -f "$(unixpath "$before")"
inst_hold "$held"
win_start --code "$inst_setup" /S "/LOG=$(winpath "$logs/held.log")" "/DIR=$folder"
first=$win_pid
retrying() { grep -qF "file held open, retrying" "$logs/held.log" 2>/dev/null; }
wait_for 60 retrying || fail "the held file is not retried: $(cat "$logs/held.log")"
silent_run second
expect_rc 1618 "a second copy"
log_has second "检测到Orvo安装或卸载程序正在运行"
win_wait "$first" 40
rc=$win_rc
inst_release
expect_rc 1603 "a file held open past the retries"
log_has held "file still held open, giving up: $held"
log_has held "exit code 1603"
# the failed install rolled back: the file before the held one was missing and is missing again
check test ! -e "$(unixpath "$before")" "the rolled back install left the file before the held one"
started=$(grep -F "file held open, retrying" "$logs/held.log" | cut -c12-19)
gave_up=$(grep -F "file still held open, giving up" "$logs/held.log" | cut -c12-19)
span=$(( $(date -ud "$gave_up" +%s) - $(date -ud "$started" +%s) ))
[ "$span" -ge 9 ] && [ "$span" -le 15 ] || fail "retried for $span seconds, not 10"

[ -z "$(installer_windows)" ] || fail "silent runs showed windows: $(installer_windows)"

# --- 1602: an interactive run quit on the licence page; the watcher must have seen its window -----
inst_clean 'C:\OrvoE2E'
inst_start
inst_click 5000
box_answer 退出安装程序 6
inst_wait_exit
check test "$inst_rc" -eq 1602 "quitting on the licence page: exit code $inst_rc"
touch "$e2e_work/watch.stop"
wait "$watcher"
installer_windows | grep -qF ' Pelora安装程序' || fail "the window watcher is blind: $(installer_windows)"

# --- 1603: an interactive run over a damaged payload entry: one box, and the dialog leaves ---------
damaged=$e2e_work/PeloraSetup-damaged.exe
python3 - "$inst_setup" "$e2e_build/resources/program.lz" "$damaged" "$e2e_lzpack" "$e2e_work" <<'PY' ||
import hashlib, struct, subprocess, sys
setup, package, out, lzpack, work = sys.argv[1:]
exe, pkg = open(setup, "rb").read(), open(package, "rb").read()
at = exe.find(pkg)
assert at >= 0, "the payload package is not in the executable"
# a byte in the middle of the data, moved on until lzpack verify names the entry it spoils
for tenth in range(40, 90):
    spot = len(pkg) * tenth // 100
    spoilt = bytearray(pkg)
    spoilt[spot:spot + 8] = bytes(b ^ 0xA5 for b in spoilt[spot:spot + 8])
    open(work + "/damaged.lz", "wb").write(spoilt)
    check = subprocess.run([lzpack, "verify", work + "/damaged.lz"], capture_output=True, text=True)
    if check.returncode == 1 and ".lz: " in check.stderr and "directory" not in check.stderr:
        image = bytearray(exe)
        image[at:at + len(pkg)] = spoilt
        # the digests made right for the spoilt package, so the self-check at start lets it by and
        # the damage is met where a bad read would meet it: while extracting
        # (the resource, not a copy of its magic in the program or its debug information)
        # (five named files and the uninstaller's recipe)
        base = image.find(b"ORVODIG1" + struct.pack("<II", 6, 1 << 20))
        count, size = 6, 1 << 20
        record = base + 16
        for _ in range(count):
            ident, length = struct.unpack_from("<II", image, record)
            slices = max(1, -(-length // size))
            if ident == 115:
                for k in range(slices):
                    image[record + 8 + 32 * k:record + 40 + 32 * k] = hashlib.sha256(spoilt[k * size:(k + 1) * size]).digest()
            record += 8 + 32 * slices
        open(out, "wb").write(image)
        print(check.stderr.strip())
        sys.exit(0)
sys.exit("no byte of the package spoils just one entry")
PY
    fail "cannot make a damaged installer"
inst_setup=$damaged
inst_start
inst_tick_agreement
inst_click 1003
box_answer 错误 1
case "$box_text" in
    安装过程发生异常*安装包已损坏*) ;;
    *) fail "the box says: $box_text" ;;
esac
inst_wait_exit
check test "$inst_rc" -eq 1603 "a damaged entry: exit code $inst_rc"
echo "silent by /D= and /DIR= (no window, every file logged, application stopped), 1603 on a held file," \
     "1618 for a second copy, 87 for a bad switch or folder; interactive 1602 on quit, 1603 on a damaged entry"
