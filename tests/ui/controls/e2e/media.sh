#!/usr/bin/env bash
# The image and slide-show controls on the real screen: a picture drawn stretched, a slide show of
# three colours seen cross-fading and coming back to the first (the image of another size left
# out), stopped by playStop; a browser control whose HTML engine is missing leaves the window
# working and closing.
set -u
. "$(dirname "$0")/../../../e2e/window.sh"
scn_begin "$1"
mine=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
title="Orvo media test"

# --- a style package of solid colours (and a font), made for this run ---
mkdir -p "$e2e_work/style"
convert -size 8x8 xc:white "$e2e_work/style/white.png"
convert -size 1x1 xc:'#ff0000' xc:'#00ff00' +append \( -size 1x1 xc:'#0000ff' xc:'#ffff00' +append \) -append \
    "$e2e_work/style/quads.png"
for slide in red:ff0000 green:00ff00 blue:0000ff; do
    convert -size 120x80 "xc:#${slide#*:}" "PNG32:$e2e_work/style/${slide%%:*}.png"
done
convert -size 60x40 xc:'#ff00ff' "PNG32:$e2e_work/style/odd.png"
printf '<fonts><font name="Default" face="Tahoma" size="13"/></fonts>' >"$e2e_work/style/font.xml"
"$e2e_lzpack" create "$e2e_work/style.lz" "$e2e_work/style" >/dev/null || fail "cannot pack the style"
scn_style=$e2e_work/style.lz

scn_start "$mine/media.lua" "$mine/media"
expect_log "show PowerPoint Image Control" 20
wait_for 10 eval 'probe "$title"; [ "${probe_window%% *}" = 1 ]' || fail "no window: $probe_window"
[ "$probe_window" = "1 60 60 460 280 1" ] || fail "window at $probe_window"
win_x=60 win_y=60

# A slide show sample by name: a slide, "mix" between two slides (the fade's ends are one channel
# a step off), else the colour itself.
classify() {
    local r=$((16#${1:0:2})) g=$((16#${1:2:2})) b=$((16#${1:4:2}))
    case $1 in
    FF0000) echo red ;;
    00FF00) echo green ;;
    0000FF) echo blue ;;
    FF00FF | FFFFFF | 000000) echo "$1" ;;
    *) if [ $(( (r > 0) + (g > 0) + (b > 0) )) -le 2 ]; then echo mix; else echo "$1"; fi ;;
    esac
}
# Whether a sample is halfway through a fade: two channels both well lit.
halfway() {
    local r=$((16#${1:0:2})) g=$((16#${1:2:2})) b=$((16#${1:4:2}))
    [ $(( (r > 64) + (g > 64) + (b > 64) )) = 2 ]
}

# --- the picture, stretched: each source pixel a 40 x 40 quadrant ---
wait_for 5 eval '[ "$(colour_now 40 40)" = FF0000 ]' || fail "the picture is not drawn: $(colour_now 40 40) at its top-left"
for check in "80 40 00FF00" "40 80 0000FF" "80 80 FFFF00" "110 40 FFFFFF"; do
    set -- $check
    [ "$(colour_now "$1" "$2")" = "$3" ] || fail "picture at $1,$2 is $(colour_now "$1" "$2"), expected $3"
done

# --- the slide show: stopped, it shows the first slide; playing, it cycles red, green, blue ---
[ "$(colour_now 260 60)" = FF0000 ] || fail "the stopped show shows $(colour_now 260 60)"
run_lua 'show:playStart()'
sequence=red
last=red
saw_odd= fades=0
for _ in $(seq 250); do
    sample=$(colour_now 260 60)
    now=$(classify "$sample")
    [ "$now" = FF00FF ] && saw_odd=1
    if halfway "$sample"; then
        # the first fade caught halfway is kept beside the final screen, for whoever looks
        [ "$fades" = 0 ] && import -window root "$(artefact fade.png)" 2>/dev/null
        fades=$((fades + 1))
    fi
    if [ "$now" != "$last" ]; then
        sequence="$sequence,$now"
        last=$now
    fi
    case $sequence in *blue,mix,red) break ;; esac
    sleep 0.05
done
[ -z "$saw_odd" ] || fail "the image of another size was shown: $sequence"
[ "$sequence" = "red,mix,green,mix,blue,mix,red" ] || fail "the show went $sequence"
[ "$fades" -gt 0 ] || fail "no sample caught a fade halfway"
# the odd-sized slide was left out, not drawn over the neighbours
[ "$(colour_now 330 60)" = FFFFFF ] || fail "beside the show: $(colour_now 330 60)"

# --- playStop during a fade: the current slide, unblended, and nothing moves any more ---
wait_for 20 eval '[ "$(classify "$(colour_now 260 60)")" = mix ]' || fail "no fade after the first slide"
run_lua 'show:playStop()'
stopped=$(colour_now 260 60)
case $(classify "$stopped") in red | green | blue) ;; *) fail "stopped on $stopped" ;; esac
for _ in $(seq 10); do
    sleep 0.15
    [ "$(colour_now 260 60)" = "$stopped" ] || fail "the stopped show moved from $stopped to $(colour_now 260 60)"
done
import -window root "$(artefact media.png)" 2>/dev/null

# --- the window with the engine-less browser ends as usual ---
run_lua 'w:endDialog(5)'
expect_log "result 5"
scn_finish
wait_for 10 scn_exited || fail "the runner did not exit"
wait "$scn_pid"
status=$?
[ "$status" = 0 ] || fail "the runner exited with $status"
grep -qi "unhandled exception\|page fault" "$e2e_work/runner.out" && fail "the runner crashed: $(cat "$e2e_work/runner.out")"
echo "images, slide show and browser: all checks passed"
