#!/usr/bin/env bash
# avrdude_chip.sh CHIP CHIP_FILE [AVRDUDE ARGUMENTS...]: one avrdude session on the
# simulated board carrying CHIP (a TAMBERLO_SIM_CHIP value) whose memory is CHIP_FILE,
# created if missing and written back as avrdude changes it. TAMBERLO_SIM_XTAL, if set
# by the caller, says what the board carries on the XTAL pins. Needs TAMBERLO_SHIM and
# TAMBERLO_PROGRAMMER_CONF as the tests set them.
xtal=${TAMBERLO_SIM_XTAL-}
source "$(dirname "$0")/common.sh"
[ $# -ge 2 ] || fail "usage: avrdude_chip.sh CHIP CHIP_FILE [AVRDUDE ARGUMENTS...]"
export TAMBERLO_SIM_CHIP=$1
export TAMBERLO_SIM_CHIP_FILE=$2
[ -z "$xtal" ] || export TAMBERLO_SIM_XTAL=$xtal
part=$(part_of "$1")
shift 2
avrdude_sim "$@"
