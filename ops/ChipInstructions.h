// The serial programming instructions for the EEPROM, the lock bits, the fuses and the
// calibration bytes, built from the chip facts. The flash and signature instructions
// are in ops/Chips.h. Portable C++17; no heap.
#ifndef TAMBERLO_OPS_CHIPINSTRUCTIONS_H
#define TAMBERLO_OPS_CHIPINSTRUCTIONS_H

#include "ops/ChipFacts.h"
#include "ops/Chips.h"
#include "ops/FuseLayout.h"

#include <cstdint>

// Read EEPROM Memory: 0xA0, the address's high and low byte, 0x00; the byte comes back
// in answer byte 4. False for an address at or past the chip's EEPROM size.
bool ReadEepromInstruction(const ChipFacts& chip, std::uint32_t address, SerialInstruction* out);
// Write EEPROM Memory: 0xC0, the address's high and low byte, the data. False for an
// address at or past the chip's EEPROM size. Wait chip.eepromWriteWait_us per unit of
// Delay Byte after it.
bool WriteEepromInstruction(const ChipFacts& chip, std::uint32_t address, unsigned char data,
                            SerialInstruction* out);

// Read Lock Bits (ATmega), Read Lock and Fuse Bits (AT90S): 0x58 0x00 0x00 0x00. It
// answers in every lock mode.
SerialInstruction ReadLockBitsInstruction();

// Read Fuse Bits: 0x50 0x00 0x00 0x00; Read Fuse High Bits: 0x58 0x08 0x00 0x00.
SerialInstruction ReadFuseInstruction(FuseByteId byte);
// Write Fuse Bits: 0xAC 0xA0 0x00 value; Write Fuse High Bits: 0xAC 0xA8 0x00 value.
// Wait chip.fuseWriteWait_us per unit of Delay Byte after it.
SerialInstruction WriteFuseInstruction(FuseByteId byte, unsigned char value);

// Read Calibration Byte: 0x38 0x00 index 0x00, index 0 to 3 for 1, 2, 4 and 8 MHz.
// False for a higher index.
bool ReadCalibrationInstruction(unsigned index, SerialInstruction* out);

// Write FSTRT Fuse (AT90S): 0xAC, 1011 111F, 0x00, 0x00; F = 0 programs FSTRT (short
// start-up), 1 unprograms it. Wait chip.fuseWriteWait_us per unit of Delay Byte after it.
SerialInstruction WriteFstrtInstruction(bool programmed);

#endif
