#!/usr/bin/env bash
# Unattended installs and exit codes with the real PeloraSetup.exe. Silent runs (/S) into a folder
# with spaces, by /D= (the last argument, unquoted) and by /DIR="...": no window of theirs is ever
# visible (the X server is polled through every run), every file and registry value as an
# interactive install writes them, the log names every file; with the application running it is
# stopped; a file held open past the retries fails with 1603 and is named in the log while a second
# copy is refused with 1618; a bad switch and a refused folder end with 87 and write nothing.
# Interactive: quitting on the licence page is 1602; a damaged payload entry shows one box, the
# dialog leaves, 1603.
# Exit codes are read through wine, which passes on their low 8 bits: these codes differ in them.
# Extra argument after the harness's four: the lzpack executable, to find a byte that damages an entry.
set -u
. "$(dirname "$0")/installer_harness.sh"
lzpack=$5
inst_begin
base='C:\OrvoE2E\Silent Folder'
folder="$base\\With Spaces\\"
inst_clean 'C:\OrvoE2E'
logs=$drive_work/logs
mkdir -p "$logs"

# --- no window: a watcher lists every visible window that was not there before the runs ---------
visible_windows() { xdotool search --onlyvisible --name '.*' 2>/dev/null | sort; }
visible_windows >"$drive_work/baseline"
(
    while [ ! -e "$drive_work/watch.stop" ]; do
        visible_windows | comm -13 "$drive_work/baseline" - | while read -r id; do
            echo "$id $(xdotool getwindowname "$id" 2>/dev/null)"
        done >>"$drive_work/seen"
        sleep 0.05
    done
) &
watcher=$!
# The windows seen so far, except the application's own (it runs in one of the scenarios).
installer_windows() { sort -u "$drive_work/seen" 2>/dev/null | grep -v ' Pelora$'; }

