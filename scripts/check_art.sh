#!/usr/bin/env bash
# Builds the art again from resources/art into a temporary folder and fails
# when the committed Korvid.ico or ToolBar.bmp differ from the grids.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
python3 "$root/scripts/make_art.py" "$out"
status=0
for name in Korvid.ico ToolBar.bmp; do
    if ! cmp -s "$out/$name" "$root/resources/$name"; then
        echo "check_art: resources/$name differs from resources/art; run scripts/make_art.py" >&2
        status=1
    fi
done
exit $status
