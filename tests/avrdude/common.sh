# Shared set-up for the avrdude tests: a private chip file, the shim, helpers.
set -euo pipefail

: "${TAMBERLO_SHIM:?path of the LD_PRELOAD shim}"
: "${TAMBERLO_PROGRAMMER_CONF:?path of the serbb programmer definition}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for v in $(env | sed -n 's/^\(TAMBERLO_SIM_[A-Z_]*\)=.*/\1/p'); do
    unset "$v"
done
export TAMBERLO_SIM_CHIP_FILE="$work/chip.bin"

# The avrdude part the sessions name; the board carries the chip TAMBERLO_SIM_CHIP names.
part=8535

avrdude_sim() {
    LD_PRELOAD="$TAMBERLO_SHIM" avrdude -C "+$TAMBERLO_PROGRAMMER_CONF" -c tamberlo-sim \
        -p "$part" -P /dev/tamberlo-sim "$@"
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Bytes [offset, offset+count) of a file as hex, one per line.
bytes_of() {
    od -An -v -tx1 -j "$2" -N "$3" "$1" | tr -s ' ' '\n' | sed '/^$/d'
}

# Builds the test program as Intel HEX into $1, for the chip $2 (default at90s8535).
build_program_hex() {
    avr-gcc -mmcu="${2:-at90s8535}" -Os -o "$work/program.elf" "$TAMBERLO_TEST_PROGRAM"
    avr-objcopy -O ihex -j .text -j .data "$work/program.elf" "$1"
}

# $2 bytes of fixed pseudo-random data into $1, the same on every run.
pseudo_random_bytes() {
    LC_ALL=C awk -v n="$2" 'BEGIN { srand(8535); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }' >"$1"
    [ "$(stat -c %s "$1")" -eq "$2" ] || fail "could not make $2 bytes of test data"
}

# $1 with the byte at offset $2 changed, into $3.
with_byte_changed() {
    cp "$1" "$3"
    local old
    old=$(bytes_of "$1" "$2" 1)
    printf "\\x$(printf %02x $((0x$old ^ 0x5A)))" | dd of="$3" bs=1 seek="$2" conv=notrunc status=none
}

# The avrdude part of a TAMBERLO_SIM_CHIP value.
part_of() {
    case "$1" in
    at90s8535) echo 8535 ;;
    at90s4434) echo 4434 ;;
    atmega8535) echo m8535 ;;
    atmega16) echo m16 ;;
    atmega32) echo m32 ;;
    atmega644) echo m644 ;;
    *) fail "no avrdude part for chip $1" ;;
    esac
}

# Flash and EEPROM sizes of an ATmega TAMBERLO_SIM_CHIP value, "FLASH EEPROM".
atmega_sizes() {
    case "$1" in
    atmega8535) echo 8192 512 ;;
    atmega16) echo 16384 512 ;;
    atmega32) echo 32768 1024 ;;
    *) fail "$1 is no ATmega with fuses" ;;
    esac
}

# The bytes after an ATmega chip file's EEPROM: lock, low fuse, high fuse, calibration
# for 1, 2, 4, 8 MHz, as hex on one line.
chip_file_tail() {
    local flash eeprom
    read -r flash eeprom <<<"$(atmega_sizes "$1")"
    bytes_of "$2" $((flash + eeprom)) 7 | tr '\n' ' ' | sed 's/ $//'
}

# The byte avrdude prints for `-U MEMORY:r:-:h` as two upper-case hex digits.
avrdude_read_byte() {
    local value
    value=$(avrdude_sim -q -q -U "$1:r:-:h" 2>"$work/read-$1.log") ||
        { cat "$work/read-$1.log" >&2; fail "avrdude could not read $1"; }
    printf '%02X\n' "$((value))"
}
