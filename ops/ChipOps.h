// CChipOps: the operations of the chip window and of the command line beyond the flash
// buttons: read what the chip is (signature, lock bits, fuses, calibration bytes), write
// the ATmega fuses or the AT90S FSTRT bit, read the flash or the EEPROM into a buffer, and
// write EEPROM data. Each opens the chip as every operation does (ops/ChipSession.h) and
// ends in one result that carries what it read and met; it shows nothing itself.
#pragma once
#include "image/EepromImage.h"
#include "link/SerialLink.h"
#include "ops/ChipFacts.h"
#include "ops/ChipSession.h"
#include "ops/FuseLayout.h"
#include "ops/LockBits.h"
#include "ops/OperationReports.h"

#include <cstdint>

class CChipOps {
public:
    CChipOps(CSerialLink& link, CProgressReport& progress, CPortOpening& opening);

    // The chip's signature, its lock byte, and on the ATmegas its fuse bytes and the four
    // calibration bytes; it works in every lock mode. The chip is released after reading.
    OperationResult ReadChip();
    // Writes the fuse bytes of `wanted` that differ from what the chip holds, waits the fuse
    // write time, reads both back. `readSignature`: the chip a Read found before; another
    // one is refused (OtherChip). Refused before anything is written on an AT90S chip
    // (NoFuseBytes) and while lock bit 1 is programmed (WriteLocked). SPIEN is written as
    // the chip holds it, whatever `wanted` says. Ok when both read back as wanted, else
    // FuseMismatch.
    OperationResult WriteFuses(const unsigned char readSignature[3], FuseBytes wanted);
    // The AT90S FSTRT bit (short start-up): programmed or not, as WriteFuses does with the
    // fuse bytes (NoFuseBytes on a chip without it).
    OperationResult WriteFstrt(const unsigned char readSignature[3], bool programmed);

    // The chip's whole flash (or EEPROM) into `buffer` of `size` bytes, as far as it
    // reaches; result.bytes says how many. Refused before reading while lock bit 2 forbids
    // reading (ReadLocked).
    OperationResult ReadFlash(unsigned char* buffer, std::uint32_t size);
    OperationResult ReadEeprom(unsigned char* buffer, std::uint32_t size);
    // Writes the bytes of `data` that differ from what the chip holds, each with its write
    // time, then reads every written byte back. Refused before anything is written when
    // the data reach past the chip's EEPROM (EepromTooLarge) or the lock bits forbid
    // writing or reading (WriteLocked, ReadLocked). result.bytes: the bytes written.
    OperationResult WriteEeprom(const EepromImage& data);

private:
    // Opens the chip and reads its lock byte into *lockByte; Ok when the chip may go on.
    Outcome OpenAndReadLock(unsigned char* lockByte);
    // The opening of a write after a Read, with the lock byte read into facts: true when the
    // write may go on; otherwise false with the result in *ended: the opening's, or a
    // refusal (another chip than the one read: OtherChip; a chip without what `has` names:
    // NoFuseBytes; lock bit 1 programmed: WriteLocked), the chip released.
    bool BeginWrite(const unsigned char readSignature[3], bool ChipFacts::*has,
                    OperationResult* facts, OperationResult* ended);
    LockState Lock(unsigned char lockByte) const;
    // Both fuse bytes as the chip holds them.
    FuseBytes ReadFuses();
    // The opening, the lock bit 2 refusal, then memoryBytes(chip) bytes (as many as fit
    // `size`) read through instruction(chip, index) into buffer, with the step's progress.
    template <typename Bytes, typename Instruction>
    OperationResult ReadMemory(Step step, unsigned char* buffer, std::uint32_t size,
                               Bytes memoryBytes, Instruction instruction);
    // Release, then the result; `result` carries what was met on the way.
    OperationResult End(Outcome outcome, OperationResult result);

    CChipSession m_session;
    CProgressReport& m_progress;
};
