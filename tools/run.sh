#!/usr/bin/env bash
# Installs what is missing, builds the Linux saver and runs it (default: full screen, "s").
# Usage: tools/run.sh [mode-letter-and-arguments...]   e.g. tools/run.sh c   (settings)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
if [[ $# -eq 0 ]]; then set -- s; fi
exec build/release/morgrave "$@"
