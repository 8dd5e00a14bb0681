// CChipSession: what every device operation shares, so that each new one follows the same
// pattern: the opening (port choice, delays, port, EnterProgrammingMode: the reset pulse,
// the port checked after it, the Programming Enable handshake and the chip's signature),
// the chip it found, instructions sent and answered, the waits of DELAY BYTE, the port
// asked before any success is claimed, and the result that carries the facts.
#pragma once
#include "link/SerialLink.h"
#include "ops/Chips.h"
#include "ops/OperationReports.h"
#include "ops/OperationResult.h"

#include <cstdint>

class CChipSession {
public:
    CChipSession(CSerialLink& link, CPortOpening& opening);

    // The start of every operation: choose the port, check the delays, begin the port
    // accesses, then EnterProgrammingMode. With `imageEnd` (the last byte of flash the
    // operation writes or compares) a chip with less flash is refused with ImageTooLarge.
    Outcome Open(const std::uint32_t* imageEnd = nullptr);
    // The reset pulse, the port checked after it, the handshake and the signature; Ok when
    // the chip is one this program programs (and has room for the image). Anything but Ok
    // has released the target.
    Outcome EnterProgrammingMode(const std::uint32_t* imageEnd = nullptr);
    // Ok while the port has been reachable throughout the operation; otherwise releases the
    // target and gives PortUnusable.
    Outcome Held();
    // PortUnusable, keeping `problem` for the result.
    Outcome PortUnusable(PortProblem problem);
    // Held, then the release: the usual end of an operation that succeeded so far.
    Outcome Release();

    // Sends an instruction and gives answer byte 3 (the data of a read).
    unsigned char Send(const SerialInstruction& instruction);
    // Waits waitPerUnit_us for each unit of DELAY BYTE, rounded up to whole milliseconds.
    void WaitDelayByte(std::uint32_t waitPerUnit_us);

    CSerialLink& Link() { return m_link; }
    // The chip the last opening found (for a hidden AT90S signature, and before any opening,
    // the AT90S8535); nullptr after a signature of the maker that no chip here has.
    const ChipInfo* Chip() const { return m_chip; }
    const unsigned char* Signature() const { return m_signature; }

    // The result of an operation that ends with `outcome`, with the facts met on the way.
    OperationResult Result(Outcome outcome, std::uint32_t imageEnd = 0) const;

private:
    Outcome Identify(const std::uint32_t* imageEnd);

    CSerialLink& m_link;
    CPortOpening& m_opening;
    const ChipInfo* m_chip = &kChips[0];
    unsigned char m_signature[3] = {};
    PortProblem m_portProblem = PortProblem::None;
};
