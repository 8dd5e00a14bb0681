// A simulated chip's non-volatile contents: flash, EEPROM, the byte that Read Lock
// (and Fuse) Bits returns, and on the ATmega chips the fuse and calibration bytes.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "sim/ChipModel.h"

namespace sim {

// The AT90S8535's memories, the default chip's; other chips' sizes are in their model.
constexpr std::size_t kFlashBytes = 8192; // 4096 words; byte 2n is the low byte of word n
constexpr std::size_t kEepromBytes = 512;

// AT90S lock/fuse byte bits; 0 = programmed, unused bits read 1.
constexpr std::uint8_t kLockBit1 = 0x80;
constexpr std::uint8_t kLockBit2 = 0x40;
constexpr std::uint8_t kSpienBit = 0x20;
constexpr std::uint8_t kFstrtBit = 0x01;
// As shipped: SPIEN programmed, FSTRT unprogrammed, no lock bits.
constexpr std::uint8_t kShippedLockFuseByte = static_cast<std::uint8_t>(0xFF & ~kSpienBit);

// ATmega lock byte: LB1 and LB2 in bits 0 and 1, the boot lock bits in bits 2-5, bits
// 7-6 unused; 0 = programmed, 0xFF as shipped.
constexpr std::uint8_t kAtmegaLockBit1 = 0x01;
constexpr std::uint8_t kAtmegaLockBit2 = 0x02;
constexpr std::uint8_t kAtmegaLockBits = 0x3F;

// ATmega high fuse bits (the same places on the ATmega8535, ATmega16 and ATmega32).
constexpr std::uint8_t kHighFuseSpienBit = 0x20;  // serial programming enabled
constexpr std::uint8_t kHighFuseEesaveBit = 0x08; // EEPROM kept through Chip Erase

constexpr std::uint8_t kErasedByte = 0xFF;

// One memory, its size fixed when it is made.
class MemoryBytes {
public:
    explicit MemoryBytes(std::size_t size = 0) : bytes_(size, kErasedByte) {}

    std::size_t size() const { return bytes_.size(); }
    std::uint8_t& operator[](std::size_t i) { return bytes_[i]; }
    const std::uint8_t& operator[](std::size_t i) const { return bytes_[i]; }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::uint8_t* begin() { return bytes_.data(); }
    std::uint8_t* end() { return bytes_.data() + bytes_.size(); }
    const std::uint8_t* begin() const { return bytes_.data(); }
    const std::uint8_t* end() const { return bytes_.data() + bytes_.size(); }
    void fill(std::uint8_t value) { std::fill(bytes_.begin(), bytes_.end(), value); }
    bool operator==(const MemoryBytes& o) const { return bytes_ == o.bytes_; }
    bool operator!=(const MemoryBytes& o) const { return bytes_ != o.bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

struct ChipMemory {
    // A new chip of that model: erased, lock, fuse and calibration bytes as shipped.
    explicit ChipMemory(const ChipModel& chip = ModelOf(ChipType::At90s8535))
        : model(&chip), flash(chip.flashBytes), eeprom(chip.eepromBytes),
          lockFuse(chip.shippedLockByte), lowFuse(chip.fuses.shippedLow),
          highFuse(chip.fuses.shippedHigh) {
        std::copy(std::begin(chip.fuses.calibration), std::end(chip.fuses.calibration),
                  calibration.begin());
    }

    const ChipModel* model;
    MemoryBytes flash;
    MemoryBytes eeprom;
    std::uint8_t lockFuse; // AT90S: lock and fuse bits; ATmega: the lock bits
    // ATmega8535/16/32 (model->fuses.present); unused on the other chips.
    std::uint8_t lowFuse;
    std::uint8_t highFuse;
    std::array<std::uint8_t, kCalibrationBytes> calibration{}; // 1, 2, 4, 8 MHz

    bool lb1Programmed() const { return (lockFuse & model->lockBit1) == 0; }
    bool lb2Programmed() const { return (lockFuse & model->lockBit2) == 0; }
    bool writeProtected() const { return lb1Programmed(); }
    bool readProtected() const { return lb1Programmed() && lb2Programmed(); }
    // Serial programming enabled: the AT90S SPIEN in the lock byte, the ATmega one in the
    // high fuse (a chip without either always has it).
    bool spienProgrammed() const {
        if (model->spienBit != 0) {
            return (lockFuse & model->spienBit) == 0;
        }
        return !model->fuses.present || (highFuse & kHighFuseSpienBit) == 0;
    }
    // EESAVE programmed: Chip Erase leaves the EEPROM as it is.
    bool eepromKeptThroughErase() const {
        return model->fuses.present && (highFuse & kHighFuseEesaveBit) == 0;
    }
};

} // namespace sim
