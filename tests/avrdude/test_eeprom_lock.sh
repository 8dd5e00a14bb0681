#!/usr/bin/env bash
# EEPROM write and read back, then lock modes 2 and 3 as the datasheet has them,
# and a chip erase that clears the lock bits.
source "$(dirname "$0")/common.sh"

build_program_hex "$work/program.hex"
for i in $(seq 0 511); do printf "\\x$(printf %02x $(((i * 7 + 3) & 255)))"; done >"$work/ee.bin"
head -c 512 /dev/zero | tr '\0' '\125' >"$work/ee2.bin"

avrdude_sim -e -U "flash:w:$work/program.hex:i" -U "eeprom:w:$work/ee.bin:r" ||
    fail "flash/EEPROM write failed"
avrdude_sim -U "eeprom:r:$work/ee-read.bin:r" || fail "EEPROM read failed"
cmp "$work/ee-read.bin" "$work/ee.bin" || fail "EEPROM read back differs"
tail -c +8193 "$work/chip.bin" | head -c 512 | cmp - "$work/ee.bin" || fail "chip file EEPROM differs"
[ "$(bytes_of "$work/chip.bin" 8704 1)" = df ] || fail "fresh lock/fuse byte is not 0xdf"

# Mode 2: LB1 programmed. Programming is refused, reading still works.
avrdude_sim -U lock:w:0xFD:m || fail "writing LB1 failed"
[ "$(bytes_of "$work/chip.bin" 8704 1)" = 5f ] || fail "lock/fuse byte after LB1 is not 0x5f"
if avrdude_sim -U "eeprom:w:$work/ee2.bin:r"; then fail "EEPROM write on a locked chip succeeded"; fi
tail -c +8193 "$work/chip.bin" | head -c 512 | cmp - "$work/ee.bin" || fail "locked EEPROM changed"
avrdude_sim -U "flash:v:$work/program.hex:i" || fail "mode 2 chip could not be read"

# Mode 3: LB1 and LB2. Signature reads 00 01 02 and verify fails.
avrdude_sim -U lock:w:0xF9:m || fail "writing LB2 failed"
[ "$(bytes_of "$work/chip.bin" 8704 1)" = 1f ] || fail "lock/fuse byte after LB2 is not 0x1f"
out=$(avrdude_sim -F -U "flash:v:$work/program.hex:i" 2>&1) && { echo "$out"; fail "mode 3 verify passed"; }
grep -q "device signature = 0x000102" <<<"$out" || { echo "$out"; fail "locked signature"; }
grep -q "verification mismatch" <<<"$out" || { echo "$out"; fail "no verification mismatch"; }

# Chip erase clears memories and lock bits.
avrdude_sim -F -e || fail "erase failed"
[ "$(bytes_of "$work/chip.bin" 8704 1)" = df ] || fail "erase did not clear the lock bits"
[ "$(bytes_of "$work/chip.bin" 0 8705 | sort -u | tr '\n' ' ')" = "df ff " ] ||
    fail "erase left data behind"
avrdude_sim -U lock:r:-:h | tail -1
echo "eeprom and lock: ok"
