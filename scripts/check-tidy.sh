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
run-clang-tidy -quiet -p "$build" -j "$(nproc)" -header-filter="^$root/src/" "^$root/src/" >"$log.raw" 2>&1 || status=$?
# run-clang-tidy always asks for colour; the log is read without it.
sed 's/\x1b\[[0-9;]*m//g' "$log.raw" >"$log"
# A header's finding shows once per source that includes it: count it once.
findings=$(grep -E "^[^ ].*: (warning|error):" "$log" | sort -u | wc -l)
if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
  if [ "$findings" -ne 0 ]; then
    grep -E "^[^ ].*: (warning|error):" "$log" | sort -u
  else
    tail -40 "$log"
  fi
  echo "tidy check: $findings findings (full output in $log)" >&2
  exit 1
fi
echo "tidy check: clean"
