#!/usr/bin/env bash
# Takes the README's pictures of the real program under a private Xvfb display:
# docs/screenshots/during.png (programming a full chip) and after.png (verified).
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
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 1
wine_prepare "$arch"

srec_cat -generate 0 0x2000 -repeat-string 'tamberlo AT90S8535 ' -o "$work/full.hex" -intel
mkdir -p docs/screenshots
"$(wine_loader "$arch")" "build/$preset/tests/e2e/screenshot_driver.exe" "Z:${work//\//\\}" "Z:${work//\//\\}\\full.hex" &
driver=$!
for shot in during after; do
  for _ in $(seq 1200); do [ -e "$work/$shot.ready" ] && break; sleep 0.1; done
  [ -e "$work/$shot.ready" ] || { echo "screenshots: the program did not reach '$shot'" >&2; exit 1; }
  sleep 0.5
  import -window root -crop 360x300+140+90 +repage "docs/screenshots/$shot.png"
  touch "$work/$shot.done"
done
wait $driver
echo "screenshots: docs/screenshots/during.png and after.png"
