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
    enum class ImageCheck { None, MustFit };

    // The result of the operation that ends with `outcome`, with the facts met on the way.
    OperationResult Result(Outcome outcome);
    // The start every operation shares: choose the port, check the delays, begin the port
    // accesses, then EnterProgrammingMode.
    Outcome Open(ImageCheck check = ImageCheck::None);
    // The reset pulse, the port checked after it, the Programming Enable handshake and the
    // signature; Ok when the chip is one this program programs (and, with MustFit, has room
    // for the image). Anything but Ok has released the target.
    Outcome EnterProgrammingMode(ImageCheck check);
    // Reads the signature after a successful Programming Enable and takes the chip's facts.
    Outcome Identify(ImageCheck check);
    // Ok while the port has been reachable throughout the operation; otherwise releases
    // the target and gives PortUnusable.
    Outcome Held();
    // PortUnusable, keeping `problem` for the result.
    Outcome PortUnusable(PortProblem problem);
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
    // Sends an instruction and gives answer byte 3 (the data of a read).
    unsigned char Send(const unsigned char* instruction);
    unsigned char Send(const SerialInstruction& instruction) { return Send(instruction.bytes); }
    // Waits waitPerUnit_us for each unit of DELAY BYTE, rounded up to whole milliseconds.
    void WaitDelayByte(std::uint32_t waitPerUnit_us);

    CSerialLink& m_link;
    FlashImage m_image;
    CProgressReport& m_progress;
    CDeviceMessages& m_messages;
    CPortOpening& m_opening;
    const ChipInfo* m_chip = &kChips[0];
    unsigned char m_signature[3] = {};
    PortProblem m_portProblem = PortProblem::None;
};
