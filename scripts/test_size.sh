#!/usr/bin/env bash
# Prints the size of the tests against the product code, in lines of .cpp
# and .h files: all of tests/, and the hand-written cases alone (the core,
# Windows and end-to-end test files, without the driver, support, fuzz
# targets or soak).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

lines() { cat "$@" /dev/null | wc -l; }
product=$(lines $(find app document settings tools shell text -name '*.cpp' -o -name '*.h'))
tests=$(lines $(find tests -name '*.cpp' -o -name '*.h'))
cases=$(lines $(find tests -name '*CoreTest.cpp' -o -name '*WinTest.cpp' -o -name '*E2ETest.cpp'))
share() { echo "$(( ($1 * 1000 / product + 5) / 10 ))%"; }
printf '%-36s %6d\n' "product code" "$product"
printf '%-36s %6d  %5s of the product (at most 65%%)\n' "all of tests/" "$tests" "$(share "$tests")"
printf '%-36s %6d  %5s of the product (at most 35%%)\n' "hand-written cases" "$cases" "$(share "$cases")"
for layer in 'core:*CoreTest.cpp' 'windows:*WinTest.cpp' 'end-to-end:*E2ETest.cpp'; do
    printf '  %-34s %6d\n' "${layer%%:*} cases" "$(lines $(find tests -name "${layer#*:}"))"
done
printf '  %-34s %6d\n' "fuzz targets" "$(lines $(find tests/fuzz -name '*.cpp' -o -name '*.h'))"
printf '  %-34s %6d\n' "soak" "$(lines $(find tests/soak -name '*.cpp' -o -name '*.h'))"
printf '  %-34s %6d\n' "driver and support" \
    "$(lines $(find tests -path tests/fuzz -prune -o -path tests/soak -prune -o \( -name '*.cpp' -o -name '*.h' \) \
        ! -name '*CoreTest.cpp' ! -name '*WinTest.cpp' ! -name '*E2ETest.cpp' -print))"
