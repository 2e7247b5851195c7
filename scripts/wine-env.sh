# Sourced by the scripts that run Windows programs: a 32-bit Wine prefix made
# once and shared by every test of a run, and a virtual X display when there
# is no usable one. On a machine whose kernel runs no 32-bit programs (IA-32
# emulation switched off) 32-bit Wine cannot start: there the prefix is a
# 64-bit one, `wine` runs the 64-bit loader, and the Windows tests run from
# the 64-bit tree build/win64 (see korvid_win_tree).
#   KORVID_WINEPREFIX  prefix to use (default: build/wineprefix in the tree)
#   DISPLAY            used as it is when a display answers there; otherwise
#                      korvid_start_display starts Xvfb on a free display,
#                      exports DISPLAY and KORVID_XVFB_PID (the caller kills it)

KORVID_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# True when this machine runs 32-bit x86 programs.
korvid_runs_32bit() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# The Windows tree whose programs run here: build/win (32-bit, the program
# as shipped) or, without 32-bit programs, build/win64.
korvid_win_tree() {
    if korvid_runs_32bit; then echo build/win; else echo build/win64; fi
}

if korvid_runs_32bit; then
    export WINEARCH=win32
else
    export WINEARCH=win64
    # The `wine` command prefers the 32-bit loader whenever it is installed;
    # these stand-ins name the 64-bit one.
    korvid_wine64_bin="$KORVID_ROOT/build/wine64-bin"
    if [ ! -x "$korvid_wine64_bin/wineboot" ]; then
        mkdir -p "$korvid_wine64_bin"
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
            >"$korvid_wine64_bin/wine"
        printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 -p0 "$@"\n' >"$korvid_wine64_bin/wineserver"
        for tool in wineboot winepath; do
            printf '#!/bin/sh\nexec "%s/wine" %s.exe "$@"\n' "$korvid_wine64_bin" "$tool" \
                >"$korvid_wine64_bin/$tool"
        done
        chmod +x "$korvid_wine64_bin"/*
    fi
    case ":$PATH:" in
    *":$korvid_wine64_bin:"*) ;;
    *) export PATH="$korvid_wine64_bin:$PATH" ;;
    esac
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="${KORVID_WINEPREFIX:-$KORVID_ROOT/build/wineprefix}"

korvid_display_works() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# Starts Xvfb unless a display already answers. Xvfb picks a free display
# number itself (-displayfd), so parallel runs never race for one. The
# screen is KORVID_SCREEN pixels (default 1280x1024).
korvid_start_display() {
    if korvid_display_works; then
        return 0
    fi
    local numberfile
    numberfile="$(mktemp /tmp/korvid-xvfb-XXXXXX)"
    Xvfb -displayfd 3 -screen 0 "${KORVID_SCREEN:-1280x1024}x24" -nolisten tcp \
        3>"$numberfile" </dev/null >/dev/null 2>&1 &
    export KORVID_XVFB_PID=$!
    local i number=""
    for i in $(seq 1 200); do
        number="$(tr -dc '0-9' <"$numberfile")"
        [ -n "$number" ] && break
        if ! kill -0 "$KORVID_XVFB_PID" 2>/dev/null; then
            break
        fi
        sleep 0.05
    done
    rm -f "$numberfile"
    if [ -z "$number" ]; then
        echo "wine-env: Xvfb did not start" >&2
        kill "$KORVID_XVFB_PID" 2>/dev/null || true
        unset KORVID_XVFB_PID
        return 1
    fi
    export DISPLAY=":$number"
    for i in $(seq 1 100); do
        korvid_display_works && return 0
        sleep 0.05
    done
    echo "wine-env: Xvfb on $DISPLAY does not answer" >&2
    return 1
}

# Makes the prefix unless it is ready for this Wine version. A lock keeps
# two runs that start together from building it twice.
korvid_make_prefix() {
    local version
    # The recipe's own number follows the Wine version, so a prefix made by
    # an older recipe is made again.
    version="$(wine --version 2>/dev/null || echo unknown) $WINEARCH recipe 2"
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock -w 300 9 || { echo "wine-env: prefix lock timed out" >&2; exit 1; }
        if [ -f "$WINEPREFIX/.korvid-ready" ] && [ "$(cat "$WINEPREFIX/.korvid-ready")" = "$version" ]; then
            exit 0
        fi
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        # Without a window manager Wine waits about two seconds whenever a
        # window hides; unmanaged windows do not.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            </dev/null >/dev/null 2>&1
        # A crash prints its backtrace to the log and ends the program; the
        # crash dialog would wait for a click that never comes.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            </dev/null >/dev/null 2>&1
        wineserver -w
        echo "$version" >"$WINEPREFIX/.korvid-ready"
    ) 9>"$WINEPREFIX.lock"
}

# Ends every process of the prefix and its wineserver, and waits for the
# server to go (bounded: a server that will not end is no reason to hang).
korvid_end_session() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 20 wineserver -w >/dev/null 2>&1 || true
}
