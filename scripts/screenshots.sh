#!/usr/bin/env bash
# Makes the README's screenshots from the running program: Korvid with the
# welcome document and the Find dialog open, and the settings sheet; then, at
# each display scale (Wine's LogPixels 96, 144 and 192), the main window, the
# labels window, the settings sheet and a question. Runs on a virtual
# display in a throwaway Wine prefix and writes docs/*.png and
# docs/scale/<window>-<dpi>.png.
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
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "${KORVID_XVFB_PID:-}" ] && kill "$KORVID_XVFB_PID" 2>/dev/null; rm -rf "$work"' EXIT
korvid_make_prefix

mkdir -p "$work/prog"
tree="$(korvid_win_tree)"
cp "$tree/Korvid.exe" "$tree"/ToolBar*.bmp "$work/prog/"
cp samples/Welcome.txt "$work/prog/Welcome.txt"
program="$(winepath -w "$work/prog/Korvid.exe")"
document="$(winepath -w "$work/prog/Welcome.txt")"
wine "$program" "$document" >/dev/null 2>&1 &

# Polls for a window by its title, up to 30 seconds (a fresh Wine server
# takes a while); prints its id.
wait_window() {
    for _ in $(seq 1 300); do
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
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true

# A document with a label of each kind, for the labels window.
printf '%s\r\n' "*** Notes for the week" "" "Monday... call the printer people" \
    "Tuesday... send the draft" "" "*** Routines" "" "ReadConfig proc near" "    ret" \
    "ReadConfig endp" "WriteConfig proc near" "    ret" "WriteConfig endp" >"$work/prog/Notes.txt"
notes="$(winepath -w "$work/prog/Notes.txt")"
mkdir -p docs/scale
# Each scale on a screen of as many more pixels, as a laptop at that scale
# has: the window opens at the same share of the screen.
for dpi in 96 144 192; do
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    if [ -n "${KORVID_XVFB_PID:-}" ]; then
        kill "$KORVID_XVFB_PID" 2>/dev/null || true
        unset DISPLAY KORVID_XVFB_PID
    fi
    KORVID_SCREEN="$((1280 * dpi / 96))x$((1024 * dpi / 96))" korvid_start_display
    wine "$program" "$notes" >/dev/null 2>&1 &
    main="$(wait_window Notes.txt)"
    shoot "$main" "docs/scale/main-$dpi.png"

    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key shift+F10
    sleep 0.3
    xdotool key l
    labels="$(wait_window "Labels Found")"
    shoot "$labels" "docs/scale/labels-$dpi.png"
    xdotool windowfocus --sync "$labels" 2>/dev/null || true
    xdotool key alt+F4
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "^Labels Found\$" >/dev/null 2>&1 || break
        sleep 0.1
    done

    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key shift+F10
    sleep 0.3
    xdotool key g Return
    sheet="$(wait_window "Korvid 1.9")"
    xdotool windowfocus --sync "$sheet" 2>/dev/null || true
    # The Font page, with its previews.
    xdotool key ctrl+Tab ctrl+Tab ctrl+Tab
    shoot "$sheet" "docs/scale/settings-$dpi.png"
    xdotool key Escape

    # A change, then Close: the question with its three answers.
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key ctrl+End Return
    xdotool key alt+F4
    question="$(wait_window "Korvid 1.2")"
    shoot "$question" "docs/scale/question-$dpi.png"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
done
