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

avrdude_sim() {
    LD_PRELOAD="$TAMBERLO_SHIM" avrdude -C "+$TAMBERLO_PROGRAMMER_CONF" -c tamberlo-sim \
        -p 8535 -P /dev/tamberlo-sim "$@"
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Bytes [offset, offset+count) of a file as hex, one per line.
bytes_of() {
    od -An -v -tx1 -j "$2" -N "$3" "$1" | tr -s ' ' '\n' | sed '/^$/d'
}

# Builds the test program for the AT90S8535 as Intel HEX into $1.
build_program_hex() {
    avr-gcc -mmcu=at90s8535 -Os -o "$work/program.elf" "$TAMBERLO_TEST_PROGRAM"
    avr-objcopy -O ihex -j .text -j .data "$work/program.elf" "$1"
}
