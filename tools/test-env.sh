#!/bin/sh
# Private environment for the Windows tests: a Wine prefix of our own, an Xvfb display and a
# PulseAudio daemon whose default sink is a null sink the tests record through its monitor.
#
# Everything lives in one state folder (say build/win/testenv): the prefix, the sockets, the
# logs, one PID file per process and an "env" file with the variables the tests need.
# Processes are stopped by the PIDs in those files only.
#
# Sourced:   . tools/test-env.sh; dd_env_up DIR [OWNER]; dd_env_load DIR; ...; dd_env_down DIR [OWNER]
#            or, in a script, dd_env_for_script DIR OWNER (up, load, and down at exit)
# Executed:  tools/test-env.sh up DIR [OWNER] | down DIR [OWNER] | run DIR COMMAND... | status DIR
#
# up reuses an environment that is still alive and leaves its owner as it was; down with an
# OWNER stops only what an up with the same OWNER started. So a wrapper script and CTest
# fixtures (FIXTURES_SETUP / FIXTURES_CLEANUP) can both call them: whoever started it stops it.
# run loads the env file (or the fixed part of it when nothing is up) and executes COMMAND.

DD_SINK_NAME=ddsink
DD_SINK_RATE=44100

dd__log() { printf 'test-env: %s\n' "$*" >&2; }

dd__abs() { (mkdir -p "$1" && cd "$1" && pwd); }

# The fixed variables of a state folder; DISPLAY is added by dd_env_up once Xvfb runs.
dd__fixed_env() {
  _dir=$1
  export WINEPREFIX="$_dir/wineprefix"
  export WINEDEBUG=-all
  # No .NET or HTML engine installers, and no ALSA: sound must go through PulseAudio.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d"
  export XDG_RUNTIME_DIR="$_dir/run"
  export PULSE_SERVER="unix:$_dir/run/pulse.sock"
  export PULSE_CLIENTCONFIG="$_dir/run/client.conf"
  export DD_PULSE_SINK=$DD_SINK_NAME
  export DD_PULSE_RATE=$DD_SINK_RATE
  export DD_TEST_ENV_DIR="$_dir"
}

dd__alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

dd__wait_for() {  # tries seconds, then a test command
  _tries=$(($1 * 10))
  shift
  while [ "$_tries" -gt 0 ]; do
    if "$@"; then return 0; fi
    sleep 0.1
    _tries=$((_tries - 1))
  done
  return 1
}

dd__x_ready() { [ -S "/tmp/.X11-unix/X$1" ]; }

dd__xvfb_start() {
  _dir=$1
  if dd__alive "$_dir/xvfb.pid" && [ -f "$_dir/display" ]; then return 0; fi
  # A free display from 90 up: neither a lock file nor a socket of another server.
  _n=90
  while [ "$_n" -lt 190 ]; do
    if [ ! -e "/tmp/.X$_n-lock" ] && [ ! -e "/tmp/.X11-unix/X$_n" ]; then
      Xvfb ":$_n" -nolisten tcp -screen 0 1024x768x24 >"$_dir/xvfb.log" 2>&1 &
      echo $! >"$_dir/xvfb.pid"
      if dd__wait_for 10 dd__x_ready "$_n" && dd__alive "$_dir/xvfb.pid"; then
        echo ":$_n" >"$_dir/display"
        return 0
      fi
      # Lost a race for this number, or failed: try the next one.
      dd__alive "$_dir/xvfb.pid" && kill "$(cat "$_dir/xvfb.pid")"
      rm -f "$_dir/xvfb.pid"
    fi
    _n=$((_n + 1))
  done
  dd__log "no free X display (see $_dir/xvfb.log)"
  return 1
}

dd__pulse_ready() { pactl info >/dev/null 2>&1; }

dd__pulse_start() {
  _dir=$1
  if dd__alive "$_dir/pulse.pid" && dd__pulse_ready; then return 0; fi
  mkdir -p "$XDG_RUNTIME_DIR" "$_dir/pulse-state"
  chmod 700 "$XDG_RUNTIME_DIR"
  rm -f "$XDG_RUNTIME_DIR/pulse.sock"
  # Clients never start a daemon of their own behind our back.
  printf 'autospawn = no\n' >"$PULSE_CLIENTCONFIG"
  # -n: no default script, so no hardware probing; only our socket and the null sink. Running as
  # root only warns. Anonymous auth avoids depending on a cookie in $HOME.
  PULSE_STATE_PATH="$_dir/pulse-state" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --disable-shm=yes --log-target=stderr --log-level=warning \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse.sock" \
    -L "module-null-sink sink_name=$DD_SINK_NAME rate=$DD_SINK_RATE channels=1" \
    >"$_dir/pulse.log" 2>&1 &
  echo $! >"$_dir/pulse.pid"
  if ! dd__wait_for 15 dd__pulse_ready; then
    dd__log "PulseAudio did not start (see $_dir/pulse.log)"
    return 1
  fi
  pactl set-default-sink "$DD_SINK_NAME"
  pactl set-default-source "$DD_SINK_NAME.monitor"
}

dd__wineserver_start() {
  _dir=$1
  if dd__alive "$_dir/wineserver.pid"; then return 0; fi
  mkdir -p "$WINEPREFIX"
  # A persistent server in the foreground: every Wine start reuses it, and its PID is ours.
  wineserver --foreground --persistent >"$_dir/wineserver.log" 2>&1 &
  echo $! >"$_dir/wineserver.pid"
  # The first program starts Wine's helpers (services.exe and the like), which keep its
  # standard streams open as long as they live. Start them here with a log file, or CTest
  # would wait on a test's output pipe until the server ends.
  wine cmd /c exit </dev/null >>"$_dir/wineserver.log" 2>&1 || true
}

