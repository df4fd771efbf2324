#!/usr/bin/env bash
# A custom installation as a user makes it: the install buttons wait for the agreement, the folder
# page turns down every bad folder with its own message, the text box swallows the characters no
# path may hold, a non-empty folder is asked about (Cancel, then OK); then progress, the finish
# page with the monitor ticked, and everything the installation leaves on the machine.
set -u
. "$(dirname "$0")/../../e2e/installer.sh"
inst_begin "$1"
# "]]" and "]=]" in its name: the folder travels to the worker and back inside Lua texts
folder='C:\OrvoE2E\Pelo]]ra]=]xy\'
inst_clean 'C:\OrvoE2E'
mkdir -p "$(unixpath "$folder")"
echo kept >"$(unixpath "$folder")/keep.txt"
[ -e "$WINEPREFIX/dosdevices/q:" ] && fail "the test prefix has a drive Q:"

inst_start
# before the agreement: neither install button does anything
inst_inert 1003
inst_inert 1004
inst_tick_agreement
check inst_id_changes 1003 "$e2e_work/unticked.ppm" "$e2e_work/ticked.ppm" "ticking the agreement leaves 1003 as it was"
check inst_id_changes 1004 "$e2e_work/unticked.ppm" "$e2e_work/ticked.ppm" "ticking the agreement leaves 1004 as it was"
inst_click 1004
wait_change "$e2e_work/ticked.ppm"

# the folder rules, each with its message; the page stays
full_path=$(printf '你必须输入带驱动器卷标的完整路径，例如：\n\nC:\\Program Files\\')
while IFS='|' read -r typed message; do
    inst_type 2001 "$typed"
    inst_click 2004
    box_answer 错误 1 "${message//@/$full_path}"
done <<'EOF'
|安装路径不能为空
OrvoE2E\Pelora|@
C:|@
Q:\OrvoE2E|输入的盘符无效
C:\|不能安装到盘符根路径
C:/|不能安装到盘符根路径
EOF

# Refused characters never reach the text, a second colon neither; slashes become backslashes.
# The text left is C:/OrvoE2E//Pelo]]ra]=]xy, which names the non-empty folder made above.
inst_type 2001 "C:/OrvoE2E//Pe|l?o]]\"r'a<]=]>x:y"
question=$(printf '文件夹:\r\n\r\n%s\r\n\r\n不为空。您一定要安装到该文件夹中么?' "$folder")
inst_click 2004
box_answer 提示 2 "$question"
sleep 1
check test ! -e "$(unixpath "$folder")/NubeloUI.exe" "Cancel on the non-empty folder still installed"
inst_click 2004
box_answer 提示 1 "$question"

inst_wait_finish
capture "$e2e_work/finish.ppm"
inst_click 4001
wait_change "$e2e_work/finish.ppm"
inst_click 4002
inst_wait_exit
check test "$inst_rc" -eq 0 "exit code $inst_rc, not 0"

inst_expect_payload "$folder"
check test "$(cat "$(unixpath "$folder")/keep.txt")" = kept "the file already in the folder is gone"
program=${folder//\\/\\\\}NubeloUI.exe
escaped=${folder//\\/\\\\}
inst_reg 'HKCU\Software\OrvoNubelo' "$e2e_work/app.reg"
for line in "\"InstallPath\"=\"$escaped\"" "\"Run\"=\"$program\"" '"Version"="8.0.0.5"' '"New"=dword:00000001'; do
    check reg_has "$e2e_work/app.reg" "$line" "no $line under HKCU\\Software\\OrvoNubelo"
done
inst_reg 'HKLM\SOFTWARE\Microsoft\Internet Explorer\Low Rights\ElevationPolicy\{CACBA33C-A5E5-43CD-9287-8C075425FC26}' "$e2e_work/policy.reg"
for line in '"AppName"="NubeloUI.exe"' "\"AppPath\"=\"$escaped\"" '"Policy"=dword:00080003'; do
    check reg_has "$e2e_work/policy.reg" "$line" "no $line in the elevation policy"
done
inst_reg 'HKCR\orvolive' "$e2e_work/protocol.reg"
for line in '@="URL:Orvo直播专用链"' "\"URL Protocol\"=\"$program\"" "@=\"\\\"$program\\\" \\\"%1\\\"\""; do
    check reg_has "$e2e_work/protocol.reg" "$line" "no $line in the URL protocol"
done
inst_reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' "$e2e_work/uninstall.reg"
for line in "\"DisplayIcon\"=\"$program\"" '"DisplayName"="OrvoPelora"' '"DisplayVersion"="8.0.0.5"' \
    '"Publisher"="Orvo Media Co., Ltd."' "\"UninstallString\"=\"\\\"${escaped}unins000.exe\\\"\"" \
    "\"QuietUninstallString\"=\"\\\"${escaped}unins000.exe\\\" /S\"" "\"InstallLocation\"=\"$escaped\"" \
    '"NoModify"=dword:00000001' '"NoRepair"=dword:00000001' \
    '"URLInfoAbout"="https://pelora.orvo.example/"'; do
    check reg_has "$e2e_work/uninstall.reg" "$line" "no $line in the uninstall entry"
done
inst_reg 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' "$e2e_work/run.reg"
check grep -qF '"OrvoNubelo Daemon"=' "$e2e_work/run.reg" "the monitor was ticked but no autostart value was written"
check grep -qiF 'Nubelo\\codecs\\nubmon.exe"' "$e2e_work/run.reg" "the autostart value names another program"
for server in '{6B1C3D7E-2F4A-4B8E-9C21-5D7E8F903A11}|Nubelo.ax' '{0E9F4C2B-7A61-4D35-8B0C-3F2A9E6D1B47}|nubdumper.dll'; do
    inst_reg "HKCR\\CLSID\\${server%|*}\\InprocServer32" "$e2e_work/server.reg"
    check grep -qixF "@=\"$escaped${server#*|}\"" "$e2e_work/server.reg" "regsvr32 did not register ${server#*|}"
done
shortcut=$(unixpath 'C:\users\Public\Desktop')/OrvoPelora.lnk
check test -s "$shortcut" "no desktop shortcut"
check grep -qaF 'NubeloUI.exe' "$shortcut" "the shortcut does not lead to NubeloUI.exe"
echo "custom installation into $folder: pages, folder rules, files, registry, shortcut and servers checked"
