#!/usr/bin/env bash
# avrdude finds each simulated chip's signature through the board, and refuses a chip
# that is not the one it was told.
source "$(dirname "$0")/common.sh"

while read -r chip part signature; do
    export TAMBERLO_SIM_CHIP=$chip
    out=$(avrdude_sim -v 2>&1) || { echo "$out"; fail "$chip: avrdude could not talk to the board"; }
    grep -q "device signature = $signature" <<<"$out" || { echo "$out"; fail "$chip: $signature not reported"; }
    echo "$chip: $signature"
done <<'CHIPS'
at90s8535 8535 0x1e9303
atmega8535 m8535 0x1e9308
atmega16 m16 0x1e9403
atmega32 m32 0x1e9502
at90s4434 4434 0x1e9202
atmega644 m644 0x1e9609
CHIPS

export TAMBERLO_SIM_CHIP=at90s8535
part=m8535
out=$(avrdude_sim 2>&1) && { echo "$out"; fail "an AT90S8535 passed as an ATmega8535"; }
grep -q "expected signature for ATmega8535 is 1E 93 08" <<<"$out" || { echo "$out"; fail "no signature mismatch"; }
echo "signature: ok"
