// The clock a simulated chip runs on, from its clock fuses and the board's XTAL part.
#include "sim/ChipClock.h"

#include "sim/ChipModel.h"

namespace sim {

namespace {

// The calibrated internal RC oscillator for CKSEL 0001, 0010, 0011, 0100. During serial
// programming the 1 MHz calibration byte is loaded whichever is chosen; the model runs
// each at its nominal frequency.
constexpr std::uint32_t kInternalRc_Hz[] = {1'000'000, 2'000'000, 4'000'000, 8'000'000};

constexpr std::uint8_t kLastInternalRcCksel = 0x4;
constexpr std::uint8_t kLastExternalRcCksel = 0x8;
constexpr std::uint8_t kLowFrequencyCrystalCksel = 0x9;

} // namespace

ClockSource ClockSourceOf(std::uint8_t lowFuse) {
    const std::uint8_t cksel = lowFuse & kCkselBits;
    if (cksel == 0) {
        return ClockSource::ExternalClock;
    }
    if (cksel <= kLastInternalRcCksel) {
        return ClockSource::InternalRc;
    }
    if (cksel <= kLastExternalRcCksel) {
        return ClockSource::ExternalRc;
    }
    return cksel == kLowFrequencyCrystalCksel ? ClockSource::LowFrequencyCrystal
                                              : ClockSource::Crystal;
}

std::uint32_t ChipClockHz(const ChipModel& model, std::uint8_t lowFuse, const XtalPart& xtal) {
    // A clock fed into XTAL1 drives every oscillator whose input is that pin: the
    // crystal amplifier, the external RC oscillator and the external clock input alike.
    const bool clockOnXtal1 = xtal.kind == XtalKind::ExternalClock;
    const bool crystal = xtal.kind == XtalKind::Crystal;
    switch (model.clocking) {
    case ChipClocking::FixedInternalRc:
        return model.internalClockHz;
    case ChipClocking::XtalOscillator:
        return crystal || clockOnXtal1 ? xtal.hz : 0;
    case ChipClocking::CkselFuses:
        break;
    }
    switch (ClockSourceOf(lowFuse)) {
    case ClockSource::InternalRc:
        return kInternalRc_Hz[(lowFuse & kCkselBits) - 1];
    case ClockSource::ExternalClock:
        // The crystal amplifier is off: a crystal alone does not oscillate.
        return clockOnXtal1 ? xtal.hz : 0;
    case ClockSource::ExternalRc:
        return xtal.kind == XtalKind::ExternalRc || clockOnXtal1 ? xtal.hz : 0;
    case ClockSource::LowFrequencyCrystal:
    case ClockSource::Crystal:
        return crystal || clockOnXtal1 ? xtal.hz : 0;
    }
    return 0;
}

} // namespace sim
