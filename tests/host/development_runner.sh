#!/usr/bin/env bash
# orvo-run.exe runs a folder's UI.lua, and a script error there shows the "错误" box; the box is
# real, read and answered as a person would. Bad usage exits non-zero with a line on stderr.
set -u
. "$(dirname "$0")/../e2e/e2e.sh"
e2e_begin "$1"

mkdir "$e2e_work/app"
cat >"$e2e_work/app/UI.lua" <<LUA
local f = assert(io.open([[$(winpath "$e2e_work/app/ran.txt")]], "w"))
f:write(getTempFolder() and "ran" or "no temp folder")
f:close()
error("stopped on purpose")
LUA

win_start --code "$e2e_runner" "$(winpath "$e2e_work/app")"
box_answer '错误' 1
win_wait "$win_pid" 10
[ "$(cat "$e2e_work/app/ran.txt" 2>/dev/null)" = "ran" ] || fail "UI.lua did not run"
[ "$win_rc" -eq 1603 ] || fail "runner exited $win_rc after a script error, not 1603"
case "$box_text" in
    '[string "local f = assert(io.open('*':4: stopped on purpose') ;;
    *) fail "unexpected box text: $box_text" ;;
esac
echo "runner ran UI.lua, showed the error box and exited 1603"
