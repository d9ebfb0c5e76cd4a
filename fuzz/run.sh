#!/bin/sh
# Builds every fuzz target in fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (the libraries instrumented too), then runs each
# for FUZZ_RUNS inputs (default one million). Targets are found in the build,
# so new fuzz/*.cmake parts are picked up without touching this script.
# Corpora are kept in fuzz/corpus-<target>/, crashes land in fuzz/crash-<target>-*.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/install-deps.sh build fuzz

build=build-fuzz
runs=${FUZZ_RUNS:-1000000}
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNOVALUNE_FUZZ=ON -DNOVALUNE_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$sanitizers -fsanitize=fuzzer-no-link"
cmake --build "$build" --target fuzz/all

# Every executable that the fuzz directory's targets produce, by name *_fuzz.
targets=$(ninja -C "$build" -t query fuzz/all | sed -n 's/^ *\([^ ]*_fuzz\)$/\1/p' | sort -u)
if [ -z "$targets" ]; then
  echo "no fuzz targets found" >&2
  exit 1
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=""
for target in $targets; do
  name=$(basename "$target")
  corpus="$root/fuzz/corpus-$name"
  mkdir -p "$corpus"
  echo "=== $name: $runs runs"
  if ! "$build/$target" -runs="$runs" -max_len=4096 -timeout=30 -print_final_stats=1 \
      -artifact_prefix="$root/fuzz/crash-$name-" "$corpus" >"$build/$name.log" 2>&1; then
    failed="$failed $name"
    tail -40 "$build/$name.log"
  else
    grep -E "^Done|stat::number_of_executed_units|cov:" "$build/$name.log" | tail -2
  fi
done
if [ -n "$failed" ]; then
  echo "FAILED:$failed" >&2
  exit 1
fi
echo "all fuzz targets ran clean"
