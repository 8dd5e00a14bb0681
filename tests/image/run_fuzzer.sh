#!/usr/bin/env bash
# Runs the HEX core fuzzer for a bounded time, seeded with the fixtures; libFuzzer exits
# non-zero on any crash, sanitizer report, leak or timeout, which fails the ctest test.
set -euo pipefail
fuzzer=$1
fixtures=$2
dictionary=$3
work_dir=$4
seconds=$5
mkdir -p "$work_dir/corpus" "$work_dir/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
    -dict="$dictionary" -artifact_prefix="$work_dir/artifacts/" "$work_dir/corpus" "$fixtures"
