#!/bin/sh
# make bench: builds the benchmarks (Release) and prints one table of DictaDrill's speed and
# memory, each figure beside its baseline from the same run; the table also goes to
# build/bench/table.md. Not part of make test. Uses a test environment of its own
# (tools/test-env.sh in build/bench/testenv) and stops it by PID when done.
# Installs nothing: tools/install-deps.sh (make deps) comes first.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
OUT=build/bench
WIN=$OUT/win
NATIVE=build/release
STATE=$OUT/testenv

. tools/test-env.sh
. tools/windows-build.sh

mkdir -p "$OUT"

cmake -S . -B "$NATIVE" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$NATIVE" -j"$JOBS" --target dictadrill-bench
dd_configure_windows "$WIN" -DCMAKE_BUILD_TYPE=Release -DDD_TESTS=OFF
cmake --build "$WIN" -j"$JOBS" --target DictaDrill dd_bare_window dd_window_bench

dd_env_for_script "$STATE" bench
timeout 1800 python3 tools/bench/bench.py --exe "$WIN/bin/DictaDrill.exe" \
  --bare "$WIN/bin/dd_bare_window.exe" --window-bench "$WIN/bin/dd_window_bench.exe" \
  --core "$NATIVE/tools/dictadrill-bench" --out "$OUT" --starts "${STARTS:-21}"
