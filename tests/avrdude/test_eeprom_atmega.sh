#!/usr/bin/env bash
# avrdude writes and reads the EEPROM of the simulated ATmega8535, ATmega16 and ATmega32
# (512, 512, 1024 bytes): an avr-gcc .eep file (Intel HEX of the .eeprom section) and a
# whole EEPROM of test data, each found in the chip file and read back; then EESAVE,
# which keeps the EEPROM through a chip erase, and without it the erase clears it.
source "$(dirname "$0")/common.sh"
here=$(dirname "$0")

# The EEPROM bytes of the chip file.
eeprom_of_chip_file() {
    local flash eeprom
    read -r flash eeprom <<<"$(atmega_sizes "$1")"
    tail -c +$((flash + 1)) "$work/chip.bin" | head -c "$eeprom"
}

check_chip() {
    local chip=$1 shipped_high=$2 flash eeprom size
    read -r flash eeprom <<<"$(atmega_sizes "$chip")"
    export TAMBERLO_SIM_CHIP=$chip
    part=$(part_of "$chip")
    rm -f "$work/chip.bin"

    # The avr-gcc way: .eeprom at address 0 as Intel HEX.
    avr-gcc -mmcu="$chip" -Os -o "$work/ee.elf" "$here/eeprom_data.c"
    avr-objcopy -j .eeprom --set-section-flags=.eeprom=alloc,load --change-section-lma .eeprom=0 \
        -O ihex "$work/ee.elf" "$work/ee.eep"
    avr-objcopy -I ihex -O binary "$work/ee.eep" "$work/ee.bin"
    size=$(stat -c %s "$work/ee.bin")
    [ "$size" -gt 16 ] || fail "$chip: odd .eep size $size"
    avrdude_sim -q -q -U "eeprom:w:$work/ee.eep:i" || fail "$chip: writing the .eep failed"
    { cat "$work/ee.bin"; head -c $((eeprom - size)) /dev/zero | tr '\0' '\377'; } >"$work/ee-full.bin"
    eeprom_of_chip_file "$chip" | cmp - "$work/ee-full.bin" || fail "$chip: chip file EEPROM differs from the .eep"
    avrdude_sim -q -q -U "eeprom:r:$work/ee-read.hex:i" || fail "$chip: EEPROM read to HEX failed"
    avr-objcopy -I ihex -O binary "$work/ee-read.hex" "$work/ee-read.bin"
    cmp -n "$size" "$work/ee-read.bin" "$work/ee.bin" || fail "$chip: EEPROM read back differs from the .eep"

    # Every byte of the EEPROM.
    pseudo_random_bytes "$work/data.bin" "$eeprom"
    avr-objcopy -I binary -O ihex "$work/data.bin" "$work/data.hex"
    avrdude_sim -q -q -U "eeprom:w:$work/data.hex:i" || fail "$chip: writing $eeprom bytes failed"
    eeprom_of_chip_file "$chip" | cmp - "$work/data.bin" || fail "$chip: chip file EEPROM differs"
    avrdude_sim -q -q -U "eeprom:r:$work/data-read.bin:r" || fail "$chip: raw EEPROM read failed"
    cmp "$work/data-read.bin" "$work/data.bin" || fail "$chip: EEPROM read back differs"

    # EESAVE (high fuse bit 3) programmed: the erase keeps the EEPROM.
    local eesave
    eesave=$(printf '%02X' $((0x$shipped_high & ~0x08)))
    avrdude_sim -q -q -U "hfuse:w:0x$eesave:m" || fail "$chip: programming EESAVE failed"
    avrdude_sim -q -q -e || fail "$chip: erase failed"
    avrdude_sim -q -q -U "eeprom:v:$work/data.hex:i" || fail "$chip: EESAVE did not keep the EEPROM"
    avrdude_sim -q -q -U "hfuse:w:0x$shipped_high:m" || fail "$chip: unprogramming EESAVE failed"
    avrdude_sim -q -q -e || fail "$chip: erase failed"
    [ "$(eeprom_of_chip_file "$chip" | od -An -v -tx1 | tr -s ' \n' '\n' | sed '/^$/d' | sort -u)" = ff ] ||
        fail "$chip: erase without EESAVE left EEPROM data"
    echo "$chip: ok (a $size-byte .eep, $eeprom bytes of EEPROM, EESAVE)"
}

check_chip atmega8535 D9
check_chip atmega16 99
check_chip atmega32 99
