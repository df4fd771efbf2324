#!/usr/bin/env bash
# Dialogs and script timers in real windows: a measured window, timer periods, a one-shot that
# kills itself, a window destroyed from its own timer's callback, showDialog refused on a running
# dialog, endDialog while a message box is open, and a timer failing under a message box.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
here=$(cd "$(dirname "$0")" && pwd)

scn_start "$here/dialogs.lua" "$here/dialogs"
wait_for 20 eval 'probe "Orvo dialog test"; [ "${probe_window%% *}" = 1 ]' || fail "no dialog window: $probe_window"
[ "$probe_window" = "1 60 60 320 240 1" ] || fail "measured window at $probe_window, expected 260 x 180 at 60, 60"

# --- timers ---
expect_log "one-shot"
wait_for 5 eval '[ "$(grep -c "^periodic" "$log")" -ge 3 ]' || fail "the periodic timer does not repeat"
first=$(grep -m1 '^periodic' "$log" | awk '{print $2}')
[ "$first" -ge 250 ] || fail "the first period ended after $first ms instead of about 300"
run_lua 'w:killTimer(periodic)'
ticks=$(grep -c '^periodic' "$log")
sleep 1
[ "$(grep -c '^periodic' "$log")" = "$ticks" ] || fail "the killed timer still ticks"
[ "$(grep -c '^one-shot' "$log")" = 1 ] || fail "the one-shot ran $(grep -c '^one-shot' "$log") times"

# --- a window destroyed from its own timer's callback ---
wait_for 10 eval 'probe "Orvo inner dialog"; [ "${probe_window%% *}" = 1 ]' || fail "the inner dialog did not show"
set -- $probe_window
[ "$6" = 1 ] || fail "the inner dialog disabled itself (its own owner)"
run_lua 'log("again", tostring((w2:showDialog())))'
expect_log "again nil"
run_lua 'w2:endDialog(4)'
expect_log "inner result 4"
probe "Orvo inner dialog"
[ "$probe_window" = "none" ] || fail "the inner dialog is still there"
ticks=$(grep -c '^inner tick' "$log")
sleep 1
[ "$(grep -c '^inner tick' "$log")" = "$ticks" ] || fail "the destroyed window's timer still ticks"

# --- endDialog while a message box is open ends the dialog once the box is answered, with no
# further input: the command timer is gone by then, so nothing else wakes the loop ---
start_lua 'log("box", w:showMessageBox("Answer me", "Orvo dialog box", 0))'
wait_for 10 box_shown "Orvo dialog box" || fail "no message box"
run_lua 'w:endDialog(9); w:killTimer(commandTimer)'
box_answer "Orvo dialog box" 1
expect_log "box 1"
expect_log "result 9" 5

# --- a timer failing while a box is open: the box closes by itself, the error box follows ---
wait_for 10 box_shown "Orvo stuck box" || fail "the stuck box did not show"
box_answer "错误" 1
[[ $box_text == *"timer failed on purpose"* ]] || fail "error box text: $box_text"
box_shown "Orvo stuck box" && fail "the box under the failure stayed open"
! logged "failing result 0" || fail "the script went on after the error"
wait_for 10 scn_exited || fail "the runner did not exit"
echo "dialogs and timers: all checks passed"
