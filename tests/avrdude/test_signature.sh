#!/usr/bin/env bash
# avrdude finds the AT90S8535 signature through the simulated board.
source "$(dirname "$0")/common.sh"

out=$(avrdude_sim -v 2>&1) || { echo "$out"; fail "avrdude could not talk to the board"; }
echo "$out" | tail -4
grep -q "device signature = 0x1e9303" <<<"$out" || fail "signature 0x1e9303 not reported"
echo "signature: ok"
