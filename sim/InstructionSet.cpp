// Serial programming instruction patterns (byte 1 is the most significant byte).
#include "sim/InstructionSet.h"

namespace sim {

const InstructionPattern kInstructionSet[12] = {
    // 1010 1100 0101 0011 xxxx xxxx xxxx xxxx
    {Op::ProgrammingEnable, "Programming Enable", 0xFFFF0000u, 0xAC530000u, 0, 0, false},
    // 1010 1100 100x xxxx xxxx xxxx xxxx xxxx
    {Op::ChipErase, "Chip Erase", 0xFFE00000u, 0xAC800000u, 0, 0, false},
    // 0010 H000 xxxx aaaa aaaa aaaa oooo oooo
    {Op::ReadFlashLow, "Read Program Memory (low)", 0xFF000000u, 0x20000000u, 0x000FFF00u,
     0x000000FFu, true},
    {Op::ReadFlashHigh, "Read Program Memory (high)", 0xFF000000u, 0x28000000u, 0x000FFF00u,
     0x000000FFu, true},
    // 0100 H000 xxxx aaaa aaaa aaaa iiii iiii
    {Op::WriteFlashLow, "Write Program Memory (low)", 0xFF000000u, 0x40000000u, 0x000FFF00u,
     0x000000FFu, false},
    {Op::WriteFlashHigh, "Write Program Memory (high)", 0xFF000000u, 0x48000000u, 0x000FFF00u,
     0x000000FFu, false},
    // 1010 0000 xxxx xxxa aaaa aaaa oooo oooo
    {Op::ReadEeprom, "Read EEPROM", 0xFF000000u, 0xA0000000u, 0x0001FF00u, 0x000000FFu, true},
    // 1100 0000 xxxx xxxa aaaa aaaa iiii iiii
    {Op::WriteEeprom, "Write EEPROM", 0xFF000000u, 0xC0000000u, 0x0001FF00u, 0x000000FFu, false},
    // 0101 1000 xxxx xxxx xxxx xxxx oooo oooo
    {Op::ReadLockFuse, "Read Lock and Fuse Bits", 0xFF000000u, 0x58000000u, 0, 0x000000FFu, true},
    // 1010 1100 1111 1ii1 xxxx xxxx xxxx xxxx (bit 2 = LB2, bit 1 = LB1, 0 programs)
    {Op::WriteLockBits, "Write Lock Bits", 0xFFF90000u, 0xACF90000u, 0, 0x00060000u, false},
    // 0011 0000 xxxx xxxx 0000 00bb oooo oooo
    {Op::ReadSignature, "Read Signature Byte", 0xFF00FC00u, 0x30000000u, 0x00000300u, 0x000000FFu,
     true},
    // 1010 1100 1011 111F xxxx xxxx xxxx xxxx
    {Op::WriteFstrt, "Write FSTRT", 0xFFFE0000u, 0xACBE0000u, 0, 0x00010000u, false},
};

const InstructionPattern* MatchInstruction(std::uint32_t word, std::uint32_t knownBits) {
    for (const InstructionPattern& p : kInstructionSet) {
        if (((word ^ p.fixedValue) & p.fixedMask & knownBits) == 0) {
            return &p;
        }
    }
    return nullptr;
}

} // namespace sim
