// AT90S8535 serial programming times from the datasheet, and the supply-voltage
// dependence of the self-timed write cycles.
#pragma once

#include <cstdint>

namespace sim {

// RESET low to the first bit of Programming Enable.
constexpr std::uint64_t kProgrammingEnableDelay_ns = 20'000'000;
// Serial programming characteristics, in cycles of the chip clock (t_CLCL).
// SCK high and low phases must each be longer than this.
constexpr unsigned kMinSckPhase_cycles = 2;
// MOSI valid to SCK high (t_OVSH), at least.
constexpr unsigned kMosiSetup_cycles = 1;
// SCK high to MOSI invalid (t_SHOX), at least.
constexpr unsigned kMosiHold_cycles = 2;

constexpr std::uint64_t kNsPerSecond = 1'000'000'000;

// The shortest time, rounded up to whole nanoseconds, that spans `cycles`
// periods of a clock of `clockHz`.
constexpr std::uint64_t CyclesToNs(unsigned cycles, std::uint32_t clockHz) {
    const std::uint64_t hz = clockHz == 0 ? 1 : clockHz;
    return (std::uint64_t{cycles} * kNsPerSecond + hz - 1) / hz;
}

// Flash/EEPROM byte write (t_WD_PROG) and chip erase (t_WD_ERASE), at the top
// and bottom of the supply range.
constexpr std::uint64_t kWriteDelayAt5V_us = 4000;
constexpr std::uint64_t kWriteDelayAt2V7_us = 9000;
constexpr std::uint64_t kEraseDelayAt5V_us = 8000;
constexpr std::uint64_t kEraseDelayAt2V7_us = 20000;
// Lock bit and fuse writes.
constexpr std::uint64_t kLockFuseWriteDelay_us = 9000;

constexpr double kSupplyHigh_V = 5.0;
constexpr double kSupplyLow_V = 2.7;

// Linear interpolation between the 2.7 V and 5 V figures, clamped outside.
inline std::uint64_t InterpolateDelay_ns(double volts, std::uint64_t at5V_us,
                                         std::uint64_t at2V7_us) {
    double f = (volts - kSupplyLow_V) / (kSupplyHigh_V - kSupplyLow_V);
    f = f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
    const double us = static_cast<double>(at2V7_us) +
                      f * (static_cast<double>(at5V_us) - static_cast<double>(at2V7_us));
    return static_cast<std::uint64_t>(us * 1000.0 + 0.5);
}

inline std::uint64_t WriteDelay_ns(double volts) {
    return InterpolateDelay_ns(volts, kWriteDelayAt5V_us, kWriteDelayAt2V7_us);
}
inline std::uint64_t EraseDelay_ns(double volts) {
    return InterpolateDelay_ns(volts, kEraseDelayAt5V_us, kEraseDelayAt2V7_us);
}

} // namespace sim
