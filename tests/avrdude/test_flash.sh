#!/usr/bin/env bash
# Erase, write and verify a program; the chip file's flash must equal the HEX
# file as a binary padded with 0xFF, in a later avrdude session too.
source "$(dirname "$0")/common.sh"

build_program_hex "$work/program.hex"
avrdude_sim -e -U "flash:w:$work/program.hex:i" || fail "write with verify failed"

avr-objcopy -I ihex -O binary "$work/program.hex" "$work/program.bin"
size=$(stat -c %s "$work/program.bin")
[ "$size" -gt 0 ] && [ "$size" -lt 8192 ] || fail "odd program size $size"
{ cat "$work/program.bin"; head -c $((8192 - size)) /dev/zero | tr '\0' '\377'; } >"$work/expected.bin"
[ "$(stat -c %s "$work/chip.bin")" -eq 8705 ] || fail "chip file is not 8705 bytes"
head -c 8192 "$work/chip.bin" | cmp - "$work/expected.bin" || fail "chip file flash differs"

avrdude_sim -U "flash:v:$work/program.hex:i" || fail "verify in a new session failed"
avrdude_sim -U "flash:r:$work/read.bin:r" || fail "read back failed"
cmp -n "$size" "$work/read.bin" "$work/program.bin" || fail "flash read back differs"
echo "flash: ok ($size bytes)"
