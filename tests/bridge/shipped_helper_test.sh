#!/usr/bin/env bash
# The shipped tamberlo-ppdev runs on old Linux systems too (Debian 11, Ubuntu 22.04,
# glibc 2.28 and newer): it is a static program, or at least asks for no symbol of a C
# library newer than GLIBC_2.28. And that very file starts and tells about a missing port.
set -euo pipefail
: "${TAMBERLO_SHIPPED_HELPER:?path of the shipped tamberlo-ppdev}"
helper=$TAMBERLO_SHIPPED_HELPER
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if readelf -d "$helper" | grep -q "There is no dynamic section"; then
    echo "tamberlo-ppdev: static"
else
    newest=$(objdump -T "$helper" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -V | tail -n 1)
    echo "tamberlo-ppdev: dynamic, newest C library version asked for: GLIBC_$newest"
    [ "$(printf '%s\n2.28\n' "$newest" | sort -V | tail -n 1)" = 2.28 ] ||
        fail "it needs GLIBC_$newest, newer than 2.28"
fi

work=$(mktemp -d /tmp/tamberlo-shipped-helper-XXXXXX)
trap 'rm -rf "$work"' EXIT
output=$("$helper" --help 2>&1) || fail "--help: status $?"
grep -q "^usage: tamberlo-ppdev" <<<"$output" || fail "--help: $output"
set +e
output=$(TAMBERLO_BRIDGE_SHM=$work/port "$helper" "$work/parport0" 2>&1)
status=$?
set -e
[ "$status" = 1 ] || fail "a missing port: status $status"
grep -q "there is no printer port device ($work/parport\*) at all" <<<"$output" ||
    fail "a missing port: $output"

[ "$failures" = 0 ] && echo "shipped tamberlo-ppdev: all cases passed"
exit $((failures > 0))
