// The PC printer port's registers in their standard (compatibility-mode) layout, as the
// hardware presents them: where each register lies from the base, which bits the port
// inverts between register and connector, and what a read gives where nothing drives the
// bus. One description for the program's port layer, its printer-port class and the Linux
// bridge's DLL and helper. Portable C++17 with no platform headers.
#pragma once
#include <cstdint>

namespace lpt {

// Offsets from the base: data (pins 2-9), status (read only), control.
constexpr std::uint16_t kDataOffset = 0;
constexpr std::uint16_t kStatusOffset = 1;
constexpr std::uint16_t kControlOffset = 2;

constexpr std::uint16_t DataAddress(std::uint16_t base) {
    return static_cast<std::uint16_t>(base + kDataOffset);
}
constexpr std::uint16_t StatusAddress(std::uint16_t base) {
    return static_cast<std::uint16_t>(base + kStatusOffset);
}
constexpr std::uint16_t ControlAddress(std::uint16_t base) {
    return static_cast<std::uint16_t>(base + kControlOffset);
}

// The port hardware inverts status bit 7 (Busy, pin 11) and control bits 0, 1 and 3
// (nStrobe pin 1, nAutoFd pin 14, nSelectIn pin 17); control bit 2 (nInit, pin 16) and
// every other bit pass unchanged.
constexpr std::uint8_t kStatusInverted = 0x80;
constexpr std::uint8_t kControlInverted = 0x0B;

// Control bits 0-3 are connector lines and read back as last written. Bit 4 enables the
// nAck interrupt and bit 5 turns the data lines into inputs (reverse mode); neither is a
// line on the connector.
constexpr std::uint8_t kControlLines = 0x0F;
constexpr std::uint8_t kControlIrqEnable = 0x10;
constexpr std::uint8_t kControlReverse = 0x20;

// An I/O read that nothing answers: the undriven ISA data bus floats high.
constexpr std::uint8_t kFloatingBus = 0xFF;

} // namespace lpt
