#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test layer through ctest:
# native unit tests and fuzzers, Windows tests under Wine, end-to-end tests
# of the real Korvid.exe, the soak and the packages. The native tree runs
# beside the Windows tree (one core each). One throwaway Wine prefix serves
# the whole run; it is copied from a template kept in build/, made once.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh all

run_dir="$(mktemp -d /tmp/korvid-test-XXXXXX)"
export KORVID_WINEPREFIX="$root/build/wineprefix-template"
source scripts/wine-env.sh
korvid_start_display
xvfb_pid="${KORVID_XVFB_PID:-}"
unset KORVID_XVFB_PID
native_pid=""
cleanup() {
    [ -n "$native_pid" ] && kill "$native_pid" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${KORVID_SMALL_DISK:-}" ] && umount "$KORVID_SMALL_DISK" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$run_dir"
}
trap cleanup EXIT
korvid_make_prefix
cp -a "$WINEPREFIX" "$run_dir/prefix"
export KORVID_WINEPREFIX="$run_dir/prefix" WINEPREFIX="$run_dir/prefix"

status=0
# A small disk for the tests that fill one up while saving. Where the run
# may mount one (as root, as in CI) a failed mount fails the run instead of
# letting those tests skip.
small_disk="$run_dir/small-disk"
mkdir -p "$small_disk"
if mount -t tmpfs -o size=256k tmpfs "$small_disk" 2>/dev/null; then
    export KORVID_SMALL_DISK="$small_disk"
elif [ "$(id -u)" = 0 ]; then
    echo "test: FAILED to mount the small disk the full-disk tests need"
    status=1
else
    echo "test: not root, so no small disk; the full-disk tests are skipped"
fi

bash scripts/check_art.sh || status=1
ctest --test-dir build/native --output-on-failure >"$run_dir/native.log" 2>&1 &
native_pid=$!
win_tree="$(korvid_win_tree)"
if [ "$win_tree" != build/win ]; then
    echo "test: this machine runs no 32-bit programs; the Windows tests run from $win_tree"
    bash scripts/check_imports.sh build/win/Korvid.exe || status=1
    bash scripts/package.sh >/dev/null || status=1 # the shipped packages are still made
fi
ctest --test-dir "$win_tree" --output-on-failure || status=1
wait "$native_pid" || status=1
native_pid=""
cat "$run_dir/native.log"
exit $status
