#!/usr/bin/env bash
# The multi-line edit in a real window under Xvfb with real X input (xdotool): an edit with markup
# text appears; Enter inserts CR LF and one Backspace takes both; Home and End reach the whole
# text's ends; wrapping by character at the edit's width; tabs drawn as four spaces; a wheel notch
# scrolls three lines; a read-only edit stops scrolling at its last page; a drag selects in the
# selection colour, which stays when the focus goes; copy and paste through the real clipboard.
# Texts are checked through the script's getText, pictures in screenshots of the edits.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
scenario=$(cd "$(dirname "$0")" && pwd)
title="Orvo edit test"

# The edits in client coordinates (markup): left, top; all are 260 x 150 with padding 5.
e1x=20 e1y=20 e2x=320 e2y=20 e3x=20 e3y=220
pad=5 usable=250

# The text area of edit N (inside its padding) as "X Y W H".
area() {
    local x=e$1x y=e$1y
    echo "$((${!x} + pad)) $((${!y} + pad)) $usable 140"
}
# measure N LUA_TEXT: sets edit N's text and leaves the ink of it in `measured` (not a
# subshell: the commands are counted)
measure() {
    run_lua "edits[$1]:setText($2)"
    sleep 0.3
    shoot
    measured=$(ink $(area "$1") 30%)
}

scn_start "$scenario/edit.lua" "$scenario/edit"
# the window shows, its loop runs (commands are served) and the markup text is there
wait_for 20 grep -qs "^position" "$log" || fail "the window with an edit holding markup text did not appear"
read -r _ win_x win_y < <(grep "^position" "$log")
wait_for 10 xdotool search --name "^$title\$" >/dev/null || fail "no window titled \"$title\""
expect_text "Markup text" 1

# --- the font's numbers, from ink in edit 3, which never has the caret before its own step ---
measure 3 '"a"'
read -r _ top1 _ bottom1 <<<"$measured"
measure 3 '"a\r\na"'
read -r _ _ _ bottom2 <<<"$measured"
line_height=$((bottom2 - bottom1))
measure 3 'string.rep("a", 10)'
read -r _ _ r10 _ <<<"$measured"
measure 3 'string.rep("a", 20)'
read -r _ _ r20 _ <<<"$measured"
advance=$(((r20 - r10) / 10))
[ "$line_height" -gt 5 ] && [ "$advance" -gt 2 ] || fail "font measured as line height $line_height, advance $advance"
echo "line height $line_height, advance of a: $advance"

# --- Enter inserts CR LF; one Backspace removes both ---
point $((e1x + 200)) $((e1y + pad + line_height / 2))   # right of the text: the caret goes to its end
xdotool click 1
keys Return
expect_text 'Markup text\r\n' 1
keys BackSpace
expect_text "Markup text" 1

# --- Home and End go to the start and end of the whole text, not of the line ---
run_lua 'edits[1]:setText("one\r\ntwo\r\nthree")'
point $((e1x + pad + 10)) $((e1y + pad + line_height + line_height / 2))   # on "two"
xdotool click 1
keys End
xdotool type E
keys Home
xdotool type H
expect_text 'Hone\r\ntwo\r\nthreeE' 1

# --- wrapping by character: a click at the start of the second line, then typing there ---
run_lua 'edits[1]:setText(string.rep("a", 200))'
point $((e1x + pad + 1)) $((e1y + pad + line_height + line_height / 2))
xdotool click 1
xdotool type '|'
run_lua 'dump(1)'
first_line=$(last_text 1 | sed -n 's/^\(a*\)|.*/\1/p' | tr -d '\n' | wc -c)
[ "$first_line" -eq $((usable / advance)) ] ||
    fail "the first line holds $first_line characters; $usable pixels hold $((usable / advance)) of $advance"

