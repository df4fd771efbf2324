#!/usr/bin/env bash
# An update: a stored install folder on an existing drive hides custom install, and install at once
# goes there. A payload file held open by another program brings the retry question until it is
# let go; then the installation completes. "Finish and launch" with the monitor unticked starts
# the application and writes no autostart value.
set -u
. "$(dirname "$0")/../../e2e/installer.sh"
inst_begin "$1"
folder='C:\OrvoE2E\Stored\'
inst_clean 'C:\OrvoE2E'
# written with forward slashes and no trailing backslash: the installer makes it its own form
inst_store_path 'C:/OrvoE2E/Stored'
locked="$folder$(inst_step_file 40)"
inst_hold "$locked"

inst_start
inst_tick_agreement
check inst_id_changes 1003 "$e2e_work/unticked.ppm" "$e2e_work/ticked.ppm" "ticking the agreement leaves 1003 as it was"
inst_id_changes 1004 "$e2e_work/unticked.ppm" "$e2e_work/ticked.ppm" && fail "custom install is shown with a stored folder"
inst_inert 1004
inst_click 1003

busy=$(printf '文件可能被其他程序占用。\r\n%s\r\n请关闭占用的程序再重试' "$locked")
# Retry while the file is still held asks again; Retry after it is let go goes on.
box_answer 异常 4 "$busy"
wait_for 20 inst_box_shown || fail "Retry on a file still held did not ask again"
inst_release
box_answer 异常 4 "$busy"
inst_wait_finish
no_box 异常
inst_click 4003
# the program itself (not a shell that was given its path), and its window
running() { inst_running "${folder}NubeloUI.exe" && xdotool search --onlyvisible --name '^Pelora$' >/dev/null; }
wait_for 20 running || fail "finish and launch did not start NubeloUI.exe"
inst_wait_exit
check test "$inst_rc" -eq 0 "exit code $inst_rc, not 0"
kill "$inst_app_pid"
inst_app_pid=

inst_expect_payload "$folder"
inst_reg 'HKCU\Software\OrvoNubelo' "$e2e_work/app.reg"
check reg_has "$e2e_work/app.reg" '"InstallPath"="C:\\OrvoE2E\\Stored\\"' "the stored folder was not kept"
inst_reg 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' "$e2e_work/run.reg"
grep -qF '"OrvoNubelo Daemon"=' "$e2e_work/run.reg" && fail "an autostart value with the monitor unticked"
echo "update into the stored $folder: locked file retried, application launched, no autostart"
