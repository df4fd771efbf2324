#!/usr/bin/env bash
# Quitting before completion asks, and No keeps the installer. A stored folder on a missing drive
# is ignored: install at once goes to the program-files folder. Cancel on a held payload file ends
# the dialog and the worker: no file after it is written, and the files before it are rolled back.
set -u
. "$(dirname "$0")/../../e2e/installer.sh"
inst_begin "$1"
inst_clean
inst_store_path 'Q:\Gone\'
folder="$inst_install_dir\\"
locked="$folder$(inst_step_file 40)"
after="$folder$(inst_step_file 41)"
inst_hold "$locked"

inst_start
inst_click 5000
box_answer 退出安装程序 7 "$(printf '安装程序未完成安装。如果您现在退出，您的程序将不能安装。\n\n您可以以后再运行安装程序完成安装。\n\n退出安装程序吗？')"
sleep 1
kill -0 "$inst_pid" 2>/dev/null || fail "No to the quit question ended the installer"
inst_tick_agreement
check inst_id_changes 1004 "$e2e_work/unticked.ppm" "$e2e_work/ticked.ppm" "custom install is hidden for a folder on a missing drive"
inst_click 1003
box_answer 异常 2 "$(printf '文件可能被其他程序占用。\r\n%s\r\n请关闭占用的程序再重试' "$locked")"
inst_wait_exit
check test "$inst_rc" -eq 1602 "exit code $inst_rc, not 1602"
inst_release
sleep 1
check test ! -e "$(unixpath "$after")" "the worker went on after Cancel"
# the install rolled back: of the default folder (the retry box named it) only the held file is left
left=$(cd "$(unixpath "$folder")" && find . -type f | tr '\n' ' ')
check test "$left" = "./$(inst_step_file 40 | tr '\\' '/') " "the cancelled install left files: $left"
echo "quit question answered No; stored folder on Q: ignored; Cancel on a held file ended the installation"
