#!/usr/bin/env bash
# A combo box, tabs and a title bar in a real window with real X input: a tab switch with its
# ValueChange order and the page sliding in (caught by watching two of its pixels); the combo box
# near the bottom of the screen dropping its list upwards, 148 pixels high for ten items; choosing
# the item shown sends no ValueChange, a click elsewhere closes the list unchanged, another item
# changes the text; a title-bar drag moving the window and its shadow; a script failing while the
# list is down closes it and ends the script with its error box.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
here=$(cd "$(dirname "$0")" && pwd)
title="Orvo combo test"

scn_start "$here/combo_tabs.lua" "$here/combo_tabs"
expect_log "position 440 200" 20
win_x=440 win_y=200
wait_for 10 eval 'probe "$title"; [ "${probe_window%% *}" = 1 ]' || fail "no window titled \"$title\""
shot=$e2e_work/shot.png

# --- tabs (20, 110, 360 × 170, a 32-pixel strip): page one is the blue button, page two the grey
# one; a frame in the middle of a slide shows both, the new page over part of the old ---
blue() { local c=$1; [ $((16#${c:4:2})) -gt 200 ] && [ $((16#${c:0:2})) -lt 120 ]; }
point 200 60
sleep 0.3
shoot "$shot"
blue "$(colour_at 40 200)" || fail "page one is not shown: $(colour_at 40 200)"
# the two sides of the page watched every few milliseconds around the click (a burst of full
# captures misses a tenth of a second on a busy machine); up to three tries all the same
slid=0
for try in 1 2 3; do
    mark
    if [ $((try % 2)) = 1 ]; then tab=140 from=one to=two; else tab=60 from=two to=one; fi
    point "$tab" 126
    rm -f "$e2e_work/sampling"
    screen sample "$e2e_work/sampling" 2 $((win_x + 40)) $((win_y + 200)) $((win_x + 360)) $((win_y + 200)) \
        >"$e2e_work/samples" &
    sampler=$!
    wait_for 5 test -e "$e2e_work/sampling" || fail "the screen sampler did not start"
    xdotool click 1
    wait "$sampler" || fail "the screen sampler failed"
    wait_for 5 eval '[ -n "$(since_mark "^busy")" ]' || fail "the tab switch did not finish"
    [ "$(since_mark 'ValueChange' | tr '\n' ',')" = "tab $from ValueChange false,tabs ValueChange," ] ||
        fail "tab switch: $(since_mark 'ValueChange' | tr '\n' ',')"
    busy=$(since_mark '^busy' | awk '{print $2}')
    [ "$busy" -ge 80 ] || fail "the switch kept the window busy only $busy ms: no slide"
    while read -r left right; do
        if { blue "$left" && ! blue "$right"; } || { ! blue "$left" && blue "$right"; }; then
            slid=1
        fi
    done <"$e2e_work/samples"
    [ "$slid" = 1 ] && break
done
[ "$slid" = 1 ] || fail "the page was never seen sliding in: $(tr '\n' ' ' <"$e2e_work/samples")"
sleep 0.3
shoot "$shot"
if [ "$to" = two ]; then ! blue "$(colour_at 40 200)" || fail "page two is not shown"; fi
if [ "$to" = one ]; then blue "$(colour_at 360 200)" || fail "page one is not shown"; fi

# --- the combo box (20, 60, 200 × 32) near the bottom of the screen: ten items, six rows shown,
# opening above the box: 6 × 24 + 4 = 148 pixels ---
run_lua 'w:setPosition(440, 650)'
win_y=650
point 100 76
xdotool click 1
wait_for 5 eval 'probe_popup | grep -q "^popup 1"' || fail "the list did not drop down"
popup=$(probe_popup | tr -d '\r')
[ "$popup" = "popup 1 460 562 660 710" ] || fail "$popup, expected 200 × 148 above the box at 460, 562"
mark
# the item shown, "item 0", at the top of the list
xdotool mousemove --sync 520 $((562 + 2 + 12)) click 1
wait_for 5 eval 'probe_popup | grep -q "^popup 0"' || fail "choosing did not close the list"
sleep 0.3
[ -z "$(since_mark 'combo ValueChange')" ] || fail "choosing the item shown sent ValueChange"
# a click elsewhere in the window
point 100 76
xdotool click 1
wait_for 5 eval 'probe_popup | grep -q "^popup 1"' || fail "the list did not drop down again"
point 300 76
xdotool click 1
wait_for 5 eval 'probe_popup | grep -q "^popup 0"' || fail "a click elsewhere left the list open"
run_lua 'log("text", combo:getText())'
expect_log "text item 0"
[ -z "$(since_mark 'combo ValueChange')" ] || fail "closing by a click elsewhere sent ValueChange"
# another item changes the text
point 100 76
xdotool click 1
wait_for 5 eval 'probe_popup | grep -q "^popup 1"' || fail "the list did not drop down a third time"
xdotool mousemove --sync 520 $((562 + 2 + 4 * 24 + 12)) click 1
expect_log "combo ValueChange item 4"
cp "$shot" "$(artefact combo-tabs.png)" 2>/dev/null

# --- the title bar (0, 0, 400 × 40): dragged by (120, 60), the window and its shadow follow; the
# script's press handler runs after the move ---
run_lua 'w:setPosition(440, 200)'
win_y=200
point 50 20
sleep 0.2
mark
xdotool mousedown 1
glide 50 20 170 80
xdotool mouseup 1
wait_for 5 eval 'probe "$title"; [ "$probe_window" = "1 560 260 960 560 1" ]' || fail "dragged window at $probe_window"
set -- $probe_shadow
[ "$1 $2 $3 $4 $5" = "1 540 246 976 581" ] || fail "the shadow did not follow: $probe_shadow"
expect_log "titlebar LButtonDown 560 260"
win_x=560 win_y=260

# --- a script failing while the list is down (a command run by the list's own loop): the list
# closes by itself, the dialog ends, and the error box follows ---
point 100 76
xdotool click 1
wait_for 5 eval 'probe_popup | grep -q "^popup 1"' || fail "the list did not drop down for the failure"
start_lua 'error("failing under the drop-down")'
wait_for 10 box_shown "错误" || fail "no error box"
probe_popup | grep -q "^popup 1" && fail "the list stayed open under the failure"
box_answer "错误" 1
[[ $box_text == *"failing under the drop-down"* ]] || fail "error box text: $box_text"
! grep -q '^result' "$log" || fail "the dialog returned normally"
wait_for 10 scn_exited || fail "the runner did not exit"
echo "combo box, tabs and title bar: all checks passed"
