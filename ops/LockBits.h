// The lock bits in words: the lock byte the ATmegas answer to Read Lock Bits (with their
// boot lock bits), the AT90S chips' lock and fuse byte (LB1, LB2, SPIEN, FSTRT), and the
// signature an AT90S in lock mode 3 answers. A programmed bit reads 0. Portable C++17;
// no heap.
#ifndef TAMBERLO_OPS_LOCKBITS_H
#define TAMBERLO_OPS_LOCKBITS_H

#include "ops/ChipFacts.h"

enum class LockMode : unsigned char {
    None,                   // mode 1: LB1 and LB2 unprogrammed
    NoFurtherProgramming,   // mode 2: LB1 programmed
    NoProgrammingOrReading, // mode 3: LB1 and LB2 programmed
    Lock2Alone,             // LB2 alone programmed: no mode the datasheets give
};

struct LockState {
    LockMode mode;
    bool lockBit1; // programmed: flash, EEPROM, fuse and FSTRT writes are refused
    bool lockBit2;
};

// The boot lock bits of an ATmega as their two-bit fields (0 = both bits programmed):
// BLB0 = BLB02:BLB01 guards the application section, BLB1 = BLB12:BLB11 the boot loader
// section.
enum class BootLockField : unsigned char { Blb0, Blb1 };

struct AtmegaLockByte {
    LockState lock;
    unsigned char blb0;
    unsigned char blb1;
};

struct At90sLockAndFuse {
    LockState lock;
    bool spienProgrammed; // serial programming enabled
    bool fstrtProgrammed; // short start-up time
};

// ATmega lock byte: LB1 bit 0, LB2 bit 1, BLB01 bit 2, BLB02 bit 3, BLB11 bit 4,
// BLB12 bit 5.
AtmegaLockByte DecodeAtmegaLockByte(unsigned char value);
// AT90S lock and fuse byte: LB1 bit 7, LB2 bit 6, SPIEN bit 5, FSTRT bit 0.
At90sLockAndFuse DecodeAt90sLockAndFuse(unsigned char value);

// The lock bits of either form of the lock byte.
LockState DecodeLockState(LockByteForm form, unsigned char value);

// "no lock", "further programming disabled", "programming and reading disabled", ...
const char* LockModeWords(LockMode mode);
// A boot lock field's mode in words: "BLB0, application section: no restrictions", ...
const char* BootLockWords(BootLockField field, unsigned char mode);
// "on" for a programmed bit, "off" for an unprogrammed one.
const char* ProgrammedWords(bool programmed);

// The labels of the AT90S fuse bits, as the window and the command line show them.
extern const char kAt90sSpienLabel[]; // "Serial programming"
extern const char kAt90sFstrtLabel[]; // "Short start-up (FSTRT)"

// Whether a signature is what an AT90S4434 or AT90S8535 answers in lock mode 3: the
// addresses 00 01 02 of its signature bytes instead of their contents.
bool IsAt90sLockMode3Signature(const unsigned char signature[3]);
// What to tell of such a chip.
extern const char kAt90sLockMode3Words[];

#endif
