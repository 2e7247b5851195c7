#!/usr/bin/env bash
# Builds the art again from resources/art into a temporary folder and fails
# when the committed Korvid.ico, ToolBar.bmp or document icons (icons/*.ico)
# differ from the grids, or when an icon is committed that the grids no
# longer make.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
python3 "$root/scripts/make_art.py" "$out"
status=0
for path in "$out"/*.* "$out"/icons/*.ico; do
    name="${path#"$out"/}"
    if ! cmp -s "$path" "$root/resources/$name"; then
        echo "check_art: resources/$name differs from resources/art; run scripts/make_art.py" >&2
        status=1
    fi
done
for path in "$root"/resources/icons/*.ico; do
    [ -e "$path" ] || continue
    name="icons/${path##*/}"
    if [ ! -e "$out/$name" ]; then
        echo "check_art: resources/$name is not made from resources/art; remove it" >&2
        status=1
    fi
done
exit $status
