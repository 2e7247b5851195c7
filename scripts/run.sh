#!/usr/bin/env bash
# Builds Korvid and starts it under Wine with a sample document. Without a
# display it runs on a virtual one, saves a screenshot and says where.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh win
source scripts/wine-env.sh
document="$(winepath -w "$root/samples/Welcome.txt" 2>/dev/null || echo "Z:${root//\//\\}\\samples\\Welcome.txt")"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    korvid_make_prefix
    exec wine "$root/$(korvid_win_tree)/Korvid.exe" "$document"
fi

korvid_start_display
trap 'wineserver -k >/dev/null 2>&1 || true; kill "${KORVID_XVFB_PID:-}" 2>/dev/null || true' EXIT
korvid_make_prefix
wine "$root/$(korvid_win_tree)/Korvid.exe" "$document" &
for _ in $(seq 1 150); do
    if xdotool search --classname korvid.exe >/dev/null 2>&1; then break; fi
    sleep 0.2
done
# Give the first paint a moment to reach the virtual screen.
for _ in $(seq 1 10); do
    xdotool search --name Welcome >/dev/null 2>&1 && break
    sleep 0.2
done
shot="$root/build/korvid-screenshot.png"
import -window root "$shot"
echo "No display: Korvid ran on a virtual one. Screenshot: $shot"
