#!/usr/bin/env bash
# cli_cross_test.sh BUILD_DIR: tamberlo-cli.exe of a Windows build (under Wine, with the
# simulated port driver DLL beside it) and avrdude (through the simulated board's serial
# bit-bang shim) on the same chip files, in both directions: fuses that avrdude wrote read
# right in tamberlo and fuses tamberlo wrote read right in avrdude; an EEPROM file that
# tamberlo wrote verifies in avrdude, and one that avrdude wrote reads back in tamberlo.
# scripts/test.sh runs it after the Windows tests.
source "$(dirname "$0")/common.sh"
build=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh"
cli="$build/tamberlo-cli.exe"
[ -f "$cli" ] || fail "no $cli"
wine_loader_for "$cli" >/dev/null # prepares the build's own Wine prefix for the program
loader=$(wine_loader_for "$cli")

# tamberlo-cli on a chip file; the chip and the file name it.
tamberlo() {
    local chip=$1 file=$2
    shift 2
    (cd "$work" && TAMBERLO_SIM_CHIP=$chip TAMBERLO_SIM_CHIP_FILE="Z:${file//\//\\}" \
        WINEDEBUG=-all "$loader" "$cli" --lpt 1 --delay-bit 1 --delay-byte 1 "$@")
}
windows() { echo "Z:${1//\//\\}"; }

# Fuses: avrdude writes an ATmega32's, tamberlo reads them; tamberlo writes, avrdude reads.
m32="$work/m32.bin"
bash "$here/avrdude_fuses.sh" write atmega32 "$m32" E4 D9 || fail "avrdude could not write the fuses"
out=$(tamberlo atmega32 "$m32" --read-chip) || fail "tamberlo-cli --read-chip failed: $out"
grep -q "^Fuses: Low E4, High D9" <<<"${out//$'\r'/}" || { echo "$out"; fail "tamberlo does not read what avrdude wrote"; }
out=$(tamberlo atmega32 "$m32" --fuses E1:99) || fail "tamberlo-cli --fuses failed: $out"
[ "$(bash "$here/avrdude_fuses.sh" read atmega32 "$m32")" = $'lfuse E1\nhfuse 99' ] ||
    fail "avrdude does not read the fuses tamberlo wrote"
echo "fuses: avrdude's read in tamberlo, tamberlo's read in avrdude"

# EEPROM: tamberlo writes an .eep into an ATmega32, avrdude verifies it; avrdude writes one
# into an ATmega8535, tamberlo reads it back into a file that holds the same bytes.
avr-gcc -mmcu=at90s8535 -Os -o "$work/eeprom.elf" "$here/../image/avr_programs/eeprom_settings.c"
avr-objcopy -j .eeprom --change-section-lma .eeprom=0 -O ihex "$work/eeprom.elf" "$work/data.eep"
out=$(tamberlo atmega32 "$m32" --eeprom-write "$(windows "$work/data.eep")") ||
    fail "tamberlo-cli --eeprom-write failed: $out"
export TAMBERLO_SIM_CHIP=atmega32 TAMBERLO_SIM_CHIP_FILE=$m32
part=m32
avrdude_sim -q -q -U "eeprom:v:$work/data.eep:i" || fail "avrdude does not verify the EEPROM tamberlo wrote"
m8535="$work/m8535.bin"
export TAMBERLO_SIM_CHIP=atmega8535 TAMBERLO_SIM_CHIP_FILE=$m8535
part=m8535
pseudo_random_bytes "$work/random.bin" 512
avrdude_sim -q -q -U "eeprom:w:$work/random.bin:r" || fail "avrdude could not write the EEPROM"
unset TAMBERLO_SIM_CHIP TAMBERLO_SIM_CHIP_FILE
out=$(tamberlo atmega8535 "$m8535" --eeprom-read "$(windows "$work/read.hex")") ||
    fail "tamberlo-cli --eeprom-read failed: $out"
avr-objcopy -I ihex -O binary "$work/read.hex" "$work/read.bin"
cmp -s "$work/random.bin" "$work/read.bin" || fail "tamberlo does not read back what avrdude wrote"
echo "EEPROM: tamberlo's verified by avrdude, avrdude's read back by tamberlo"
