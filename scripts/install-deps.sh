#!/usr/bin/env bash
# Installs every Debian 12 package that the build, the tests and the tools need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  clang-14 libclang-rt-14-dev
  libplist-dev libcairo2-dev libpango1.0-dev libfontconfig-dev libicu-dev
  libsdbus-c++-dev libsystemd-dev libfmt-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev libsdl2-dev
  dbus libglib2.0-bin librsvg2-bin fonts-liberation2 fontconfig
  xvfb xdotool x11-utils libnotify-bin
  python3
  help2man file dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
