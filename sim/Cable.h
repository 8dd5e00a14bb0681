// The programming cable: which printer-port connector pins carry the chip's
// serial programming lines.
#pragma once

#include <cstdint>

#include "sim/PrinterPort.h"

namespace sim {

constexpr std::uint8_t kSckPin = 2;   // D0
constexpr std::uint8_t kResetPin = 3; // D1
constexpr std::uint8_t kMosiPin = 1;  // nStrobe (control bit 0, inverted by the port)
constexpr std::uint8_t kMisoPin = 10; // nAck (status bit 6)

struct CableLines {
    bool reset;
    bool sck;
    bool mosi;
    bool operator==(const CableLines& o) const {
        return reset == o.reset && sck == o.sck && mosi == o.mosi;
    }
    bool operator!=(const CableLines& o) const { return !(*this == o); }
};

// Levels the port drives onto the chip's RESET, SCK and MOSI.
inline CableLines LinesFromPort(const PrinterPort& port) {
    return {port.PinLevel(kResetPin), port.PinLevel(kSckPin), port.PinLevel(kMosiPin)};
}

// Presents the chip's MISO level on the port's input pin.
inline void PresentMiso(PrinterPort& port, bool miso) {
    port.ApplyInput(kMisoPin, miso);
}

} // namespace sim
