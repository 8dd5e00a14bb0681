// One PC printer port as the hardware has it: data and control latches, a
// read-only status register, and the DB-25 connector pins they drive or sense.
#pragma once

#include <cstdint>

namespace sim {

enum class PortRegister : std::uint8_t { Data = 0, Status = 1, Control = 2 };

// Where one connector pin lives in the register file. `inverted` means the
// port hardware puts an inverter between the register bit and the pin.
struct ConnectorPin {
    std::uint8_t pin;
    PortRegister reg;
    std::uint8_t bit;
    bool inverted;
};

// Signal pins of the DB-25 connector (pins 18-25 are ground).
extern const ConnectorPin kConnectorPins[17];

// The table entry for a connector pin, or nullptr for a ground/unknown pin.
const ConnectorPin* FindConnectorPin(std::uint8_t pin);

inline bool PinLevelFromBit(const ConnectorPin& p, bool registerBit) {
    return registerBit != p.inverted;
}
inline bool BitFromPinLevel(const ConnectorPin& p, bool pinLevel) {
    return pinLevel != p.inverted;
}

class PrinterPort {
public:
    explicit PrinterPort(std::uint16_t base) : base_(base) {}

    std::uint16_t base() const { return base_; }
    bool Decodes(std::uint16_t address) const { return address >= base_ && address < base_ + 3; }
    std::uint8_t Read(PortRegister reg) const;
    void Write(PortRegister reg, std::uint8_t value);

    // Level on an output pin (data or control); input pins report what is applied. While
    // control bit 5 (direction) is set the data lines are inputs that nothing drives: they
    // float, taken as high (the chip's RESET has a pull-up), whatever the data latch holds.
    bool PinLevel(std::uint8_t pin) const;
    // Drives an input (status) pin from outside; undriven inputs float high.
    void ApplyInput(std::uint8_t pin, bool level);

private:
    std::uint16_t base_;
    std::uint8_t data_ = 0x00;
    std::uint8_t control_ = 0x00;
    std::uint32_t inputLevels_ = 0xFFFFFFFFu; // bit n = level on pin n
};

} // namespace sim
