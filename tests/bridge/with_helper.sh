#!/usr/bin/env bash
# Runs a command (a Wine test program) beside tamberlo-ppdev: the helper serves a shared
# block of this run's own on the fake ppdev device, whose simulated board keeps its chip
# in this run's own chip file. The command sees TAMBERLO_BRIDGE_SHM (for the bridge DLL),
# TAMBERLO_SIM_CHIP_FILE, TAMBERLO_FAKE_PPDEV_LOG (the device's log) and
# TAMBERLO_BRIDGE_TEST_DIR (this run's folder, mode 700).
#
#   with_helper.sh [options] -- COMMAND...
#
#   --no-helper     no helper at all; the folder "hostile" of the run's folder holds what
#                   the DLL must not take for a block: a FIFO, a directory, a short file
#                   and a file of zeros of the block's size
#   --kill-after N  the helper is killed with SIGKILL at its Nth register access. Once
#                   the command creates the file "want-helper" in TAMBERLO_BRIDGE_TEST_DIR,
#                   a new helper is started.
#   --restart       with --kill-after: the new helper is started as soon as the first
#                   one has died
#   --stop-at N     the helper stops itself (SIGSTOP) right after its Nth register access;
#                   once the command creates the file "continue-helper", it gets SIGCONT
#   --default-place the block in its default place: no TAMBERLO_BRIDGE_SHM, and
#                   XDG_RUNTIME_DIR a folder of this run's
#   --swap-block    with --default-place: once the command creates the file "swap-block",
#                   the block's directory is renamed away and one holding a copy of the
#                   block put in its place; then the file "block-swapped" appears
#   --cut-block     once the command creates the file "cut-block", the block is cut to
#                   nothing (as `: > file` does); then "block-cut" appears. The helper
#                   must end by itself with status 1, saying so
#   --keep-stderr   the command's stderr goes to the file "command.stderr" (shown after)
#   --lpt N         the simulated cable sits on LPT N (default 1)
#   --base ADDRESS  the base the helper serves (default 0x378)
#   --cpus LIST     the helper and the command run on these processors only (taskset)
#
# Ends with the command's exit status; a helper that does not end cleanly (exit 0) on
# SIGTERM afterwards fails the run.
set -euo pipefail

: "${TAMBERLO_PPDEV_HELPER:?path of tamberlo-ppdev}"
: "${TAMBERLO_FAKE_PPDEV:?path of the fake ppdev library}"

with_helper=1
kill_after=""
restart=0
stop_at=""
default_place=0
block_action=""
keep_stderr=0
lpt=1
base=0x378
pin=()
while [ $# -gt 0 ]; do
    case "$1" in
    --no-helper) with_helper=0 ;;
    --kill-after) kill_after=$2; shift ;;
    --restart) restart=1 ;;
    --stop-at) stop_at=$2; shift ;;
    --default-place) default_place=1 ;;
    --swap-block) block_action=swap ;;
    --cut-block) block_action=cut ;;
    --keep-stderr) keep_stderr=1 ;;
    --lpt) lpt=$2; shift ;;
    --base) base=$2; shift ;;
    --cpus) pin=(taskset -c "$2"); shift ;;
    --) shift; break ;;
    *) echo "with_helper.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

work=$(mktemp -d /tmp/tamberlo-bridge-XXXXXX)
for v in $(env | sed -n 's/^\(TAMBERLO_SIM_[A-Z_]*\)=.*/\1/p'); do
    unset "$v"
done
if [ "$default_place" = 1 ]; then
    unset TAMBERLO_BRIDGE_SHM
    export XDG_RUNTIME_DIR="$work/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    block_path="$XDG_RUNTIME_DIR/tamberlo/port"
else
    export TAMBERLO_BRIDGE_SHM="$work/port"
    block_path="$TAMBERLO_BRIDGE_SHM"
fi
export TAMBERLO_SIM_CHIP_FILE="$work/chip.bin"
export TAMBERLO_SIM_LPT="$lpt"
export TAMBERLO_FAKE_PPDEV_LOG="$work/device.log"
export TAMBERLO_BRIDGE_TEST_DIR="$work"

first_pid=""   # the helper started by this shell
watcher_pid="" # the shell that starts the replacement
action_pid=""  # the shell that swaps or cuts the block

block_word() { # the 32-bit word at byte offset $1 of the shared block
    od -An -tu4 -j "$1" -N 4 "$block_path" 2>/dev/null | tr -d ' '
}

