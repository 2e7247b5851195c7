#!/usr/bin/env bash
# The ctest test "imports": Korvid.exe loads only the system's base DLLs
# before its entry point. The runtime is linked in, and the common
# controls, common dialogs, shell and COM libraries are loaded at their
# first call (app/LateImports.cpp). A new call into one of those libraries
# that is missing there brings the DLL back into this list. The program is
# also linked large-address-aware: the editor control needs the room.
#   scripts/check_imports.sh path/to/Korvid.exe
set -uo pipefail
exe="$1"
expected="ADVAPI32.dll GDI32.dll KERNEL32.dll USER32.dll msvcrt.dll"
found="$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | LC_ALL=C sort | tr '\n' ' ' |
    sed 's/ $//')"
if [ "$found" != "$expected" ]; then
    echo "imports: $exe imports \"$found\", expected \"$expected\"" >&2
    exit 1
fi
echo "imports: $found"
characteristics="$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^Characteristics\s*0x//p')"
if [ -z "$characteristics" ] || (((16#$characteristics & 0x20) == 0)); then
    echo "imports: $exe is not linked large-address-aware (characteristics 0x$characteristics)" >&2
    exit 1
fi
echo "large-address-aware: characteristics 0x$characteristics"
