// The programming cable on the printer port, as the cable table of the README reads it:
// each line of the chip's serial programming interface, the register and bit that carry
// it, its connector pin, and whether the port hardware inverts it (CParallelPort undoes
// that, so the link always works in pin levels).
#pragma once
#include "lpt/PrinterPort.h"

enum class PortRegister { Data, Status, Control };

struct CablePin {
    PortRegister reg;
    int mask; // the one bit of the register
    int connectorPin;
    bool invertedByPort;
};

constexpr bool InvertedByPort(PortRegister reg, int mask) {
    return reg == PortRegister::Control  ? (lpt::kControlInverted & mask) != 0
           : reg == PortRegister::Status ? (lpt::kStatusInverted & mask) != 0
                                         : false;
}

constexpr CablePin Pin(PortRegister reg, int mask, int connectorPin) {
    return {reg, mask, connectorPin, InvertedByPort(reg, mask)};
}

constexpr CablePin kSckPin = Pin(PortRegister::Data, 0x01, 2);     // D0
constexpr CablePin kResetPin = Pin(PortRegister::Data, 0x02, 3);   // D1
constexpr CablePin kMosiPin = Pin(PortRegister::Control, 0x01, 1); // nStrobe
constexpr CablePin kMisoPin = Pin(PortRegister::Status, 0x40, 10); // nAck

// SCK and RESET change together in one write (the reset sequence).
static_assert(kSckPin.reg == kResetPin.reg, "SCK and RESET share a register");
