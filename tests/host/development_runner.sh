#!/usr/bin/env bash
# orvo-run.exe runs a folder's UI.lua, and a script error there shows the "错误" box; the box is
# real, read and answered by answer_box. Bad usage exits non-zero with a line on stderr.
set -u
wine_run=$1 runner=$2 answer=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/answer_box.sh"

mkdir "$work/app"
marker_win=$(winepath -w "$work/app/ran.txt" 2>/dev/null)
cat >"$work/app/UI.lua" <<LUA
local f = assert(io.open([[$marker_win]], "w"))
f:write(getTempFolder() and "ran" or "no temp folder")
f:close()
error("stopped on purpose")
LUA

"$wine_run" "$runner" "$(winepath -w "$work/app" 2>/dev/null)" &
pid=$!
answer_box_and_wait "$wine_run" "$answer" "$pid" '错误' 1 "$work/text" || exit 1
wait "$pid"
rc=$?
[ "$(cat "$work/app/ran.txt" 2>/dev/null)" = "ran" ] || { echo "UI.lua did not run"; exit 1; }
# 1603 (failed), as wine reports it: the low 8 bits
[ "$rc" -eq $((1603 % 256)) ] || { echo "runner exited $rc after a script error"; exit 1; }
text=$(cat "$work/text" 2>/dev/null)
case "$text" in
    '[string "local f = assert(io.open('*':4: stopped on purpose') ;;
    *) echo "unexpected box text: $text"; exit 1 ;;
esac
echo "runner ran UI.lua, showed the error box and exited 1603"