# Before our persistent server starts: the short-lived server of wineboot writes the registry
# to disk when it exits, which "wineserver -w" waits for.
dd__prefix_prepare() {
  _dir=$1
  if [ -f "$WINEPREFIX/.dd-ready" ]; then return 0; fi
  dd__log "preparing the Wine prefix (first run only)"
  mkdir -p "$WINEPREFIX"
  wineboot --init >"$_dir/wineboot.log" 2>&1 || true
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >>"$_dir/wineboot.log" 2>&1
  wineserver -w
  if ! grep -q ShowCrashDialog "$WINEPREFIX/user.reg" 2>/dev/null; then
    dd__log "wineboot failed (see $_dir/wineboot.log)"
    return 1
  fi
  touch "$WINEPREFIX/.dd-ready"
}

dd__write_env() {
  _dir=$1
  {
    for _v in WINEPREFIX WINEDEBUG WINEDLLOVERRIDES XDG_RUNTIME_DIR PULSE_SERVER \
      PULSE_CLIENTCONFIG DD_PULSE_SINK DD_PULSE_RATE DD_TEST_ENV_DIR DISPLAY; do
      eval "_val=\${$_v}"
      printf "export %s='%s'\n" "$_v" "$_val"
    done
  } >"$_dir/env.tmp"
  mv "$_dir/env.tmp" "$_dir/env"
}

# Starts (or reuses) the environment of state folder DIR. OWNER names who must stop it.
dd_env_up() {
  _dir=$(dd__abs "$1") || return 1
  _owner=${2:-shell}
  _fresh=0
  if ! dd_env_alive "$_dir"; then
    _fresh=1
    dd_env_down "$_dir" >/dev/null 2>&1
  fi
  dd__fixed_env "$_dir"
  mkdir -p "$_dir"
  dd__xvfb_start "$_dir" || return 1
  DISPLAY=$(cat "$_dir/display")
  export DISPLAY
  dd__pulse_start "$_dir" || return 1
  dd__prefix_prepare "$_dir" || return 1
  dd__wineserver_start "$_dir" || return 1
  dd__write_env "$_dir"
  if [ "$_fresh" = 1 ]; then echo "$_owner" >"$_dir/owner"; fi
}

# For a script: starts (or reuses) DIR's environment for OWNER and exports its variables; what
# OWNER started is stopped when the script exits, also on an error or an interrupt.
dd_env_for_script() {
  _dd_script_state=$1
  _dd_script_owner=$2
  trap 'dd_env_down "$_dd_script_state" "$_dd_script_owner"' EXIT
  trap 'exit 130' INT TERM
  dd_env_up "$1" "$2" || return 1
  dd_env_load "$1"
}

# True when every process of DIR's environment is running.
dd_env_alive() {
  dd__alive "$1/xvfb.pid" && dd__alive "$1/pulse.pid" && dd__alive "$1/wineserver.pid" &&
    [ -f "$1/env" ]
}

# Exports the variables of DIR's environment into the current shell.
dd_env_load() {
  _dir=$(dd__abs "$1") || return 1
  if [ -f "$_dir/env" ]; then
    . "$_dir/env"
  else
    dd__fixed_env "$_dir"
  fi
}

dd__stop() {  # pid file
  [ -f "$1" ] || return 0
  _pid=$(cat "$1")
  if kill -0 "$_pid" 2>/dev/null; then
    kill "$_pid" 2>/dev/null
    dd__wait_for 5 dd__gone "$_pid" || kill -9 "$_pid" 2>/dev/null
  fi
  rm -f "$1"
}

dd__gone() { ! kill -0 "$1" 2>/dev/null; }

# Stops DIR's processes by their recorded PIDs, unless OWNER is given and did not start them.
dd_env_down() {
  _dir=$(dd__abs "$1") || return 1
  if [ -n "${2:-}" ] && [ -f "$_dir/owner" ] && [ "$(cat "$_dir/owner")" != "$2" ]; then
    return 0
  fi
  # Wine's own helpers (services.exe and the like) outlive a plain kill of the server, so first
  # ask the server of our prefix, and only it, to end its processes; then stop it by PID.
  if dd__alive "$_dir/wineserver.pid"; then
    WINEPREFIX="$_dir/wineprefix" wineserver -k 2>/dev/null
  fi
  dd__stop "$_dir/wineserver.pid"
  dd__stop "$_dir/pulse.pid"
  dd__stop "$_dir/xvfb.pid"
  rm -f "$_dir/env" "$_dir/owner" "$_dir/display"
}

dd__main() {
  _cmd=${1:-}
  [ $# -ge 2 ] || {
    echo "usage: $0 up|down DIR [OWNER] | run DIR COMMAND... | status DIR" >&2
    return 2
  }
  _state=$2
  shift 2
  case $_cmd in
    up) dd_env_up "$_state" "$@" ;;
    down) dd_env_down "$_state" "$@" ;;
    status) dd_env_alive "$(dd__abs "$_state")" && echo up || { echo down; return 1; } ;;
    run)
      dd_env_load "$_state" || return 1
      exec "$@"
      ;;
    *)
      echo "unknown command: $_cmd" >&2
      return 2
      ;;
  esac
}

# Run as a program (not sourced): dispatch the command line.
case ${0##*/} in
  test-env.sh) dd__main "$@" ;;
esac
