#!/usr/bin/env bash
# A second installer started while another holds the installer mutex shows the refusal notice and
# exits 0; the first is undisturbed. The notice is a real message box, answered with xdotool.
set -u
wine_run=$1 setup=$2 holder=$3
work=$(mktemp -d)
trap 'touch "$work/stop"; rm -rf "$work"' EXIT
winpath() { winepath -w "$1" 2>/dev/null; }

: >"$work/stop.tmp"; rm -f "$work/stop.tmp"
"$wine_run" "$holder" "$(winpath "$work/ready")" "$(winpath "$work/stop")" &
holder_pid=$!
for _ in $(seq 100); do
    [ -e "$work/ready" ] && break
    kill -0 "$holder_pid" 2>/dev/null || break
    sleep 0.1
done
[ -e "$work/ready" ] || { wait "$holder_pid"; echo "holder did not start (exit $?): is another installer running?"; exit 1; }

"$wine_run" "$setup" &
setup_pid=$!
box=
for _ in $(seq 150); do
    box=$(xdotool search --onlyvisible --name '^提示$' 2>/dev/null | head -n 1)
    [ -n "$box" ] && break
    kill -0 "$setup_pid" 2>/dev/null || break
    sleep 0.2
done
if [ -z "$box" ]; then
    echo "no refusal box appeared"
    kill "$setup_pid" 2>/dev/null
    exit 1
fi
# The box's text is a static control; its presence by title and the exit code are what we check.
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --window "$box" Return 2>/dev/null
sleep 0.5
if kill -0 "$setup_pid" 2>/dev/null; then
    xdotool windowfocus "$box" key Return 2>/dev/null
fi
for _ in $(seq 50); do kill -0 "$setup_pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$setup_pid" 2>/dev/null; then
    echo "the refused installer did not exit after its box was answered"
    kill "$setup_pid"
    exit 1
fi
wait "$setup_pid"
setup_rc=$?
touch "$work/stop"
wait "$holder_pid"
holder_rc=$?
echo "refused installer exited $setup_rc, holder exited $holder_rc"
[ "$setup_rc" -eq 0 ] && [ "$holder_rc" -eq 0 ]
