// What clocks a simulated chip: the part on the board's XTAL1/XTAL2 pins and, on the
// ATmega chips, the clock source their CKSEL fuses select. A chip without a clock
// cannot take serial programming instructions at all.
#pragma once

#include <cstdint>

namespace sim {

struct ChipModel;

// What the board carries on XTAL1 (pin 13) and XTAL2 (pin 12).
enum class XtalKind : std::uint8_t {
    None,          // nothing: only an internal oscillator can run the chip
    Crystal,       // a crystal or ceramic resonator between XTAL1 and XTAL2
    ExternalClock, // a clock signal fed into XTAL1
    ExternalRc,    // the resistor and capacitor of the ATmega's external RC oscillator
};

struct XtalPart {
    XtalKind kind = XtalKind::Crystal;
    std::uint32_t hz = 4'000'000; // unused for None
};

// How a chip model gets its clock.
enum class ChipClocking : std::uint8_t {
    XtalOscillator,  // AT90S: its oscillator needs a crystal, or a clock fed into XTAL1
    CkselFuses,      // ATmega8535/16/32: the source CKSEL3..0 (low fuse bits 3-0) selects
    FixedInternalRc, // a chip whose fuses are not modelled, running as shipped
};

// The ATmega clock sources by CKSEL3..0 ("Device Clocking Options Select").
enum class ClockSource : std::uint8_t {
    ExternalClock,       // 0000
    InternalRc,          // 0001-0100: 1, 2, 4, 8 MHz
    ExternalRc,          // 0101-1000
    LowFrequencyCrystal, // 1001: a 32.768 kHz watch crystal
    Crystal,             // 1010-1111: crystal or ceramic resonator
};

constexpr std::uint8_t kCkselBits = 0x0F; // low fuse bits 3-0

ClockSource ClockSourceOf(std::uint8_t lowFuse);

// The chip's clock with these fuses on this board, in Hz; 0 when nothing clocks it.
std::uint32_t ChipClockHz(const ChipModel& model, std::uint8_t lowFuse, const XtalPart& xtal);

} // namespace sim
