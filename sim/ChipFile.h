// The chip file: flash, EEPROM and the lock/fuse byte kept on disk so the
// simulated chip survives the program closing, and other tools can read it.
#pragma once

#include <cstddef>
#include <string>

#include "sim/ChipMemory.h"
#include "sim/ChipModel.h"

namespace sim {

// The chip's flash, its EEPROM, then the byte Read Lock (and Fuse) Bits returns:
// 8705 bytes for the AT90S8535.
inline std::size_t ChipFileBytes(const ChipModel& chip) {
    return chip.flashBytes + chip.eepromBytes + 1;
}

// Loads a chip of that model. A missing file gives a new erased chip. Any other problem
// (wrong size for the chip, unreadable) returns false with a message and leaves
// `memory` unchanged.
bool LoadChipFile(const std::string& path, const ChipModel& chip, ChipMemory* memory,
                  std::string* error);

// Writes the whole file to a temporary next to it, then renames it over the old one.
bool SaveChipFile(const std::string& path, const ChipMemory& memory, std::string* error);

} // namespace sim
