#!/usr/bin/env bash
# Input routing in a real window under Xvfb with real X input (xdotool): the window's size, place,
# region and shadow; hover enter and leave order; press, drag and release; a disabled control; a
# preview that stops the press; keys and the focus across a message box; tooltips; the shadow
# following and hiding with its window; endDialog from a click.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
here=$(cd "$(dirname "$0")" && pwd)
title="Orvo input test"

scn_start "$here/input.lua" "$here/input"
wait_for 20 logged "position 440 200" || fail "the window is not where centerScreen puts a 400 x 300 window on 1280 x 800"
wait_for 10 xdotool search --name "^$title\$" >/dev/null || fail "no window titled \"$title\""

# --- size, place, region, shadow ---
wait_for 5 eval 'probe "$title"; [ "${probe_window%% *}" = 1 ]' || fail "window not shown: $probe_window"
[ "$probe_window" = "1 440 200 840 500 1" ] || fail "window rect $probe_window, expected 440 200 840 500"
[ "$probe_region" = "0 0 400 300" ] || fail "region box $probe_region, expected the client area 0 0 400 300"
set -- $probe_shadow
[ "$1 $2 $3 $4 $5" = "1 420 186 856 521" ] || fail "shadow $probe_shadow, expected visible at 420 186 856 521"
(( ($6 & 0x800A0) == 0x800A0 )) || fail "shadow styles $6: not layered, click-through and tool window"
win_x=440 win_y=200

# --- hover: into b1 (inside the panel), over to its sibling b2, to the root's empty space, out;
# each a single jump, so that one move changes the whole chain ---
# starting outside, with any hover of the window's appearance over
point -30 60
balanced() { [ "$(grep -c 'root MouseEnter' "$log")" = "$(grep -c 'root MouseLeave' "$log")" ]; }
wait_for 5 balanced || fail "the pointer outside the window still hovers it"
mark
point 50 45               # from left of the window onto b1
expect_log "b1 MouseEnter"
[ "$(since_mark 'Mouse(Enter|Leave)' | tr '\n' ',')" = "root MouseEnter,panel MouseEnter,b1 MouseEnter," ] ||
    fail "entering: $(since_mark 'Mouse' | tr '\n' ',')"
mark
point 150 45              # b2, the sibling in the same panel
expect_log "b2 MouseEnter"
[ "$(since_mark 'Mouse(Enter|Leave)' | tr '\n' ',')" = "b1 MouseLeave,b2 MouseEnter," ] ||
    fail "between siblings: $(since_mark 'Mouse' | tr '\n' ',')"
mark
point 300 60              # the root's empty space
wait_for 5 eval '[ -n "$(since_mark "b2 MouseLeave")" ]' || fail "no leave from b2"
[ "$(since_mark 'Mouse(Enter|Leave)' | tr '\n' ',')" = "panel MouseLeave,b2 MouseLeave," ] ||
    fail "to the empty root: $(since_mark 'Mouse' | tr '\n' ',')"
mark
point 500 60              # out of the window
wait_for 5 eval '[ -n "$(since_mark "root MouseLeave")" ]' || fail "no leave from the root"
[ "$(since_mark 'Mouse(Enter|Leave)' | tr '\n' ',')" = "root MouseLeave," ] ||
    fail "out of the window: $(since_mark 'Mouse' | tr '\n' ',')"

# --- press on b1, drag out past the left edge, release outside: no Click ---
point 50 45
sleep 0.2
mark
xdotool mousedown 1
expect_log "b1 GotCapture"
glide 50 45 -40 45
expect_log "b1 moved left of the window"
xdotool mouseup 1
expect_log "b1 LostCapture"
sleep 0.5
[ -z "$(since_mark 'b1 Click')" ] || fail "a release outside clicked"
# press, drag out and back in, release: one Click
point 50 45
mark
xdotool mousedown 1
glide 50 45 250 45
glide 250 45 60 45
xdotool mouseup 1
expect_log "b1 Click"
sleep 0.5
[ "$(since_mark 'b1 Click' | wc -l)" = 1 ] || fail "more than one Click"
[ "$(since_mark 'b1 LButtonDown' | wc -l)" = 1 ] || fail "LButtonDown: $(since_mark 'b1 LButtonDown' | wc -l)"

