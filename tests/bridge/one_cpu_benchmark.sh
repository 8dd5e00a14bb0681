#!/usr/bin/env bash
# Prints how long a Blank check of the whole chip (4096 words, Delay Bit 1, Delay Byte 1,
# tamberlo.exe through the bridge DLL and tamberlo-ppdev on the fake ppdev device) takes
# with the program and the helper free to use every processor, and with both pinned to
# one processor (taskset), as on a single-core PC or a VM with one virtual CPU; and the
# ratio of the two. Each time includes the chip's reset waits (0.6 s at Delay Byte 1).
# The chip's answer is read once per bit, and on one processor each such read costs
# two task switches: the round trip of a single read, printed for both settings too,
# shows what they cost on this machine. The task-switch probe shows the least such a
# round trip can cost here at all (two plain processes, no Wine, no port), and so how
# close to the two-processor time the one-processor time can come on this machine.
# Figures only; nothing here fails on timing.
#
#   one_cpu_benchmark.sh WINE_RUN BLANK_BENCHMARK ACCESS_BENCHMARK TASK_SWITCH_PROBE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$1
blank=$2
access=$3
probe=$4
# A Blank check of 4096 words reads two bytes of each, one status read per bit of each
# 4-byte instruction.
status_reads=$((4096 * 2 * 32))

# The value of the line "NAME value" that a program prints beside the helper.
figure() { # NAME PROGRAM with_helper.sh options...
    local name=$1 program=$2 output
    shift 2
    output=$(bash "$here/with_helper.sh" "$@" -- "$wine_run" "$program" 2>&1) || {
        echo "$output" >&2
        return 1
    }
    tr -d '\r' <<<"$output" | sed -n "s/^ *$name *//p" | head -n 1
}

cpus=$(nproc)
all=$(figure blank_seconds "$blank")
one=$(figure blank_seconds "$blank" --cpus 0)
trip_all=$(figure "read round trip *median" "$access" | awk '{ print $1 }')
trip_one=$(figure "read round trip *median" "$access" --cpus 0 | awk '{ print $1 }')
echo "Blank check of the whole chip through the bridge (tamberlo.exe and tamberlo-ppdev):"
printf '  on %s processors            %8.2f s    (a read answered by the helper: %s us)\n' \
    "$cpus" "$all" "$trip_all"
printf '  pinned to one processor     %8.2f s    (a read answered by the helper: %s us)\n' \
    "$one" "$trip_one"
printf '  one processor takes %.2f times as long (target: at most 2)\n' \
    "$(awk "BEGIN { print $one / $all }")"
trip_least=$(taskset -c 0 "$probe" | sed -n 's/^round_trip_us //p')
echo "On one processor each status read waits for two task switches. Two processes passing"
printf '  a word back and forth on one processor (sched_yield, no Wine): %s us a round trip.\n' \
    "$trip_least"
printf '  For the %d status reads that adds %.2f s to the %.2f s on %s processors: on this\n' \
    "$status_reads" "$(awk "BEGIN { print $status_reads * $trip_least / 1e6 }")" "$all" "$cpus"
printf '  machine one processor takes at least about %.2f times as long.\n' \
    "$(awk "BEGIN { print ($all + $status_reads * $trip_least / 1e6) / $all }")"
