#!/usr/bin/env bash
# Silent uninstalls through the uninstall entry's QuietUninstallString, no window at all:
#  1. an unknown switch is refused with 87 and removes nothing;
#  2. with the application running: it is stopped, everything goes, exit code 0, and /LOG wrote
#     the steps;
#  3. after a second install, with a payload file held open: that file (and its folder) are left
#     for the next boot, listed in PendingFileRenameOperations, exit code 3010; all else goes.
set -u
. "$(dirname "$0")/uninstall_steps.sh"
inst_begin "$1"
folder='C:\OrvoE2E\Silent\'
inst_clean 'C:\OrvoE2E'
no_window() { xdotool search --onlyvisible --name '^Pelora卸载程序$' >/dev/null 2>&1 && fail "a silent uninstall showed its window"; return 0; }
marker_clean() { find "$WINEPREFIX/drive_c/users" -maxdepth 8 -name nubelo_restart -delete 2>/dev/null; return 0; }
e2e_at_exit marker_clean

un_install 'C:\OrvoE2E\Silent'
quiet=$(un_entry QuietUninstallString)
check test "$quiet" = "\"${folder}unins000.exe\" /S" "QuietUninstallString is $quiet"

un_start "$quiet" /BOGUS
un_result
check test "$un_code" = 87 "an unknown switch ended with $un_code"
inst_expect_payload "$folder"
check test -e "$(unixpath "$folder")/unins000.dat" "the refused run removed the journal"

wine "${folder}NubeloUI.exe" </dev/null >/dev/null 2>&1 &
wait_for 20 inst_running "${folder}NubeloUI.exe" || fail "the application did not start"
log='C:\OrvoE2E\logs\uninstall.log'
un_start "$quiet" "/LOG=$log"
ended_unseen() { no_window; ! kill -0 "$inst_pid" 2>/dev/null; }
wait_for 60 ended_unseen || fail "the silent uninstall did not end"
un_result
check test "$un_code" = 0 "the silent uninstall ended with $un_code"
inst_running "${folder}NubeloUI.exe" && fail "the application still runs"
inst_app_pid=
un_expect_removed "$folder"
check test ! -e "$(unixpath "$folder")" "the install folder is still there"
check grep -q 'stopped .*NubeloUI.exe' "$(unixpath "$log")" "the log does not say the application was stopped"
check grep -q 'exit code 0' "$(unixpath "$log")" "the log has no exit code"

un_install 'C:\OrvoE2E\Silent'
held="$folder$(inst_step_file 40)"
inst_hold "$held"
un_start "$(un_entry QuietUninstallString)"
un_result
check test "$un_code" = 3010 "the uninstall with a file in use ended with $un_code"
wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
    </dev/null >"$e2e_work/pending.txt" 2>&1
check grep -qiF "${held}" "$e2e_work/pending.txt" "the held file is not in PendingFileRenameOperations"
inst_release
left=$(cd "$(unixpath "$folder")" && find . -type f | sort | tr '\n' ' ')
check test "$left" = "./$(inst_step_file 40 | tr '\\' '/') " "left beside the held file: $left"
check test ! -e "$(unixpath "$folder")/unins000.exe" "unins000.exe is still there"
wine reg query "$un_entry_key" </dev/null >/dev/null 2>&1 && fail "the uninstall entry is still there"
echo "silent uninstalls: 87 for a bad switch, 0 with the application running, 3010 with a file in use"
