#!/bin/sh
# Builds the libFuzzer targets with clang and the sanitizers, replays the committed corpora
# (regression cases included), then fuzzes each target for FUZZ_SECONDS (default 15).
# A finding leaves its input in build/fuzz/findings/ and fails the run.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-15}
BUILD=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDD_FUZZ=ON \
  -DDD_SANITIZE=ON -DDD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"${JOBS:-2}" --target fuzz_matcher fuzz_controller fuzz_confirm
mkdir -p "$BUILD/findings"
for name in matcher controller confirm; do
  work="$BUILD/corpus/$name"
  mkdir -p "$work"
  fuzzer="$BUILD/tests/fuzz/fuzz_$name"
  # Every committed input once, as a regression test.
  "$fuzzer" -runs=0 tests/fuzz/corpus/$name >"$BUILD/$name.replay.log" 2>&1 ||
    { cat "$BUILD/$name.replay.log"; exit 1; }
  "$fuzzer" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
    -artifact_prefix="$BUILD/findings/$name-" "$work" tests/fuzz/corpus/$name \
    >"$BUILD/$name.log" 2>&1 || { tail -40 "$BUILD/$name.log"; exit 1; }
  printf 'fuzz_%s: %s\n' "$name" "$(grep -E '^Done' "$BUILD/$name.log")"
done
