#!/usr/bin/env bash
# Buttons, labels and progress bars in a real window under Xvfb with real X input (xdotool):
# the probe button's skin by state (over, down with the caption moved by downOffset, disabled over
# everything), a click dragged off, check boxes, a radio group kept by the script, toggles, a plain
# label the mouse passes through until bit 10 is cleared, the link label's hand cursor and its
# swallowed press, and the progress bar revealing its gradient fill column by column. Every
# control is kept in each of its states as a screenshot under build/win/artefacts/controls.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
scenario=$(cd "$(dirname "$0")" && pwd)
. "$scenario/probe_styles.sh"
e2e_keep=controls artefacts=$e2e_build/artefacts/controls
title="Orvo controls test"
win_w=600 win_h=360

use_probe_styles
scn_start "$scenario/controls.lua" "$scenario/controls"
wait_for 20 grep -qs "^position" "$log" || fail "the controls window did not appear"
read -r _ win_x win_y < <(grep "^position" "$log")
wait_for 10 xdotool search --name "^$title\$" >/dev/null || fail "no window titled \"$title\""
point 580 340
sleep 0.5
shoot
keep "window-at-rest"

# --- the probe button: up, over, down with the caption one pixel right and down, disabled ---
[ "$(colour_at 23 23)" = "$probe_up" ] || fail "probe button at rest shows $(colour_at 23 23), not the up skin"
point 80 38
wait_for 5 eval 'shoot; [ "$(colour_at 23 23)" = "$probe_over" ]' || fail "hovered probe shows $(colour_at 23 23)"
over_caption=$(box_of 20 20 120 36 FFFFFF)
keep "button-probe-over"
xdotool mousedown 1
wait_for 5 eval 'shoot; [ "$(colour_at 23 23)" = "$probe_down" ]' || fail "pressed probe shows $(colour_at 23 23)"
down_caption=$(box_of 20 20 120 36 FFFFFF)
keep "button-probe-down"
read -r l t r b <<<"$over_caption"
[ "$down_caption" = "$((l + 1)) $((t + 1)) $((r + 1)) $((b + 1))" ] ||
    fail "caption at $over_caption hovered, at $down_caption pressed: not moved by (1, 1)"
# dragged off before the release: no Click
mark
glide 80 38 80 120
xdotool mouseup 1
sleep 0.5
[ -z "$(since_mark 'probe Click')" ] || fail "a click dragged off the button counted"
point 80 38
mark
xdotool click 1
expect_log "probe Click"
# disabled wins over hovered, pressed, focused and checked
run_lua 'probe:setEnabled(false) probe:writeFlag(14, true) probe:setFocus()'
point 81 39               # hovered again
xdotool mousedown 1
sleep 0.3
shoot
xdotool mouseup 1
[ "$(colour_at 23 23)" = "$probe_disabled" ] || fail "disabled probe shows $(colour_at 23 23)"
keep "button-probe-disabled"
# the focus (perhaps parked by the window while the pointer was elsewhere) goes to the root
run_lua 'probe:setEnabled(true) probe:writeFlag(14, false) w:getRoot():setFocus()'

# --- the shipped buttons in their states ---
for spec in "primary 216 38" "gray 346 38" "icon 472 38" "cta 300 128"; do
    read -r name cx cy <<<"$spec"
    point "$cx" "$cy"
    sleep 0.4
    shoot
    keep "button-$name-over"
    xdotool mousedown 1
    sleep 0.3
    shoot
    keep "button-$name-down"
    xdotool mouseup 1
done
point 580 340
run_lua 'for id = 2, 4 do w:getChild(id):setEnabled(false) end w:getChild(22):setEnabled(false)'
sleep 0.3
shoot
keep "buttons-disabled"
run_lua 'for id = 2, 4 do w:getChild(id):setEnabled(true) end w:getChild(22):setEnabled(true)'

# --- a check box toggles once per click; setCheck tells only of a change ---
point 30 88
mark
xdotool click 1
expect_log "check Click true"
[ "$(since_mark '^check' | tr '\n' ,)" = "check ValueChange true,check Click true," ] ||
    fail "first click: $(since_mark '^check' | tr '\n' ,)"
sleep 0.3
shoot
keep "checkbox-checked-over"
mark
xdotool click 1
expect_log "check Click false"
[ "$(since_mark '^check' | tr '\n' ,)" = "check ValueChange false,check Click false," ] ||
    fail "second click: $(since_mark '^check' | tr '\n' ,)"
