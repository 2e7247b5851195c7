#!/usr/bin/env bash
# The ctest test "package": makes the packages (scripts/package.sh), then in
# the run's Wine prefix
#   - installs Korvid-<version>-setup.exe silently, checks the files, the
#     Start-menu shortcut and the Uninstall key, that no file type was taken,
#     starts the installed Korvid.exe with a file, sees the file in the
#     title, closes it and finds its settings in the data folder;
#   - uninstalls silently and checks that nothing it added is left, that the
#     classes are as before and that the user's settings stayed;
#   - installs again with /FILETYPES for a user with no settings yet, checks
#     the recommended choices in Korvid.Dat and the classes Korvid took, and
#     uninstalls again with the same checks;
#   - unpacks the portable zip into a fresh folder, checks its files (no
#     DefSet.txt), starts Korvid.exe there with a file and closes it, and
#     sees that it left the data folder alone.
# Every check is reported; the test fails when one fails.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

source scripts/wine-env.sh
# Where 32-bit programs cannot run, the same checks run on a 64-bit package
# of the 64-bit build.
tree="$(korvid_win_tree)"
packages="$root/build/package"
[ "$tree" = build/win ] || packages="$root/build/package64"
KORVID_PACKAGE_TREE="$tree" bash scripts/package.sh >/dev/null ||
    { echo "package: scripts/package.sh failed" >&2; exit 1; }
version="$(sed -n 's/^#define KORVID_VERSION_TEXT "\(.*\)"$/\1/p' resources/version.h)"
setup="$packages/Korvid-$version-setup.exe"
zip="$packages/Korvid-$version-portable.zip"

korvid_start_display || exit 1
own_xvfb="${KORVID_XVFB_PID:-}"
korvid_make_prefix || exit 1
# The tests before this one may leave programs of theirs ending in the
# prefix; the classes are compared with how they are once all have ended.
korvid_end_session

