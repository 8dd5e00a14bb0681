#!/usr/bin/env bash
# Writes HEX files made by real tools into OUTDIR, each beside NAME.bin, the bytes that
# `objcopy -I ihex -O binary` reads from it: avr-objcopy output of small programs built with
# avr-gcc for the AT90S8535, and srec_cat output at every record size from 1 to 255 bytes with
# LF and with CR LF line ends.
set -euo pipefail
src_dir=$1
out_dir=$2
rm -rf "$out_dir"
mkdir -p "$out_dir/work"

for program in "$src_dir"/avr_programs/*.c; do
    name=$(basename "$program" .c)
    avr-gcc -mmcu=at90s8535 -Os -Wall -o "$out_dir/work/$name.elf" "$program"
    avr-objcopy -O ihex -R .eeprom "$out_dir/work/$name.elf" "$out_dir/avr-objcopy_$name.hex"
done

# A full 8 KB flash, so the largest address and the whole image are exercised.
srec_cat -generate 0 0x2000 -repeat-string 'tamberlo AT90S8535 ' -o "$out_dir/work/full_flash.hex" -intel

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

for hex in "$out_dir"/*.hex; do
    objcopy -I ihex -O binary "$hex" "${hex%.hex}.bin"
done
rm -rf "$out_dir/work"
