#!/usr/bin/env bash
# Installs the Debian 12 packages the launcher and its tests need.
# Usage: tools/deps.sh [build|test]   (test adds the X server, fonts and test tools)
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config
  libgtk-3-dev libwebkit2gtk-4.1-dev libx11-dev libcurl4-openssl-dev zlib1g-dev
  python3 xvfb openbox xcompmgr x11-utils xdotool imagemagick fonts-noto-cjk dbus-x11
)
test_packages=(
  googletest libgtest-dev clang libclang-rt-14-dev desktop-file-utils unzip libglib2.0-bin
)

wanted=("${build_packages[@]}")
if [ "${1:-build}" = test ]; then
  wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "These Debian packages are missing; install them as root, then run this again:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
