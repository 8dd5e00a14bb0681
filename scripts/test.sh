#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   native   the simulated board, the HEX parser core and the ppdev helper on the host,
#            with sanitizers, the fuzzer and the checks against avrdude and the AVR
#            toolchain;
#   windows  tamberlo.exe, the simulated and the bridge inpout32.dll, and their tests
#            under Wine (in-process, and the shipped program driven from outside).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

jobs=$(nproc)
export TAMBERLO_WINEPREFIX="$PWD/build/wineprefix"

for preset in native windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# The Windows tests need an X display; start a private one when there is none.
xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
  done
fi

# One Wine prefix for the build, made once; the server stays up for the whole run.
. scripts/wine-prefix.sh
# A server may linger from wineboot or an interrupted run; start a fresh persistent one.
wineserver -k 2>/dev/null || true
wineserver -p
# The private display has no window manager: tell Wine not to wait for one, or every
# window shown or hidden costs a time-out.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

status=0
ctest --preset native -j "$jobs" -E benchmark || status=1
ctest --preset windows -E benchmark || status=1

# The benchmarks print their figures; they fail only when they cannot measure.
echo "== benchmarks"
for preset in native windows; do
  log=$(mktemp)
  ctest --preset "$preset" -R benchmark --verbose >"$log" 2>&1 || status=1
  sed -n 's/^[0-9]*: //p' "$log" |
    grep -v -E '^(Test command|Working Directory|Test timeout|Environment variables|Test (Passed|Failed))' || true
  grep -E 'tests passed' "$log" || true
  rm -f "$log"
done
[ $status -eq 0 ] && echo "all tests passed" || echo "some tests failed"
exit $status
