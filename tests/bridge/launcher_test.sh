#!/usr/bin/env bash
# tamberlo-linux in an archive folder of its own, with the real tamberlo-ppdev on the
# fake ppdev device and a stand-in for 64-bit Wine that records how it was started: no
# 64-bit Wine, a 32-bit Wine prefix, a helper that cannot start, a normal run (the
# program starts only once the helper serves, the helper stops when the program ends),
# the block in its default place and without one, the port handed on to the helper, a FIFO at the
# block's path, a block that no live helper beats, a block's directory swapped for one
# holding a copy of the block, a helper stopped when the program ends, Ctrl-C, SIGTERM
# before the helper serves, and SIGKILL of the launcher (its helper ends by itself); with
# --cli, the console program with its arguments (Linux paths in Wine's form), its status,
# and the launcher's own failures as status 3.
set -euo pipefail

: "${TAMBERLO_PPDEV_HELPER:?path of tamberlo-ppdev}"
: "${TAMBERLO_FAKE_PPDEV:?path of the fake ppdev library}"
: "${TAMBERLO_LAUNCHER:?path of tamberlo-linux}"

work=$(mktemp -d /tmp/tamberlo-launcher-XXXXXX)
timeout_tool=$(command -v timeout)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The archive as unpacked: the script, the program, the DLL and the helper (here the
# real helper with the fake device preloaded; exec keeps its pid).
archive=$work/tamberlo
mkdir -p "$archive" "$work/bin" "$work/tools"
cp "$TAMBERLO_LAUNCHER" "$archive/tamberlo-linux"
: >"$archive/tamberlo.exe"
: >"$archive/tamberlo-cli.exe"
: >"$archive/inpoutx64.dll"
cat >"$archive/tamberlo-ppdev" <<HELPER
#!/usr/bin/env bash
exec env LD_PRELOAD="$TAMBERLO_FAKE_PPDEV" "$TAMBERLO_PPDEV_HELPER" "\$@"
HELPER
chmod +x "$archive/tamberlo-ppdev"

# 64-bit Wine's stand-in: what it was given, and whether a helper served the block then.
cat >"$work/bin/wine64" <<'WINE'
#!/usr/bin/env bash
block=${TAMBERLO_BRIDGE_SHM:-$XDG_RUNTIME_DIR/tamberlo/port}
word() { od -An -tu4 -j "$1" -N 4 "$block" 2>/dev/null | tr -d ' '; }
pid=$(word 24)
alive=no
kill -0 "$pid" 2>/dev/null && alive=yes
echo $$ >"$WINE_LOG.pid"
echo "program=$1 prefix=${WINEPREFIX:-unset} attached=$(word 12) alive=$alive base=$(word 28)" >"$WINE_LOG"
shift
printf 'argument %s\n' "$@" >>"$WINE_LOG"
[ -n "${WINE_SLEEP:-}" ] && exec sleep "$WINE_SLEEP" # as a program, ended by SIGTERM
[ -n "${WINE_STOPS_HELPER:-}" ] && kill -STOP "$pid"  # as Ctrl-Z in the helper's terminal
exit "${WINE_STATUS:-0}"
WINE
chmod +x "$work/bin/wine64"
# The tools the launcher uses, without wine. The distributions' own places of 64-bit
# Wine are not searched, so that this host's Wine is never found.
for tool in bash env od tr sed seq sleep dirname readlink cat grep head stat chmod id mkdir mv cp; do
    ln -s "$(command -v "$tool")" "$work/tools/$tool"
done

export TAMBERLO_BRIDGE_SHM=$work/port
export TAMBERLO_SIM_CHIP_FILE=
export TAMBERLO_FAKE_PPDEV_LOG=$work/device.log
export WINE_LOG=$work/wine.log
export WINEPREFIX=$work/prefix
export TAMBERLO_WINE64_LOADERS=""
device=/dev/tamberlo-parport0

run() { # runs the launcher with PATH=$1 and the other arguments; sets status and output
    local path=$1
    shift
    set +e
    output=$(PATH=$path "$archive/tamberlo-linux" "$@" 2>&1)
    status=$?
    set -e
}

reset() {
    rm -rf "$WINE_LOG" "$WINE_LOG.pid" "$TAMBERLO_FAKE_PPDEV_LOG" "$TAMBERLO_BRIDGE_SHM"
}

# No 64-bit Wine: a message, and the port is left alone.
reset
run "$work/tools" "$device"
[ "$status" = 1 ] || fail "no wine: status $status"
grep -q "64-bit Wine is not installed" <<<"$output" || fail "no wine: $output"
grep -q "sudo apt install wine wine64" <<<"$output" || fail "no wine: $output"
[ ! -e "$TAMBERLO_FAKE_PPDEV_LOG" ] || fail "no wine: the port was opened"

# A prefix that 32-bit Wine made: a message, the prefix unchanged, the port left alone.
reset
mkdir -p "$work/prefix32"
printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n' \
    >"$work/prefix32/system.reg"
before=$(sha256sum "$work/prefix32/system.reg")
WINEPREFIX=$work/prefix32 run "$work/bin:$work/tools" "$device"
[ "$status" = 1 ] || fail "32-bit prefix: status $status"
grep -q "is a 32-bit one" <<<"$output" || fail "32-bit prefix: $output"
grep -q "WINEPREFIX=\$HOME/.wine-tamberlo" <<<"$output" || fail "32-bit prefix: $output"
[ "$(sha256sum "$work/prefix32/system.reg")" = "$before" ] || fail "32-bit prefix: it was changed"
[ ! -e "$WINE_LOG" ] || fail "32-bit prefix: the program was started"
[ ! -e "$TAMBERLO_FAKE_PPDEV_LOG" ] || fail "32-bit prefix: the port was opened"

# The helper cannot open the port: its message, then the launcher's; no program.
reset
TAMBERLO_FAKE_PPDEV_FAIL=open:EACCES run "$work/bin:$work/tools" "$device"
[ "$status" = 1 ] || fail "helper fails: status $status"
grep -q "permission denied" <<<"$output" || fail "helper fails: $output"
grep -q "the printer port helper could not start" <<<"$output" || fail "helper fails: $output"
[ ! -e "$WINE_LOG" ] || fail "helper fails: the program was started"

# A normal run: the program starts while the helper serves, its status is the
# launcher's, and the helper releases the port afterwards.
reset
WINE_STATUS=7 run "$work/bin:$work/tools" "$device"
[ "$status" = 7 ] || fail "normal run: status $status ($output)"
grep -q "program=$archive/tamberlo.exe prefix=$work/prefix attached=1 alive=yes base=888" \
    "$WINE_LOG" || fail "normal run: wine saw $(cat "$WINE_LOG")"
[ "$(cat "$TAMBERLO_FAKE_PPDEV_LOG")" = "$(printf 'open\nclaim\nrelease\nclose')" ] ||
    fail "normal run: device saw $(cat "$TAMBERLO_FAKE_PPDEV_LOG")"
[ ! -e "$TAMBERLO_BRIDGE_SHM" ] || fail "normal run: the shared block is left behind"

# The block in its default place, the private directory of the runtime directory.
reset
mkdir -m 700 "$work/run"
TAMBERLO_BRIDGE_SHM= XDG_RUNTIME_DIR=$work/run run "$work/bin:$work/tools" "$device"
[ "$status" = 0 ] || fail "default place: status $status ($output)"
grep -q "attached=1 alive=yes" "$WINE_LOG" || fail "default place: wine saw $(cat "$WINE_LOG")"
[ ! -e "$work/run/tamberlo/port" ] || fail "default place: the shared block is left behind"

# Neither: the helper's message, and no program.
reset
TAMBERLO_BRIDGE_SHM= XDG_RUNTIME_DIR= run "$work/bin:$work/tools" "$device"
[ "$status" = 1 ] || fail "no place: status $status"
grep -q "XDG_RUNTIME_DIR is not set" <<<"$output" || fail "no place: $output"
[ ! -e "$WINE_LOG" ] || fail "no place: the program was started"

# The port as the program names it, handed to the helper, which checks it: Lpt2 and a
# base of its own are served; a port the program does not have, or an address that is
# none, gets the helper's message, and no program.
for case in "--lpt 2:base=632" "--base 0xD010:base=53264" "--base=956:base=956" \
    "--lpt 4:give 1, 2 or 3" "--base 0x10000:hex with 0x or decimal, from 0x1 to 0xFFFD"; do
    option=${case%%:*} expected=${case#*:}
    reset
    # shellcheck disable=SC2086 # the option and its value are two words
    run "$work/bin:$work/tools" $option "$device"
    if [[ $expected == base=* ]]; then
        grep -q "$expected" "$WINE_LOG" 2>/dev/null || fail "$option: wine saw $(cat "$WINE_LOG" 2>&1)"
    else
        [ "$status" = 1 ] && grep -qF "$expected" <<<"$output" || fail "$option: $output"
        [ ! -e "$WINE_LOG" ] || fail "$option: the program was started"
        [ ! -e "$TAMBERLO_FAKE_PPDEV_LOG" ] || fail "$option: the port was opened"
    fi
done

# Ctrl-C while the program runs: the terminal signals the launcher's whole process group
# (job control gives it a group of its own, as a shell does for a command it runs).
reset
set -m
WINE_SLEEP=30 PATH="$work/bin:$work/tools" "$archive/tamberlo-linux" "$device" 2>/dev/null &
launcher=$!
set +m
for _ in $(seq 1 500); do
    [ -e "$WINE_LOG" ] && break
    sleep 0.02
done
kill -INT -- "-$launcher"
set +e
wait "$launcher"
status=$?
set -e
[ "$status" = 130 ] || fail "Ctrl-C: status $status"
grep -q "release" "$TAMBERLO_FAKE_PPDEV_LOG" || fail "Ctrl-C: the port was not released"
program=$(cat "$WINE_LOG.pid")
for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.02
done
! kill -0 "$program" 2>/dev/null || fail "Ctrl-C: the program goes on running"

# A FIFO at the block's path: the helper refuses it, and nothing waits on it.
reset
mkfifo "$TAMBERLO_BRIDGE_SHM"
set +e
output=$(PATH="$work/bin:$work/tools" "$timeout_tool" 30 "$archive/tamberlo-linux" "$device" 2>&1)
status=$?
set -e
[ "$status" = 1 ] || fail "FIFO: status $status ($output)"
grep -q "is a FIFO (named pipe), not a shared block" <<<"$output" || fail "FIFO: $output"
[ -p "$TAMBERLO_BRIDGE_SHM" ] || fail "FIFO: it was replaced"
[ ! -e "$WINE_LOG" ] || fail "FIFO: the program was started"
[ ! -e "$TAMBERLO_FAKE_PPDEV_LOG" ] || fail "FIFO: the port was opened"

# A "helper" that makes a block of its own, right in every word the launcher checks
# (naming itself as attached, and the file it is in), but whose heartbeat never moves:
# the program is not started. Its --check-block is the real helper's.
reset
mv "$archive/tamberlo-ppdev" "$work/real-helper"
cat >"$archive/tamberlo-ppdev" <<'SILENT'
#!/usr/bin/env bash
[ "${1:-}" = --check-block ] && exec "$(dirname "$0")/../real-helper" "$@"
word() { # a 32-bit little-endian word as 4 bytes
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) \
        $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}
block=$TAMBERLO_BRIDGE_SHM
head -c 16640 /dev/zero >"$block"
chmod 600 "$block"
read -r major minor inode mode <<<"$(stat -c '%Hd %Ld %i %f' "$block")"
# magic, version, ring entries, attached, generation, heartbeat, pid, base, refused, and
# the file: owner, device, inode, mode
{ word $((0x54425054)); word 3; word 1024; word 1; word 5; word 7; word $$; word 888; word 0
  word "$(id -u)"; word "$major"; word "$minor"; word $((inode & 0xFFFFFFFF))
  word $((inode >> 32)); word $((16#$mode)); } 1<>"$block"
exec sleep 600
SILENT
chmod +x "$archive/tamberlo-ppdev"
run "$work/bin:$work/tools" "$device"
[ "$status" = 1 ] || fail "silent helper: status $status ($output)"
grep -q "did not start serving within 10 seconds" <<<"$output" || fail "silent helper: $output"
[ ! -e "$WINE_LOG" ] || fail "silent helper: the program was started"

# The block's directory renamed away once the helper serves, and one holding a copy of
# the block put in its place (before the launcher's first look that would find it
# served): the launcher names what it refuses, and no program starts.
reset
swapped=$work/swapped
mkdir -m 700 "$swapped"
cat >"$archive/tamberlo-ppdev" <<'SWAPPING'
#!/usr/bin/env bash
real=$(dirname "$0")/../real-helper
dir=$(dirname "$TAMBERLO_BRIDGE_SHM")
if [ "${1:-}" = --check-block ] && [ ! -d "$dir.moved" ] &&
    words=$("$real" --check-block 2>/dev/null) && read -r _ attached _ <<<"$words" &&
    [ "$attached" = 1 ]; then
    mv "$dir" "$dir.moved" && mkdir -m 700 "$dir" && cp "$dir.moved/port" "$dir/port"
fi
exec "$real" "$@"
SWAPPING
chmod +x "$archive/tamberlo-ppdev"
TAMBERLO_BRIDGE_SHM=$swapped/port run "$work/bin:$work/tools" "$device"
mv "$work/real-helper" "$archive/tamberlo-ppdev"
[ "$status" = 1 ] || fail "swapped block: status $status ($output)"
grep -q "did not start serving within 10 seconds:" <<<"$output" || fail "swapped block: $output"
grep -qF "$swapped/port is not the file that tamberlo-ppdev made for the shared block" \
    <<<"$output" || fail "swapped block: $output"
[ ! -e "$WINE_LOG" ] || fail "swapped block: the program was started"
rm -rf "$swapped" "$swapped.moved"

# The helper stopped (SIGSTOP) when the program ends: the launcher continues it, it
# takes its SIGTERM and releases the port, and the launcher ends with the program's status.
reset
start=$SECONDS
WINE_STOPS_HELPER=1 WINE_STATUS=5 run "$work/bin:$work/tools" "$device"
[ "$status" = 5 ] || fail "stopped helper: status $status ($output)"
[ $((SECONDS - start)) -lt 15 ] || fail "stopped helper: the launcher took $((SECONDS - start)) s"
grep -q "did not stop within 3 seconds; continuing it" <<<"$output" ||
    fail "stopped helper: $output"
[ "$(cat "$TAMBERLO_FAKE_PPDEV_LOG")" = "$(printf 'open\nclaim\nrelease\nclose')" ] ||
    fail "stopped helper: device saw $(cat "$TAMBERLO_FAKE_PPDEV_LOG")"
[ ! -e "$TAMBERLO_BRIDGE_SHM" ] || fail "stopped helper: the shared block is left behind"

# SIGTERM while the helper still waits for the port: the helper ends, the port was never
# claimed, no program.
reset
TAMBERLO_FAKE_PPDEV_FAIL=claim:wait PATH="$work/bin:$work/tools" \
    "$archive/tamberlo-linux" "$device" 2>/dev/null &
launcher=$!
for _ in $(seq 1 250); do
    grep -q open "$TAMBERLO_FAKE_PPDEV_LOG" 2>/dev/null && break
    sleep 0.02
done
kill -TERM "$launcher"
set +e
wait "$launcher"
status=$?
set -e
[ "$status" = 143 ] || fail "SIGTERM: status $status"
[ "$(cat "$TAMBERLO_FAKE_PPDEV_LOG")" = "$(printf 'open\nclose')" ] ||
    fail "SIGTERM: device saw $(cat "$TAMBERLO_FAKE_PPDEV_LOG")"
[ ! -e "$WINE_LOG" ] || fail "SIGTERM: the program was started"

# SIGKILL of the launcher while the program runs: the helper notices, releases the port
# and removes its block.
reset
WINE_SLEEP=30 PATH="$work/bin:$work/tools" "$archive/tamberlo-linux" "$device" 2>/dev/null &
launcher=$!
for _ in $(seq 1 500); do
    [ -e "$WINE_LOG" ] && break
    sleep 0.02
done
kill -KILL "$launcher"
wait "$launcher" 2>/dev/null || true
for _ in $(seq 1 250); do
    grep -q close "$TAMBERLO_FAKE_PPDEV_LOG" && break
    sleep 0.02
done
[ "$(cat "$TAMBERLO_FAKE_PPDEV_LOG")" = "$(printf 'open\nclaim\nrelease\nclose')" ] ||
    fail "SIGKILL: device saw $(cat "$TAMBERLO_FAKE_PPDEV_LOG")"
[ ! -e "$TAMBERLO_BRIDGE_SHM" ] || fail "SIGKILL: the shared block is left behind"
kill "$(cat "$WINE_LOG.pid")" 2>/dev/null || true

# --cli: the console program, with the arguments after --cli (the files Linux names as
# Wine names them, relative ones as they are), on the port the options before it give; its
# status is the launcher's.
reset
WINE_STATUS=5 run "$work/bin:$work/tools" --lpt 2 "$device" --cli --lpt 2 \
    --auto "/home/me/my board.hex" --verify=build/main.hex --eeprom-read=/tmp/e.eep --quiet
[ "$status" = 5 ] || fail "--cli: status $status ($output)"
grep -q "program=$archive/tamberlo-cli.exe prefix=$work/prefix attached=1 alive=yes base=632" \
    "$WINE_LOG" || fail "--cli: wine saw $(cat "$WINE_LOG")"
expected='argument --lpt
argument 2
argument --auto
argument Z:\home\me\my board.hex
argument --verify=build/main.hex
argument --eeprom-read=Z:\tmp\e.eep
argument --quiet'
[ "$(grep '^argument' "$WINE_LOG")" = "$expected" ] ||
    fail "--cli: arguments $(grep '^argument' "$WINE_LOG")"
[ "$(cat "$TAMBERLO_FAKE_PPDEV_LOG")" = "$(printf 'open\nclaim\nrelease\nclose')" ] ||
    fail "--cli: device saw $(cat "$TAMBERLO_FAKE_PPDEV_LOG")"

# --cli: the launcher's own failures are status 3, whatever they are.
reset
run "$work/tools" "$device" --cli --blank
[ "$status" = 3 ] || fail "--cli without wine: status $status"
grep -q "64-bit Wine is not installed" <<<"$output" || fail "--cli without wine: $output"
reset
mv "$archive/tamberlo-cli.exe" "$work/tamberlo-cli.exe.away"
run "$work/bin:$work/tools" "$device" --cli --blank
mv "$work/tamberlo-cli.exe.away" "$archive/tamberlo-cli.exe"
[ "$status" = 3 ] || fail "--cli missing: status $status"
grep -q "tamberlo-cli.exe is missing beside tamberlo-linux" <<<"$output" || fail "--cli missing: $output"
[ ! -e "$TAMBERLO_FAKE_PPDEV_LOG" ] || fail "--cli missing: the port was opened"
reset
TAMBERLO_FAKE_PPDEV_FAIL=open:EACCES run "$work/bin:$work/tools" "$device" --cli --blank
[ "$status" = 3 ] || fail "--cli, helper fails: status $status"
grep -q "tamberlo-cli.exe was not started" <<<"$output" || fail "--cli, helper fails: $output"

if [ "$failures" = 0 ]; then
    echo "tamberlo-linux: all cases passed"
fi
exit $((failures > 0))
