#!/usr/bin/env bash
# Makes the two packages of Korvid in build/package/, in one command:
#   bash scripts/package.sh
#   Korvid-<version>-portable.zip  Korvid.exe, the toolbar strips, KorvWord.txt and
#                                  ReadMe.htm; no DefSet.txt, so the settings
#                                  stay beside the program
#   Korvid-<version>-setup.exe     the NSIS installer (installer/Korvid.nsi):
#                                  Program Files, Start menu, an uninstaller
#                                  that first gives the file types back, and
#                                  the recommended file types as an option
#                                  ("/S /FILETYPES" installs it silently)
# The version comes from resources/version.h. It installs what is missing
# (scripts/setup.sh) and builds the Release Korvid.exe (scripts/build.sh win)
# first. Without help/ReadMe.htm both packages are made without it, with a
# warning.
#   KORVID_PACKAGE_TREE=build/win64  packages the 64-bit build instead, with a
#                                  64-bit installer, into build/package64: the
#                                  package test where 32-bit programs cannot
#                                  run (see scripts/wine-env.sh)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

version="$(sed -n 's/^#define KORVID_VERSION_TEXT "\(.*\)"$/\1/p' resources/version.h)"
if [ -z "$version" ]; then
    echo "package: no KORVID_VERSION_TEXT in resources/version.h" >&2
    exit 1
fi

bash scripts/setup.sh
bash scripts/build.sh win

tree="${KORVID_PACKAGE_TREE:-build/win}"
out="$root/build/package"
nsis_defines=()
if [ "$tree" != build/win ]; then
    out="$root/build/package64"
    nsis_defines+=(-DAMD64)
fi
stage="$out/stage"
rm -rf "$out"
mkdir -p "$stage"
cp "$tree/Korvid.exe" resources/ToolBar.bmp resources/ToolBar24.bmp resources/ToolBar32.bmp \
    samples/KorvWord.txt "$stage/"
readme=1
if [ -f help/ReadMe.htm ]; then
    cp help/ReadMe.htm "$stage/"
else
    readme=0
fi

zip_name="Korvid-$version-portable.zip"
setup_name="Korvid-$version-setup.exe"

# The zip: the files at its top, so it unpacks into any folder.
(cd "$stage" && python3 - "$out/$zip_name" <<'PY'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir(".")):
        z.write(name)
PY
)

nsis_defines+=(-DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$setup_name")
[ "$readme" = 1 ] && nsis_defines+=(-DHAVE_README)
makensis -V2 -WX "${nsis_defines[@]}" installer/Korvid.nsi

rm -rf "$stage"
echo "package: $out/$zip_name"
echo "package: $out/$setup_name"
if [ "$readme" = 0 ]; then
    echo "package: WARNING: help/ReadMe.htm is missing; both packages were made without it" >&2
fi
