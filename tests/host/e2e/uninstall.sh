#!/usr/bin/env bash
# Install into a folder that already holds a file of the user's, then uninstall through the
# uninstall entry's UninstallString with the mouse: the entry is complete, the confirmation,
# progress and finish pages lead to exit code 0, and afterwards every payload file, folder,
# registry value, the URL protocol, the CLSID keys, the autostart value, the shortcut, the
# uninstaller and its journal are gone, while the user's files and their folders stay.
set -u
. "$(dirname "$0")/uninstall_steps.sh"
inst_begin "$1"
folder='C:\OrvoE2E\Un\'
inst_clean 'C:\OrvoE2E'
mkdir -p "$(unixpath "$folder")"
echo mine >"$(unixpath "$folder")/mine.txt"
un_install 'C:\OrvoE2E\Un' monitor

# the entry: every value of the installer's, quoted commands, and the new ones
check test "$(un_entry UninstallString)" = "\"${folder}unins000.exe\"" "UninstallString is not the quoted uninstaller"
check test "$(un_entry QuietUninstallString)" = "\"${folder}unins000.exe\" /S" "QuietUninstallString is wrong"
check test "$(un_entry InstallLocation)" = "$folder" "InstallLocation is wrong"
check test "$(un_entry DisplayVersion)" = 8.0.0.5 "DisplayVersion is not the version the installer shows"
check test "$(un_entry DisplayIcon)" = "${folder}NubeloUI.exe" "DisplayIcon is wrong"
check grep -qE '^"InstallDate"="20[0-9]{6}"$' "$e2e_work/entry.reg" "InstallDate is no YYYYMMDD"
check grep -qxF '"NoModify"=dword:00000001' "$e2e_work/entry.reg" "NoModify is not 1"
check grep -qxF '"NoRepair"=dword:00000001' "$e2e_work/entry.reg" "NoRepair is not 1"
size=$(sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]*\)$/\1/p' "$e2e_work/entry.reg")
payload_kib=$(du -sk --apparent-size "$inst_payload" | cut -f1)
check test -n "$size" "no EstimatedSize"
kib=$((16#${size:-0}))
check test "$kib" -ge $((payload_kib * 9 / 10)) -a "$kib" -le $((payload_kib * 11 / 10)) \
    "EstimatedSize is $kib KiB for a payload of $payload_kib KiB"
check test -s "$(unixpath "$folder")/unins000.dat" "no install journal beside the uninstaller"

# the user adds a file into a folder of the payload
subfolder=$(grep -oP '^\s*\{0, \[\[\K[^]]*' "$e2e_build/resources/LG.lua" | head -1)
echo added >"$(unixpath "$folder$subfolder")/added.txt"

un_start "$(un_entry UninstallString)"
un_window
check test "$(un_entry UninstallString)" != "" "the entry went before the uninstall was confirmed"
inst_click 1001
# the finish page: the journal is gone and the progress bar with it
journal=$(unixpath "$folder")/unins000.dat
finished() { [ ! -e "$journal" ] && capture "$e2e_work/now.ppm" && [ "$(inst_bar 3001 "$e2e_work/now.ppm")" = none ]; }
wait_for 60 finished || fail "no finish page"
settle || fail "the window does not settle"
inst_click 4002
un_result
check test "$un_code" = 0 "the uninstall ended with $un_code"

un_expect_removed "$folder"
check test "$(cat "$(unixpath "$folder")/mine.txt")" = mine "the file that was in the folder before is gone"
check test "$(cat "$(unixpath "$folder$subfolder")/added.txt")" = added "the file the user added is gone"
left=$(cd "$(unixpath "$folder")" && find . | sort | tr '\n' ' ')
check test "$left" = ". ./$subfolder ./$subfolder/added.txt ./mine.txt " "left in the folder: $left"
echo "uninstall through UninstallString: everything of the install gone, the user's files kept"
