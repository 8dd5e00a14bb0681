// The chip file: flash, EEPROM, the lock byte and, on the ATmega chips, the fuse and
// calibration bytes, kept on disk so the simulated chip survives the program closing,
// and other tools can read it.
#pragma once

#include <cstddef>
#include <string>

#include "sim/ChipMemory.h"
#include "sim/ChipModel.h"

namespace sim {

// The low and high fuse bytes and the calibration bytes after the lock byte.
constexpr std::size_t kFuseAndCalibrationBytes = 2 + kCalibrationBytes;

// The chip's flash, its EEPROM, the byte Read Lock (and Fuse) Bits returns, then on the
// ATmega8535/16/32 the low fuse, the high fuse and the calibration bytes for 1, 2, 4 and
// 8 MHz: 8705 bytes for the AT90S8535, 8711 for the ATmega8535.
inline std::size_t ChipFileBytes(const ChipModel& chip) {
    return chip.flashBytes + chip.eepromBytes + 1 +
           (chip.fuses.present ? kFuseAndCalibrationBytes : 0);
}

// The earlier form, which ended with the lock byte: still read, as a chip whose fuse and
// calibration bytes are as shipped. The same as ChipFileBytes for chips without fuses.
inline std::size_t ChipFileBytesWithoutFuses(const ChipModel& chip) {
    return chip.flashBytes + chip.eepromBytes + 1;
}

// Loads a chip of that model. A missing file gives a new erased chip. Any other problem
// (wrong size for the chip, unreadable) returns false with a message and leaves
// `memory` unchanged.
bool LoadChipFile(const std::string& path, const ChipModel& chip, ChipMemory* memory,
                  std::string* error);

// Writes the whole file, always in the full form, to a temporary next to it, then
// renames it over the old one.
bool SaveChipFile(const std::string& path, const ChipMemory& memory, std::string* error);

} // namespace sim
