#!/usr/bin/env bash
# avrdude programs the simulated ATmega8535 and ATmega32 by pages: a real program and a
# whole flash of test data are written and verified, the chip file holds them, a wrong
# file fails verification; EEPROM, and lock mode 2 in the ATmega's own lock form.
source "$(dirname "$0")/common.sh"

check_chip() {
    local chip=$1 mcu=$1 flash=$3 eeprom=$4
    part=$2
    export TAMBERLO_SIM_CHIP=$chip
    rm -f "$work/chip.bin"

    pseudo_random_bytes "$work/image.bin" "$flash"
    avrdude_sim -e -U "flash:w:$work/image.bin:r" || fail "$chip: writing a full flash failed"
    # Flash, EEPROM, the lock byte, two fuse bytes and four calibration bytes.
    [ "$(stat -c %s "$work/chip.bin")" -eq $((flash + eeprom + 7)) ] || fail "$chip: chip file size"
    head -c "$flash" "$work/chip.bin" | cmp - "$work/image.bin" || fail "$chip: chip file flash differs"
    avrdude_sim -U "flash:v:$work/image.bin:r" || fail "$chip: verify in a new session failed"
    with_byte_changed "$work/image.bin" $((flash - 3)) "$work/wrong.bin"
    out=$(avrdude_sim -U "flash:v:$work/wrong.bin:r" 2>&1) && { echo "$out"; fail "$chip: a wrong file verified"; }
    grep -q "verification mismatch" <<<"$out" || { echo "$out"; fail "$chip: no verification mismatch"; }

    build_program_hex "$work/program.hex" "$mcu"
    avrdude_sim -e -U "flash:w:$work/program.hex:i" || fail "$chip: writing a program failed"
    avr-objcopy -I ihex -O binary "$work/program.hex" "$work/program.bin"
    size=$(stat -c %s "$work/program.bin")
    { cat "$work/program.bin"; head -c $((flash - size)) /dev/zero | tr '\0' '\377'; } >"$work/expected.bin"
    head -c "$flash" "$work/chip.bin" | cmp - "$work/expected.bin" || fail "$chip: program differs"

    pseudo_random_bytes "$work/ee.bin" "$eeprom"
    avrdude_sim -U "eeprom:w:$work/ee.bin:r" || fail "$chip: EEPROM write failed"
    avrdude_sim -U "eeprom:r:$work/ee-read.bin:r" || fail "$chip: EEPROM read failed"
    cmp "$work/ee-read.bin" "$work/ee.bin" || fail "$chip: EEPROM read back differs"

    # Lock mode 2: LB1 programmed in the lock byte (0xAC 0xE0 0x00 0xFE); flash is no
    # longer written, but still read.
    [ "$(bytes_of "$work/chip.bin" $((flash + eeprom)) 1)" = ff ] || fail "$chip: new lock byte"
    avrdude_sim -U lock:w:0xFE:m || fail "$chip: writing LB1 failed"
    [ "$(bytes_of "$work/chip.bin" $((flash + eeprom)) 1)" = fe ] || fail "$chip: lock byte after LB1"
    avrdude_sim -D -U "flash:w:$work/image.bin:r" 2>/dev/null && fail "$chip: a locked chip was written"
    avrdude_sim -U "flash:v:$work/program.hex:i" || fail "$chip: a mode 2 chip could not be read"
    avrdude_sim -e || fail "$chip: erase failed"
    [ "$(bytes_of "$work/chip.bin" $((flash + eeprom)) 1)" = ff ] || fail "$chip: erase left the lock bits"
    echo "$chip: ok ($flash bytes of flash, a $size-byte program, $eeprom bytes of EEPROM)"
}

check_chip atmega8535 m8535 8192 512
check_chip atmega32 m32 32768 1024
