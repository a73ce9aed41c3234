#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, when they are missing.
# Runs as root or through sudo; does nothing when everything is there.
#   install-deps.sh           the Linux build
#   install-deps.sh windows   the Windows cross builds (mingw-w64, wine64)
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libusb-1.0-0-dev libjpeg-dev
  qt6-base-dev qt6-base-dev-tools
  python3 python3-numpy python3-pytest
  xvfb xauth
)
recommends=--no-install-recommends
if [ "${1:-}" = windows ]; then
  packages=(
    cmake ninja-build g++ python3 googletest
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine64
  )
  # wine64 needs what it recommends to start programs.
  recommends=""
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq $recommends "${missing[@]}"
