#!/usr/bin/env bash
# Installs what building, running and testing the saver needs on Debian 12 (apt-get; sudo when not root).
# Usage: tools/deps.sh [--test]   (--test adds the test tools: Xvfb, xdotool, clang, Wine ...)
set -euo pipefail

# Needed to build and run the saver.
PKGS=(build-essential cmake pkg-config libsdl2-dev libgtk-3-dev libx11-dev libxinerama-dev libxrandr-dev
      binutils-mingw-w64-i686)
# Needed to run every test.
TEST_PKGS=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format python3 xvfb xdotool
           x11-utils xfonts-base x11-apps xserver-xephyr imagemagick sox g++-mingw-w64-i686 g++-mingw-w64-x86-64
           lintian desktop-file-utils appstream)
# 32-bit Wine for the Windows tests (needs the i386 architecture).
WINE_PKGS=(wine wine32:i386 wine64)

want_test=0
[[ "${1:-}" == "--test" ]] && want_test=1

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi

list=("${PKGS[@]}")
if [[ $want_test -eq 1 ]]; then
  list+=("${TEST_PKGS[@]}")
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  list+=("${WINE_PKGS[@]}")
fi

missing=()
for p in "${list[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "deps: installing ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