work="$(mktemp -d /tmp/korvid-package-XXXXXX)"
cleanup() {
    [ -n "$own_xvfb" ] && kill "$own_xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
pass() { echo "ok:   $1"; }
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
check() { # check "what" command...
    local what="$1"
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# Polls `command` every 0.1 s until it succeeds or `seconds` pass.
poll() { # poll seconds command...
    local seconds="$1"
    shift
    local end=$((SECONDS + seconds))
    while [ "$SECONDS" -lt "$end" ]; do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

drive_c="$WINEPREFIX/drive_c"
install_dir="$drive_c/Program Files/Korvid"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Korvid.lnk"
data_dir="$drive_c/users/$(id -un)/AppData/Roaming/Tavish/Korvid"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvid'
expected_files="DefSet.txt KorvWord.txt Korvid.exe ToolBar.bmp ToolBar24.bmp ToolBar32.bmp Uninstall.exe"
portable_files="KorvWord.txt Korvid.exe ToolBar.bmp ToolBar24.bmp ToolBar32.bmp"
if [ -f help/ReadMe.htm ]; then
    expected_files="DefSet.txt KorvWord.txt Korvid.exe ReadMe.htm ToolBar.bmp ToolBar24.bmp ToolBar32.bmp Uninstall.exe"
    portable_files="KorvWord.txt Korvid.exe ReadMe.htm ToolBar.bmp ToolBar24.bmp ToolBar32.bmp"
fi

key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
key_gone() { ! key_exists "$1"; }
reg_value() { # reg_value key name (or /ve): the value's data, or nothing
    local which=(/v "$2")
    [ "$2" = /ve ] && which=(/ve)
    wine reg query "$1" "${which[@]}" </dev/null 2>/dev/null |
        tr -d '\r' | sed -n 's/^ .*REG_[A-Z_]* *//p' | sed 's/^(value not set)$//' | head -1
}
run_setup() { timeout 120 wine "$(winepath -w "$setup")" "$@" </dev/null >/dev/null 2>&1; }
# Every class key of the machine and the user, as text.
classes() {
    local out="$work/classes.reg"
    rm -f "$work/machine.reg" "$work/user.reg"
    wine reg export 'HKLM\Software\Classes' "$(winepath -w "$work/machine.reg")" /y </dev/null >/dev/null 2>&1
    wine reg export 'HKCU\Software\Classes' "$(winepath -w "$work/user.reg")" /y </dev/null >/dev/null 2>&1
    [ -s "$work/machine.reg" ] || return 1 # the user may have no classes of their own
    cat "$work/machine.reg" "$work/user.reg" 2>/dev/null | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\r' >"$out"
    [ -s "$out" ]
}
# The keys of Korvid's classes, its verbs and "Open with Korvid", sorted.
korvid_keys() {
    classes || { echo "the classes could not be exported"; return 1; }
    # None found is an answer too, not a failure of the pipe.
    { grep -iE '^\[.*\\(korvid\.[^\\]*|shell\\korvid|\*\\shell\\open with korvid)(\\|\])' \
        "$work/classes.reg" || true; } | sort
}
# Korvid's keys are those there before the first install (left by the other
# tests of the run, if any): none added, none lost.
no_korvid_classes() {
    local now
    now="$(korvid_keys)" || return 1
    [ "$now" = "$korvid_keys_before" ] && return 0
    diff <(echo "$korvid_keys_before") <(echo "$now") | grep '^[<>]' | head -5 | sed 's/^/      /'
    return 1
}
listing() { (cd "$1" 2>/dev/null && ls -A | sort | tr '\n' ' ' | sed 's/ $//'); }
same_listing() { # same_listing folder "names"
    local got
    got="$(listing "$1")"
    [ "$got" = "$2" ] || { echo "      found: $got"; return 1; }
}
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 | grep -q .; }
# A first start with an empty data folder greets the user first: the
# greeting is answered, then the main window's title is looked at.
shown_after_greeting() { # shown_after_greeting title
    local greeting
    greeting="$(xdotool search --onlyvisible --name '^Korvid 1.2$' 2>/dev/null | head -1)"
    if [ -n "$greeting" ]; then
        xdotool windowfocus --sync "$greeting" 2>/dev/null
        xdotool key Return 2>/dev/null
    fi
    window_named "$1"
}

# Starts `exe` with `file` and sees the file's name in the title. Closes it with
# WM_CLOSE (taskkill without /f) and waits for it to end.
run_with_file() { # run_with_file exe file
    local exe="$1" file="$2" name pid
    name="$(basename "$file")"
    wine "$(winepath -w "$exe")" "$(winepath -w "$file")" </dev/null >/dev/null 2>&1 &
    pid=$!
    check "the window title shows $name" poll 30 shown_after_greeting "$name"
    wine taskkill /im Korvid.exe </dev/null >/dev/null 2>&1
    check "Korvid ends on WM_CLOSE" poll 30 eval "! kill -0 $pid 2>/dev/null"
    kill -0 "$pid" 2>/dev/null && { wine taskkill /f /im Korvid.exe </dev/null >/dev/null 2>&1; wait "$pid"; }
    wait "$pid" 2>/dev/null
}

norm_states() { # the 14 AssocTypeStates of a Korvid.Dat are the recommended ones
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
states = list(struct.unpack_from("<14i", data, 6082)) if len(data) == 8208 else None
ok = data[:8] == b"KRVD1170" and states == [2, 3, 2, 2, 3, 3, 3, 2, 2, 2, 2, 2, 5, 5]
if not ok:
    print("      size", len(data), "tag", data[:8], "states", states)
sys.exit(0 if ok else 1)
PY
}

# Runs the uninstaller the way Add/Remove Programs does. It copies itself
# to the temporary folder and ends; the copy deletes the Uninstall key
# last, so the key going means it is done.
uninstall() {
    local command
    command="$(reg_value "$uninstall_key" QuietUninstallString)"
    check "the Uninstall key names a quiet uninstaller" test -n "$command"
    timeout 120 wine "C:\\Program Files\\Korvid\\Uninstall.exe" /S </dev/null >/dev/null 2>&1
    check "the uninstaller removes the Uninstall key" poll 120 key_gone "$uninstall_key"
    check "Program Files\\Korvid is gone" test ! -e "$install_dir"
    check "the Start-menu shortcut is gone" test ! -e "$shortcut"
    check "no Korvid class, verb or Open with Korvid is left" no_korvid_classes
    check ".txt has its class from before ($txt_class)" test "$(reg_value 'HKCR\.txt' /ve)" = "$txt_class"
}

check "the installer and the zip were made" test -s "$setup" -a -s "$zip"
txt_class="$(reg_value 'HKCR\.txt' /ve)"
korvid_keys_before="$(korvid_keys)"
check "the classes can be read" test "$korvid_keys_before" != "the classes could not be exported"

user_settings_before=0
[ -e "$data_dir/Korvid.Dat" ] && user_settings_before=1

start=$SECONDS
echo "-- install"
check "the silent install ends" run_setup /S
check "Program Files\\Korvid holds the program files" same_listing "$install_dir" "$expected_files"
check "DefSet.txt is empty" test -f "$install_dir/DefSet.txt" -a ! -s "$install_dir/DefSet.txt"
check "Korvid.exe is the one just built" cmp -s "$install_dir/Korvid.exe" "$tree/Korvid.exe"
check "the Start-menu shortcut is there" test -f "$shortcut"
# A "reg" process that fails to start under load reads as nothing: asked
# again, a value that is there shows.
value_is() { test "$(reg_value "$1" "$2")" = "$3"; } # value_is key name expected
check "the Uninstall key shows Korvid $version" \
    poll 10 value_is "$uninstall_key" DisplayName "Korvid $version"
check "the uninstaller in the key is the installed one" \
    poll 10 value_is "$uninstall_key" UninstallString '"C:\Program Files\Korvid\Uninstall.exe"'
check "without File types no class is taken" no_korvid_classes

note="$work/package-note.txt"
printf 'A note for the installed Korvid.\r\n' >"$note"
run_with_file "$install_dir/Korvid.exe" "$note"
check "its settings are in the data folder" test -s "$data_dir/Korvid.Dat"
check "no settings beside the installed program" test ! -e "$install_dir/Korvid.Dat"

echo "-- uninstall"
uninstall
check "the user's settings stay" test -s "$data_dir/Korvid.Dat"

echo "-- install with File types, for a user with no settings yet"
if [ "$user_settings_before" = 0 ]; then
    rm -f "$data_dir/Korvid.Dat" "$data_dir/KvRgBack.dat"
fi
check "the silent install with /FILETYPES ends" run_setup /S /FILETYPES
check "Korvid.Dat holds the recommended file-type choices" norm_states "$data_dir/Korvid.Dat"
check ".txt opens with Korvid" test "$(reg_value 'HKCR\.txt' /ve)" = "Korvid.txtFile"
check "Rich Text gains the Korvid verb" key_exists 'HKCR\rtffile\shell\Korvid\Command'
check "the class of .txt starts Korvid" \
    test "$(reg_value 'HKCR\Korvid.txtFile\shell\open\command' /ve)" = '"C:\Program Files\Korvid\Korvid.exe" "%1"' -o \
    "$(reg_value 'HKCR\Korvid.txtFile\shell\open\command' /ve)" = 'C:\Program Files\Korvid\Korvid.exe "%1"'
check "still no settings beside the installed program" test ! -e "$install_dir/Korvid.Dat"
echo "-- uninstall after File types"
uninstall
check "the user's settings stay" test -s "$data_dir/Korvid.Dat"
echo "installer test: $((SECONDS - start)) s"

# The test's own settings go, so the other tests find the prefix as before.
if [ "$user_settings_before" = 0 ]; then
    rm -f "$data_dir/Korvid.Dat" "$data_dir/KvRgBack.dat"
fi

echo "-- portable zip"
portable="$work/portable"
mkdir -p "$portable"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$portable"
check "the zip holds the program files and no DefSet.txt" same_listing "$portable" "$portable_files"
check "the zip's Korvid.exe is the one just built" cmp -s "$portable/Korvid.exe" "$tree/Korvid.exe"
printf 'A note for the portable Korvid.\r\n' >"$work/portable-note.txt"
settings_in_data_before=0
[ -e "$data_dir/Korvid.Dat" ] && settings_in_data_before=1
run_with_file "$portable/Korvid.exe" "$work/portable-note.txt"
# Exit Save is off by default and a first start beside its own settings
# writes none, so what is checked is that the data folder stays untouched.
if [ "$settings_in_data_before" = 0 ]; then  # set before the portable run
    check "the portable program leaves the data folder alone" test ! -e "$data_dir/Korvid.Dat"
fi

if [ "$failures" -gt 0 ]; then
    echo "package: $failures checks failed"
    exit 1
fi
echo "package: all checks passed"
