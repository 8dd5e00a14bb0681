// The instruction bytes as the datasheets' "Serial Programming Instruction Set" tables
// give them; the test beside it checks their bit patterns against avrdude's.
#include "ops/ChipInstructions.h"

namespace {

constexpr unsigned char kReadEeprom = 0xA0;
constexpr unsigned char kWriteEeprom = 0xC0;
constexpr unsigned char kReadLockBits = 0x58;
constexpr unsigned char kReadFuseLow = 0x50;
constexpr unsigned char kReadFuseHigh[2] = {0x58, 0x08};
constexpr unsigned char kWriteFuse = 0xAC;
constexpr unsigned char kWriteFuseLow = 0xA0;
constexpr unsigned char kWriteFuseHigh = 0xA8;
constexpr unsigned char kReadCalibration = 0x38;
constexpr unsigned char kWriteFstrt = 0xAC;
constexpr unsigned char kFstrtProgrammed = 0xBE;   // 1011 111F with F = 0
constexpr unsigned char kFstrtUnprogrammed = 0xBF; // F = 1

SerialInstruction Instruction(unsigned char b1, unsigned char b2, unsigned char b3,
                              unsigned char b4) {
    return {{b1, b2, b3, b4}};
}

bool EepromInstruction(unsigned char code, const ChipFacts& chip, std::uint32_t address,
                       unsigned char data, SerialInstruction* out) {
    if (out == nullptr || address >= chip.eepromBytes) {
        return false;
    }
    *out = Instruction(code, static_cast<unsigned char>(address >> 8 & 0xFF),
                       static_cast<unsigned char>(address & 0xFF), data);
    return true;
}

} // namespace

bool ReadEepromInstruction(const ChipFacts& chip, std::uint32_t address, SerialInstruction* out) {
    return EepromInstruction(kReadEeprom, chip, address, 0x00, out);
}

bool WriteEepromInstruction(const ChipFacts& chip, std::uint32_t address, unsigned char data,
                            SerialInstruction* out) {
    return EepromInstruction(kWriteEeprom, chip, address, data, out);
}

SerialInstruction ReadLockBitsInstruction() {
    return Instruction(kReadLockBits, 0x00, 0x00, 0x00);
}

SerialInstruction ReadFuseInstruction(FuseByteId byte) {
    return byte == FuseByteId::Low ? Instruction(kReadFuseLow, 0x00, 0x00, 0x00)
                                   : Instruction(kReadFuseHigh[0], kReadFuseHigh[1], 0x00, 0x00);
}

SerialInstruction WriteFuseInstruction(FuseByteId byte, unsigned char value) {
    return Instruction(kWriteFuse, byte == FuseByteId::Low ? kWriteFuseLow : kWriteFuseHigh, 0x00,
                       value);
}

bool ReadCalibrationInstruction(unsigned index, SerialInstruction* out) {
    if (out == nullptr || index >= kCalibrationByteCount) {
        return false;
    }
    *out = Instruction(kReadCalibration, 0x00, static_cast<unsigned char>(index), 0x00);
    return true;
}

SerialInstruction WriteFstrtInstruction(bool programmed) {
    return Instruction(kWriteFstrt, programmed ? kFstrtProgrammed : kFstrtUnprogrammed, 0x00, 0x00);
}
