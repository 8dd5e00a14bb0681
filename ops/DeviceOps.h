// CDeviceOps: the device operations of the AT90S8535 on the serial link: chip erase, blank
// check, program and verify of the flash from the image, Auto (all four in turn) and the
// lock bits. Each opens the target (port choice, delays, port, programming mode and the
// handshake), reports its progress by step and ends with an outcome; it shows nothing
// itself and knows no window.
#pragma once
#include "image/HexParser.h"
#include "link/SerialLink.h"
#include "ops/OperationReports.h"
#include "ops/Outcome.h"

#include <cstdint>

// Which lock bits Lock Bit writes.
enum class LockChoice { None, Lock1, Lock2 };

class CDeviceOps {
public:
    CDeviceOps(CSerialLink& link, FlashImage image, CProgressReport& progress,
               CDeviceMessages& messages, CPortOpening& opening);

    Outcome Erase();
    Outcome BlankCheck();
    // Refuses with NothingLoaded, before touching the port, when no image is loaded.
    Outcome Program();
    Outcome Verify();
    // Erase, blank check, program and verify, each with its own opening; ends at the first
    // that does not succeed.
    Outcome Auto();
    // Opens the target, then writes the chosen lock bits (opening it once more); with no
    // choice it releases the target and gives NoLockChosen.
    Outcome LockBit(LockChoice choice);

    // The work once the target answered, under the names the program has always used:
    // writes the image word by word; 0 when the port went out of reach on the way.
    int ProgramFlash();
    Outcome Lock1Bit();
    Outcome Lock2Bit();

private:
    // The start every operation shares: Ok when the chip answered Programming Enable.
    Outcome Open();
    // Ok while the port has been reachable throughout the operation; otherwise releases
    // the target and gives the port's outcome.
    Outcome Held();
    // The common end: the port still held, release, the step's success caption.
    Outcome Finish(Step step);
    Outcome EraseOpened();
    Outcome BlankCheckOpened();
    Outcome ProgramOpened();
    Outcome VerifyOpened();
    Outcome WriteLockBits(const unsigned char* instruction, Step step);
    // Sends an instruction and gives answer byte 3 (the data of a read).
    unsigned char Send(const unsigned char* instruction);
    unsigned char FlashInstruction(unsigned char code, std::uint32_t word, unsigned char data);

    CSerialLink& m_link;
    FlashImage m_image;
    CProgressReport& m_progress;
    CDeviceMessages& m_messages;
    CPortOpening& m_opening;
};
