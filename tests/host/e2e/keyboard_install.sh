#!/usr/bin/env bash
# The whole installation by keyboard alone, against the real installer under Xvfb: xdotool keys and
# typing only, never the pointer. Escape asks to quit (answered No by keys), Tab reaches the
# agreement, Space ticks it, Enter opens the folder page, the folder is typed over the selected
# default, Enter installs, and on the finish page Space ticks the autostart box and Enter finishes.
# Then the files and the registry values are checked. Every key must change what the window shows
# (the focus cue included), or the test fails there.
#
# Leaves focus-checkbox.png, focus-button.png and focus-textbox.png (the focus cue on the agreement,
# the install button and the folder box, framed as on a desktop) and focus-cue.png (the middle of
# the licence page with the cue on the agreement, the install button and the custom button; the
# picture docs/focus-cue.png is a copy) in BUILD_DIR/keyboard/.
set -u -o pipefail
. "$(dirname "$0")/../../e2e/installer.sh"
inst_begin "$1" --private keyboard-prefix
folder='C:\KeyboardNubelo'
folder_unix=$(unixpath "$folder")
inst_clean "$folder"
out=$e2e_build/keyboard
mkdir -p "$out"
work=$e2e_work

inst_start
# the keyboard goes to the installer's window; the pointer stays away from it
xdotool windowfocus --sync "$e2e_window" 2>/dev/null || true

# Escape is the close button: it asks whether to quit; Tab to No, Enter
xdotool key Escape
quit_box() { xdotool search --name '^退出安装程序$' >/dev/null 2>&1; }
wait_for 10 quit_box || fail "Escape did not ask whether to quit"
xdotool windowfocus --sync "$(xdotool search --name '^退出安装程序$' | head -1)" 2>/dev/null || true
xdotool key --delay 80 Tab Return
quit_gone() { ! quit_box; }
wait_for 10 quit_gone || fail "the quit question did not go away"
kill -0 "$inst_pid" 2>/dev/null || fail "answering No ended the installer"
xdotool windowfocus --sync "$e2e_window" 2>/dev/null || true
settle || true

# licence page: Tab reaches the agreement (the install buttons are still disabled), Space ticks it
press Tab
capture "$work/cue-checkbox.ppm"
press space
# Shift+Tab: the large install button, enabled now (a picture of its cue); back, past the licence
# link, and on to custom
press shift+Tab
capture "$work/cue-button.ppm"
press Tab
press Tab
capture "$work/cue-link.ppm"
press Tab
capture "$work/cue-secondary.ppm"
press Return

# folder page: Tab selects the offered folder, typing replaces it
press Tab
capture "$work/typing.ppm"
xdotool type --delay 60 "$folder"
wait_for 10 changed_from "$work/typing.ppm" || fail "typing changed nothing"
settle || fail "the window does not settle after typing"
capture "$work/cue-textbox.ppm"
# Tab past the browse button to install, Enter
press Tab
press Tab
xdotool key Return

# progress, then the finish page with its buttons
finished() { capture "$work/now.ppm" && [ "$(inst_bar 3001 "$work/now.ppm")" = none ]; }
wait_for 120 finished || fail "the installation did not reach the finish page"
settle || fail "the finish page does not settle"
# finish page: Tab reaches the autostart box, Space ticks it, Tab to "完成", Enter
press Tab
press space
press Tab
xdotool key Return
ended() { ! kill -0 "$inst_pid" 2>/dev/null; }
wait_for 30 ended || fail "Enter on the finish button did not end the installer"
inst_wait_exit

# what the installation left
[ -f "$folder_unix/NubeloUI.exe" ] || fail "no $folder\\NubeloUI.exe"
files=$(find "$folder_unix" -type f | wc -l)
inst_expect_payload "$folder"
[ "$(reg_value 'HKCU\Software\OrvoNubelo' InstallPath)" = "$folder\\" ] ||
    fail "InstallPath is '$(reg_value 'HKCU\Software\OrvoNubelo' InstallPath)', not the typed folder"
[ "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoNubelo' DisplayName)" = OrvoPelora ] ||
    fail "no uninstall entry"
wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v 'OrvoNubelo Daemon' >/dev/null 2>&1 ||
    fail "the autostart box ticked by Space wrote no autostart value"

# the pictures of the focus cue, framed as on a desktop
inst_frame "$work/cue-checkbox.ppm" "$out/focus-checkbox.png"
inst_frame "$work/cue-button.ppm" "$out/focus-button.png"
inst_frame "$work/cue-textbox.ppm" "$out/focus-textbox.png"
# and the licence page's middle in the four focus states side by side, at 1:1, for the docs
for cue in cue-checkbox cue-button cue-link cue-secondary; do
    convert "$work/$cue.ppm" -crop 440x214+160+184 +repage -bordercolor '#DEE3E9' -border 1 "$work/$cue.png"
done
convert "$work/cue-checkbox.png" "$work/cue-button.png" "$work/cue-link.png" "$work/cue-secondary.png" +append -strip "$out/focus-cue.png"
echo "installed by keyboard into $folder ($files files); focus pictures in $out"
