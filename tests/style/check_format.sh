#!/usr/bin/env bash
# Every C++ file of the project follows .clang-format (the generated tables fence themselves off).
#   check_format.sh [--fix]   --fix rewrites the files in place instead of failing
set -euo pipefail
cd "$(dirname "$0")/../.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
  echo "FAIL clang-format is not installed (scripts/install-deps.sh test)"
  exit 1
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null ||
                     find decoder engine app tools tests bench -name '*.cpp' -o -name '*.h')
if [ "${1:-}" = --fix ]; then
  "$format" -i --style=file "${files[@]}"
  exit 0
fi
if "$format" --dry-run --Werror --style=file "${files[@]}" 2>&1 | grep -m 20 'error:'; then
  echo "FAIL these files differ from .clang-format (tests/style/check_format.sh --fix rewrites them)"
  exit 1
fi
echo "ok: ${#files[@]} files follow .clang-format"