# silent_run NAME ARGS...: runs the installer with /S /LOG=<logs/NAME.log> ARGS, waits; status in rc.
silent_run() {
    local name=$1
    shift
    wine "$inst_setup" /S "/LOG=$(winpath "$logs/$name.log")" "$@" </dev/null >/dev/null 2>&1
    rc=$?
}
expect_rc() { [ "$rc" -eq $(($1 % 256)) ] || drive_fail "FAIL: $2: exit status $rc, expected $1"; }
log_has() { grep -qF -- "$2" "$logs/$1.log" || drive_fail "FAIL: the $1 log lacks \"$2\": $(cat "$logs/$1.log")"; }
nothing_written() {
    inst_reg 'HKCU\Software\OrvoNubelo' "$drive_work/none.reg"
    [ -s "$drive_work/none.reg" ] && drive_fail "FAIL: $1 wrote the registry"
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
files=$(cd "$inst_payload" && find . -type f | wc -l)
written=$(grep -c 'file written: ' "$logs/plain.log")
[ "$written" -eq "$files" ] || drive_fail "FAIL: the log names $written files written, the payload has $files"
log_has plain "file written: ${folder}NubeloUI.exe ("
log_has plain "install folder: $folder"
log_has plain "registry value written: HKCU\\Software\\OrvoNubelo\\InstallPath = $folder"
log_has plain "exit code 0"
inst_reg 'HKCU\Software\OrvoNubelo' "$drive_work/app.reg"
check reg_has "$drive_work/app.reg" "\"InstallPath\"=\"${folder//\\/\\\\}\"" "no InstallPath"
check reg_has "$drive_work/app.reg" '"Version"="8.0.0.5"' "no Version"
inst_reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' "$drive_work/uninstall.reg"
check reg_has "$drive_work/uninstall.reg" '"DisplayName"="OrvoPelora"' "no uninstall entry"
inst_reg 'HKCR\orvolive\shell\open\command' "$drive_work/protocol.reg"
check reg_has "$drive_work/protocol.reg" "@=\"\\\"${folder//\\/\\\\}NubeloUI.exe\\\" %1\"" "no URL protocol"
inst_reg 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' "$drive_work/run.reg"
check grep -qF '"OrvoNubelo Daemon"=' "$drive_work/run.reg" "/AUTOSTART=1 wrote no autostart value"
check test -e "$(unixpath 'C:\users\Public\Desktop')/OrvoPelora.lnk" "no shortcut"
inst_running "${folder}NubeloUI.exe" && drive_fail "FAIL: a silent run launched the application"

# --- 0: /DIR="..." with the application running: it is stopped ------------------------------------
wine "${folder}NubeloUI.exe" </dev/null >/dev/null 2>&1 &
app=$!
running() { inst_running "${folder}NubeloUI.exe"; }
wait_until 20 running || drive_fail "the application did not start"
silent_run running "/DIR=$folder" /NORESTART
expect_rc 0 "the silent install by /DIR= with the application running"
wait "$app" 2>/dev/null
inst_app_pid=
running && drive_fail "FAIL: the running application was not stopped"
log_has running "stopping the processes of ${folder}NubeloUI.exe"
log_has running "exit code 0"
inst_expect_payload "$folder"

# --- 1603 and 1618: a file held open past the retries, and a second copy meanwhile ----------------
held="$folder$(inst_step_file 40)"
before="$folder$(inst_step_file 39)"
rm -f "$(unixpath "$before")"
inst_hold "$held"
wine "$inst_setup" /S "/LOG=$(winpath "$logs/held.log")" "/DIR=$folder" </dev/null >/dev/null 2>&1 &
first=$!
retrying() { grep -qF "file held open, retrying" "$logs/held.log" 2>/dev/null; }
wait_until 60 retrying || drive_fail "FAIL: the held file is not retried: $(cat "$logs/held.log")"
silent_run second
expect_rc 1618 "a second copy"
log_has second "检测到Orvo安装或卸载程序正在运行"
wait "$first"
rc=$?
inst_release
expect_rc 1603 "a file held open past the retries"
log_has held "file still held open, giving up: $held"
log_has held "exit code 1603"
# the failed install rolled back: the file before the held one was missing and is missing again
check test ! -e "$(unixpath "$before")" "the rolled back install left the file before the held one"
started=$(grep -F "file held open, retrying" "$logs/held.log" | cut -c12-19)
gave_up=$(grep -F "file still held open, giving up" "$logs/held.log" | cut -c12-19)
span=$(( $(date -ud "$gave_up" +%s) - $(date -ud "$started" +%s) ))
[ "$span" -ge 9 ] && [ "$span" -le 15 ] || drive_fail "FAIL: retried for $span seconds, not 10"

[ -z "$(installer_windows)" ] || drive_fail "FAIL: silent runs showed windows: $(installer_windows)"

# --- 1602: an interactive run quit on the licence page; the watcher must have seen its window -----
inst_clean 'C:\OrvoE2E'
inst_start
drive_click 5000
inst_box 退出安装程序 6
inst_wait_exit
inst_expect_exit 1602
touch "$drive_work/watch.stop"
wait "$watcher"
installer_windows | grep -qF ' Pelora安装程序' || drive_fail "FAIL: the window watcher is blind: $(installer_windows)"

# --- 1603: an interactive run over a damaged payload entry: one box, and the dialog leaves ---------
damaged=$inst_build/PeloraSetup-damaged.exe
python3 - "$inst_setup" "$inst_build/resources/program.lz" "$damaged" "$lzpack" "$drive_work" <<'PY' ||
import subprocess, sys
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
    check = subprocess.run(["wine", lzpack, "verify", "Z:" + work.replace("/", "\\") + "\\damaged.lz"],
                           capture_output=True, text=True)
    if check.returncode == 1 and ".lz: " in check.stderr and "directory" not in check.stderr:
        image = bytearray(exe)
        image[at:at + len(pkg)] = spoilt
        open(out, "wb").write(image)
        print(check.stderr.strip())
        sys.exit(0)
sys.exit("no byte of the package spoils just one entry")
PY
    drive_fail "cannot make a damaged installer"
inst_setup=$damaged
inst_start
inst_tick_agreement
drive_click 1003
inst_box 错误 1
case "$(cat "$drive_work/box.txt")" in
    安装过程发生异常*安装包已损坏*) ;;
    *) drive_fail "FAIL: the box says: $(cat "$drive_work/box.txt")" ;;
esac
inst_wait_exit
inst_expect_exit 1603
rm -f "$damaged"
echo "silent by /D= and /DIR= (no window, every file logged, application stopped), 1603 on a held file," \
     "1618 for a second copy, 87 for a bad switch or folder; interactive 1602 on quit, 1603 on a damaged entry"