# Starts a helper (extra NAME=VALUE settings as arguments), waits until it serves and
# writes its pid to the file $work/$1.pid.
start_helper() {
    local name=$1
    shift
    env "$@" LD_PRELOAD="$TAMBERLO_FAKE_PPDEV" "${pin[@]}" "$TAMBERLO_PPDEV_HELPER" \
        --base "$base" /dev/tamberlo-parport0 2>>"$work/helper.log" &
    local pid=$!
    echo "$pid" >"$work/$name.pid"
    for _ in $(seq 1 1000); do
        if [ "$(block_word 24)" = "$pid" ] && [ "$(block_word 12)" = 1 ]; then
            return 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "with_helper.sh: the helper ended before it served:" >&2
            cat "$work/helper.log" >&2
            return 1
        fi
        sleep 0.01
    done
    echo "with_helper.sh: the helper did not start serving" >&2
    return 1
}

# Stops a helper that is not this shell's child; true when it ended and said so.
stop_replacement() {
    local pid=$1
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 1 500); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.01
    done
    ! kill -0 "$pid" 2>/dev/null && grep -q "tamberlo-ppdev: released" "$work/helper.log"
}

finish() {
    local status=$?
    local pid
    for pid in $watcher_pid $action_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$first_pid" ]; then
        kill -TERM "$first_pid" 2>/dev/null || true # not needed when it was killed
        kill -CONT "$first_pid" 2>/dev/null || true # a stopped helper takes it only then
        local first_status=0
        wait "$first_pid" || first_status=$?
        if [ "$block_action" = cut ]; then
            if [ "$first_status" != 1 ] || ! grep -q "was cut short" "$work/helper.log"; then
                echo "with_helper.sh: the helper ended with status $first_status" \
                    "after its block was cut short" >&2
                status=1
            fi
        elif [ -z "$kill_after" ] && [ "$first_status" != 0 ]; then
            echo "with_helper.sh: the helper ended with status $first_status on SIGTERM" >&2
            status=1
        fi
    fi
    [ -f "$work/command.stderr" ] && sed 's/^/  command: /' "$work/command.stderr" >&2
    if [ -f "$work/replacement.pid" ] && ! stop_replacement "$(cat "$work/replacement.pid")"; then
        echo "with_helper.sh: the replacement helper did not end cleanly on SIGTERM" >&2
        status=1
    fi
    [ -f "$work/helper.log" ] && sed 's/^/  helper: /' "$work/helper.log" >&2
    rm -rf "$work"
    exit "$status"
}
trap finish EXIT

if [ "$with_helper" = 1 ]; then
    if [ -n "$kill_after" ]; then
        start_helper first TAMBERLO_FAKE_PPDEV_KILL_AFTER="$kill_after"
        first_pid=$(cat "$work/first.pid")
        (
            if [ "$restart" = 1 ]; then
                while kill -0 "$first_pid" 2>/dev/null; do sleep 0.01; done
            else
                while [ ! -e "$work/want-helper" ]; do sleep 0.05; done
            fi
            start_helper replacement
        ) &
        watcher_pid=$!
    elif [ -n "$stop_at" ]; then
        start_helper first TAMBERLO_FAKE_PPDEV_STOP_AT="$stop_at"
        first_pid=$(cat "$work/first.pid")
        (
            while [ ! -e "$work/continue-helper" ]; do sleep 0.05; done
            kill -CONT "$first_pid"
        ) &
        watcher_pid=$!
    else
        start_helper first
        first_pid=$(cat "$work/first.pid")
    fi
    if [ -n "$block_action" ]; then
        (
            while [ ! -e "$work/$block_action-block" ]; do sleep 0.05; done
            if [ "$block_action" = swap ]; then
                dir=$(dirname "$block_path")
                mv "$dir" "$dir.moved" && mkdir -m 700 "$dir" && cp "$dir.moved/port" "$dir/port"
                : >"$work/block-swapped"
            else
                : >"$block_path"
                : >"$work/block-cut"
            fi
        ) &
        action_pid=$!
    fi
else
    mkdir "$work/hostile" "$work/hostile/directory"
    mkfifo "$work/hostile/fifo"
    head -c 100 /dev/zero >"$work/hostile/short"
    head -c 16640 /dev/zero >"$work/hostile/zeros" # the block's size, but no block
fi

if [ "$keep_stderr" = 1 ]; then
    "${pin[@]}" "$@" 2>"$work/command.stderr"
else
    "${pin[@]}" "$@"
fi
