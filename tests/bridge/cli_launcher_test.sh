#!/usr/bin/env bash
# tamberlo-linux --cli for real: the launcher, 64-bit Wine, the console program
# tamberlo-cli.exe and the bridge DLL as the Linux archive lays them out, the helper on the
# fake ppdev device with the simulated board behind it, and no display. A table of command
# lines with their exit status and output: every file named by its Linux path.
set -uo pipefail

: "${TAMBERLO_PPDEV_HELPER:?path of tamberlo-ppdev}"
: "${TAMBERLO_FAKE_PPDEV:?path of the fake ppdev library}"
[ $# -eq 4 ] || { echo "usage: cli_launcher_test.sh LAUNCHER CLI_EXE BRIDGE_DLL BLINK_HEX" >&2; exit 2; }
launcher=$1 cli=$2 dll=$3 blink=$4
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/wine-env.sh"
wine_prepare x86_64 # the build's own prefix: WINEPREFIX for the launcher's Wine

work=$(mktemp -d /tmp/tamberlo-cli-launcher-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

archive=$work/tamberlo
mkdir -p "$archive" "$work/block"
chmod 700 "$work" "$work/block"
cp "$launcher" "$archive/tamberlo-linux"
cp "$cli" "$archive/tamberlo-cli.exe"
cp "$dll" "$archive/inpoutx64.dll"
: >"$archive/tamberlo.exe"
cat >"$archive/tamberlo-ppdev" <<HELPER
#!/usr/bin/env bash
exec env LD_PRELOAD="$TAMBERLO_FAKE_PPDEV" "$TAMBERLO_PPDEV_HELPER" "\$@"
HELPER
chmod +x "$archive/tamberlo-ppdev"

export TAMBERLO_BRIDGE_SHM=$work/block/port
export TAMBERLO_SIM_CHIP_FILE=$work/chip.bin
unset DISPLAY WAYLAND_DISPLAY

# case NAME STATUS STDOUT-LINE STDERR-TEXT -- ARGUMENTS...: runs the launcher in the work
# folder (the program sees it as its current folder) and checks the status and that the
# output holds the line and the text ("" for none).
check() {
    local name=$1 want=$2 line=$3 text=$4
    shift 5
    local out err status
    out=$(cd "$work" && "$archive/tamberlo-linux" /dev/tamberlo-parport0 --cli "$@" 2>"$work/err")
    status=$?
    out=${out//$'\r'/}
    err=$(tr -d '\r' <"$work/err")
    [ "$status" = "$want" ] || fail "$name: status $status, not $want
stdout: $out
stderr: $err"
    [ -z "$line" ] || grep -qxF "$line" <<<"$out" || fail "$name: no line '$line' in: $out"
    [ -z "$text" ] || grep -qF "$text" <<<"$err" || fail "$name: no '$text' in: $err"
}

options=(--lpt 1 --delay-bit 1 --delay-byte 1)
check Blank 0 "Blank Ok" "" -- "${options[@]}" --blank
check AutoByALinuxPath 0 "Verfify Ok" "" -- "${options[@]}" --auto "$blink"
check NotBlank 1 "" "Not Blank" -- "${options[@]}" --blank
check FlashReadToALinuxPath 0 "" "" -- "${options[@]}" --flash-read="$work/read back.hex"
[ -s "$work/read back.hex" ] || fail "FlashReadToALinuxPath: no $work/read back.hex"
check RelativePath 0 "Verfify Ok" "" -- "${options[@]}" --verify "read back.hex"
check BadOption 2 "" "unknown option '--bogus'" -- --bogus
TAMBERLO_SIM_FAULT=nochip check NoChip 4 "" "Error! Please check your CPU" -- "${options[@]}" --erase

[ "$failures" = 0 ] && echo "tamberlo-linux --cli: all cases passed"
exit $((failures > 0))
