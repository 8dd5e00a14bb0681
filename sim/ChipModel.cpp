// The simulated chips' data, from their datasheets.
#include "sim/ChipModel.h"

#include <iterator>

#include "sim/ChipMemory.h"

namespace sim {

namespace {

struct Signature {
    std::uint8_t maker, family, part;
};

// An AT90S chip of the AT90S4434/8535 datasheet: byte-wise flash, the lock and fuse
// byte with SPIEN, a hidden signature in lock mode 3.
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
            kAt90sCycleTimes};
}

// An ATmega chip: paged flash, the lock byte (SPIEN is in its fuses, not modelled).
constexpr ChipModel Atmega(ChipType type, const char* setting, const char* name, Signature s,
                           std::size_t flashBytes, std::size_t eepromBytes, unsigned pageWords,
                           const InstructionSet* instructions) {
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
            kAtmegaCycleTimes};
}

constexpr ChipModel kModels[] = {
    At90s(ChipType::At90s8535, "at90s8535", "AT90S8535", {0x1E, 0x93, 0x03}, kFlashBytes,
          kEepromBytes),
    Atmega(ChipType::Atmega8535, "atmega8535", "ATmega8535", {0x1E, 0x93, 0x08}, 8192, 512, 32,
           &kAtmega8535Instructions),
    Atmega(ChipType::Atmega16, "atmega16", "ATmega16", {0x1E, 0x94, 0x03}, 16384, 512, 64,
           &kAtmega16And32Instructions),
    Atmega(ChipType::Atmega32, "atmega32", "ATmega32", {0x1E, 0x95, 0x02}, 32768, 1024, 64,
           &kAtmega16And32Instructions),
    At90s(ChipType::At90s4434, "at90s4434", "AT90S4434", {0x1E, 0x92, 0x02}, 4096, 256),
    // Executes no write, so its write times never apply.
    Atmega(ChipType::Atmega644, "atmega644", "ATmega644", {0x1E, 0x96, 0x09}, 65536, 2048, 128,
           &kHandshakeOnlyInstructions),
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
