#!/usr/bin/env bash
# Scroll bars, a slider and a list box in a real window with real X input: the thumb's length for
# range 1000, page 250 and a 200-pixel track; an arrow held down repeating every 100 ms, stopping
# off the arrow and starting again on it; a disabled bar without a thumb; the slider's thumb at 50,
# a press at its far left, drags past the window's edges, a wheel notch; the list's selection moved
# by the keys and kept in view. Thumbs are found in screenshots: the scenario's scroll-bar and
# slider skins are solid colours, with arrows 25 pixels long.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
here=$(cd "$(dirname "$0")" && pwd)
title="Orvo scrolling test"

# --- the test skins, drawn here ---
skin=$e2e_work/skin
mkdir -p "$skin"
solid() { convert -size "$2" "xc:#$3" "PNG24:$skin/$1" || fail "cannot draw $1"; }
solid t_track.png 10x10 C8C8C8
solid t_arrow.png 10x25 3050F0
solid t_arrow_off.png 10x25 909090
solid t_thumb.png 8x16 E02020
solid t_thumb_over.png 8x16 E08020
solid t_thumb_down.png 8x16 A01010
solid t_knob.png 20x20 20A040
solid t_knob_over.png 20x20 2060C0
solid t_knob_down.png 20x20 104020
solid t_fill.png 8x4 4060E0
solid t_rest.png 8x4 B0B0B0
cat >"$skin/vscrollbar.xml" <<'EOF'
<style><class name="ScrollBar"><properties barSkin="t_track.png"
    upArrowUpSkin="t_arrow.png" upArrowOverSkin="t_arrow.png" upArrowDownSkin="t_arrow.png" upArrowDisabledSkin="t_arrow_off.png"
    downArrowUpSkin="t_arrow.png" downArrowOverSkin="t_arrow.png" downArrowDownSkin="t_arrow.png" downArrowDisabledSkin="t_arrow_off.png"
    thumbUpSkin="t_thumb.png" thumbOverSkin="t_thumb_over.png" thumbDownSkin="t_thumb_down.png"/></class></style>
EOF
cat >"$skin/slider.xml" <<'EOF'
<style><class name="Slider"><properties trackSkin="t_fill.png" barSkin="t_rest.png" scaleGrid="2,0,2,0"
    thumbUpSkin="t_knob.png" thumbOverSkin="t_knob_over.png" thumbDownSkin="t_knob_down.png"/></class></style>
EOF

scn_start "$here/scrolling.lua" "$here/scrolling" "$skin"
expect_log "position 430 200" 20
win_x=430 win_y=200
wait_for 10 eval 'probe "$title"; [ "${probe_window%% *}" = 1 ]' || fail "no window titled \"$title\""
shot=$e2e_work/shot.png
point 400 290   # out of the way: no hover state on any thumb
sleep 0.3

# --- the scroll panel (20, 20, 120 × 250) over 1000 pixels: its bar at x 130 … 140, arrows of 25 ---
shoot "$shot"
[ "$(run_of 134 20 1 250 E02020)" = "25 51" ] ||
    fail "thumb at $(run_of 134 20 1 250 E02020), expected 51 pixels (250 × 200 / 1000 + 1) at the track's top"

# holding the down arrow: Notify 3 at once and every 100 ms; off the arrow it stops, back on it it
# starts again at once; the bar does not move itself
run_lua 'watchBar()'
mark
point 135 257
xdotool mousedown 1
wait_for 5 eval '[ "$(since_mark "^notify 3" | wc -l)" -ge 8 ]' || fail "holding the arrow: $(since_mark notify | wc -l) Notify"
glide 135 257 135 150
held=$(since_mark '^notify 3' | wc -l)
sleep 0.6
[ "$(since_mark '^notify 3' | wc -l)" -le $((held + 1)) ] || fail "the repetition went on off the arrow"
stopped=$(since_mark '^notify 3' | wc -l)
glide 135 150 135 257
wait_for 3 eval '[ "$(since_mark "^notify 3" | wc -l)" -gt "$stopped" ]' || fail "no repetition back on the arrow"
xdotool mouseup 1
# the interval: the mean of the periods while first held, with room for a busy machine
times=$(since_mark '^notify 3' | head -n "$held" | awk '{print $3}')
mean=$(printf '%s\n' $times | awk 'NR == 1 { first = $1 } { last = $1 } END { print int((last - first) / (NR - 1)) }')
[ "$mean" -ge 85 ] && [ "$mean" -le 160 ] || fail "repeated every $mean ms, expected about 100"
sleep 0.3
shoot "$shot"
[ "$(run_of 134 20 1 250 E02020)" = "25 51" ] || fail "a plain panel's bar moved: $(run_of 134 20 1 250 E02020)"

