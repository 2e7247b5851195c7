#!/usr/bin/env bash
# The long soak test, run by hand: korvid_soak.exe drives the real
# Korvid.exe under Wine with random user steps, once for every seed given.
#   scripts/soak.sh [--steps N] [--basic] [--no-links] [SEED...]  (default: 10000 steps, seed 1)
# --basic leaves out the large file, the Rich Text toggle and the link clicks;
# --no-links leaves out only the link clicks. Keys go through SendInput. A
# throwaway Wine prefix serves the run unless KORVID_WINEPREFIX names one to
# use (and keep).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

steps=10000
seeds=()
flags=()
while [ $# -gt 0 ]; do
    case "$1" in
    --steps) steps="$2"; shift 2 ;;
    --seed) seeds+=("$2"); shift 2 ;;
    --basic|--no-links) flags+=("$1"); shift ;;
    *) seeds+=("$1"); shift ;;
    esac
done
[ ${#seeds[@]} -gt 0 ] || seeds=(1)

bash scripts/build.sh win

run_dir="$(mktemp -d /tmp/korvid-soak-XXXXXX)"
own_prefix=
if [ -z "${KORVID_WINEPREFIX:-}" ]; then
    export KORVID_WINEPREFIX="$run_dir/prefix"
    own_prefix=1
fi
source scripts/wine-env.sh
korvid_start_display
xvfb_pid="${KORVID_XVFB_PID:-}"
unset KORVID_XVFB_PID
cleanup() {
    [ -n "$own_prefix" ] && { wineserver -k >/dev/null 2>&1 || true; }
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$run_dir"
}
trap cleanup EXIT
korvid_make_prefix

tree="$(korvid_win_tree)"
export KORVID_EXE="$root/$tree/Korvid.exe"
status=0
for seed in "${seeds[@]}"; do
    wine "$tree/korvid_soak.exe" --steps "$steps" --seed "$seed" "${flags[@]}" || status=1
done
exit $status
