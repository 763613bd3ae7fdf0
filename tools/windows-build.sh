#!/bin/sh
# Sourced by the scripts that build the Windows side; run from the top of the tree.
#
# dd_configure_windows DIR [CMAKE ARGS...]: configures DIR as a mingw-w64 build the first time
# (the toolchain file counts only then, so the arguments do too) and refreshes it afterwards.
# dd_build_program_and_replay BUILD NATIVE JOBS: DictaDrill.exe in BUILD and the native
# dictadrill-replay in NATIVE, which the tests of the running program drive and check against.

dd_configure_windows() {
  _dir=$1
  shift
  if [ -f "$_dir/CMakeCache.txt" ]; then
    cmake "$_dir" >/dev/null
  else
    cmake -S . -B "$_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "$@" >/dev/null
  fi
}

dd_build_program_and_replay() {
  dd_configure_windows "$1"
  cmake --build "$1" -j"$3" --target DictaDrill
  cmake -S . -B "$2" >/dev/null
  cmake --build "$2" -j"$3" --target dictadrill-replay
}
