#!/usr/bin/env bash
# Configures and builds the Windows build in build/win; shared by run.sh and test.sh.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"
# Absolute: Wine refuses a relative prefix.
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
# Configured on every run (quick when nothing changed): a configure that failed half-way is then
# simply done again instead of leaving a cache behind that the build cannot use.
# RelWithDebInfo unless the build folder was given another build type (cmake -DCMAKE_BUILD_TYPE=...).
type=()
grep -q '^CMAKE_BUILD_TYPE:[A-Z]*=.' "$build/CMakeCache.txt" 2>/dev/null || type=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" "${type[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
