// Serial programming instruction sets as the datasheets table them (byte 1 first).
// Address bits beyond a chip's memory are not decoded: the chip ignores them.
#include "sim/InstructionSet.h"

namespace sim {

namespace {

// The instructions every chip here has in the same form.
constexpr InstructionPattern kProgrammingEnable = Instruction(
    Op::ProgrammingEnable, "Programming Enable", "1010 1100 0101 0011 xxxx xxxx xxxx xxxx");
constexpr InstructionPattern kChipErase =
    Instruction(Op::ChipErase, "Chip Erase", "1010 1100 100x xxxx xxxx xxxx xxxx xxxx");
// The ATmega datasheets' name for it; the AT90S datasheet says "Read Signature Bytes".
constexpr InstructionPattern kReadSignatureByte = Instruction(
    Op::ReadSignature, "Read Signature Byte", "0011 0000 xxxx xxxx xxxx xxaa oooo oooo");

// AT90S4434/8535 datasheet, "Serial Programming Instruction Set". The AT90S4434 has
// 2048 words of flash and 256 bytes of EEPROM, so it ignores the top address bit of each.
constexpr InstructionPattern kAt90s[] = {
    kProgrammingEnable,
    kChipErase,
    Instruction(Op::ReadFlashLow, "Read Program Memory (low)",
                "0010 0000 xxxx aaaa aaaa aaaa oooo oooo"),
    Instruction(Op::ReadFlashHigh, "Read Program Memory (high)",
                "0010 1000 xxxx aaaa aaaa aaaa oooo oooo"),
    Instruction(Op::WriteFlashLow, "Write Program Memory (low)",
                "0100 0000 xxxx aaaa aaaa aaaa iiii iiii"),
    Instruction(Op::WriteFlashHigh, "Write Program Memory (high)",
                "0100 1000 xxxx aaaa aaaa aaaa iiii iiii"),
    Instruction(Op::ReadEeprom, "Read EEPROM Memory", "1010 0000 xxxx xxxa aaaa aaaa oooo oooo"),
    Instruction(Op::WriteEeprom, "Write EEPROM Memory", "1100 0000 xxxx xxxa aaaa aaaa iiii iiii"),
    // Answer 12Sx xxxF: LB1, LB2, SPIEN, FSTRT.
    Instruction(Op::ReadLockFuse, "Read Lock and Fuse Bits",
                "0101 1000 xxxx xxxx xxxx xxxx oooo oooo"),
    // Bit 2 = 0 programs LB2, bit 1 = 0 programs LB1.
    Instruction(Op::WriteLockBits, "Write Lock Bits", "1010 1100 1111 1ii1 xxxx xxxx xxxx xxxx"),
    Instruction(Op::ReadSignature, "Read Signature Bytes",
                "0011 0000 xxxx xxxx xxxx xxaa oooo oooo"),
    Instruction(Op::WriteFstrt, "Write FSTRT Fuse", "1010 1100 1011 111i xxxx xxxx xxxx xxxx"),
};

// The ATmega lock instruction as the chip takes it: the datasheet asks for 11 in bits
// 7-6 of the lock byte, but the chip stores bits 5-0 only (LB1, LB2, BLB01, BLB02,
// BLB11, BLB12; 0 programs), whatever bits 7-6 hold.
constexpr const char* kAtmegaWriteLock = "1010 1100 111x xxxx xxxx xxxx xxii iiii";
constexpr const char* kAtmegaReadLock = "0101 1000 0000 0000 xxxx xxxx xxoo oooo";

// The fuse and calibration instructions of the ATmega8535, ATmega16 and ATmega32, the
// same in each datasheet. A fuse write sets every bit of the byte: 0 programs, 1
// unprograms. The calibration byte's index (1, 2, 4, 8 MHz) is in byte 3.
constexpr InstructionPattern kAtmegaReadFuseLow =
    Instruction(Op::ReadFuseLow, "Read Fuse Bits", "0101 0000 0000 0000 xxxx xxxx oooo oooo");
constexpr InstructionPattern kAtmegaReadFuseHigh =
    Instruction(Op::ReadFuseHigh, "Read Fuse High Bits", "0101 1000 0000 1000 xxxx xxxx oooo oooo");
constexpr InstructionPattern kAtmegaWriteFuseLow =
    Instruction(Op::WriteFuseLow, "Write Fuse Bits", "1010 1100 1010 0000 xxxx xxxx iiii iiii");
constexpr InstructionPattern kAtmegaWriteFuseHigh = Instruction(
    Op::WriteFuseHigh, "Write Fuse High Bits", "1010 1100 1010 1000 xxxx xxxx iiii iiii");
constexpr InstructionPattern kAtmegaReadCalibration = Instruction(
    Op::ReadCalibration, "Read Calibration Byte", "0011 1000 00xx xxxx 0000 00aa oooo oooo");

// ATmega8535 datasheet, "Serial Programming Instruction Set": 4096 words in pages of 32
// words, 512 bytes of EEPROM.
constexpr InstructionPattern kAtmega8535[] = {
    kProgrammingEnable,
    kChipErase,
    Instruction(Op::ReadFlashLow, "Read Program Memory (low)",
                "0010 0000 0000 aaaa aaaa aaaa oooo oooo"),
    Instruction(Op::ReadFlashHigh, "Read Program Memory (high)",
                "0010 1000 0000 aaaa aaaa aaaa oooo oooo"),
    Instruction(Op::LoadPageLow, "Load Program Memory Page (low)",
                "0100 0000 0000 xxxx xxxa aaaa iiii iiii"),
    Instruction(Op::LoadPageHigh, "Load Program Memory Page (high)",
                "0100 1000 0000 xxxx xxxa aaaa iiii iiii"),
    Instruction(Op::WritePage, "Write Program Memory Page",
                "0100 1100 0000 aaaa aaax xxxx xxxx xxxx"),
    Instruction(Op::ReadEeprom, "Read EEPROM Memory", "1010 0000 00xx xxxa aaaa aaaa oooo oooo"),
    Instruction(Op::WriteEeprom, "Write EEPROM Memory", "1100 0000 00xx xxxa aaaa aaaa iiii iiii"),
    Instruction(Op::ReadLockFuse, "Read Lock Bits", kAtmegaReadLock),
    Instruction(Op::WriteLockByte, "Write Lock Bits", kAtmegaWriteLock),
    kReadSignatureByte,
    kAtmegaWriteFuseLow,
    kAtmegaWriteFuseHigh,
    kAtmegaReadFuseLow,
    kAtmegaReadFuseHigh,
    kAtmegaReadCalibration,
};

// ATmega16 and ATmega32 datasheets: pages of 64 words; 8192 (ATmega16) or 16384 words
// (ATmega32) and 512 or 1024 bytes of EEPROM.
constexpr InstructionPattern kAtmega16And32[] = {
    kProgrammingEnable,
    kChipErase,
    Instruction(Op::ReadFlashLow, "Read Program Memory (low)",
                "0010 0000 00aa aaaa aaaa aaaa oooo oooo"),
    Instruction(Op::ReadFlashHigh, "Read Program Memory (high)",
                "0010 1000 00aa aaaa aaaa aaaa oooo oooo"),
    Instruction(Op::LoadPageLow, "Load Program Memory Page (low)",
                "0100 0000 00xx xxxx xxaa aaaa iiii iiii"),
    Instruction(Op::LoadPageHigh, "Load Program Memory Page (high)",
                "0100 1000 00xx xxxx xxaa aaaa iiii iiii"),
    Instruction(Op::WritePage, "Write Program Memory Page",
                "0100 1100 00aa aaaa aaxx xxxx xxxx xxxx"),
    Instruction(Op::ReadEeprom, "Read EEPROM Memory", "1010 0000 00xx xxaa aaaa aaaa oooo oooo"),
    Instruction(Op::WriteEeprom, "Write EEPROM Memory", "1100 0000 00xx xxaa aaaa aaaa iiii iiii"),
    Instruction(Op::ReadLockFuse, "Read Lock Bits", kAtmegaReadLock),
    Instruction(Op::WriteLockByte, "Write Lock Bits", kAtmegaWriteLock),
    kReadSignatureByte,
    kAtmegaWriteFuseLow,
    kAtmegaWriteFuseHigh,
    kAtmegaReadFuseLow,
    kAtmegaReadFuseHigh,
    kAtmegaReadCalibration,
};

// A chip modelled only as far as telling what it is.
constexpr InstructionPattern kHandshakeOnly[] = {
    kProgrammingEnable,
    kReadSignatureByte,
};

template <std::size_t N> constexpr InstructionSet SetOf(const InstructionPattern (&patterns)[N]) {
    return {patterns, N};
}

} // namespace

const InstructionSet kAt90sInstructions = SetOf(kAt90s);
const InstructionSet kAtmega8535Instructions = SetOf(kAtmega8535);
const InstructionSet kAtmega16And32Instructions = SetOf(kAtmega16And32);
const InstructionSet kHandshakeOnlyInstructions = SetOf(kHandshakeOnly);

const InstructionPattern* MatchInstruction(const InstructionSet& set, std::uint32_t word,
                                           std::uint32_t knownBits) {
    for (const InstructionPattern& p : set) {
        if (((word ^ p.fixedValue) & p.fixedMask & knownBits) == 0) {
            return &p;
        }
    }
    return nullptr;
}

} // namespace sim
