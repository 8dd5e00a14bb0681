// CDeviceOps: the device operations on the serial link: chip erase, blank check, program
// and verify of the flash from the image, Auto (all four in turn) and the lock bits. Each
// opens the target (port choice, delays, port, programming mode, the handshake and the
// chip's signature), reports its progress by step and ends with one result that carries
// its facts; it shows nothing itself and knows no window. The chip's signature picks its facts from
// the chip table: the AT90S8535 and AT90S4434 are written byte by byte, the ATmega8535, ATmega16
// and ATmega32 by pages, and every other chip is refused before anything is written.
#pragma once
#include "image/HexParser.h"
#include "link/SerialLink.h"
#include "ops/ChipSession.h"
#include "ops/Chips.h"
#include "ops/OperationReports.h"
#include "ops/OperationResult.h"

#include <cstdint>

// Which lock bits Lock Bit writes.
enum class LockChoice { None, Lock1, Lock2 };

class CDeviceOps {
public:
    CDeviceOps(CSerialLink& link, FlashImage image, CProgressReport& progress,
               CDeviceMessages& messages, CPortOpening& opening);

    OperationResult Erase();
    OperationResult BlankCheck();
    // Refuses with NothingLoaded, before touching the port, when no image is loaded.
    OperationResult Program();
    OperationResult Verify();
    // Erase, blank check, program and verify, each with its own opening; ends at the first
    // that does not succeed.
    OperationResult Auto();
    // Opens the target, then writes the chosen lock bits (taking the chip into programming
    // mode once more); with no choice it releases the target and gives NoLockChosen.
    OperationResult LockBit(LockChoice choice);

private:
    // The result of the operation that ends with `outcome`, with the facts met on the way.
    OperationResult Result(Outcome outcome);
    Outcome Held();
    // The common end: the port still held, release, the step's success caption.
    Outcome Finish(Step step);
    // A flash word found other than expected (NotBlank, VerifyError): told while the
    // target is still held, then released; a port lost meanwhile is told instead.
    Outcome Mismatch(Outcome found);
    // Open for an operation that needs the image: NothingLoaded without one, else Open
    // with the image checked against the chip's flash.
    Outcome OpenWithImage();
    Outcome EraseOpened();
    Outcome BlankCheckOpened();
    Outcome ProgramOpened();
    Outcome VerifyOpened();
    // The work once the target answered, under the names the program has always used:
    // writes the image word by word; 0 when the port went out of reach on the way.
    int ProgramFlash();
    Outcome Lock1Bit();
    Outcome Lock2Bit();
    Outcome WriteLockBits(Step step);
    unsigned char Send(const SerialInstruction& instruction);
    void WaitDelayByte(std::uint32_t waitPerUnit_us);

    CChipSession m_session;
    FlashImage m_image;
    CProgressReport& m_progress;
    CDeviceMessages& m_messages;
};
