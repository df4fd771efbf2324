#!/usr/bin/env bash
# Paints every style of the built style package in every state, and the installer's pages made
# from them, into one labelled PNG. Usage: tools/contact-sheet.sh [OUT.png]
# (default build/win/contact-sheet.png; docs/contact-sheet.png is a copy kept for the README).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m -- "${ORVO_BUILD_DIR:-$top/build/win}")
log=$(mktemp)
if ! bash "$top/tools/build.sh" --target skin-sheet style_package >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    exit 1
fi
rm -f "$log"
out=$(realpath -m -- "${1:-$build/contact-sheet.png}")
. "$top/tools/wine-env.sh"
wine_env "$build"
display_start
trap wine_stop EXIT
wine_prefix_init
wineserver_start
wine "$build/tools/skinsheet/skin-sheet.exe" "$(winepath -w "$build/resources")" "$(winepath -w "$out")"
