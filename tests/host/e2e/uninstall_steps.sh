# Steps the uninstall scenarios share, on top of the installer's driver library. The fifth
# argument of a scenario is run_command.exe, which reports a program's full exit code.
#   un_install FOLDER [MONITOR]   installs into FOLDER (typed), or into the stored folder of an
#                                 earlier install; MONITOR ticks the autostart box
#   un_entry NAME                 the data of a value of the uninstall entry, unescaped
#   un_start COMMAND_LINE         runs it in the background through run_command
#   un_window                     finds the uninstaller's window and drives it from now on
#   un_result [SECONDS]           waits for the exit code; then for the temporary copy to end
#   un_expect_removed FOLDER      no payload file, no journal, no trace in the registry
. "$(dirname "${BASH_SOURCE[0]}")/installer_harness.sh"
un_runner=$5
un_entry_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo'

un_install() {
    drive_title='Pelora安装程序' drive_markup=$drive_top/assets/frame/mainframe.xml
    rm -f "$drive_work/rects"
    inst_start
    inst_tick_agreement
    if wine reg query 'HKCU\Software\OrvoNubelo' /v InstallPath </dev/null >/dev/null 2>&1; then
        drive_click 1003   # the stored folder of the earlier install
    else
        drive_click 1004
        drive_wait_change "$drive_work/ticked.ppm"
        inst_type 2001 "$1"
        # a folder that holds something already is confirmed (looked at first: the install
        # starts filling it at once)
        local occupied
        occupied=$(ls -A "$(unixpath "$1")" 2>/dev/null)
        drive_click 2004
        [ -z "$occupied" ] || inst_box 提示 1
    fi
    inst_wait_finish
    [ -n "${2:-}" ] && drive_click 4001
    drive_click 4002
    inst_wait_exit
}

un_entry() {
    # a Wine process has been seen to end at once without a word now and then: one more try
    inst_reg "$un_entry_key" "$drive_work/entry.reg"
    [ -s "$drive_work/entry.reg" ] || inst_reg "$un_entry_key" "$drive_work/entry.reg"
    # "Name"="text with \" and \\" -> text with " and \
    sed -n "s/^\"$1\"=\"\\(.*\\)\"\$/\\1/p" "$drive_work/entry.reg" | sed 's/\\"/"/g; s/\\\\/\\/g'
}

un_start() {
    rm -f "$drive_work/exit-code"
    wine "$un_runner" "$(winpath "$drive_work/exit-code")" "$1" </dev/null >"$drive_work/uninstaller.out" 2>&1 &
    drive_pid=$!
}

un_window() {
    drive_title='Pelora卸载程序' drive_markup=$drive_top/assets/frame/uninstall.xml
    rm -f "$drive_work/rects"
    find_window() { drive_window=$(xdotool search --name "^$drive_title\$" 2>/dev/null | head -1) && [ -n "$drive_window" ]; }
    wait_until 30 find_window || drive_fail "FAIL: no window titled $drive_title ($(cat "$drive_work/uninstaller.out"))"
    wait_until 10 drive_locate || drive_fail "the window has no geometry"
    drive_settle || drive_fail "the uninstaller's window does not settle"
}

# The temporary copy runs from the system's temp folder as "OrvoUninstall-..."
un_copy_running() { pgrep -f 'OrvoUninstall-' >/dev/null; }

un_result() {
    coded() { [ -s "$drive_work/exit-code" ]; }
    wait_until "${1:-60}" coded || drive_fail "FAIL: the uninstaller did not end"
    un_code=$(tr -d '\r\n' <"$drive_work/exit-code")
    inst_wait_exit 30
    copy_ended() { ! un_copy_running; }
    wait_until 30 copy_ended || drive_fail "FAIL: the uninstaller's temporary copy did not end"
}

un_expect_removed() {
    local folder
    folder=$(unixpath "$1")
    local left
    left=$(cd "$inst_payload" && find . -type f | while read -r file; do [ -e "$folder/$file" ] && echo "$file"; done)
    [ -z "$left" ] || drive_fail "FAIL: payload files left in $1: $(echo "$left" | head -5)"
    check test ! -e "$folder/unins000.exe" "unins000.exe is still in $1"
    check test ! -e "$folder/unins000.dat" "the journal is still in $1"
    local key
    for key in 'HKCU\Software\OrvoNubelo' 'HKCR\orvolive' "$un_entry_key" \
        'HKLM\SOFTWARE\Microsoft\Internet Explorer\Low Rights\ElevationPolicy\{CACBA33C-A5E5-43CD-9287-8C075425FC26}' \
        'HKCR\CLSID\{6B1C3D7E-2F4A-4B8E-9C21-5D7E8F903A11}' 'HKCR\CLSID\{0E9F4C2B-7A61-4D35-8B0C-3F2A9E6D1B47}'; do
        wine reg query "$key" </dev/null >/dev/null 2>&1 && drive_fail "FAIL: $key is still there"
    done
    inst_reg 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' "$drive_work/run.reg"
    grep -qF '"OrvoNubelo Daemon"=' "$drive_work/run.reg" && drive_fail "FAIL: the autostart value is still there"
    check test ! -e "$(unixpath 'C:\users\Public\Desktop')/OrvoPelora.lnk" "the desktop shortcut is still there"
    return 0
}
