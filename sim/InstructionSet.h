// The AT90S8535 serial programming instruction set as a table of bit patterns.
#pragma once

#include <cstdint>

namespace sim {

enum class Op : std::uint8_t {
    ProgrammingEnable,
    ChipErase,
    ReadFlashLow,
    ReadFlashHigh,
    WriteFlashLow,
    WriteFlashHigh,
    ReadEeprom,
    WriteEeprom,
    ReadLockFuse,
    WriteLockBits,
    ReadSignature,
    WriteFstrt,
};

// One instruction: the 32 bits as sent (byte 1 in bits 31..24). `fixedMask`
// selects the bits that must equal `fixedValue`; `addressMask` and `dataMask`
// are contiguous fields carrying the operand (zero when unused).
struct InstructionPattern {
    Op op;
    const char* name;
    std::uint32_t fixedMask;
    std::uint32_t fixedValue;
    std::uint32_t addressMask;
    std::uint32_t dataMask;
    bool answersInLastByte; // a read: answer byte 4 carries the data
};

extern const InstructionPattern kInstructionSet[12];

// First pattern whose fixed bits under `knownBits` match `word`, or nullptr.
const InstructionPattern* MatchInstruction(std::uint32_t word, std::uint32_t knownBits = ~0u);

inline std::uint32_t ExtractField(std::uint32_t word, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    unsigned shift = 0;
    while (((mask >> shift) & 1u) == 0) {
        ++shift;
    }
    return (word & mask) >> shift;
}

} // namespace sim
