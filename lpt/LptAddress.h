// The printer ports the program knows by number (Lpt1 to Lpt3) and the way a port's
// I/O address is written: one rule shared by the program, the simulated board and the
// bridge's helper, each of which words its own messages. Portable C++17 with no
// platform headers; allocates nothing and throws nothing.
#pragma once
#include <cstdint>

namespace lpt {

// The standard printer-port bases of Lpt1, Lpt2 and Lpt3.
constexpr std::uint16_t kStandardBases[3] = {0x378, 0x278, 0x3BC};
// The highest base whose three registers (base, base + 1, base + 2) lie in the 16-bit
// I/O space; 0 is never a printer port.
constexpr std::uint16_t kHighestBase = 0xFFFD;

// The base of Lpt1, Lpt2 or Lpt3 for port 1, 2 or 3; 0 for any other number.
constexpr std::uint16_t StandardBase(int port) {
    return port >= 1 && port <= 3 ? kStandardBases[port - 1] : 0;
}

// Reads a printer-port base written in hex after 0x or 0X ("0xD010") or in decimal
// ("53264"), from 1 to kHighestBase, and nothing else (no sign, space or suffix).
// False for anything else; *base is then left as it was.
bool ParsePortAddress(const char* text, std::uint16_t* base);

} // namespace lpt
