#!/usr/bin/env bash
# avrdude (-p m8535, m16, m32) reads and writes the fuses of the simulated ATmega chips:
# the bytes as shipped and the calibration bytes, written fuses in the chip file and
# read back, SPIEN that stays programmed, lock bit 1 that refuses fuse writes, a chip
# erase that leaves them; and a crystal setting on a board without a crystal, which
# locks the chip out until the board has one.
source "$(dirname "$0")/common.sh"
here=$(dirname "$0")

check_chip() {
    local chip=$1 shipped_high=$2 calibration=$3 new_low=$4 new_high=$5
    local file="$work/$chip.bin" out
    export TAMBERLO_SIM_CHIP=$chip TAMBERLO_SIM_CHIP_FILE=$file
    part=$(part_of "$chip")

    # A new chip; reading it writes nothing.
    [ "$(avrdude_read_byte lfuse)" = E1 ] || fail "$chip: new low fuse"
    [ "$(avrdude_read_byte hfuse)" = "$shipped_high" ] || fail "$chip: new high fuse"
    [ "$(avrdude_sim -q -q -U calibration:r:-:h)" = "$calibration" ] || fail "$chip: calibration"
    [ ! -e "$file" ] || fail "$chip: reading wrote the chip file"

    # Written with avrdude, in the chip file after the lock byte, read back.
    "$here/avrdude_fuses.sh" write "$chip" "$file" "$new_low" "$new_high"
    local tail="ff ${new_low,,} ${new_high,,} $(tr ',' ' ' <<<"${calibration//0x/}")"
    [ "$(chip_file_tail "$chip" "$file")" = "$tail" ] ||
        fail "$chip: chip file ends $(chip_file_tail "$chip" "$file"), not $tail"
    [ "$("$here/avrdude_fuses.sh" read "$chip" "$file")" = "$(printf 'lfuse %s\nhfuse %s' "$new_low" "$new_high")" ] ||
        fail "$chip: fuses read back"

    # SPIEN cannot be unprogrammed through the serial interface: avrdude's write fails.
    out=$(avrdude_sim -U hfuse:w:0xFF:m 2>&1) && { echo "$out"; fail "$chip: SPIEN unprogrammed"; }
    [ "$(avrdude_read_byte hfuse)" = DF ] || fail "$chip: high fuse after the SPIEN attempt"
    avrdude_sim -q -q -U "hfuse:w:0x$new_high:m" || fail "$chip: high fuse written back"

    # Lock bit 1 freezes the fuses; erase unlocks and leaves them.
    avrdude_sim -q -q -U lock:w:0xFE:m || fail "$chip: writing LB1 failed"
    out=$(avrdude_sim -U lfuse:w:0xE1:m 2>&1) && { echo "$out"; fail "$chip: a locked fuse was written"; }
    [ "$(avrdude_read_byte lfuse)" = "$new_low" ] || fail "$chip: locked low fuse changed"
    avrdude_sim -q -q -e || fail "$chip: erase failed"
    [ "$(chip_file_tail "$chip" "$file" | cut -d' ' -f1-3)" = "ff ${new_low,,} ${new_high,,}" ] ||
        fail "$chip: erase changed the fuses: $(chip_file_tail "$chip" "$file")"
    echo "$chip: ok (shipped E1 $shipped_high, calibration $calibration, wrote $new_low $new_high)"
}

check_chip atmega8535 D9 "0xa3,0xa6,0xa9,0xad" E4 D1
check_chip atmega16 99 "0xaa,0xac,0xaf,0xb2" E4 D9
check_chip atmega32 99 "0xb1,0xb4,0xb6,0xba" FF C9

# A crystal setting on a board without a crystal: the session that writes it goes on,
# the next one finds a chip that does not answer, a board with the crystal (or a clock
# fed into XTAL1) brings it back.
export TAMBERLO_SIM_CHIP=atmega16 TAMBERLO_SIM_CHIP_FILE="$work/lockout.bin"
part=m16
export TAMBERLO_SIM_XTAL=none
avrdude_sim -q -q -U lfuse:w:0xFF:m || fail "writing a crystal setting failed"
out=$(avrdude_sim 2>&1) && { echo "$out"; fail "a chip without its crystal answered"; }
grep -q "not responding" <<<"$out" || { echo "$out"; fail "expected 'AVR device not responding'"; }
[ "$(TAMBERLO_SIM_XTAL=crystal:16000000 "$here/avrdude_chip.sh" atmega16 "$work/lockout.bin" \
    -q -q -U lfuse:r:-:h)" = 0xff ] || fail "the crystal did not bring it back"
TAMBERLO_SIM_XTAL=clock:1000000 avrdude_sim -q -q -U lfuse:w:0xE1:m || fail "a clock on XTAL1 did not bring it back"
[ "$(avrdude_read_byte lfuse)" = E1 ] || fail "back on the internal RC without a crystal"
echo "crystal lock-out: ok"
