#!/usr/bin/env bash
# The text box in a real window under Xvfb with real X input (xdotool): typed text reaches
# getText; a PrevKeyPress handler keeps ':' out; a click puts the caret at the nearest boundary;
# drag selection, double click and typing over a selection; the view follows the caret to the
# right and a drag past the left edge walks it back; a paste turns CR LF into spaces; the
# 2000-character cap for setText, typing and pasting; the I-beam cursor; the selection painted
# while focused and gone with the focus. Screenshots go to build/win/artefacts/controls.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
scenario=$(cd "$(dirname "$0")" && pwd)
. "$scenario/probe_styles.sh"
e2e_keep=controls artefacts=$e2e_build/artefacts/controls
title="Orvo text box test"
win_w=600 win_h=240
# the first box's text area: the box at (40, 40), 408 x 32, padding 8 and 5
text_x=48 text_y=45 text_w=392 text_h=22 mid_y=56
selection=3399FF

# text_ink [TOP]: the ink (client coordinates) in the text area of the last screenshot (the first
# box's, or the one at TOP) against the box's white, or "none"
text_ink() { ink "$text_x" "${1:-$text_y}" "$text_w" "$text_h" 25% white; }
last_counts() { grep "^length " "$log" | tail -1; }
typed() { xdotool type --delay 30 "$1"; sleep 0.2; }
click_at() { point "$1" "$2"; xdotool click 1; sleep 0.2; }

use_probe_styles
scn_start "$scenario/textbox.lua" "$scenario/textbox"
wait_for 20 grep -qs "^position" "$log" || fail "the text box window did not appear"
read -r _ win_x win_y < <(grep "^position" "$log")
wait_for 10 xdotool search --name "^$title\$" >/dev/null || fail "no window titled \"$title\""

# --- typed text reaches getText; the PrevKeyPress handler swallows ':' ---
click_at 200 $mid_y
expect_log "box GotFocus"
typed "abc"
typed "d:e"
expect_log "swallowed :"
expect_text "abcde"
shoot
keep "textbox-typed"

# --- the I-beam over the box, as the script sets it, not the arrow ---
point 500 200
sleep 0.3
arrow=$(cursor_shape)
point 60 172
sleep 0.3
beam=$(cursor_shape)
[ "$beam" != "$arrow" ] || fail "the script's I-beam looks like the arrow"
point 300 $mid_y
sleep 0.3
[ "$(cursor_shape)" = "$beam" ] || fail "the text box shows $(cursor_shape), the I-beam is $beam"

# --- the font's advance of "a", from ink in the second box, which has no caret to draw ---
run_lua 'other:setText(string.rep("a", 10))'
sleep 0.3
shoot
read -r left _ r10 _ <<<"$(text_ink 105)"
run_lua 'other:setText(string.rep("a", 20))'
sleep 0.3
shoot
read -r _ _ r20 _ <<<"$(text_ink 105)"
advance=$(((r20 - r10) / 10))
[ "$advance" -ge 3 ] || fail "advance of a measured as $advance"
echo "advance of a: $advance, text from x $left"

# --- a click puts the caret at the boundary nearest to it ---
middle=$((text_x + 2 * advance + advance / 2))
run_lua 'box:setText(string.rep("a", 10))'
click_at $((middle - 2)) $mid_y
typed "|"
expect_text "aa|aaaaaaaa"
run_lua 'box:setText(string.rep("a", 10))'
click_at $((middle + 2)) $mid_y
typed "|"
expect_text "aaa|aaaaaaa"

# --- a drag selects; typing replaces the selection ---
run_lua 'box:setText("aaabcdef") changes = 0'
point $((text_x + 1)) $mid_y
xdotool mousedown 1
glide $((text_x + 1)) $mid_y $((text_x + 3 * advance + 1)) $mid_y
xdotool mouseup 1
sleep 0.2
shoot
keep "textbox-selection"
[ "$(box_of $text_x $text_y $text_w $text_h $selection)" != none ] || fail "no selection painted"
typed "X"
expect_text "Xbcdef"
[ "$(last_counts)" = "length 6 changes 2" ] || fail "typing over a selection: $(last_counts)"

# --- a double click selects everything ---
point 200 $mid_y
xdotool click --repeat 2 --delay 60 1
sleep 0.2
typed "Z"
expect_text "Z"

# --- the view follows the caret to the right; a drag past the left edge walks it back ---
long=$(printf 'm%.0s' $(seq 79))
typed "$long"
expect_text "Z$long"
shoot
keep "textbox-scrolled"
read -r ink_left _ ink_right _ <<<"$(text_ink)"
[ "$ink_right" -ge $((text_x + text_w - 2 * advance - 4)) ] && [ "$ink_right" -le $((text_x + text_w)) ] ||
    fail "the end of the text is drawn to x $ink_right, not at the box's right edge"
typed "|"
expect_text "Z$long|"
point 200 $mid_y
xdotool mousedown 1
# a character per move the box sees; a busy machine merges moves, so there are twice as many as
# the walk back needs (moves once at the start change nothing)
for i in $(seq 120); do
    xdotool mousemove $((win_x - 30 - i % 2)) $((win_y + mid_y))
done
xdotool mouseup 1
point 300 200             # the keyboard follows the pointer
typed "Y"
run_lua 'dump()'
after=$(last_text)
[ "${after:0:1}" = "Y" ] && [ "${#after}" -lt 40 ] ||
    fail "after a drag past the left edge and typing: \"$after\""
shoot
keep "textbox-scrolled-back"

# --- a paste turns CR LF into spaces ---
run_lua 'other:setText("one\r\ntwo")'
click_at 200 116
keys ctrl+a ctrl+c
click_at 200 $mid_y
keys ctrl+a ctrl+v
expect_text "one  two"

# --- one cap of 2000 characters: setText, typing, pasting ---
run_lua 'box:setText(string.rep("a", 2500)) changes = 0'
run_lua 'dump()'
[ "$(last_counts)" = "length 2000 changes 0" ] || fail "setText of 2500: $(last_counts)"
typed "b"
keys ctrl+v
run_lua 'dump()'
[ "$(last_counts)" = "length 2000 changes 2" ] || fail "typing and pasting into a full box: $(last_counts)"

# --- the selection is painted while focused and goes with the focus ---
run_lua 'box:setText("C:\\Program Files\\OrvoNubelo\\")'
click_at 200 $mid_y
keys ctrl+a
shoot
keep "textbox-all-selected"
[ "$(box_of $text_x $text_y $text_w $text_h $selection)" != none ] || fail "Ctrl+A painted no selection"
click_at 520 56            # a button takes the focus
expect_log "box LostFocus"
sleep 0.3
shoot
keep "textbox-unfocused"
[ "$(box_of $text_x $text_y $text_w $text_h $selection)" = none ] || fail "the selection outlived the focus"
run_lua 'box:setEnabled(false)'
sleep 0.3
shoot
keep "textbox-disabled"

scn_finish
run_lua 'w:endDialog(1)'
wait_for 10 scn_exited || fail "the runner did not exit"
echo "text box: all checks passed; screenshots in $artefacts"
