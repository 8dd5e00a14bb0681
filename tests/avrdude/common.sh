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