# a disabled bar: no thumb, disabled arrows, deaf to presses
point 400 290
run_lua 'bar:setEnabled(false)'
shoot "$shot"
[ "$(run_of 134 20 1 250 E02020)" = "none" ] || fail "the disabled bar shows a thumb"
[ "$(colour_at 135 30)" = 909090 ] || fail "arrow of the disabled bar: $(colour_at 135 30)"
mark
point 135 257
xdotool click 1
sleep 0.4
[ -z "$(since_mark '^notify')" ] || fail "the disabled bar reported a press"
run_lua 'bar:setEnabled(true)'

# --- the slider (170, 30, 220 × 20) at 50 with a 20-pixel thumb: x = 100 … 120 ---
point 400 290
sleep 0.3
shoot "$shot"
[ "$(run_of 170 40 220 1 20A040)" = "100 20" ] || fail "slider thumb at $(run_of 170 40 220 1 20A040)"
mark
point 171 40
xdotool click 1
expect_log "slider 0"
# from the middle, dragged past the window's left edge and then past its right one
run_lua 'slider:setValue(50)'
point 280 40
xdotool mousedown 1
glide 280 40 -40 40
wait_for 3 eval '[ "$(tail -n 1 "$log")" = "slider 0" ]' || fail "past the left edge: $(tail -n 1 "$log")"
glide -40 40 470 40
wait_for 3 eval '[ "$(tail -n 1 "$log")" = "slider 100" ]' || fail "past the right edge: $(tail -n 1 "$log")"
xdotool mouseup 1
# one wheel notch: 2
run_lua 'slider:setValue(50)'
point 200 40
mark
xdotool click 4
expect_log "slider 52"
xdotool click 5
expect_log "slider 50"

# --- the list (170, 80, 200 × 148) of twenty rows of 24: its bar at x 360 … 370, a track of
# 148 − 50 = 98 and a thumb of 148 × 98 / 480 + 1 = 31 pixels ---
thumb_top() { echo $((80 + 25 + (98 - 31) * $1 / (480 - 148))); }
point 200 92
xdotool click 1
expect_log "list notify 0"
keys() {
    local n
    for n in $(seq "$2"); do
        xdotool key --delay 30 "$1"
    done
    sleep 0.3
}
# down ten rows: row 10 (240 … 264) ends on the bottom edge with whole rows above it:
# position 148 mod 24 + 264 − 148 = 120
for step in "Down 10 10 120" "Down 20 19 332" "Up 19 0 0"; do
    set -- $step
    keys "$1" "$2"
    run_lua 'log("selected", selectedRow())'
    [ "$(grep '^selected' "$log" | tail -n 1)" = "selected $3" ] || fail "$1 × $2: $(grep '^selected' "$log" | tail -n 1)"
    shoot "$shot"
    [ "$(run_of 364 80 1 148 E02020)" = "$(($(thumb_top "$4") - 80)) 31" ] ||
        fail "$1 × $2: list thumb at $(run_of 364 80 1 148 E02020), expected position $4"
done
[ "$(grep -c '^list notify' "$log")" = 1 ] || fail "the keys sent Notify"

cp "$shot" "$(artefact scrolling.png)" 2>/dev/null
run_lua 'w:endDialog(1)'
expect_log "result 1"
scn_finish
wait_for 10 scn_exited || fail "the runner did not exit"
echo "scrolling: all checks passed"
