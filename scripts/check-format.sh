#!/bin/sh
# Fails when a tracked C++ file differs from what .clang-format makes of it;
# names those files and shows the first places. Reformat: clang-format -i <file>.
set -e
cd "$(dirname "$0")/.."
if [ ! -f .clang-format ]; then
  echo "no .clang-format: nothing to check against" >&2
  exit 2
fi
command -v clang-format >/dev/null || ./scripts/install-deps.sh ci
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if git ls-files -z '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run --Werror >"$log" 2>&1; then
  echo "format check: clean"
  exit 0
fi
head -30 "$log"
echo "files that differ from .clang-format:"
sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' "$log" | sort -u
echo "format check: failed" >&2
exit 1
