#!/bin/sh
# Fault tests of DictaDrill.exe under Wine (tests/e2e/fault_tests.py): a missing or read-only
# temporary folder, recordings replaced by garbage, no sound device, a second copy, keys held
# down, 10,000 random keys. Builds the program (build/win) and the native replay tool
# (build/native), starts the private test environment of tools/test-env.sh and stops what it
# started, by PID. Installs nothing: tools/install-deps.sh (make deps) comes first.
#
# The read-only folder is a read-only bind mount when run as root (mode bits do not stop root);
# without the right to mount, that one test is skipped and says so.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
BUILD=${BUILD:-build/win}
NATIVE=${NATIVE_BUILD:-build/native}
STATE=$BUILD/testenv

. tools/test-env.sh
. tools/windows-build.sh

mkdir -p "$BUILD"

dd_build_program_and_replay "$BUILD" "$NATIVE" "$JOBS"

dd_env_for_script "$STATE" fault

# About two and a half minutes; ten mean something hangs.
timeout 600 python3 tests/e2e/fault_tests.py --exe "$BUILD/bin/DictaDrill.exe" \
  --replay "$NATIVE/tools/dictadrill-replay" --resources resources --shots "$BUILD/fault-shots"
