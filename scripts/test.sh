#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test layer through ctest:
# native unit tests and fuzzers, Windows tests under Wine, end-to-end tests
# of the real Korvid.exe. One throwaway Wine prefix serves the whole run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh all

run_dir="$(mktemp -d /tmp/korvid-test-XXXXXX)"
export KORVID_WINEPREFIX="$run_dir/prefix"
source scripts/wine-env.sh
korvid_start_display
xvfb_pid="${KORVID_XVFB_PID:-}"
unset KORVID_XVFB_PID
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${KORVID_SMALL_DISK:-}" ] && umount "$KORVID_SMALL_DISK" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$run_dir"
}
trap cleanup EXIT
korvid_make_prefix

# A small disk for the test that fills one up while saving.
small_disk="$run_dir/small-disk"
mkdir -p "$small_disk"
if mount -t tmpfs -o size=256k tmpfs "$small_disk" 2>/dev/null; then
    export KORVID_SMALL_DISK="$small_disk"
else
    echo "test: cannot mount a small disk here; the full-disk tests will say they were skipped"
fi

status=0
bash scripts/check_art.sh || status=1
ctest --test-dir build/native --output-on-failure || status=1
ctest --test-dir build/win --output-on-failure || status=1
exit $status
