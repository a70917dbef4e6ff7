#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds the saver, the fuzzers and the Windows .scr with its zip,
# and runs every test (unit, end-to-end on Xvfb, bounded fuzzing, Wine, benchmarks, the Debian package built
# by cpack and the zip) with ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --test

echo "== formatting (tools/format.sh --check)"
tools/format.sh --check

echo "== fuzz build (clang, ASan+UBSan)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

if [[ -f cmake/mingw-i686.cmake ]]; then
  echo "== Windows build (MinGW-w64 i686)"
  cmake --preset win32 >/dev/null
  cmake --build --preset win32
  # A kernel without 32-bit support cannot start 32-bit Wine: the Wine tests then run the same
  # sources built for 64-bit Windows (tests/lib/harness.py picks the build).
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [[ -f cmake/mingw-x86_64.cmake ]]; then
    echo "== Windows build for the Wine tests (MinGW-w64 x86_64; this machine runs no 32-bit programs)"
    cmake --preset win64 >/dev/null
    cmake --build --preset win64
  fi
fi

echo "== Linux build with tests"
cmake --preset ci >/dev/null
cmake --build --preset ci

echo "== tests"
exec ctest --preset ci