xdotool mousedown 1
sleep 0.3
shoot
keep "checkbox-pressed"
xdotool mouseup 1
expect_log "check Click true"
point 580 340
sleep 0.3
shoot
keep "checkbox-checked"
mark
run_lua 'check:setCheck(true) check:setCheck(false) check:setCheck(false)'
[ "$(since_mark '^check' | tr '\n' ,)" = "check ValueChange false," ] ||
    fail "setCheck: $(since_mark '^check' | tr '\n' ,)"
run_lua 'check:setEnabled(false)'
sleep 0.3
shoot
keep "checkbox-disabled"
run_lua 'check:setEnabled(true)'

# --- radio buttons of one group exclude each other; a checked one stays silently ---
point 210 88
xdotool click 1
expect_log "r1 Click true"
point 310 88
mark
xdotool click 1
expect_log "r2 Click true"
run_lua 'radioStates()'
expect_log "radios false true false"
mark
xdotool click 1
expect_log "r2 Click true"
[ -z "$(since_mark 'ValueChange')" ] || fail "a checked radio button changed: $(since_mark ValueChange | tr '\n' ,)"
point 580 340
sleep 0.3
shoot
keep "radiobuttons"

# --- toggles ---
point 38 128
xdotool click 1
expect_log "switch ValueChange true"
point 136 128
xdotool click 1
expect_log "expander ValueChange true"
point 580 340
sleep 0.3
shoot
keep "toggles-on"
point 38 128
xdotool click 1
expect_log "switch ValueChange false"
point 416 128
xdotool click 1
expect_log "image Click false"

# --- labels: a plain one is passed through; with bit 10 cleared it hears the mouse ---
point 100 176
sleep 0.3
mark
xdotool click 1
sleep 0.5
[ -z "$(since_mark '^plain')" ] || fail "the plain label heard the mouse: $(since_mark '^plain' | tr '\n' ,)"
[ -n "$(since_mark 'root LButtonDown')" ] || fail "the press over a plain label did not reach the root"
point 580 340
run_lua 'clickable:writeFlag(10, false)'
mark
point 360 176
expect_log "clickable MouseEnter"
expect_log "clickable QueryCursor"
xdotool click 1
expect_log "clickable LButtonDown"
expect_log "root LButtonDown"
point 580 340
expect_log "clickable MouseLeave"

# --- the link label: the hand cursor, as a script sets it, not the arrow; presses swallowed ---
point 580 340
sleep 0.3
arrow=$(cursor_shape)
point 360 208
sleep 0.3
hand=$(cursor_shape)
[ "$hand" != "$arrow" ] || fail "the script's hand cursor looks like the arrow: $hand"
point 60 208
expect_log "link MouseEnter"
sleep 0.3
[ "$(cursor_shape)" = "$hand" ] || fail "the link label shows $(cursor_shape), the hand is $hand"
shoot
keep "labels-link-hovered"
mark
xdotool click 1
sleep 0.5
[ -z "$(since_mark 'root LButtonDown')" ] || fail "the link label's press reached the root"
point 580 340

# --- the progress bar: 115 of 230 over a 200-pixel fill area shows exactly 100 columns ---
# revealed: how many columns from the fill area's left show the fill image column for column;
# "bad" when the rest is not the background
revealed() {
    shoot
    row 30 270 200 | awk -v track="$probe_track" '
        { want = sprintf("%02X4080", NR - 1) }
        !gone && $0 == want { n++; next }
        { gone = 1; if ($0 != track) bad = 1 }
        END { print bad ? "bad" : n + 0 }'
}
for spec in "230 115 100" "230 500 200" "0 500 0" "230 -5 0" "1000 230 46"; do
    read -r range position columns <<<"$spec"
    run_lua "progress(probeBar, $range, $position)"
    wait_for 3 eval '[ "$(revealed)" = "$columns" ]' ||
        fail "range $range, position $position: $(revealed) columns shown, expected $columns"
done
for spec in "1 0" "230 80" "230 230"; do
    read -r range position <<<"$spec"
    run_lua "progress(shippedBar, $range, $position)"
    sleep 0.3
    shoot
    keep "progressbar-$((position * 100 / range))"
done

# every checking button checked, then all of them disabled
run_lua 'for _, b in ipairs({check, radios[1], switch, expander}) do b:setCheck(true) end'
sleep 0.3
shoot
keep "checked"
run_lua 'for id, _ in pairs({[10] = 1, [11] = 1, [12] = 1, [20] = 1, [21] = 1, [23] = 1, [32] = 1}) do w:getChild(id):setEnabled(false) end'
sleep 0.3
shoot
keep "checked-disabled"

scn_finish
run_lua 'w:endDialog(1)'
wait_for 10 scn_exited || fail "the runner did not exit"
echo "controls: all checks passed; screenshots in $artefacts"
