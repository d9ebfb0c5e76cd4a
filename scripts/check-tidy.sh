#!/bin/sh
# Runs clang-tidy (checks in .clang-tidy) over our own sources in a configured
# build: only files under src/, never the build's generated moc files, and
# findings reported only for headers under src/. Any finding fails.
# Usage: check-tidy.sh [build dir, default build]
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
command -v run-clang-tidy >/dev/null || ./scripts/install-deps.sh ci
if [ ! -f "$build/compile_commands.json" ]; then
  echo "no $build/compile_commands.json: configure and build first" >&2
  exit 2
fi
log="$build/clang-tidy.log"
# Anchored at the source root, so $build/*_autogen and tests/ are left out.
status=0
run-clang-tidy -quiet -p "$build" -j "$(nproc)" -header-filter="^$root/src/" "^$root/src/" >"$log" 2>&1 || status=$?
findings=$(grep -cE "^[^ ].*: (warning|error):" "$log" || true)
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
  grep -E -A3 "^[^ ].*: (warning|error):" "$log" || tail -40 "$log"
  echo "tidy check: $findings findings (full output in $log)" >&2
  exit 1
fi
echo "tidy check: clean"
