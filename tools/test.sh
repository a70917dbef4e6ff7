#!/usr/bin/env bash
# Installs what is missing, builds the saver, the fuzzers and the Windows .scr, and runs every
# test (unit, end-to-end on Xvfb, bounded fuzzing, Wine, benchmarks) with ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --test

echo "== fuzz build (clang, ASan+UBSan)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

if [[ -f cmake/mingw-i686.cmake ]]; then
  echo "== Windows build (MinGW-w64 i686)"
  cmake --preset win32 >/dev/null
  cmake --build --preset win32
fi

echo "== Linux build with tests"
cmake --preset ci >/dev/null
cmake --build --preset ci

echo "== tests"
exec ctest --preset ci
