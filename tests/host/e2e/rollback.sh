#!/usr/bin/env bash
# Installs that do not finish undo themselves, an upgrade appends, and a damaged journal is refused:
#  1. a fresh install whose last file cannot be written, answered Cancel: nothing of it is left;
#  2. install 8.0.0.5, then an upgrade (8.0.0.9) whose last file cannot be written, answered
#     Cancel: every file of the earlier install is byte-identical to before, its capture filter
#     is registered and the application starts;
#  3. the upgrade again, to the end: one uninstall entry, with the new version;
#  4. one byte of the journal changed: the uninstaller says so, removes nothing, 1603;
#  5. the journal mended: the silent uninstall removes what both installs made.
set -u
. "$(dirname "$0")/uninstall_steps.sh"
inst_begin "$1"
folder='C:\OrvoE2E\Up\'
inst_clean 'C:\OrvoE2E'
last=$(inst_step_file "$(grep -c '^\s*{1, ' "$e2e_build/resources/LG.lua")")
busy=$(printf '文件可能被其他程序占用。\r\n%s\r\n请关闭占用的程序再重试' "$folder$last")
# the same installer with a newer version, made as a publisher makes it (its scripts are stored
# packed, so no byte of the installer can simply be changed): the same files and stub; what an
# installation of it leaves is that payload with its own uninstaller
upgrade=$e2e_work/PeloraSetup-8.0.0.9.exe
rm -rf "$e2e_work/upgrade-files" "$e2e_work/upgrade"
cp -r "$inst_payload" "$e2e_work/upgrade-files"
rm "$e2e_work/upgrade-files/unins000.exe"
"$e2e_builder" --quiet --no-cache --data "$e2e_builder_data" --stub "$e2e_build/resources/stub.exe" \
    --payload "$e2e_work/upgrade-files" \
    --keep "$e2e_work/upgrade" --set version=8.0.0.9 --output "$upgrade" "$e2e_project" >/dev/null ||
    fail "the upgrade could not be made"
upgrade_payload=$e2e_work/upgrade/payload
cp -r "$e2e_work/upgrade-files" "$upgrade_payload"
cp "$e2e_work/upgrade/unins000.exe" "$upgrade_payload/unins000.exe"
snapshot() { (cd "$(unixpath "$folder")" && find . -type f -print0 | sort -z | xargs -0 md5sum) >"$1"; }

# 1. a fresh install, cancelled at its last file
inst_hold "$folder$last"
snapshot "$e2e_work/before-fresh.md5"
inst_start
inst_tick_agreement
inst_click 1004
wait_change "$e2e_work/ticked.ppm"
inst_type 2001 "$folder"
inst_click 2004
box_answer 提示 1
box_answer 异常 2 "$busy"
inst_wait_exit 60
inst_release
snapshot "$e2e_work/after-fresh.md5"
check cmp -s "$e2e_work/before-fresh.md5" "$e2e_work/after-fresh.md5" \
    "the cancelled install left files: $(diff "$e2e_work/before-fresh.md5" "$e2e_work/after-fresh.md5" | head -5)"
check test "$(cd "$(unixpath "$folder")" && find . -type d | wc -l)" = "$(($(tr -cd '\\' <<<"$last" | wc -c) + 1))" \
    "the cancelled install left folders"
for key in 'HKCU\Software\OrvoNubelo' "$un_entry_key" 'HKCR\orvolive'; do
    wine reg query "$key" </dev/null >/dev/null 2>&1 && fail "the cancelled install left $key"
done
inst_clean 'C:\OrvoE2E'

# 2. the upgrade of a finished install, cancelled at its last file
un_install "$folder"
snapshot "$e2e_work/installed.md5"
inst_hold "$folder$last"
inst_setup=$upgrade
inst_start
inst_tick_agreement
inst_click 1003
box_answer 异常 2 "$busy"
inst_wait_exit 60
inst_release
snapshot "$e2e_work/rolled-back.md5"
check cmp -s "$e2e_work/installed.md5" "$e2e_work/rolled-back.md5" \
    "the rolled back upgrade changed files: $(diff "$e2e_work/installed.md5" "$e2e_work/rolled-back.md5" | head -5)"
check test "$(un_entry DisplayVersion)" = 8.0.0.5 "the cancelled upgrade changed the entry"
inst_reg 'HKCR\CLSID\{6B1C3D7E-2F4A-4B8E-9C21-5D7E8F903A11}\InprocServer32' "$e2e_work/server.reg"
check grep -qixF "@=\"${folder//\\/\\\\}Nubelo.ax\"" "$e2e_work/server.reg" "the earlier capture filter is no longer registered"
wine "${folder}NubeloUI.exe" </dev/null >/dev/null 2>&1 &
wait_for 20 inst_running "${folder}NubeloUI.exe" || fail "the application does not start after the rollback"
kill "$inst_app_pid"
inst_app_pid=

# 3. the upgrade, to the end
un_install "$folder"
check test "$(un_entry DisplayVersion)" = 8.0.0.9 "the upgraded entry shows $(un_entry DisplayVersion)"
check test "$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' </dev/null 2>/dev/null | grep -ci orvo)" = 1 \
    "not exactly one uninstall entry"
check test "$(grep -c 'session' "$(unixpath "$folder")/unins000.dat")" = 2 "the journal does not hold both installs"
inst_payload=$upgrade_payload
echo added >"$(unixpath "$folder")/added.txt"

# 4. a damaged journal
journal=$(unixpath "$folder")/unins000.dat
cp "$journal" "$e2e_work/journal"
printf 'X' | dd of="$journal" bs=1 seek=200 conv=notrunc 2>/dev/null
un_start "$(un_entry UninstallString)"
box_answer 错误 1 "$(printf '无法卸载 Pelora：安装记录 %sunins000.dat 已损坏。\n\n没有删除任何文件。' "$folder")"
un_result
check test "$un_code" = 1603 "the damaged journal ended with $un_code"
inst_expect_payload "$folder"
check test "$(un_entry DisplayVersion)" = 8.0.0.9 "the damaged journal cost the entry"

# 5. mended: everything of both installs goes, the user's file stays
cp "$e2e_work/journal" "$journal"
un_start "$(un_entry QuietUninstallString)"
un_result
check test "$un_code" = 0 "the uninstall after the upgrade ended with $un_code"
un_expect_removed "$folder"
left=$(cd "$(unixpath "$folder")" && find . | sort | tr '\n' ' ')
check test "$left" = ". ./added.txt " "left in the folder: $left"
echo "rollback of a fresh install and of an upgrade, the upgrade, a damaged journal refused"
