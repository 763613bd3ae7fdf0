#!/bin/sh
# End-to-end tests of DictaDrill.exe: builds the program (build/win) and the native replay tool
# (build/native), starts the private test environment of tools/test-env.sh (Wine prefix, Xvfb,
# PulseAudio null sink), drives the program with tests/e2e/drive_program.py and stops what it
# started, by PID. Installs nothing: tools/install-deps.sh (make deps) comes first.
#
# The screenshots (menu, typing, result, settings and progress dialogs) go to
# build/win/e2e-shots; with DD_UPDATE_SCREENSHOTS=1 they replace the ones in docs/.
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

dd_env_for_script "$STATE" e2e

SHOTS=$BUILD/e2e-shots
if [ "${DD_UPDATE_SCREENSHOTS:-0}" = 1 ]; then SHOTS=docs; fi
# The whole drive takes about a minute; ten mean something hangs.
timeout 600 python3 tests/e2e/drive_program.py --exe "$BUILD/bin/DictaDrill.exe" \
  --replay "$NATIVE/tools/dictadrill-replay" --resources resources --shots "$SHOTS"
