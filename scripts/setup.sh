#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Safe to run again:
# when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 wine32:i386 fonts-wine xvfb xauth x11-xserver-utils imagemagick
  gcc-avr avr-libc binutils-avr srecord avrdude zip unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
