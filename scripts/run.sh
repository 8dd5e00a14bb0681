#!/usr/bin/env bash
# Installs what is missing, builds the program on the simulated board and starts it
# under Wine on your display.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display. tamberlo is a window program and needs an X display:" >&2
  echo "     run this from a desktop session, or start one with: Xvfb :1 & DISPLAY=:1 $0" >&2
  exit 1
fi
cmake --preset sim >/dev/null
cmake --build --preset sim -j "$(nproc)" --target tamberlo
export WINEPREFIX="$PWD/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
cd build/sim
exec wine tamberlo.exe
