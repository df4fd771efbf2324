#!/usr/bin/env bash
# The whole installation by keyboard alone, against the real installer under Xvfb: xdotool keys and
# typing only, never the pointer. Escape asks to quit (answered No by keys), Tab reaches the
# agreement, Space ticks it, Enter opens the folder page, the folder is typed over the selected
# default, Enter installs, and on the finish page Space ticks the autostart box and Enter finishes.
# Then the files and the registry values are checked. Every key must change what the window shows
# (the focus cue included), or the test fails there.
#
#   keyboard_install.sh BUILD_DIR INSTALLER_EXE
#
# Leaves focus-checkbox.png, focus-button.png and focus-textbox.png (the focus cue on the agreement,
# the install button and the folder box, framed as on a desktop) and focus-cue.png (the middle of
# the licence page with the cue on the agreement, the install button and the custom button; the
# picture docs/focus-cue.png is a copy) in BUILD_DIR/keyboard/.
set -euo pipefail
build=$(realpath -m -- "$1")
installer=$2
top=$(cd "$(dirname "$0")/../../.." && pwd)

. "$top/tools/installer-drive.sh"
trap drive_stop EXIT
drive_start "$build" keyboard-prefix
drive_reset
folder='C:\KeyboardNubelo'
folder_unix=$(winepath -u "$folder")
rm -rf "$folder_unix"
wine reg delete 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v 'OrvoNubelo Daemon' /f >/dev/null 2>&1 || true
out=$build/keyboard
mkdir -p "$out"
work=$drive_work

drive_launch "$installer"
# the keyboard goes to the installer's window; the pointer stays away from it
xdotool windowfocus --sync "$drive_window" 2>/dev/null || true

# press KEYS...: the keys, then the window must change and settle
step=0
press() {
    step=$((step + 1))
    drive_capture "$work/step$step.ppm"
    xdotool key --delay 80 "$@"
    wait_until 10 drive_changed_from "$work/step$step.ppm" || drive_fail "step $step: $* changed nothing on the screen"
    drive_settle || drive_fail "step $step: the window does not settle"
}

# Escape is the close button: it asks whether to quit; Tab to No, Enter
xdotool key Escape
quit_box() { xdotool search --name '^退出安装程序$' >/dev/null 2>&1; }
wait_until 10 quit_box || drive_fail "Escape did not ask whether to quit"
xdotool windowfocus --sync "$(xdotool search --name '^退出安装程序$' | head -1)" 2>/dev/null || true
xdotool key --delay 80 Tab Return
no_box() { ! quit_box; }
wait_until 10 no_box || drive_fail "the quit question did not go away"
kill -0 "$drive_pid" 2>/dev/null || drive_fail "answering No ended the installer"
xdotool windowfocus --sync "$drive_window" 2>/dev/null || true
drive_settle || true

# licence page: Tab reaches the agreement (the install buttons are still disabled), Space ticks it
press Tab
drive_capture "$work/cue-checkbox.ppm"
press space
# Shift+Tab: the large install button, enabled now (a picture of its cue); back, past the licence
# link, and on to custom
press shift+Tab
drive_capture "$work/cue-button.ppm"
press Tab
press Tab
drive_capture "$work/cue-link.ppm"
press Tab
drive_capture "$work/cue-secondary.ppm"
press Return

# folder page: Tab selects the offered folder, typing replaces it
press Tab
drive_capture "$work/typing.ppm"
xdotool type --delay 60 "$folder"
wait_until 10 drive_changed_from "$work/typing.ppm" || drive_fail "typing changed nothing"
drive_settle || drive_fail "the window does not settle after typing"
drive_capture "$work/cue-textbox.ppm"
# Tab past the browse button to install, Enter
press Tab
press Tab
xdotool key Return

# progress, then the finish page with its buttons
finished() { drive_capture "$work/now.ppm" && [ "$(drive_bar 3001 "$work/now.ppm")" = none ]; }
wait_until 120 finished || drive_fail "the installation did not reach the finish page"
drive_settle || drive_fail "the finish page does not settle"
# finish page: Tab reaches the autostart box, Space ticks it, Tab to "完成", Enter
press Tab
press space
press Tab
xdotool key Return
ended() { ! kill -0 "$drive_pid" 2>/dev/null; }
wait_until 30 ended || drive_fail "Enter on the finish button did not end the installer"
drive_pid=

# what the installation left
[ -f "$folder_unix/NubeloUI.exe" ] || drive_fail "no $folder\\NubeloUI.exe"
files=$(find "$folder_unix" -type f | wc -l)
[ "$files" -ge 218 ] || drive_fail "only $files files in $folder"
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
[ "$(reg_value 'HKCU\Software\OrvoNubelo' InstallPath)" = "$folder\\" ] ||
    drive_fail "InstallPath is '$(reg_value 'HKCU\Software\OrvoNubelo' InstallPath)', not the typed folder"
[ "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' DisplayName)" = OrvoPelora ] ||
    drive_fail "no uninstall entry"
wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v 'OrvoNubelo Daemon' >/dev/null 2>&1 ||
    drive_fail "the autostart box ticked by Space wrote no autostart value"

# the pictures of the focus cue, framed as on a desktop
drive_frame "$work/cue-checkbox.ppm" "$out/focus-checkbox.png"
drive_frame "$work/cue-button.ppm" "$out/focus-button.png"
drive_frame "$work/cue-textbox.ppm" "$out/focus-textbox.png"
# and the licence page's middle in the four focus states side by side, at 1:1, for the docs
for cue in cue-checkbox cue-button cue-link cue-secondary; do
    convert "$work/$cue.ppm" -crop 440x214+160+184 +repage -bordercolor '#DEE3E9' -border 1 "$work/$cue.png"
done
convert "$work/cue-checkbox.png" "$work/cue-button.png" "$work/cue-link.png" "$work/cue-secondary.png" +append -strip "$out/focus-cue.png"
rm -rf "$folder_unix"
echo "installed by keyboard into $folder ($files files); focus pictures in $out"
