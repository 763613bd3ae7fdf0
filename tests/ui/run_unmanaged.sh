#!/bin/sh
# Runs a test program under Wine with its windows left unmanaged. Xvfb runs no window manager,
# and for a managed window Wine waits two seconds for one each time the window is hidden, as
# every dialog is when it ends. The setting is Wine's own, for this program name only.
#   run_unmanaged.sh PROGRAM.exe [ARGUMENTS...]
set -eu
name=$(basename "$1")
wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$name\\X11 Driver" /v Managed /t REG_SZ /d N \
  /f >/dev/null
exec wine "$@"
