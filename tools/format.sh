#!/usr/bin/env bash
# Formats the C and C++ sources under src, tools, tests and bench with clang-format 14 and the root .clang-format.
# Usage: tools/format.sh [--check]   (--check changes nothing: it lists the files that are not formatted, exit 1)
set -euo pipefail
cd "$(dirname "$0")/.."
tool=$(command -v clang-format-14 || command -v clang-format || true)
if [[ -z $tool ]]; then
  echo "format: clang-format is missing (tools/deps.sh --test installs it)" >&2
  exit 2
fi
mapfile -d '' files < <(find src tools tests bench -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if [[ ${1:-} != --check ]]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 32 "$tool" -i
  exit 0
fi
# One clang-format per 64 files; --dry-run names each line it would change as "FILE:LINE:COL: warning".
report=$(printf '%s\0' "${files[@]}" | xargs -0 -n 64 "$tool" --dry-run 2>&1) || { echo "$report" >&2; exit 2; }
mapfile -t bad < <(sed -n -E 's/^(.+):[0-9]+:[0-9]+: warning: code should be clang-formatted.*/\1/p' <<<"$report" | sort -u)
if [[ ${#bad[@]} -gt 0 ]]; then
  printf 'not formatted (run tools/format.sh): %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files formatted"