# --- a disabled control gets nothing; a handled preview stops the bubbling part ---
glide 60 45 60 165
expect_log "b3 MouseEnter"
mark
xdotool click 1
sleep 0.5
[ -z "$(since_mark 'PrevLButtonDown|b3 ')" ] || fail "the disabled button was reached: $(since_mark '.' | tr '\n' ',')"
glide 60 165 160 165
mark
xdotool click 1
expect_log "root PrevLButtonDown"
sleep 0.5
[ -z "$(since_mark 'b4 ')" ] || fail "the stopped press reached b4: $(since_mark 'b4' | tr '\n' ',')"

# --- keys reach the focused control, also after a message box ---
run_lua 'b5:setFocus()'
expect_log "b5 GotFocus"
glide 160 165 260 165     # the X keyboard focus follows the pointer
xdotool type --delay 50 "ab"
expect_log "b5 KeyPress b"
[ "$(since_mark 'b5 KeyPress' | tr '\n' ',')" = "b5 KeyPress a,b5 KeyPress b," ] || fail "keys: $(since_mark 'KeyPress' | tr '\n' ',')"
start_lua 'log("box", w:showMessageBox("Press OK", "Orvo box", 0))'
expect_log "b5 LostFocus"
box_answer "Orvo box" 1
expect_log "box 1"
expect_log "b5 GotFocus"
point 260 165
xdotool type --delay 50 "c"
expect_log "b5 KeyPress c"

# --- tooltip: after a pause over b1; hidden by a press and by leaving ---
glide 260 165 50 45
wait_for 5 tooltip_is "$title" 1 || fail "no tooltip after a pause over b1: $probe_tooltip"
xdotool mousedown 1
wait_for 3 tooltip_is "$title" 0 || fail "the press left the tooltip: $probe_tooltip"
xdotool mouseup 1
sleep 0.3
point 55 47
wait_for 5 tooltip_is "$title" 1 || fail "no tooltip after the second pause: $probe_tooltip"
glide 55 47 -60 47
wait_for 3 tooltip_is "$title" 0 || fail "leaving left the tooltip: $probe_tooltip"

# --- the shadow follows the window and hides with it; clicks reach the controls beneath it ---
run_lua 'w:setPosition(100, 120)'
probe "$title"
set -- $probe_shadow
[ "${probe_window}" = "1 100 120 500 420 1" ] || fail "moved window at $probe_window"
[ "$1 $2 $3 $4 $5" = "1 80 106 516 441" ] || fail "the shadow did not follow: $probe_shadow"
run_lua 'w:showWindow(0)'
probe "$title"
[ "${probe_window%% *} ${probe_shadow%% *}" = "0 0" ] || fail "hidden window $probe_window, shadow $probe_shadow"
run_lua 'w:showWindow(5)'
probe "$title"
[ "${probe_window%% *} ${probe_shadow%% *}" = "1 1" ] || fail "shown window $probe_window, shadow $probe_shadow"
shadow_handle=$(printf '%s\n' "$probe_shadow" | awk '{print $7}')
win_x=100 win_y=120
point 340 260              # b6, under the shadow window
mark
xdotool click 1
expect_log "result 3"
expect_log "after 0 0"
[ -n "$(since_mark 'b6 Click')" ] || fail "the click under the shadow did not reach b6"
probe "$title"
[ "$probe_window" = "none" ] || fail "the window is still there: $probe_window"
! window_exists "$shadow_handle" || fail "the shadow outlived its window"
scn_finish
wait_for 10 scn_exited || fail "the runner did not exit"
echo "input routing: all checks passed"
