#!/bin/sh
# Builds and runs every test: native core tests, the sanitizer build, then the Windows side
# under Wine. Run through `make test`, which installs the packages first.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}

step() { printf '\n== %s\n' "$*"; }

step "native build and tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j"$JOBS"
ctest --test-dir build/native -L native --output-on-failure -j"$JOBS"

step "AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DDD_SANITIZE=ON >/dev/null
cmake --build build/asan -j"$JOBS"
ctest --test-dir build/asan -L native --output-on-failure -j"$JOBS"

step "fuzzing the matcher, the controller and the settings OK step (short run)"
tools/run-fuzz.sh

if [ -x tools/run-wine-tests.sh ]; then
  step "Windows build and tests under Wine"
  tools/run-wine-tests.sh
fi

if [ -x tools/run-e2e-tests.sh ]; then
  step "end-to-end tests of the program under Wine"
  tools/run-e2e-tests.sh
fi

step "fault tests of the program under Wine" && tools/run-fault-tests.sh

step "all tests passed"
