#!/usr/bin/env bash
# Installs what is missing, builds the program and the simulated board's port driver,
# and starts the program under Wine on your display, on the simulated board: the
# 32-bit pair where this host runs 32-bit programs, else the 64-bit pair.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display. tamberlo is a window program and needs an X display:" >&2
  echo "     run this from a desktop session, or start one with: Xvfb :1 & DISPLAY=:1 $0" >&2
  exit 1
fi
. scripts/wine-env.sh
arch=i686 preset=windows
if ! wine_can_run i686; then
  arch=x86_64 preset=windows-x64
  echo "run: this host runs no 32-bit programs; starting the 64-bit tamberlo.exe"
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" --target tamberlo tamberlo_inpout_sim
wine_prepare "$arch"
# tamberlo.exe finds the simulated port driver DLL beside it; the chip file is kept here.
cd "build/$preset"
exec "$(wine_loader "$arch")" tamberlo.exe
