# Steps the uninstall scenarios share, on the installer driver (tests/e2e/installer.sh).
#   un_install FOLDER [MONITOR]   installs into FOLDER (typed), or into the stored folder of an
#                                 earlier install; MONITOR ticks the autostart box
#   un_entry NAME                 the data of a value of the uninstall entry, unescaped
#   un_start COMMAND_LINE [ARGS...]   runs the entry's command line (a quoted program and its
#                                 switches) with ARGS added, in the background through the probe,
#                                 which reads its full exit code
#   un_window                     finds the uninstaller's window and drives it from now on
#   un_result [SECONDS]           waits for the exit code ($un_code); then for the temporary copy
#   un_expect_removed FOLDER      no payload file, no journal, no trace in the registry
. "$(dirname "${BASH_SOURCE[0]}")/../../e2e/installer.sh"
un_entry_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo'

un_install() {
    inst_markup=$e2e_top/assets/frame/mainframe.xml
    rm -f "$e2e_work/rects"
    inst_start
    inst_tick_agreement
    if [ -n "$(reg_value "$un_entry_key" InstallLocation)" ]; then
        inst_click 1003   # the stored folder of the earlier install
    else
        inst_click 1004
        wait_change "$e2e_work/ticked.ppm"
        inst_type 2001 "$1"
        # a folder that holds something already is confirmed (looked at first: the install
        # starts filling it at once)
        local occupied
        occupied=$(ls -A "$(unixpath "$1")" 2>/dev/null)
        inst_click 2004
        [ -z "$occupied" ] || box_answer 提示 1
    fi
    inst_wait_finish
    [ -n "${2:-}" ] && inst_click 4001
    inst_click 4002
    inst_wait_exit
}

un_entry() {
    # a Wine process has been seen to end at once without a word now and then: one more try
    inst_reg "$un_entry_key" "$e2e_work/entry.reg"
    [ -s "$e2e_work/entry.reg" ] || inst_reg "$un_entry_key" "$e2e_work/entry.reg"
    # "Name"="text with \" and \\" -> text with " and \
    sed -n "s/^\"$1\"=\"\\(.*\\)\"\$/\\1/p" "$e2e_work/entry.reg" | sed 's/\\"/"/g; s/\\\\/\\/g'
}

un_start() {
    local line=$1 program switches
    shift
    [[ $line =~ ^\"([^\"]+)\"(.*)$ ]] || fail "not a quoted program and its switches: $line"
    program=${BASH_REMATCH[1]}
    read -ra switches <<<"${BASH_REMATCH[2]}"
    win_start --code "$program" "${switches[@]}" "$@"
    inst_pid=$win_pid
}

un_window() {
    inst_markup=$e2e_top/assets/frame/uninstall.xml
    rm -f "$e2e_work/rects"
    window_find 'Pelora卸载程序'
}

# The temporary copy runs from the system's temp folder as "OrvoUninstall-..."
un_copy_running() { pgrep -f 'OrvoUninstall-' >/dev/null; }

un_result() {
    inst_wait_exit "${1:-60}"
    un_code=$inst_rc
    copy_ended() { ! un_copy_running; }
    wait_for 30 copy_ended || fail "the uninstaller's temporary copy did not end"
}

un_expect_removed() {
    local folder
    folder=$(unixpath "$1")
    local left
    left=$(cd "$inst_payload" && find . -type f | while read -r file; do [ -e "$folder/$file" ] && echo "$file"; done)
    [ -z "$left" ] || fail "payload files left in $1: $(echo "$left" | head -5)"
    check test ! -e "$folder/unins000.exe" "unins000.exe is still in $1"
    check test ! -e "$folder/unins000.dat" "the journal is still in $1"
    local key
    for key in 'HKCU\Software\OrvoNubelo' 'HKCR\orvolive' "$un_entry_key" \
        'HKLM\SOFTWARE\Microsoft\Internet Explorer\Low Rights\ElevationPolicy\{CACBA33C-A5E5-43CD-9287-8C075425FC26}' \
        'HKCR\CLSID\{6B1C3D7E-2F4A-4B8E-9C21-5D7E8F903A11}' 'HKCR\CLSID\{0E9F4C2B-7A61-4D35-8B0C-3F2A9E6D1B47}'; do
        wine reg query "$key" </dev/null >/dev/null 2>&1 && fail "$key is still there"
    done
    inst_reg 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' "$e2e_work/run.reg"
    grep -qF '"OrvoNubelo Daemon"=' "$e2e_work/run.reg" && fail "the autostart value is still there"
    check test ! -e "$(unixpath 'C:\users\Public\Desktop')/OrvoPelora.lnk" "the desktop shortcut is still there"
    return 0
}
