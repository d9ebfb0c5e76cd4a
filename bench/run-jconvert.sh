#!/bin/sh
# Builds and runs the code conversion benchmark (Release, build-bench/).
# Extra arguments go to the benchmark, e.g. --benchmark_filter=Encode.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh build bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOVALUNE_BENCH=ON -DNOVALUNE_TESTS=OFF >/dev/null
cmake --build build-bench --target jconvert_bench
# Repetitions in random order, medians reported: the machine is shared, so
# only ratios taken in one run mean anything.
exec ./build-bench/jconvert_bench --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.2 --benchmark_report_aggregates_only=true "$@"
