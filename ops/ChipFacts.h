// What the chip window and the command line need to know of each chip this program
// programs, beyond writing its flash: its EEPROM, what Read Lock Bits answers, whether it
// has fuse bytes, calibration bytes, FSTRT and boot lock bits, and the datasheet waits
// after writing them. Each programmed chip's ChipInfo points at its facts. Portable
// C++17 with no platform headers; allocates nothing and throws nothing.
#ifndef TAMBERLO_OPS_CHIPFACTS_H
#define TAMBERLO_OPS_CHIPFACTS_H

#include <cstdint>

struct FuseLayout;

// The byte Read Lock Bits (0x58 0x00 0x00 0x00) answers.
enum class LockByteForm : unsigned char {
    At90sLockAndFuse, // Read Lock and Fuse Bits: LB1 bit 7, LB2 bit 6, SPIEN bit 5, FSTRT bit 0
    AtmegaLockByte,   // Read Lock Bits: LB1 bit 0, LB2 bit 1, boot lock bits 2-5
};

// Waits per unit of DELAY BYTE, in microseconds.
// AT90S4434/8535: an EEPROM byte takes t_WD_PROG, 4 ms at 5 V (the same as a flash byte;
// Delay Byte covers lower supplies).
constexpr std::uint32_t kAt90sEepromWriteWait_us = 4000;
// ATmega8535/16/32: t_WD_EEPROM, 9 ms, timed by the chip's own RC oscillator.
constexpr std::uint32_t kAtmegaEepromWriteWait_us = 9000;
// ATmega8535/16/32: t_WD_FUSE, 4.5 ms after Write Fuse Bits or Write Fuse High Bits.
constexpr std::uint32_t kAtmegaFuseWriteWait_us = 4500;
// AT90S4434/8535: the datasheet's serial programming section times only chip erase and
// byte writes; Write FSTRT is a nonvolatile write like a byte write, so it gets a byte
// write's longest time, t_WD_PROG near the lowest supply (2.7 V): 9 ms.
constexpr std::uint32_t kAt90sFstrtWriteWait_us = 9000;

// The ATmegas' calibration bytes for the internal RC oscillator: index 0-3 for 1, 2, 4
// and 8 MHz.
constexpr unsigned kCalibrationByteCount = 4;

struct ChipFacts {
    std::uint32_t eepromBytes;        // EEPROM addresses are 0 to eepromBytes - 1
    std::uint32_t eepromWriteWait_us; // after each Write EEPROM Memory, per unit of Delay Byte
    LockByteForm lockByte;
    bool hasFuseBytes;        // low and high fuse bytes, read and written over the cable
    bool hasCalibrationBytes; // kCalibrationByteCount bytes, Read Calibration Byte
    bool hasFstrt;            // the AT90S FSTRT bit, Write FSTRT
    bool hasBootLockBits;     // BLB0 and BLB1 in the lock byte
    // After a fuse byte write (ATmega) or Write FSTRT (AT90S), per unit of Delay Byte.
    std::uint32_t fuseWriteWait_us;
    const FuseLayout* fuses; // the fuse bytes' bits; nullptr without fuse bytes
};

extern const ChipFacts kAt90s8535Facts;
extern const ChipFacts kAt90s4434Facts;
extern const ChipFacts kAtmega8535Facts;
extern const ChipFacts kAtmega16Facts;
extern const ChipFacts kAtmega32Facts;

// The frequency a calibration byte is for ("1 MHz" to "8 MHz"), or "" past index 3.
const char* CalibrationByteFrequency(unsigned index);

#endif
