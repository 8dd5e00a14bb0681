// CParallelPort: register addresses and the inversions of the PC printer port.
// The port hardware inverts control bits 0, 1 and 3 (nStrobe, nAutoFd, nSelectIn)
// and status bit 7 (Busy) between register and connector.
#include "link/ParallelPort.h"

#include "lpt/LptAddress.h"
#include "port/PortIo.h"

namespace {

constexpr int kControlInverted = 0x0B;
constexpr int kStatusInverted = 0x80;
constexpr int kAbsentPortLevels = 0xFF; // an undecoded ISA read floats high

constexpr WORD StatusAddress(WORD base) {
    return static_cast<WORD>(base + 1);
}
constexpr WORD ControlAddress(WORD base) {
    return static_cast<WORD>(base + 2);
}

// Address 0 is the DMA controller, never a printer port: it stands for "not chosen".
bool MayTouch(WORD base) {
    return base != 0;
}

} // namespace

CParallelPort::~CParallelPort() = default;

void CParallelPort::SetPort(int port) {
    const std::uint16_t base = lpt::StandardBase(port);
    if (base != 0)
        m_wBase = base;
}

void CParallelPort::OutData(WORD base, int value) {
    if (MayTouch(base))
        PortOut(base, value & 0xFF);
}

int CParallelPort::InData(WORD base) {
    return MayTouch(base) ? PortIn(base) & 0xFF : kAbsentPortLevels;
}

void CParallelPort::OutControl(WORD base, int value) {
    if (MayTouch(base))
        PortOut(ControlAddress(base), (value ^ kControlInverted) & 0xFF);
}

int CParallelPort::InControl(WORD base) {
    const int raw = MayTouch(base) ? PortIn(ControlAddress(base)) : kAbsentPortLevels;
    return (raw ^ kControlInverted) & 0xFF;
}

int CParallelPort::InStatus(WORD base) {
    const int raw = MayTouch(base) ? PortIn(StatusAddress(base)) : kAbsentPortLevels;
    return (raw ^ kStatusInverted) & 0xFF;
}
