#!/usr/bin/env bash
# Static analysis with the project's .clang-tidy (see scripts/check_tidy.py for what is checked).
# Usage: scripts/check_tidy.sh [--all] [--fix] [-j N] [--build DIR] [FILE...]
exec python3 "$(dirname "$0")/check_tidy.py" "$@"
