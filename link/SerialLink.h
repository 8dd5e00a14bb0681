// CSerialLink: the serial programming link of the AT90S8535, bit-banged through the
// printer port's registers (CParallelPort), with its software timing: single line
// changes, clock pulses, the exchange of one 4-byte instruction, entering programming
// mode, releasing the target and the Programming Enable handshake. It reports what
// happened and shows nothing itself.
#pragma once
#include "link/CablePins.h"
#include "link/ParallelPort.h"
#include "port/PortProblem.h"

#include <cstdint>

// Where every millisecond wait of the link goes: ::Sleep in the program, a recorder in tests.
using WaitFunction = void (*)(DWORD milliseconds);

// How the Programming Enable handshake ended.
enum class Handshake {
    InStep,   // the chip echoed 0x53: it is in programming mode
    NoAnswer, // no echo: the chip does not answer (released again)
    PortLost, // the port went out of reach on the way (released again); see PortProblemSoFar
};

class CSerialLink {
public:
    // The delays are read at the moment of each use, so a change takes effect at the next
    // wait; `delayBit` is the half clock period in busy-loop passes, `delayByte` the
    // multiplier of every millisecond wait.
    CSerialLink(CParallelPort& port, const std::uint32_t& delayBit, const std::uint32_t& delayByte,
                WaitFunction wait);

    CParallelPort& Port() { return m_port; }

    // One line change each: a read-modify-write of one register, no delay.
    void SckHigh();
    void SckLow();
    void ResetHigh();
    void SckResetLow();
    void MosiHigh();

    // The busy wait between SCK edges: DELAY BIT passes of kBitDelayCountdown decrements.
    void BitDelay();
    // SCK high, BitDelay, SCK low, BitDelay.
    void ClockPulse();
    // Sends the 4 bytes of `send`, MSB first, and fills the 4 bytes of `answer` with what
    // the chip shifted out meanwhile. Always 1; nothing in the answer is checked.
    int Exchange(const unsigned char* send, unsigned char* answer);
    // The chip's power-up sequence for serial programming: a RESET pulse while SCK is low,
    // with four waits of DELAY BYTE x 200 ms. Leaves SCK and RESET low.
    void EnterProgramming();
    // SCK, MOSI and RESET high, in that order: the chip leaves reset and runs.
    void ReleaseTarget();
    // Programming Enable (0xAC 0x53 0x00 0x00) and its echo; on anything but InStep the
    // target has been released.
    Handshake ProgrammingEnable();

    // The port accesses of one device operation begin: see CPortAccess::Begin.
    PortProblem BeginPortUse() { return m_port.BeginAccess(); }
    // What has stood in the way of the port accesses since BeginPortUse.
    PortProblem PortProblemSoFar() { return m_port.AccessProblem(); }

    // DELAY BYTE as it is now, and a wait of `milliseconds` through the wait seam.
    std::uint32_t DelayByte() const { return m_delayByte; }
    void Wait(std::uint32_t milliseconds) { m_wait(milliseconds); }

private:
    int ReadRegister(PortRegister reg);
    // One read-modify-write of `reg`: the bits of `high` set, those of `low` cleared.
    void Drive(PortRegister reg, int high, int low);
    void Drive(const CablePin& pin, bool level) {
        Drive(pin.reg, level ? pin.mask : 0, level ? 0 : pin.mask);
    }

    CParallelPort& m_port;
    const std::uint32_t& m_delayBit;
    const std::uint32_t& m_delayByte;
    WaitFunction m_wait;
};
