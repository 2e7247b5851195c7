#!/usr/bin/env bash
# Makes the README's screenshots from the running program: Korvid with the
# welcome document and the Find dialog open, and the settings sheet. Runs on
# a virtual display in a throwaway Wine prefix and writes docs/*.png.
#
#   bash scripts/screenshots.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh win

work="$(mktemp -d /tmp/korvid-shots-XXXXXX)"
export KORVID_WINEPREFIX="$work/prefix"
unset DISPLAY
source scripts/wine-env.sh
korvid_start_display
xvfb_pid="${KORVID_XVFB_PID:-}"
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"' EXIT
korvid_make_prefix

mkdir -p "$work/prog"
tree="$(korvid_win_tree)"
cp "$tree/Korvid.exe" "$tree/ToolBar.bmp" "$work/prog/"
cp samples/Welcome.txt "$work/prog/Welcome.txt"
program="$(winepath -w "$work/prog/Korvid.exe")"
document="$(winepath -w "$work/prog/Welcome.txt")"
wine "$program" "$document" >/dev/null 2>&1 &

# Polls for a window by its title; prints its id.
wait_window() {
    for _ in $(seq 1 100); do
        if id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)" && [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "screenshots: no window \"$1\"" >&2
    return 1
}

# A window's picture, once it has had a moment to paint.
shoot() {
    sleep 0.5
    import -window "$1" "$2"
    echo "screenshots: $2"
}

main="$(wait_window Welcome.txt)"
xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key ctrl+f
find="$(wait_window Find)"
xdotool windowfocus --sync "$find" 2>/dev/null || true
xdotool type --delay 20 "editor"
xdotool key Return
# The dialog goes low on the window so that the found word shows; the
# picture is the screen around the main window, the dialog included.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool windowmove "$find" $((X + WIDTH / 3)) $((Y + HEIGHT / 2)) 2>/dev/null || true
sleep 0.5
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/korvid-find.png
echo "screenshots: docs/korvid-find.png"
xdotool windowfocus --sync "$find" 2>/dev/null || true
xdotool key Escape

xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key shift+F10
sleep 0.3
xdotool key g Return
sheet="$(wait_window "Korvid 1.9")"
shoot "$sheet" docs/korvid-settings.png
xdotool windowfocus --sync "$sheet" 2>/dev/null || true
xdotool key Escape
