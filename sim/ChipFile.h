// The chip file: flash, EEPROM and the lock/fuse byte kept on disk so the
// simulated chip survives the program closing, and other tools can read it.
#pragma once

#include <cstddef>
#include <string>

#include "sim/ChipMemory.h"

namespace sim {

// 8192 bytes flash, 512 bytes EEPROM, 1 lock/fuse byte.
constexpr std::size_t kChipFileBytes = kFlashBytes + kEepromBytes + 1;

// A missing file gives a new erased chip. Any other problem (wrong size,
// unreadable) returns false with a message and leaves `memory` unchanged.
bool LoadChipFile(const std::string& path, ChipMemory* memory, std::string* error);

// Writes the whole file to a temporary next to it, then renames it over the old one.
bool SaveChipFile(const std::string& path, const ChipMemory& memory, std::string* error);

} // namespace sim
