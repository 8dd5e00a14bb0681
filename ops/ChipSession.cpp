// The opening and the other pieces every device operation is built from. No operation
// claims success once the port went out of reach (a refused access, a port driver that
// stopped): Held is asked first.
#include "ops/ChipSession.h"

#include "port/InpOutCalls.h"

namespace {

// The maker's code in the first signature byte. An AT90S chip with both lock bits set
// hides its signature (it answers 00 01 02): any answer without this code is taken for an
// AT90S8535, so such a chip is erased, and everything else done, as the program always did.
constexpr unsigned char kAtmelCode = 0x1E;
constexpr unsigned kSignatureBytes = 3;

} // namespace

CChipSession::CChipSession(CSerialLink& link, CPortOpening& opening)
    : m_link(link), m_opening(opening) {}

OperationResult CChipSession::Result(Outcome outcome, std::uint32_t imageEnd) const {
    OperationResult result;
    result.outcome = outcome;
    result.chip = m_chip;
    for (unsigned index = 0; index < kSignatureBytes; ++index)
        result.signature[index] = m_signature[index];
    result.imageEnd = imageEnd;
    result.driverDll = kPortDriverDll;
    if (outcome == Outcome::PortUnusable) {
        result.port = m_portProblem;
        if (m_portProblem == PortProblem::DriverNotLoaded)
            result.driverLoad = m_link.Port().LoadFailure();
    }
    return result;
}

Outcome CChipSession::Open(const std::uint32_t* imageEnd) {
    if (!m_opening.SelectPort() || !m_link.Port().HasPort() || !m_opening.DelaysUsable())
        return Outcome::NotOpened;
    const PortProblem problem = m_link.BeginPortUse();
    if (problem != PortProblem::None)
        return PortUnusable(problem); // nothing has touched the port
    return EnterProgrammingMode(imageEnd);
}

Outcome CChipSession::EnterProgrammingMode(const std::uint32_t* imageEnd) {
    m_link.EnterProgramming();
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    switch (m_link.ProgrammingEnable()) {
    case Handshake::InStep:
        return Identify(imageEnd);
    case Handshake::NoAnswer:
        return Outcome::NoAnswer;
    case Handshake::PortLost:
        break;
    }
    return PortUnusable(m_link.PortProblemSoFar());
}

Outcome CChipSession::Identify(const std::uint32_t* imageEnd) {
    for (unsigned index = 0; index < kSignatureBytes; ++index)
        m_signature[index] = Send(ReadSignatureInstruction(index));
    const Outcome held = Held();
    if (held != Outcome::Ok)
        return held;
    Outcome refusal = Outcome::Ok;
    if (m_signature[0] != kAtmelCode) {
        m_chip = &kChips[0];
    } else {
        m_chip = FindChip(m_signature);
        if (m_chip == nullptr)
            refusal = Outcome::UnknownChip;
        else if (!m_chip->programmed)
            refusal = Outcome::ChipRefused;
        else if (imageEnd != nullptr && *imageEnd >= m_chip->flashBytes)
            refusal = Outcome::ImageTooLarge;
    }
    if (refusal != Outcome::Ok)
        m_link.ReleaseTarget(); // nothing was written or erased
    return refusal;
}

Outcome CChipSession::Held() {
    const PortProblem problem = m_link.PortProblemSoFar();
    if (problem == PortProblem::None)
        return Outcome::Ok;
    m_link.ReleaseTarget();
    return PortUnusable(problem);
}

Outcome CChipSession::PortUnusable(PortProblem problem) {
    m_portProblem = problem;
    return Outcome::PortUnusable;
}

Outcome CChipSession::Release() {
    const Outcome held = Held();
    if (held == Outcome::Ok)
        m_link.ReleaseTarget();
    return held;
}

unsigned char CChipSession::Send(const SerialInstruction& instruction) {
    unsigned char answer[4] = {};
    m_link.Exchange(instruction.bytes, answer);
    return answer[3];
}

void CChipSession::WaitDelayByte(std::uint32_t waitPerUnit_us) {
    m_link.Wait(WaitMs(waitPerUnit_us, m_link.DelayByte()));
}
