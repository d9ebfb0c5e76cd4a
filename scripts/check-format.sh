#!/bin/sh
# Fails when a tracked C++ file differs from what .clang-format makes of it;
# prints the places. Reformat with: clang-format -i <file>.
set -e
cd "$(dirname "$0")/.."
if [ ! -f .clang-format ]; then
  echo "no .clang-format: nothing to check against" >&2
  exit 2
fi
command -v clang-format >/dev/null || ./scripts/install-deps.sh ci
git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror
echo "format check: clean"
