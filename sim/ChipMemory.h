// The AT90S8535's non-volatile contents: flash, EEPROM and the lock/fuse byte
// in the form Read Lock and Fuse Bits returns it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sim {

constexpr std::size_t kFlashBytes = 8192; // 4096 words; byte 2n is the low byte of word n
constexpr std::size_t kEepromBytes = 512;

// Lock/fuse byte bits; 0 = programmed, unused bits read 1.
constexpr std::uint8_t kLockBit1 = 0x80;
constexpr std::uint8_t kLockBit2 = 0x40;
constexpr std::uint8_t kSpienBit = 0x20;
constexpr std::uint8_t kFstrtBit = 0x01;
// As shipped: SPIEN programmed, FSTRT unprogrammed, no lock bits.
constexpr std::uint8_t kShippedLockFuseByte = static_cast<std::uint8_t>(0xFF & ~kSpienBit);

struct ChipMemory {
    std::array<std::uint8_t, kFlashBytes> flash;
    std::array<std::uint8_t, kEepromBytes> eeprom;
    std::uint8_t lockFuse = kShippedLockFuseByte;

    ChipMemory() {
        flash.fill(0xFF);
        eeprom.fill(0xFF);
    }
    bool lb1Programmed() const { return (lockFuse & kLockBit1) == 0; }
    bool lb2Programmed() const { return (lockFuse & kLockBit2) == 0; }
    bool writeProtected() const { return lb1Programmed(); }
    bool readProtected() const { return lb1Programmed() && lb2Programmed(); }
};

} // namespace sim
