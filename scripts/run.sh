#!/usr/bin/env bash
# Installs what is missing, builds the program and the simulated board's port driver,
# and starts the program under Wine on your display, on the simulated board.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display. tamberlo is a window program and needs an X display:" >&2
  echo "     run this from a desktop session, or start one with: Xvfb :1 & DISPLAY=:1 $0" >&2
  exit 1
fi
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target tamberlo tamberlo_inpout32_sim
. scripts/wine-prefix.sh
# tamberlo.exe finds the simulated inpout32.dll beside it; the chip file is kept here.
cd build/windows
exec wine tamberlo.exe
