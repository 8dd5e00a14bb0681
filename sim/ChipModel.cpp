// The simulated chips' data, from their datasheets.
#include "sim/ChipModel.h"

#include <iterator>

#include "sim/ChipMemory.h"

namespace sim {

namespace {

struct Signature {
    std::uint8_t maker, family, part;
};

// No fuse bytes of its own: the AT90S chips' two fuses sit in their lock byte.
constexpr FuseFacts kNoFuseBytes = {false, 0xFF, 0xFF, {0xFF, 0xFF, 0xFF, 0xFF}};

// As shipped (datasheets, "Fuse Low Byte" and "Fuse High Byte" default values): BODLEVEL
// 2.7 V, BOD off, SUT 10 and CKSEL 0001 (internal RC 1 MHz, slowly rising power) = 0xE1;
// SPIEN, BOOTSZ1 and BOOTSZ0 programmed, and JTAGEN on the ATmega16/32 = 0x99, S8535C and
// WDTON unprogrammed on the ATmega8535 = 0xD9. The calibration bytes differ from chip to
// chip in reality; these are typical values, distinct per chip and per frequency so that
// a mixed-up index shows.
constexpr FuseFacts kAtmega8535Fuses = {true, 0xE1, 0xD9, {0xA3, 0xA6, 0xA9, 0xAD}};
constexpr FuseFacts kAtmega16Fuses = {true, 0xE1, 0x99, {0xAA, 0xAC, 0xAF, 0xB2}};
constexpr FuseFacts kAtmega32Fuses = {true, 0xE1, 0x99, {0xB1, 0xB4, 0xB6, 0xBA}};

// The ATmega644 as shipped runs from its internal 8 MHz RC oscillator divided by 8
// (CKDIV8); its fuses are not modelled, so it always does.
constexpr std::uint32_t kAtmega644Clock_Hz = 1'000'000;

// An AT90S chip of the AT90S4434/8535 datasheet: byte-wise flash, the lock and fuse
// byte with SPIEN, a hidden signature in lock mode 3, a clock only from the XTAL pins.
constexpr ChipModel At90s(ChipType type, const char* setting, const char* name, Signature s,
                          std::size_t flashBytes, std::size_t eepromBytes) {
    return {type,
            setting,
            name,
            {s.maker, s.family, s.part},
            flashBytes,
            eepromBytes,
            0,
            &kAt90sInstructions,
            kLockBit1,
            kLockBit2,
            kLockBit1 | kLockBit2,
            kSpienBit,
            kShippedLockFuseByte,
            true,
            true,
            kNoFuseBytes,
            ChipClocking::XtalOscillator,
            0,
            kAt90sCycleTimes};
}

// An ATmega chip: paged flash, the lock byte, the fuse bytes (SPIEN is in the high
// fuse) and a clock its CKSEL fuses choose.
constexpr ChipModel Atmega(ChipType type, const char* setting, const char* name, Signature s,
                           std::size_t flashBytes, std::size_t eepromBytes, unsigned pageWords,
                           const InstructionSet* instructions, const FuseFacts& fuses) {
    return {type,
            setting,
            name,
            {s.maker, s.family, s.part},
            flashBytes,
            eepromBytes,
            pageWords,
            instructions,
            kAtmegaLockBit1,
            kAtmegaLockBit2,
            kAtmegaLockBits,
            0,
            kErasedByte,
            false,
            false,
            fuses,
            fuses.present ? ChipClocking::CkselFuses : ChipClocking::FixedInternalRc,
            fuses.present ? 0 : kAtmega644Clock_Hz,
            kAtmegaCycleTimes};
}

constexpr ChipModel kModels[] = {
    At90s(ChipType::At90s8535, "at90s8535", "AT90S8535", {0x1E, 0x93, 0x03}, kFlashBytes,
          kEepromBytes),
    Atmega(ChipType::Atmega8535, "atmega8535", "ATmega8535", {0x1E, 0x93, 0x08}, 8192, 512, 32,
           &kAtmega8535Instructions, kAtmega8535Fuses),
    Atmega(ChipType::Atmega16, "atmega16", "ATmega16", {0x1E, 0x94, 0x03}, 16384, 512, 64,
           &kAtmega16And32Instructions, kAtmega16Fuses),
    Atmega(ChipType::Atmega32, "atmega32", "ATmega32", {0x1E, 0x95, 0x02}, 32768, 1024, 64,
           &kAtmega16And32Instructions, kAtmega32Fuses),
    At90s(ChipType::At90s4434, "at90s4434", "AT90S4434", {0x1E, 0x92, 0x02}, 4096, 256),
    // Executes no write, so its write times never apply.
    Atmega(ChipType::Atmega644, "atmega644", "ATmega644", {0x1E, 0x96, 0x09}, 65536, 2048, 128,
           &kHandshakeOnlyInstructions, kNoFuseBytes),
};

} // namespace

const ChipModel& ModelOf(ChipType type) {
    for (const ChipModel& m : kModels) {
        if (m.type == type) {
            return m;
        }
    }
    return kModels[0];
}

const ChipModel* ChipModelsBegin() {
    return std::begin(kModels);
}

const ChipModel* ChipModelsEnd() {
    return std::end(kModels);
}

const ChipModel* FindChipModel(const std::string& settingName) {
    for (const ChipModel& m : kModels) {
        if (settingName == m.settingName) {
            return &m;
        }
    }
    return nullptr;
}

} // namespace sim
