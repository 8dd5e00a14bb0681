#!/usr/bin/env bash
# verify_programmed_chip.sh CHIP_FILE HEX_FILE [CHIP]: avrdude verifies a chip that the
# program wrote (a chip file its end-to-end tests kept; CHIP a TAMBERLO_SIM_CHIP value,
# atmega8535 by default) against the HEX file it was given, through the simulated board's
# serial bit-bang shim; the same chip with one byte changed fails. scripts/test.sh runs it
# after the Windows tests.
source "$(dirname "$0")/common.sh"
chip=$1
hex=$2
export TAMBERLO_SIM_CHIP=${3:-atmega8535}
part=$(part_of "$TAMBERLO_SIM_CHIP")
[ -f "$chip" ] || fail "no chip file $chip: the end-to-end test did not program the $TAMBERLO_SIM_CHIP"
cp "$chip" "$work/chip.bin"
avrdude_sim -U "flash:v:$hex:i" || fail "avrdude does not verify the $TAMBERLO_SIM_CHIP the program wrote"
with_byte_changed "$chip" 100 "$work/chip.bin"
out=$(avrdude_sim -U "flash:v:$hex:i" 2>&1) && { echo "$out"; fail "a changed chip verified"; }
grep -q "verification mismatch" <<<"$out" || { echo "$out"; fail "no verification mismatch"; }
echo "avrdude verifies the $TAMBERLO_SIM_CHIP the program wrote"
