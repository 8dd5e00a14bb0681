// Printer-port registers: every register/pin inversion goes through the one
// connector table below.
#include "sim/PrinterPort.h"

namespace sim {

const ConnectorPin kConnectorPins[17] = {
    {1, PortRegister::Control, 0, true},   // nStrobe
    {2, PortRegister::Data, 0, false},     // D0
    {3, PortRegister::Data, 1, false},     // D1
    {4, PortRegister::Data, 2, false},     // D2
    {5, PortRegister::Data, 3, false},     // D3
    {6, PortRegister::Data, 4, false},     // D4
    {7, PortRegister::Data, 5, false},     // D5
    {8, PortRegister::Data, 6, false},     // D6
    {9, PortRegister::Data, 7, false},     // D7
    {10, PortRegister::Status, 6, false},  // nAck
    {11, PortRegister::Status, 7, true},   // Busy
    {12, PortRegister::Status, 5, false},  // PaperEnd
    {13, PortRegister::Status, 4, false},  // Select
    {14, PortRegister::Control, 1, true},  // nAutoFd
    {15, PortRegister::Status, 3, false},  // nError
    {16, PortRegister::Control, 2, false}, // nInit
    {17, PortRegister::Control, 3, true},  // nSelectIn
};

const ConnectorPin* FindConnectorPin(std::uint8_t pin) {
    if (pin < 1 || pin > 17) {
        return nullptr;
    }
    return &kConnectorPins[pin - 1];
}

namespace {
// Status bits 0..2 are not connected and read as 1 on PC ports.
constexpr std::uint8_t kStatusUnusedBits = 0x07;
// Control bit 5 of a bidirectional port: 1 turns the data lines around into inputs.
constexpr std::uint8_t kControlDataInput = 0x20;
// A data line that nothing drives.
constexpr bool kFloatingLevel = true;
} // namespace

std::uint8_t PrinterPort::Read(PortRegister reg) const {
    switch (reg) {
    case PortRegister::Data:
        return data_;
    case PortRegister::Control:
        return control_;
    case PortRegister::Status:
        break;
    }
    std::uint8_t status = kStatusUnusedBits;
    for (const ConnectorPin& p : kConnectorPins) {
        if (p.reg == PortRegister::Status && BitFromPinLevel(p, (inputLevels_ >> p.pin) & 1u)) {
            status |= static_cast<std::uint8_t>(1u << p.bit);
        }
    }
    return status;
}

void PrinterPort::Write(PortRegister reg, std::uint8_t value) {
    if (reg == PortRegister::Data) {
        data_ = value;
    } else if (reg == PortRegister::Control) {
        control_ = value;
    }
}

bool PrinterPort::PinLevel(std::uint8_t pin) const {
    const ConnectorPin* p = FindConnectorPin(pin);
    if (p == nullptr) {
        return false;
    }
    switch (p->reg) {
    case PortRegister::Data:
        if (control_ & kControlDataInput) {
            return kFloatingLevel;
        }
        return PinLevelFromBit(*p, (data_ >> p->bit) & 1u);
    case PortRegister::Control:
        return PinLevelFromBit(*p, (control_ >> p->bit) & 1u);
    case PortRegister::Status:
        break;
    }
    return (inputLevels_ >> pin) & 1u;
}

void PrinterPort::ApplyInput(std::uint8_t pin, bool level) {
    const std::uint32_t mask = 1u << pin;
    inputLevels_ = level ? (inputLevels_ | mask) : (inputLevels_ & ~mask);
}

} // namespace sim
