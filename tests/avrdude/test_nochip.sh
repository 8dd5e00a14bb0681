#!/usr/bin/env bash
# With no chip on the cable avrdude cannot enter programming mode.
source "$(dirname "$0")/common.sh"

export TAMBERLO_SIM_FAULT=nochip
if out=$(avrdude_sim 2>&1); then
    echo "$out"
    fail "avrdude succeeded without a chip"
fi
echo "$out" | head -3
grep -q "not responding" <<<"$out" || fail "expected 'AVR device not responding'"
echo "nochip: ok"
