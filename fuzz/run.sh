#!/bin/sh
# Builds every fuzz target in fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (the libraries instrumented too), then runs each
# for FUZZ_RUNS inputs (default one million). Targets are found in the build,
# so new fuzz/*.cmake parts are picked up without touching this script.
#
# Each target starts from its corpus folder fuzz/<name without _fuzz>_corpus,
# the one `make test` replays. Inputs that reach new code are merged back
# into that folder, and a crash, leak or timeout is written there as crash-*,
# leak-* or timeout-*, so that what fuzzing found stays a test once committed.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/install-deps.sh build fuzz

build=${FUZZ_BUILD:-build-fuzz}
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
options="-max_len=4096 -timeout=30"
failed=""
for target in $targets; do
  name=$(basename "$target")
  corpus="$root/fuzz/${name%_fuzz}_corpus"
  work="$root/$build/corpus-$name"
  mkdir -p "$corpus" "$work"
  echo "=== $name: $runs runs"
  # New inputs go to the work folder (the first one named); the corpus is read.
  if ! "$build/$target" $options -runs="$runs" -print_final_stats=1 \
      -artifact_prefix="$corpus/" "$work" "$corpus" >"$build/$name.log" 2>&1; then
    failed="$failed $name"
    tail -40 "$build/$name.log"
  else
    grep -E "^Done|stat::number_of_executed_units|cov:" "$build/$name.log" | tail -2
  fi
  # Keep only the work inputs that reach code the corpus does not.
  before=$(ls "$corpus" | wc -l)
  "$build/$target" $options -merge=1 "$corpus" "$work" >"$build/$name.merge.log" 2>&1 || true
  echo "$name: $(( $(ls "$corpus" | wc -l) - before )) new inputs in fuzz/${name%_fuzz}_corpus"
done
if [ -n "$failed" ]; then
  echo "FAILED:$failed (the failing inputs are in their corpus folders)" >&2
  exit 1
fi
echo "all fuzz targets ran clean"
