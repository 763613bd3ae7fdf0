#!/bin/sh
# The Windows build and its tests under Wine (CTest label "wine"), in a private environment:
# Wine prefix, Xvfb and PulseAudio from tools/test-env.sh, stopped by PID when this ends.
# Installs nothing: tools/install-deps.sh (make deps) comes first.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
BUILD=${BUILD:-build/win}
STATE=$BUILD/testenv

. tools/test-env.sh
. tools/windows-build.sh

mkdir -p "$BUILD"

dd_configure_windows "$BUILD"
cmake --build "$BUILD" -j"$JOBS"
dd_env_for_script "$STATE" wrapper
ctest --test-dir "$BUILD" -L wine --output-on-failure -j"$JOBS"
