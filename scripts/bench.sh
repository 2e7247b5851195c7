#!/usr/bin/env bash
# Runs the benchmarks: Google Benchmark for the core (native, optimised, no
# sanitizers) and the window-side benchmark program under Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
if [ ! -f build/bench/build.ninja ]; then
    cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVID_SANITIZE=OFF >/dev/null
fi
cmake --build build/bench --target korvid_core_bench
build/bench/korvid_core_bench
bash scripts/build.sh win
exe="$(winepath -w "$root/build/win/Korvid.exe" 2>/dev/null || true)"
scripts/wine-run.sh build/win/korvid_win_bench.exe "$exe"