# --- tabs are drawn as four spaces ---
measure 3 '"\tX"'
tabbed=$measured
measure 3 '"    X"'
spaced=$measured
measure 3 '"X"'
plain=$measured
[ "$tabbed" = "$spaced" ] || fail "a tab drawn at $tabbed, four spaces at $spaced"
[ "${tabbed%% *}" -gt "${plain%% *}" ] || fail "the tab moved nothing: $tabbed against $plain"

# --- a wheel notch scrolls three lines: the top line afterwards takes a typed mark ---
run_lua 'local t = {} for i = 0, 29 do t[#t + 1] = "L" .. i end edits[1]:setText(table.concat(t, "\r\n"))'
point $((e1x + 100)) $((e1y + 60))
xdotool click 1
xdotool click 5   # one notch down
sleep 0.3
point $((e1x + pad + 1)) $((e1y + pad + 2))
xdotool click 1
xdotool type '#'
run_lua 'dump(1)'
case "$(last_text 1)" in
'L0\r\nL1\r\nL2\r\n#L3\r\n'*) ;;
*) fail "after a wheel notch the top line was not L3: $(last_text 1 | cut -c1-60)" ;;
esac

# --- a read-only edit scrolls no further than its last page; an editable one to its last line ---
visible=$(((150 - 2 * pad) / line_height))
run_lua 'edits[2]:setText(staircase(20, "a"))'
run_lua 'edits[1]:setText(staircase(20, "a"))'
# End, Page Down and two wheel notches down in each; then the focus goes to edit 3, so that no
# caret stands in the picture, and the rows of text shown are counted from their ink
for n in 2 1; do
    x=e${n}x
    point $((${!x} + 100)) $((e1y + 60))
    xdotool click 1
    keys End Next
    xdotool click 5 click 5
    point $((e3x + 100)) $((e3y + 60))
    xdotool click 1
    sleep 0.3
    shoot
    read -r _ top _ bottom <<<"$(ink $(area "$n") 30%)"
    rows[$n]=$(((bottom - top - (bottom1 - top1) + line_height / 2) / line_height + 1))
done
[ "${rows[2]}" -eq "$visible" ] || fail "read-only: ${rows[2]} rows of text shown, expected the last page of $visible"
[ "${rows[1]}" -eq 1 ] || fail "editable: ${rows[1]} rows shown, expected its last line alone at the top"

# --- a drag selects in the selection colour (RGB 33 99 FF), which stays when the focus goes ---
run_lua 'edits[1]:setText("drag me please") edits[3]:setText("")'
row="$((e1x + pad)) $((e1y + pad)) $usable $line_height"
point $((e1x + pad + 1)) $((e1y + pad + line_height / 2))
xdotool mousedown 1
glide $((e1x + pad + 1)) $((e1y + pad + line_height / 2)) $((e1x + pad + 8 * advance)) $((e1y + pad + line_height / 2))
xdotool mouseup 1
sleep 0.3
shoot
selected=$(pixels $row '#3399FF')
[ "$selected" -gt $((2 * advance * line_height)) ] || fail "the drag left $selected pixels of the selection colour"
keys ctrl+c
point $((e3x + 100)) $((e3y + 60))
xdotool click 1
keys ctrl+v
run_lua 'dump(3)'
pasted=$(last_text 3)
case "drag me please" in
"$pasted"*) [ ${#pasted} -ge 6 ] || fail "pasted \"$pasted\": less than the drag selected" ;;
*) fail "pasted \"$pasted\", not the start of \"drag me please\"" ;;
esac
sleep 0.3
shoot
[ "$(pixels $row '#3399FF')" -gt $((selected / 2)) ] || fail "the selection lost its colour with the focus"
# the last picture stays in the build folder for whoever wants to look
cp "$e2e_shot" "$(artefact edit.png)" 2>/dev/null

scn_finish
run_lua 'w:endDialog(1)'
wait_for 10 scn_exited || fail "the runner did not exit"
echo "edit: all checks passed"
