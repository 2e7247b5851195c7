#!/usr/bin/env bash
# Configures and builds both trees: build/native (the window-free core with
# sanitizers and fuzzers) and build/win (Korvid.exe and the Windows tests),
# and build/win64 where 32-bit programs cannot run (see wine-env.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
what="${1:-all}"

if [ "$what" = all ] || [ "$what" = native ]; then
    if [ ! -f build/native/build.ninja ]; then
        CC=clang CXX=clang++ cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug \
            -DKORVID_FUZZ=ON >/dev/null
    fi
    cmake --build build/native
fi
if [ "$what" = all ] || [ "$what" = win ]; then
    if [ ! -f build/win/build.ninja ]; then
        cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
    fi
    cmake --build build/win
    # Where 32-bit programs cannot run, the tests run from a 64-bit build.
    source scripts/wine-env.sh
    if [ "$(korvid_win_tree)" = build/win64 ]; then
        if [ ! -f build/win64/build.ninja ]; then
            cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
                -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
        fi
        cmake --build build/win64
    fi
fi
