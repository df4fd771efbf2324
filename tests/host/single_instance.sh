#!/usr/bin/env bash
# A second installer started while another holds the installer mutex shows the refusal notice and
# exits 1618; the first is undisturbed. The notice is a real message box, read and answered by
# answer_box as a person would.
set -u
wine_run=$1 setup=$2 holder=$3 answer=$4
work=$(mktemp -d)
trap 'touch "$work/stop"; rm -rf "$work"' EXIT
winpath() { winepath -w "$1" 2>/dev/null; }
. "$(dirname "$0")/answer_box.sh"

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
answer_box_and_wait "$wine_run" "$answer" "$setup_pid" '提示' 1 "$work/text" || exit 1
wait "$setup_pid"
setup_rc=$?
text=$(cat "$work/text" 2>/dev/null)
touch "$work/stop"
wait "$holder_pid"
holder_rc=$?
echo "refused installer exited $setup_rc with \"$text\"; holder exited $holder_rc"
[ "$text" = "检测到Orvo安装或卸载程序正在运行，请结束后重试。" ] || { echo "wrong refusal text"; exit 1; }
# 1618 as wine reports it: the low 8 bits
[ "$setup_rc" -eq $((1618 % 256)) ] && [ "$holder_rc" -eq 0 ]
