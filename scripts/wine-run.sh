#!/usr/bin/env bash
# Runs a Windows program under Wine: ctest's emulator for the cross build.
#
# The prefix (see wine-env.sh) is made once and reused by every test of the
# run. While a program runs it has the prefix to itself: a lock serialises
# the Wine tests of parallel ctest jobs (they would fight over the keyboard
# focus and the profile's data folder anyway). Before the program starts,
# a wineserver left over from an interrupted run is ended; after it ends,
# every process of the session is ended too, so nothing that inherited
# ctest's output pipes outlives the test and ctest never waits on it.
# Xvfb is started only when no display answers, and stopped at the end.
#   KORVID_WINE_TIMEOUT  seconds before the program is stopped (default 1800)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

started_xvfb=""
holding_prefix=""
cleanup() {
    if [ -n "$holding_prefix" ]; then
        korvid_end_session 9>&-
    fi
    if [ -n "$started_xvfb" ]; then
        kill "$started_xvfb" 2>/dev/null || true
        wait "$started_xvfb" 2>/dev/null || true
    fi
}

if ! korvid_display_works; then
    korvid_start_display || exit 1
    started_xvfb="${KORVID_XVFB_PID:-}"
fi
trap cleanup EXIT

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.run-lock"
if ! flock -n 9; then
    echo "wine-run: waiting for another Wine program on $WINEPREFIX to end" >&2
fi
if ! flock -w 3600 9; then
    echo "wine-run: the prefix stayed busy for an hour" >&2
    exit 1
fi
holding_prefix=1
korvid_make_prefix 9>&- || exit 1
korvid_end_session 9>&-

status=0
timeout -k 10 "${KORVID_WINE_TIMEOUT:-1800}" wine "$@" 9>&- || status=$?
if [ "$status" = 124 ]; then
    echo "wine-run: $1 was stopped after ${KORVID_WINE_TIMEOUT:-1800} s" >&2
fi
exit $status
