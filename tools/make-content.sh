#!/bin/sh
# Remakes the recordings, key-sound clips and icon from the demo texts in core/demo_content.cpp.
# Usage: tools/make-content.sh [OUTDIR]   (default: resources/)
# The same texts and tools give the same bytes, so a rerun leaves git with nothing to commit.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=${1:-$root/resources}
for tool in espeak-ng lame python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "make-content: $tool not found; run tools/install-deps.sh" >&2
    exit 1
  fi
done
# A fixed locale keeps the synthesiser's text handling the same on every machine.
LC_ALL=C.UTF-8 exec python3 "$here/make_content.py" --source "$root/core/demo_content.cpp" --out "$out"
