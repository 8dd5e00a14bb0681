// The facts of the programmed chips, from the AT90S4434/AT90S8535, ATmega8535, ATmega16
// and ATmega32 datasheets (memory sizes, "Serial Programming Instruction Set", "Minimum
// Wait Delay" tables); the test beside it checks the EEPROM sizes and which memories
// each chip has against avrdude's part descriptions.
#include "ops/ChipFacts.h"

#include "ops/FuseLayout.h"

namespace {

constexpr ChipFacts At90s(std::uint32_t eepromBytes) {
    return {eepromBytes,
            kAt90sEepromWriteWait_us,
            LockByteForm::At90sLockAndFuse,
            false,
            false,
            true,
            false,
            kAt90sFstrtWriteWait_us,
            nullptr};
}

constexpr ChipFacts Atmega(std::uint32_t eepromBytes, const FuseLayout& fuses) {
    return {eepromBytes,
            kAtmegaEepromWriteWait_us,
            LockByteForm::AtmegaLockByte,
            true,
            true,
            false,
            true,
            kAtmegaFuseWriteWait_us,
            &fuses};
}

} // namespace

const ChipFacts kAt90s8535Facts = At90s(512);
const ChipFacts kAt90s4434Facts = At90s(256);
const ChipFacts kAtmega8535Facts = Atmega(512, kAtmega8535Fuses);
const ChipFacts kAtmega16Facts = Atmega(512, kAtmega16Fuses);
const ChipFacts kAtmega32Facts = Atmega(1024, kAtmega32Fuses);

const char* CalibrationByteFrequency(unsigned index) {
    static const char* const kFrequencies[kCalibrationByteCount] = {"1 MHz", "2 MHz", "4 MHz",
                                                                    "8 MHz"};
    return index < kCalibrationByteCount ? kFrequencies[index] : "";
}
