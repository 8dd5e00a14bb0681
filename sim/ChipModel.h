// The chips the simulated board can carry: what tells them apart (signature, memory
// sizes, how flash is written, the lock byte, the fuse and calibration bytes, the clock,
// the instruction set, the write times).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sim/ChipClock.h"
#include "sim/ChipTiming.h"
#include "sim/InstructionSet.h"

namespace sim {

enum class ChipType : std::uint8_t {
    At90s8535,
    Atmega8535,
    Atmega16,
    Atmega32,
    At90s4434,
    Atmega644, // answers the handshake and its signature, nothing more
};

// The calibration bytes of the internal RC oscillator: for 1, 2, 4 and 8 MHz.
constexpr std::size_t kCalibrationBytes = 4;

// The ATmega fuse bytes (0 = programmed) and calibration bytes, as a new chip has them.
struct FuseFacts {
    bool present; // false: no fuse bytes (AT90S: its fuses are in the lock byte)
    std::uint8_t shippedLow;
    std::uint8_t shippedHigh;
    std::uint8_t calibration[kCalibrationBytes];
};

struct ChipModel {
    ChipType type;
    const char* settingName; // the TAMBERLO_SIM_CHIP value
    const char* name;        // as Atmel writes it
    std::uint8_t signature[3];
    std::size_t flashBytes; // byte 2n is the low byte of word n
    std::size_t eepromBytes;
    unsigned pageWords; // 0: flash is written byte by byte
    const InstructionSet* instructions;
    // The byte Read Lock (and Fuse) Bits answers: where its lock bits sit (0 =
    // programmed), where SPIEN sits (0: not in this byte, always programmed), and its
    // value as shipped.
    std::uint8_t lockBit1;
    std::uint8_t lockBit2;
    std::uint8_t lockBits; // every lock bit: what Chip Erase unprograms
    std::uint8_t spienBit;
    std::uint8_t shippedLockByte;
    // AT90S: in lock mode 3 the signature reads as its own address, 0x00 0x01 0x02.
    bool hidesSignatureInLockMode3;
    // AT90S: an EEPROM byte under write reads 0x00 while it is erased, then 0xFF; the
    // ATmega reads 0xFF throughout.
    bool eepromPollsErasePhase;
    FuseFacts fuses;
    ChipClocking clocking;
    std::uint32_t internalClockHz; // FixedInternalRc: the clock it runs on
    ChipCycleTimes times;
};

const ChipModel& ModelOf(ChipType type);

// Models in the order the settings list them; the first is the default.
const ChipModel* ChipModelsBegin();
const ChipModel* ChipModelsEnd();

// The model a TAMBERLO_SIM_CHIP value names, or nullptr.
const ChipModel* FindChipModel(const std::string& settingName);

} // namespace sim
