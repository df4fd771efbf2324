#!/usr/bin/env bash
# A second installer started while another holds the installer mutex shows the refusal notice and
# exits 1618; the first is undisturbed. The notice is a real message box, read and answered as a
# person would.
set -u
. "$(dirname "$0")/../e2e/e2e.sh"
e2e_begin "$1"
wine "$e2e_hold_mutex" "$(winpath "$e2e_work/ready")" "$(winpath "$e2e_work/stop")" </dev/null >/dev/null 2>&1 &
holder_pid=$!
e2e_at_exit 'touch "$e2e_work/stop"'
started() { [ -e "$e2e_work/ready" ] || ! kill -0 "$holder_pid" 2>/dev/null; }
wait_for 10 started
if [ ! -e "$e2e_work/ready" ]; then
    wait "$holder_pid"
    fail "holder did not start (exit $?): is another installer running?"
fi

win_start --code "$e2e_setup"
box_answer '提示' 1
win_wait "$win_pid" 10
setup_rc=$win_rc
touch "$e2e_work/stop"
wait "$holder_pid"
holder_rc=$?
echo "refused installer exited $setup_rc with \"$box_text\"; holder exited $holder_rc"
[ "$box_text" = "检测到Orvo安装或卸载程序正在运行，请结束后重试。" ] || fail "wrong refusal text"
[ "$setup_rc" -eq 1618 ] && [ "$holder_rc" -eq 0 ]
