#!/usr/bin/env bash
# Fails when a C++ source of the project is not formatted with the project's .clang-format.
# Usage: scripts/check_format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  list() { git ls-files -z --cached --others --exclude-standard '*.cpp' '*.h'; }
else
  list() { find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0; }
fi
jobs=$(nproc 2>/dev/null || echo 2)
if [ "${1:-}" = "--fix" ]; then
  list | xargs -0 -r -P "$jobs" -n 16 clang-format -i
  exit 0
fi
# clang-format --dry-run -Werror prints the files that would change.
if ! out=$(list | xargs -0 -r -P "$jobs" -n 16 clang-format --dry-run -Werror 2>&1); then
  echo "$out" | grep -o '^[^:]*\.\(cpp\|h\):' | sort -u | sed 's/:$//; s/^/  not formatted: /'
  echo "Format with: scripts/check_format.sh --fix"
  exit 1
fi
