#!/usr/bin/env bash
# Takes the README's pictures of the real program under a private Xvfb display:
# docs/screenshots/during.png (programming a full chip), after.png (verified) and chip.png
# (the chip window after a Read of a new ATmega16).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
. scripts/wine-env.sh
arch=i686 preset=windows
wine_can_run i686 || arch=x86_64 preset=windows-x64
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" --target tamberlo tamberlo_inpout_sim screenshot_driver

work=$(mktemp -d)
display=:$((100 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 1
wine_prepare "$arch"

srec_cat -generate 0 0x2000 -repeat-string 'tamberlo AT90S8535 ' -o "$work/full.hex" -intel
mkdir -p docs/screenshots
"$(wine_loader "$arch")" "build/$preset/tests/e2e/screenshot_driver.exe" "Z:${work//\//\\}" "Z:${work//\//\\}\\full.hex" &
driver=$!
for shot in during after chip; do
  for _ in $(seq 1200); do [ -e "$work/$shot.ready" ] && break; sleep 0.1; done
  [ -e "$work/$shot.ready" ] || { echo "screenshots: the program did not reach '$shot'" >&2; exit 1; }
  sleep 0.5
  window=tamberlo
  [ "$shot" = chip ] && window="Chip and Fuses"
  import -window "$window" "docs/screenshots/$shot.png"
  touch "$work/$shot.done"
done
wait $driver
echo "screenshots: docs/screenshots/during.png, after.png and chip.png"
