#!/usr/bin/env bash
# The installer imports only DLLs that Windows always takes from System32 (the KnownDLLs, and
# comctl32 through the manifest's side-by-side dependency): any other import would be looked for
# beside the executable, in the user's Downloads folder, before its first instruction runs.
# It is shipped stripped: no debugging sections and no symbol table, only a link to the debugging
# file the build leaves beside it, which holds them.
# Arguments: the executable, objdump for its format, and its debugging file when that is not the
# executable's name with ".debug" added (the uninstaller's is the installer stub's).
set -u
exe=$1 objdump=$2 debugfile=${3:-$1.debug}
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll "
allowed+=" oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll "
imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "FAIL: no import table read from $exe"; exit 1; }
bad=0
for dll in $imports; do
    case "$allowed" in
        *" $dll "*) ;;
        *) echo "FAIL: $exe imports $dll, which is searched for beside the executable"; bad=1 ;;
    esac
done
[ "$bad" = 0 ] && echo "imports, all taken from System32: $(echo $imports)"

sections=$("$objdump" -h "$exe" | awk '$1 ~ /^[0-9]+$/ {print $2}')
debugging=$(echo "$sections" | grep '^\.debug' | tr '\n' ' ')
[ -z "$debugging" ] || { echo "FAIL: $exe carries debugging sections: $debugging"; bad=1; }
"$objdump" -f "$exe" | grep -q HAS_SYMS && { echo "FAIL: $exe carries a symbol table"; bad=1; }
echo "$sections" | grep -qx '\.gnu_debuglink' || { echo "FAIL: $exe has no link to its debugging file"; bad=1; }
"$objdump" -h "$debugfile" 2>/dev/null | grep -q '\.debug_info' ||
    { echo "FAIL: $debugfile does not hold the debugging information"; bad=1; }
[ "$bad" = 0 ] && echo "stripped: no debugging sections, no symbols; its debugging information in $(basename "$debugfile")"
exit $bad
