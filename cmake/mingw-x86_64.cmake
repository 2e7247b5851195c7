# Cross-build for 64-bit Windows with mingw-w64 (posix threads): the Windows
# tests on a machine that runs no 32-bit programs (see scripts/wine-env.sh).
set(KORVID_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
