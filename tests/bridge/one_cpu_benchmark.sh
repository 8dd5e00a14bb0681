#!/usr/bin/env bash
# Prints how long a Blank check of the whole chip (4096 words, Delay Bit 1, Delay Byte 1,
# tamberlo.exe through the bridge DLL and tamberlo-ppdev on the fake ppdev device) takes
# with the program and the helper free to use every processor, and with both pinned to
# one processor (taskset), as on a single-core PC or a VM with one virtual CPU; and the
# ratio of the two. Each time includes the chip's reset waits (0.6 s at Delay Byte 1).
# Figures only; nothing here fails on timing.
#
#   one_cpu_benchmark.sh WINE_RUN BENCHMARK_PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$1
program=$2

blank_seconds() { # with_helper.sh options...
    local output
    output=$(bash "$here/with_helper.sh" "$@" -- "$wine_run" "$program" 2>&1) || {
        echo "$output" >&2
        return 1
    }
    tr -d '\r' <<<"$output" | sed -n 's/^blank_seconds //p'
}

cpus=$(nproc)
all=$(blank_seconds)
one=$(blank_seconds --cpus 0)
echo "Blank check of the whole chip through the bridge (tamberlo.exe and tamberlo-ppdev):"
printf '  on %s processors            %8.2f s\n' "$cpus" "$all"
printf '  pinned to one processor     %8.2f s   = %.2f times as long (target: at most 2)\n' \
    "$one" "$(awk "BEGIN { print $one / $all }")"
