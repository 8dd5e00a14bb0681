// The serial programming link of the AT90S8535, bit-banged through the printer port on the
// lines of the cable table (link/CablePins.h). Every line change reads the whole register
// and writes it back with only that line changed, so the other pins of the port keep
// whatever they carry; only control bits 4 and 5 are always written 0 (see
// kControlDriveBits). While no port is chosen, CParallelPort touches nothing; the link then
// also skips its waits and clocking.
#include "link/SerialLink.h"

#include "link/BitDelay.h"

namespace {

// Control bit 5 turns the data lines into inputs (reverse mode of a bidirectional port),
// bit 4 enables the nAck interrupt. A BIOS, a printer driver or a scanner may leave them
// set; with bit 5 set SCK and RESET never reach the chip. Every control write of the link
// clears both: data lines driven, no interrupt.
constexpr int kControlDriveBits = lpt::kControlReverse | lpt::kControlIrqEnable;
constexpr std::uint32_t kResetStepMsPerDelayByte = 200;

const unsigned char kProgrammingEnable[4] = {0xAC, 0x53, 0x00, 0x00};
// The chip echoes the second byte of Programming Enable while the third is sent.
constexpr int kEchoIndex = 2;
constexpr unsigned char kEcho = 0x53;

std::uint64_t g_bitDelayDecrements = 0;

} // namespace

std::uint64_t BitDelayDecrements() {
    return g_bitDelayDecrements;
}

CSerialLink::CSerialLink(CParallelPort& port, const std::uint32_t& delayBit,
                         const std::uint32_t& delayByte, WaitFunction wait)
    : m_port(port), m_delayBit(delayBit), m_delayByte(delayByte), m_wait(wait) {}

int CSerialLink::ReadRegister(PortRegister reg) {
    switch (reg) {
    case PortRegister::Data:
        return m_port.ReadData();
    case PortRegister::Control:
        return m_port.ReadControl();
    case PortRegister::Status:
        break;
    }
    return m_port.ReadStatus();
}

void CSerialLink::Drive(PortRegister reg, int high, int low) {
    const int value = (ReadRegister(reg) & ~low) | high;
    if (reg == PortRegister::Data)
        m_port.WriteData(value);
    else if (reg == PortRegister::Control)
        m_port.WriteControl(value & ~kControlDriveBits);
}

void CSerialLink::SckHigh() {
    Drive(kSckPin, true);
}

void CSerialLink::SckLow() {
    Drive(kSckPin, false);
}

void CSerialLink::ResetHigh() {
    Drive(kResetPin, true);
}

void CSerialLink::SckResetLow() {
    Drive(kSckPin.reg, 0, kSckPin.mask | kResetPin.mask);
}

void CSerialLink::MosiHigh() {
    Drive(kMosiPin, true);
}

void CSerialLink::BitDelay() {
    for (std::uint32_t pass = 0; pass < m_delayBit; ++pass) {
        volatile std::uint32_t counter = kBitDelayCountdown;
        while (counter > 0)
            counter = counter - 1;
        g_bitDelayDecrements += kBitDelayCountdown - counter;
    }
}

void CSerialLink::ClockPulse() {
    SckHigh();
    BitDelay();
    SckLow();
    BitDelay();
}

int CSerialLink::Exchange(const unsigned char* send, unsigned char* answer) {
    if (!m_port.HasPort()) {
        for (int k = 0; k < 4; ++k)
            answer[k] = 0xFF; // what a line with nothing driving it reads
        return 1;
    }
    for (int k = 0; k < 4; ++k) {
        int received = 0;
        for (int bit = 7; bit >= 0; --bit) {
            Drive(kMosiPin, ((send[k] >> bit) & 1) != 0);
            // The chip shifts its answer out on the falling edge: MISO is read while SCK
            // is still low, before the rising edge that samples MOSI.
            received = (received << 1) | ((ReadRegister(kMisoPin.reg) & kMisoPin.mask) != 0);
            ClockPulse();
        }
        answer[k] = static_cast<unsigned char>(received);
    }
    return 1;
}

void CSerialLink::EnterProgramming() {
    if (!m_port.HasPort())
        return;
    // RESET pulses high while SCK is low, then stays low: the datasheet's power-up
    // sequence for serial programming. The last wait covers the 20 ms before
    // Programming Enable may be sent.
    const std::uint32_t stepMs = m_delayByte * kResetStepMsPerDelayByte;
    // The data lines are driven before SCK and RESET are first set; MOSI stays as read.
    Drive(PortRegister::Control, 0, 0);
    SckLow();
    if (PortProblemSoFar() != PortProblem::None)
        return; // the first accesses showed that the port cannot be reached: no waiting
    m_wait(stepMs);
    SckResetLow();
    m_wait(stepMs);
    ResetHigh();
    m_wait(stepMs);
    SckResetLow();
    m_wait(stepMs);
}

void CSerialLink::ReleaseTarget() {
    SckHigh();
    MosiHigh();
    ResetHigh();
}

Handshake CSerialLink::ProgrammingEnable() {
    if (!m_port.HasPort())
        return Handshake::NoAnswer;
    unsigned char answer[4] = {};
    Exchange(kProgrammingEnable, answer);
    const PortProblem problem = PortProblemSoFar();
    if (answer[kEchoIndex] == kEcho && problem == PortProblem::None)
        return Handshake::InStep;
    ReleaseTarget();
    // An echo that did not come because the port itself was out of reach is told as such.
    return problem != PortProblem::None ? Handshake::PortLost : Handshake::NoAnswer;
}
