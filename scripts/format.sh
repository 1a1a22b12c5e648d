#!/usr/bin/env bash
# Formats every C++ file of the project with clang-format (.clang-format at the root).
# With --check it changes nothing and fails when a file would change (CI).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "format: ${#files[@]} files as clang-format writes them"
else
  clang-format -i "${files[@]}"
fi
