// Lock bit words from the datasheets' "Lock Bit Protection Modes" tables (AT90S4434/8535,
// ATmega8535/16/32) and the AT90S "Read Lock and Fuse Bits" answer 12Sx xxxF.
#include "ops/LockBits.h"

namespace {

constexpr unsigned char kAtmegaLb1 = 0x01;
constexpr unsigned char kAtmegaLb2 = 0x02;
constexpr unsigned kBlb0Shift = 2;
constexpr unsigned kBlb1Shift = 4;

constexpr unsigned char kAt90sLb1 = 0x80;
constexpr unsigned char kAt90sLb2 = 0x40;
constexpr unsigned char kAt90sSpien = 0x20;
constexpr unsigned char kAt90sFstrt = 0x01;

// The signature bytes' addresses, which an AT90S in lock mode 3 answers in their place.
constexpr unsigned char kLockMode3Signature[3] = {0x00, 0x01, 0x02};

LockState StateOf(bool lockBit1, bool lockBit2) {
    LockMode mode = LockMode::None;
    if (lockBit1) {
        mode = lockBit2 ? LockMode::NoProgrammingOrReading : LockMode::NoFurtherProgramming;
    } else if (lockBit2) {
        mode = LockMode::Lock2Alone;
    }
    return {mode, lockBit1, lockBit2};
}

bool Programmed(unsigned char value, unsigned char mask) {
    return (value & mask) == 0;
}

} // namespace

const char kAt90sSpienLabel[] = "Serial programming";
const char kAt90sFstrtLabel[] = "Short start-up (FSTRT)";
const char kAt90sLockMode3Words[] = "AT90S4434 or AT90S8535 in lock mode 3; only Erase unlocks it";

AtmegaLockByte DecodeAtmegaLockByte(unsigned char value) {
    return {StateOf(Programmed(value, kAtmegaLb1), Programmed(value, kAtmegaLb2)),
            static_cast<unsigned char>(value >> kBlb0Shift & 3),
            static_cast<unsigned char>(value >> kBlb1Shift & 3)};
}

At90sLockAndFuse DecodeAt90sLockAndFuse(unsigned char value) {
    return {StateOf(Programmed(value, kAt90sLb1), Programmed(value, kAt90sLb2)),
            Programmed(value, kAt90sSpien), Programmed(value, kAt90sFstrt)};
}

LockState DecodeLockState(LockByteForm form, unsigned char value) {
    return form == LockByteForm::AtmegaLockByte ? DecodeAtmegaLockByte(value).lock
                                                : DecodeAt90sLockAndFuse(value).lock;
}

const char* LockModeWords(LockMode mode) {
    switch (mode) {
    case LockMode::None:
        return "no lock";
    case LockMode::NoFurtherProgramming:
        return "further programming disabled";
    case LockMode::NoProgrammingOrReading:
        return "programming and reading disabled";
    case LockMode::Lock2Alone:
        break;
    }
    return "lock bit 2 alone, not a datasheet lock mode";
}

const char* BootLockWords(BootLockField field, unsigned char mode) {
    // Modes 1 to 4 of the datasheets' tables are the values 11, 10, 00 and 01.
    static const char* const kBlb0[4] = {
        "BLB0, application section: SPM cannot write it, LPM in the boot loader cannot read it",
        "BLB0, application section: LPM in the boot loader cannot read it",
        "BLB0, application section: SPM cannot write it",
        "BLB0, application section: no restrictions",
    };
    static const char* const kBlb1[4] = {
        "BLB1, boot loader section: SPM cannot write it, LPM in the application cannot read it",
        "BLB1, boot loader section: LPM in the application cannot read it",
        "BLB1, boot loader section: SPM cannot write it",
        "BLB1, boot loader section: no restrictions",
    };
    return (field == BootLockField::Blb0 ? kBlb0 : kBlb1)[mode & 3];
}

const char* ProgrammedWords(bool programmed) {
    return programmed ? "on" : "off";
}

bool IsAt90sLockMode3Signature(const unsigned char signature[3]) {
    return signature != nullptr && signature[0] == kLockMode3Signature[0] &&
           signature[1] == kLockMode3Signature[1] && signature[2] == kLockMode3Signature[2];
}
