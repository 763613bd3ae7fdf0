#!/bin/sh
# Installs the Debian packages the build and the tests need; skips what is present.
set -eu
PKGS="cmake make g++ googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 xvfb xdotool x11-utils
imagemagick pulseaudio pulseaudio-utils sox libsox-fmt-mp3 espeak-ng lame
gstreamer1.0-plugins-good gstreamer1.0-plugins-base gstreamer1.0-libav
locales fonts-ipafont-gothic python3 clang-format"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
# Japanese locale for drawing tests.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/; s/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
