// CParallelPort: the printer port's registers at their offsets from the base, with the
// bits the port hardware inverts (lpt/PrinterPort.h) inverted back.
#include "link/ParallelPort.h"

#include "lpt/LptAddress.h"
#include "lpt/PrinterPort.h"

namespace {

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
        m_access.Out(lpt::DataAddress(base), value & 0xFF);
}

int CParallelPort::InData(WORD base) {
    return MayTouch(base) ? m_access.In(lpt::DataAddress(base)) & 0xFF : lpt::kFloatingBus;
}

void CParallelPort::OutControl(WORD base, int value) {
    if (MayTouch(base))
        m_access.Out(lpt::ControlAddress(base), (value ^ lpt::kControlInverted) & 0xFF);
}

int CParallelPort::InControl(WORD base) {
    const int raw = MayTouch(base) ? m_access.In(lpt::ControlAddress(base)) : lpt::kFloatingBus;
    return (raw ^ lpt::kControlInverted) & 0xFF;
}

int CParallelPort::InStatus(WORD base) {
    const int raw = MayTouch(base) ? m_access.In(lpt::StatusAddress(base)) : lpt::kFloatingBus;
    return (raw ^ lpt::kStatusInverted) & 0xFF;
}
