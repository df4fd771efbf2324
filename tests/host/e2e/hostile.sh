#!/usr/bin/env bash
# One installation in a hostile user environment: everything here is what any program of the
# signed-in user can do without administrator rights, and none of it may borrow the installer's.
#   - canary DLLs (a DLL that leaves a marker when loaded) named like system DLLs beside the
#     installer in a Downloads folder, with Wine told to prefer such native DLLs;
#   - the old COM server's class entry pointing at a canary in the user's folder, in HKCU (which
#     Windows merges into HKEY_CLASSES_ROOT) and in the classes Wine reads;
#   - a forged HKCU "InstallPath" naming another folder;
#   - a junction in %APPDATA%\Nubelo\ and a codecs folder that is a link: their targets survive;
#   - a squatted shared process list naming explorer.exe: no question, nothing stopped.
# Arguments: BUILD CANARY_DLL HELPER_EXE
set -u
. "$(dirname "$0")/../../e2e/installer.sh"
canary=$2 helper=$3
inst_begin "$1"
forged='C:\OrvoForged\'
clsid='{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}'
inst_clean 'C:\OrvoForged'

# the installer in a Downloads folder with the planted DLLs; markers land in $markers
downloads=$e2e_work/Downloads markers=$e2e_work/markers
mkdir -p "$downloads" "$markers"
cp "$inst_setup" "$downloads/PeloraSetup.exe"
for name in oleacc msimg32 version uxtheme dwmapi cryptbase userenv oldserver; do
    cp "$canary" "$downloads/$name.dll"
done
export ORVO_CANARY_DIR
ORVO_CANARY_DIR=$(winpath "$markers")

appdata=$(unixpath "C:\\users\\$(whoami)\\AppData\\Roaming")
victim=$e2e_work/victim
mkdir -p "$victim/codecs" "$appdata/Nubelo"
echo precious >"$victim/precious.txt"
echo precious >"$victim/codecs/keep.txt"
ln -s "$victim" "$appdata/Nubelo/link"
ln -s "$victim/codecs" "$appdata/Nubelo/codecs"

server=$(winpath "$downloads/oldserver.dll")
cat >"$e2e_work/hostile.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\OrvoNubelo]
"InstallPath"="C:\\\\OrvoForged\\\\"
[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\$clsid\\InprocServer32]
@="${server//\\/\\\\}"
[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\$clsid\\InprocServer32]
@="${server//\\/\\\\}"
REG
wine regedit /s "$(winpath "$e2e_work/hostile.reg")" </dev/null >/dev/null 2>&1
forget_server() {
    printf 'REGEDIT4\n\n[-HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\%s]\n[-HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\%s]\n' \
        "$clsid" "$clsid" >"$e2e_work/forget.reg"
    wine regedit /s "$(winpath "$e2e_work/forget.reg")" </dev/null >/dev/null 2>&1
    rm -f "$appdata/Nubelo/link" "$appdata/Nubelo/codecs"
}
e2e_at_exit forget_server
e2e_at_exit touch "$e2e_work/stop"

wine "$helper" fill 'explorer.exe;C:\windows\explorer.exe;C:\windows\system32\explorer.exe;' \
    "$(winpath "$e2e_work/ready")" "$(winpath "$e2e_work/stop")" >/dev/null 2>&1 &
filled() { [ -e "$e2e_work/ready" ]; }
wait_for 20 filled || fail "the process list could not be filled"

# Wine prefers its builtin DLLs; told to prefer native ones for these names it looks beside the
# program, as Windows does for any DLL outside KnownDLLs. version and uxtheme are loaded by Wine's
# own user32 and comctl32 before the program's first instruction, so they cannot be judged here:
# they lie beside the installer, but Wine keeps its builtin ones.
inst_setup=$downloads/PeloraSetup.exe
WINEDLLOVERRIDES="mscoree,mshtml=;oleacc,msimg32,dwmapi,cryptbase,userenv=n,b" inst_start

no_canary_loaded() {
    local loaded
    loaded=$(cd "$markers" && ls)
    [ -z "$loaded" ] || fail "planted DLLs were loaded $1: $loaded"
}
no_canary_loaded "by the time the window showed"
check test -e "$victim/precious.txt" "the cleanup followed the junction in %APPDATA%\\Nubelo"
check test -e "$victim/codecs/keep.txt" "the cleanup followed the linked codecs folder"

explorer=$(pgrep -f -i '^C:\\windows\\system32\\explorer\.exe' | head -1)
inst_tick_agreement
check inst_id_changes 1004 "$e2e_work/unticked.ppm" "$e2e_work/ticked.ppm" \
    "custom install hidden: the forged InstallPath was taken for a stored folder"
inst_click 1003
no_box 提示
inst_wait_finish
inst_click 4002
inst_wait_exit

inst_expect_payload "$inst_install_dir\\"
check test ! -e "$(unixpath "$forged")" "the forged folder was installed into"
if [ -n "$explorer" ]; then
    check kill -0 "$explorer" "explorer.exe, named in the squatted list, was stopped"
fi
inst_reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' "$e2e_work/uninstall.reg"
check reg_has "$e2e_work/uninstall.reg" '"InstallLocation"="C:\\Program Files\\OrvoNubelo\\"' \
    "no InstallLocation in the uninstall entry"
inst_reg 'HKLM\Software\Classes\orvolive\shell\open\command' "$e2e_work/protocol.reg"
check reg_has "$e2e_work/protocol.reg" '@="\"C:\\Program Files\\OrvoNubelo\\NubeloUI.exe\" \"%1\""' \
    "the URL protocol command does not quote its argument"
no_canary_loaded "during the installation"
echo "hostile environment: no planted DLL loaded, no forged folder used, links and explorer.exe left alone"
