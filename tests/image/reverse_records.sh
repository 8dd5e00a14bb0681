#!/usr/bin/env bash
# reverse_records.sh IN OUT: writes the Intel HEX file IN to OUT with its data records in
# reverse order and every other record after them in its own order, so the end-of-file
# record stays last. The bytes stored are the same; only the order of the records differs,
# as from a tool that writes its sections backwards.
set -euo pipefail
in=$1
out=$2
{
    grep '^:......00' "$in" | tac
    grep -v '^:......00' "$in"
} >"$out"
