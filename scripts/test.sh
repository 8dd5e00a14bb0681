#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   native       the simulated board, the HEX parser core and the ppdev helper on the
#                host, with sanitizers, the fuzzer and the checks against avrdude and
#                the AVR toolchain;
#   windows-x64  the 64-bit tamberlo.exe, the simulated and the bridge inpoutx64.dll,
#                and their tests under 64-bit Wine (in-process, and the shipped program
#                driven from outside);
#   windows      the same for the 32-bit build (inpout32.dll), where this host runs
#                32-bit programs;
#   release      the three release archives, each file of the architecture the README
#                gives it, each tamberlo.exe importing only what its list names.
# Both Windows builds are always built. TAMBERLO_WINE_ARCHS ("x86_64", "i686" or both)
# chooses which of them run their tests; by default x86_64, and i686 where a 32-bit
# program starts on this host.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
. scripts/wine-env.sh

jobs=$(nproc)
for preset in native windows-x64 windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

declare -A preset_of=([x86_64]=windows-x64 [i686]=windows)
if [ -n "${TAMBERLO_WINE_ARCHS:-}" ]; then
  archs=$TAMBERLO_WINE_ARCHS
else
  archs=x86_64
  if wine_can_run i686; then
    archs="x86_64 i686"
  else
    echo "test: this host runs no 32-bit programs; the 32-bit build's tests are skipped"
  fi
fi

# The Windows tests need an X display; start a private one when there is none.
xvfb_pid=""
cleanup() {
  for arch in $archs; do
    (wine_prepare "$arch" && wineserver -k 2>/dev/null) || true
  done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: the display keeps its state between test programs, as a desktop does.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    # A desktop session always has a resource database; without one, Xlib looks for
    # ~/.Xdefaults again at every repaint, which the timings would count.
    echo "Xft.dpi: 96" | xrdb -nocpp -merge
    break
  done
fi

# One Wine prefix per architecture, made once; its server stays up for the whole run.
for arch in $archs; do
  wine_can_run "$arch" || { echo "test: Wine cannot start $arch programs on this host" >&2; exit 1; }
  wine_prepare "$arch"
  # A server may linger from wineboot or an interrupted run; start a fresh persistent one.
  wineserver -k 2>/dev/null || true
  wineserver -p
  # The private display has no window manager: tell Wine not to wait for one, or every
  # window shown or hidden costs a time-out.
  "$(wine_loader "$arch")" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null 2>&1
done

status=0
ctest --preset native -j "$jobs" -E benchmark || status=1
for arch in $archs; do
  echo "== windows tests, $arch build"
  build=build/${preset_of[$arch]}
  rm -f "$build"/tests/e2e/programmed-atmega*.bin "$build/tests/e2e/fuses-atmega16.bin"
  ctest --preset "${preset_of[$arch]}" -E benchmark || status=1
  # avrdude reads what the end-to-end tests wrote: the ATmega8535 and the full ATmega32
  # they programmed, and the fuses of the ATmega16 whose JTAG the chip window turned off.
  export TAMBERLO_SHIM=$PWD/build/native/tests/avrdude/libtamberlo_serbb_shim.so
  export TAMBERLO_PROGRAMMER_CONF=$PWD/tests/avrdude/tamberlo-serbb.conf
  for pair in "atmega8535 pages-atmega8535.hex" "atmega32 full-32k.hex"; do
    set -- $pair
    if ! bash tests/avrdude/verify_programmed_chip.sh "$build/tests/e2e/programmed-$1.bin" \
      "$build/tests/$2" "$1"; then
      echo "avrdude does not verify the $1 the $arch program wrote"
      status=1
    fi
  done
  fuses=$(bash tests/avrdude/avrdude_fuses.sh read atmega16 "$build/tests/e2e/fuses-atmega16.bin" 2>&1)
  if [ "$fuses" = $'lfuse E1\nhfuse D9' ]; then
    echo "avrdude reads the fuses the $arch program's chip window wrote: Low E1, High D9"
  else
    echo "$fuses"
    echo "avrdude does not read Low E1, High D9 from the ATmega16 the $arch program wrote"
    status=1
  fi
  # The console program and avrdude on the same chips, both ways.
  bash tests/avrdude/cli_cross_test.sh "$PWD/$build" || status=1
  unset TAMBERLO_SHIM TAMBERLO_PROGRAMMER_CONF
done

echo "== release archives"
./scripts/release.sh >/dev/null && tests/release/archive_arch_test.sh build/release || status=1
# Each shipped tamberlo.exe imports exactly what its architecture's list names.
tests/release/import_table_test.sh build/release || status=1

# The benchmarks print their figures; they fail only when they cannot measure.
run_benchmarks() {
  local preset=$1 log
  log=$(mktemp)
  ctest --preset "$preset" -R benchmark --verbose >"$log" 2>&1 || status=1
  sed -n 's/^[0-9]*: //p' "$log" |
    grep -v -E '^(Test command|Working Directory|Test timeout|Environment variables|Test (Passed|Failed))' || true
  grep -E 'tests passed' "$log" || true
  rm -f "$log"
}
echo "== benchmarks, native build"
run_benchmarks native
for arch in $archs; do
  echo "== benchmarks, windows $arch build"
  run_benchmarks "${preset_of[$arch]}"
done
[ $status -eq 0 ] && echo "all tests passed" || echo "some tests failed"
exit $status
