#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need, when
# any is missing.  Safe to run again and again.
set -euo pipefail
packages=(
  cmake ninja-build g++ make pkg-config git
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libpng-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb xauth xdotool imagemagick x11-utils
  xserver-xorg-core xserver-xorg-video-dummy
  python3
  wixl msitools unzip
  dpkg-dev file lintian
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libfluidsynth-dev timgm6mb-soundfont xscreensaver
  libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev sway grim wtype swayidle
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
