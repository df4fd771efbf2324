#!/usr/bin/env bash
# Builds everything and runs every test: the native reader tests, then the Windows tests under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/build.sh"

# Absolute: Wine refuses a relative prefix, and ctest runs the tests from inside the build folder.
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
native=${build}-native
cmake -S "$top" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j"$(nproc)"

. "$top/tools/wine-env.sh"
wine_env "$build"
display_start
trap wine_stop EXIT
wine_prefix_init
wineserver_start
# Wine's desktop process, started now with nothing attached (see tests/DesktopKeeper.cpp)
wine "$build/tests/desktop_keeper.exe" >/dev/null 2>&1 </dev/null &

status=0
(cd "$native" && ctest --output-on-failure) || status=1
(cd "$build" && ctest --output-on-failure -j2 --timeout 300) || status=1
exit $status
