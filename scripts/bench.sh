#!/usr/bin/env bash
# Runs the benchmarks: Google Benchmark for the core (native, optimised, no
# sanitizers), the window-side benchmark program under Wine, and the launch
# benchmark: Korvid, Wine's Notepad and WordPad and a minimal window started
# as a user starts them, with the goals' ratios printed at the end.
#   scripts/bench.sh           everything
#   scripts/bench.sh launch    the launch benchmark only
#   scripts/bench.sh selection Select All and Delete, Cut or Paste over it
#                              in 1, 3 and 10 MB (a minute or two)
#   scripts/bench.sh memory    the largest file loaded whole, with and without
#                              the large-address flag, and a 100 MB file
#                              (many minutes)
#   scripts/bench.sh utf8 [MB]    open and save a UTF-8 text (default 10 MB)
#                              against the same text as 8-bit
#   scripts/bench.sh typing [MB]  a typed character's latency in a large
#                              document (default 10 MB), status bar on and
#                              off (minutes: the document loads first)
#   KORVID_LAUNCH_RUNS         launches per case (default 7; medians)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh win
source scripts/wine-env.sh
tree="$(korvid_win_tree)"
cmake --build "$tree" --target korvid_launch_bench korvid_launch_probe Korvid_trace
# Wine's drive Z: is the Linux root.
win_path() { echo "Z:$root/$1" | tr '/' '\\'; }
launch() {
    KORVID_TRACE_EXE="$(win_path $tree/Korvid_trace.exe)" \
        scripts/wine-run.sh $tree/korvid_launch_bench.exe "$(win_path $tree/Korvid.exe)" \
        "$(win_path $tree/korvid_launch_probe.exe)" "${KORVID_LAUNCH_RUNS:-7}"
}
if [ "${1:-}" = launch ]; then
    launch
    exit
fi
if [ "${1:-}" = typing ]; then
    scripts/wine-run.sh $tree/korvid_win_bench.exe typing "${2:-10}"
    exit
fi
if [ "${1:-}" = memory ]; then
    scripts/wine-run.sh $tree/korvid_win_bench.exe memory "$(win_path $tree/Korvid.exe)"
    exit
fi
if [ "${1:-}" = utf8 ]; then
    scripts/wine-run.sh $tree/korvid_win_bench.exe utf8 "$(win_path $tree/Korvid.exe)" "${2:-10}"
    exit
fi
if [ "${1:-}" = selection ]; then
    scripts/wine-run.sh $tree/korvid_win_bench.exe selection
    exit
fi
if [ ! -f build/bench/build.ninja ]; then
    cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVID_SANITIZE=OFF >/dev/null
fi
cmake --build build/bench --target korvid_core_bench
build/bench/korvid_core_bench
scripts/wine-run.sh $tree/korvid_win_bench.exe "$(win_path $tree/Korvid.exe)"
scripts/wine-run.sh $tree/korvid_win_bench.exe selection
launch
