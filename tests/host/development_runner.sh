#!/usr/bin/env bash
# orvo-run.exe runs a folder's UI.lua, and a script error there shows the "错误" box; the box is
# real and answered with xdotool. Bad usage exits non-zero with a line on stderr.
set -u
wine_run=$1 runner=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

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
box=
for _ in $(seq 150); do
    box=$(xdotool search --onlyvisible --name '^错误$' 2>/dev/null | head -n 1)
    [ -n "$box" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if [ -z "$box" ]; then
    echo "no error box appeared"
    kill "$pid" 2>/dev/null
    exit 1
fi
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key --window "$box" Return 2>/dev/null
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then
    xdotool windowfocus "$box" key Return 2>/dev/null
    sleep 1
fi
if kill -0 "$pid" 2>/dev/null; then
    echo "the runner did not exit after its box was answered"
    kill "$pid"
    exit 1
fi
wait "$pid"
rc=$?
[ "$(cat "$work/app/ran.txt" 2>/dev/null)" = "ran" ] || { echo "UI.lua did not run"; exit 1; }
[ "$rc" -eq 0 ] || { echo "runner exited $rc after a script error"; exit 1; }
echo "runner ran UI.lua, showed the error box and exited 0"
