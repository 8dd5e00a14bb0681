#!/usr/bin/env bash
# Writes HEX files made by real tools into OUTDIR, each beside NAME.bin, the bytes that
# `objcopy -I ihex -O binary` reads from it: avr-objcopy output of small programs built with
# avr-gcc (for the AT90S8535, or the chip a program names in an "mcu:" note), also with its
# data records in reverse order, and srec_cat output of a full 32 KB flash at every record
# size from 1 to 255 bytes with LF and with CR LF line ends (those with short records are
# longer than the program's 98304-byte limit), and two files padded to either side of that
# limit. A program with EEPROM data also gets its .eep, written as avr-gcc users write it
# (--change-section-lma .eeprom=0) and as avr-objcopy writes it when not told (at 0x810000),
# each beside NAME.eep.bin, the section's bytes as avr-objcopy takes them from the ELF file.
set -euo pipefail
src_dir=$1
out_dir=$2
rm -rf "$out_dir"
mkdir -p "$out_dir/work"

for program in "$src_dir"/avr_programs/*.c; do
    name=$(basename "$program" .c)
    mcu=$(sed -n 's/.*(mcu: \([a-z0-9]*\)).*/\1/p' "$program" | head -n 1)
    elf="$out_dir/work/$name.elf"
    avr-gcc -mmcu="${mcu:-at90s8535}" -Os -Wall -o "$elf" "$program"
    avr-objcopy -O ihex -R .eeprom "$elf" "$out_dir/avr-objcopy_$name.hex"
    # The same records last to first: the end index must still reach the highest byte.
    bash "$src_dir/reverse_records.sh" "$out_dir/avr-objcopy_$name.hex" \
        "$out_dir/avr-objcopy_${name}_reversed.hex"
    if avr-objdump -h "$elf" | grep -q ' \.eeprom '; then
        avr-objcopy -j .eeprom -O binary "$elf" "$out_dir/work/$name.eeprom"
        avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O ihex "$elf" \
            "$out_dir/avr-objcopy_$name.eep"
        avr-objcopy -j .eeprom -O ihex "$elf" "$out_dir/avr-objcopy_${name}_at_0x810000.eep"
        for eep in "$out_dir/avr-objcopy_$name.eep" "$out_dir/avr-objcopy_${name}_at_0x810000.eep"; do
            cp "$out_dir/work/$name.eeprom" "$eep.bin"
        done
    fi
done

# A full 32 KB flash, so the largest address and the whole image are exercised.
srec_cat -generate 0 0x8000 -repeat-string 'tamberlo ATmega32 ' -o "$out_dir/work/full_flash.hex" -intel

for size in $(seq 1 255); do
    srec_cat "$out_dir/work/full_flash.hex" -intel -o "$out_dir/srec_cat_full_${size}_lf.hex" \
        -intel -Output_Block_Size="$size"
    srec_cat "$out_dir/work/full_flash.hex" -intel -o "$out_dir/srec_cat_full_${size}_crlf.hex" \
        -intel -Output_Block_Size="$size" -crlf
done
for size in 1 7 32 255; do
    srec_cat "$out_dir/avr-objcopy_uart_table.hex" -intel \
        -o "$out_dir/srec_cat_uart_table_${size}_crlf.hex" -intel -Output_Block_Size="$size" -crlf
done

# The program's size limit from both sides: a full-flash file padded after its end-of-file record,
# where readers stop, with blank lines to exactly 98304 bytes and to one byte more.
pad_with_blank_lines() {
    local source=$1 size=$2 out=$3
    cp "$source" "$out"
    head -c $((size - $(stat -c %s "$source"))) /dev/zero | tr '\0' '\n' >>"$out"
}
pad_with_blank_lines "$out_dir/srec_cat_full_16_crlf.hex" 98304 "$out_dir/padded_to_98304_bytes.hex"
pad_with_blank_lines "$out_dir/srec_cat_full_16_crlf.hex" 98305 "$out_dir/padded_to_98305_bytes.hex"

for hex in "$out_dir"/*.hex; do
    objcopy -I ihex -O binary "$hex" "${hex%.hex}.bin"
done
rm -rf "$out_dir/work"
