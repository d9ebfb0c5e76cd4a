#!/bin/sh
# Builds and runs the display benchmark (Release, in $BUILD_DIR, default
# build-bench/). An optional argument sets the number of statements (default 100000).
set -e
cd "$(dirname "$0")/.."
dir="${BUILD_DIR:-build-bench}"
./scripts/install-deps.sh build bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOVALUNE_BENCH=ON -DNOVALUNE_TESTS=OFF >/dev/null
cmake --build "$dir" --target display_bench
QT_QPA_PLATFORM=offscreen exec "./$dir/display_bench" "$@"
