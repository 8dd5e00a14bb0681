// The serial programming instruction sets of the simulated chips as tables of bit
// patterns, each written in its datasheet's notation and turned into masks at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace sim {

enum class Op : std::uint8_t {
    ProgrammingEnable,
    ChipErase,
    ReadFlashLow,
    ReadFlashHigh,
    WriteFlashLow, // byte-wise flash (AT90S): programs one byte
    WriteFlashHigh,
    LoadPageLow, // paged flash (ATmega): fills the page buffer
    LoadPageHigh,
    WritePage, // programs the page buffer into one flash page
    ReadEeprom,
    WriteEeprom,
    ReadLockFuse,  // AT90S: the lock and fuse byte; ATmega: the lock byte
    WriteLockBits, // AT90S form: lock bits in byte 2
    WriteLockByte, // ATmega form: the lock byte in byte 4
    ReadSignature,
    WriteFstrt,  // AT90S: the FSTRT fuse in byte 2
    ReadFuseLow, // ATmega fuse bytes
    ReadFuseHigh,
    WriteFuseLow,
    WriteFuseHigh,
    ReadCalibration, // ATmega: one of the internal RC oscillator's calibration bytes
};

// One instruction: the 32 bits as sent (byte 1 in bits 31..24). `fixedMask` selects the
// bits that must equal `fixedValue`. `addressMask` marks the address bits, which always
// sit in bytes 2 and 3 as the low bits of the address they carry (see AddressOf);
// `dataMask` is a contiguous field with the operand (zero when unused).
struct InstructionPattern {
    Op op;
    const char* name;
    std::uint32_t fixedMask;
    std::uint32_t fixedValue;
    std::uint32_t addressMask;
    std::uint32_t dataMask;
    bool answersInLastByte; // a read: answer byte 4 carries the data
};

// A pattern from the datasheet's notation: 32 symbols, most significant bit first,
// spaces ignored; '0'/'1' fixed, 'x' ignored, 'a' address, 'i' data in, 'o' data out.
// A malformed pattern fails to compile where the result must be a constant.
constexpr InstructionPattern Instruction(Op op, const char* name, const char* bits) {
    InstructionPattern p{op, name, 0, 0, 0, 0, false};
    int bit = 32;
    for (const char* c = bits; *c != '\0'; ++c) {
        if (*c == ' ') {
            continue;
        }
        if (--bit < 0) {
            throw std::logic_error("instruction pattern longer than 32 bits");
        }
        const std::uint32_t mask = std::uint32_t{1} << bit;
        switch (*c) {
        case '1':
            p.fixedValue |= mask;
            p.fixedMask |= mask;
            break;
        case '0':
            p.fixedMask |= mask;
            break;
        case 'a':
            p.addressMask |= mask;
            break;
        case 'o':
            p.answersInLastByte = true;
            p.dataMask |= mask;
            break;
        case 'i':
            p.dataMask |= mask;
            break;
        case 'x':
            break;
        default:
            throw std::logic_error("unknown symbol in an instruction pattern");
        }
    }
    if (bit != 0) {
        throw std::logic_error("instruction pattern shorter than 32 bits");
    }
    if ((p.addressMask & 0xFF0000FFu) != 0) {
        throw std::logic_error("address bits outside bytes 2 and 3");
    }
    return p;
}

// One chip's instructions, in the order they are tried.
struct InstructionSet {
    const InstructionPattern* patterns;
    std::size_t count;
    const InstructionPattern* begin() const { return patterns; }
    const InstructionPattern* end() const { return patterns + count; }
};

extern const InstructionSet kAt90sInstructions;         // AT90S8535, AT90S4434
extern const InstructionSet kAtmega8535Instructions;    // ATmega8535
extern const InstructionSet kAtmega16And32Instructions; // ATmega16, ATmega32
extern const InstructionSet kHandshakeOnlyInstructions; // Programming Enable, Read Signature

// First pattern of `set` whose fixed bits under `knownBits` match `word`, or nullptr.
const InstructionPattern* MatchInstruction(const InstructionSet& set, std::uint32_t word,
                                           std::uint32_t knownBits = ~0u);

// The address an instruction carries: its address bits in place, bytes 2 and 3 read as
// one 16-bit number (a page write gives the word address of the page's first word).
inline std::uint32_t AddressOf(std::uint32_t word, const InstructionPattern& p) {
    return (word & p.addressMask) >> 8;
}

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
