#!/usr/bin/env bash
# avrdude_fuses.sh read CHIP CHIP_FILE: avrdude reads the low and high fuse bytes of the
# ATmega (a TAMBERLO_SIM_CHIP value) whose memory is CHIP_FILE, and prints them as
# "lfuse E1" and "hfuse 99". The file is read from a copy and never changed.
# avrdude_fuses.sh write CHIP CHIP_FILE LOW HIGH: avrdude writes and verifies both bytes
# (hex, e.g. E1 D9) into CHIP_FILE, creating a new chip there if it is missing.
source "$(dirname "$0")/common.sh"
[ $# -ge 3 ] || fail "usage: avrdude_fuses.sh read|write CHIP CHIP_FILE [LOW HIGH]"
action=$1
export TAMBERLO_SIM_CHIP=$2
part=$(part_of "$2")
file=$3
case "$action" in
read)
    [ -f "$file" ] || fail "no chip file $file"
    cp "$file" "$work/chip.bin"
    echo "lfuse $(avrdude_read_byte lfuse)"
    echo "hfuse $(avrdude_read_byte hfuse)"
    ;;
write)
    [ $# -eq 5 ] || fail "usage: avrdude_fuses.sh write CHIP CHIP_FILE LOW HIGH"
    export TAMBERLO_SIM_CHIP_FILE=$file
    avrdude_sim -q -q -U "lfuse:w:0x$4:m" -U "hfuse:w:0x$5:m" ||
        fail "avrdude could not write lfuse $4 and hfuse $5 into $file"
    ;;
*) fail "usage: avrdude_fuses.sh read|write CHIP CHIP_FILE [LOW HIGH]" ;;
esac
