#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine.
# Safe to run again: it only installs what is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  wine wine32:i386 xvfb xauth xdotool x11-utils x11-apps imagemagick
  python3 chromium nsis
)

SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi

need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_i386=1
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ] || [ "$need_i386" = 1 ]; then
  echo "setup: installing ${missing[*]:-(package lists)}"
  $SUDO apt-get update -qq
  if [ "${#missing[@]}" -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
# A kernel without IA-32 emulation runs no 32-bit programs, 32-bit Wine
# included: the Windows tests are then built for 64-bit Windows as well and
# run under 64-bit Wine.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  extra=()
  for p in wine64 g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || extra+=("$p")
  done
  if [ "${#extra[@]}" -gt 0 ]; then
    echo "setup: no 32-bit programs run here; installing ${extra[*]}"
    install_extra() {
      DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${extra[@]}" >/dev/null
    }
    install_extra || { $SUDO apt-get update -qq && install_extra; }
  fi
fi
echo "setup: all packages present"
