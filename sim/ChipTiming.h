// Serial programming times from the datasheets, and the supply-voltage dependence of
// the AT90S chips' self-timed write cycles.
#pragma once

#include <cstdint>

namespace sim {

// RESET low to the first bit of Programming Enable (every modelled chip).
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

// AT90S4434/8535: flash/EEPROM byte write (t_WD_PROG) and chip erase (t_WD_ERASE), at
// the top and bottom of the supply range.
constexpr std::uint64_t kWriteDelayAt5V_us = 4000;
constexpr std::uint64_t kWriteDelayAt2V7_us = 9000;
constexpr std::uint64_t kEraseDelayAt5V_us = 8000;
constexpr std::uint64_t kEraseDelayAt2V7_us = 20000;
// AT90S4434/8535: lock bit and fuse writes.
constexpr std::uint64_t kLockFuseWriteDelay_us = 9000;

// ATmega8535, ATmega16, ATmega32 ("Minimum Wait Delay Before Writing the Next Flash or
// EEPROM Location"): timed by the chip's calibrated RC oscillator, one figure for the
// whole supply range.
constexpr std::uint64_t kAtmegaFlashPageWrite_us = 4500; // t_WD_FLASH
constexpr std::uint64_t kAtmegaEepromWrite_us = 9000;    // t_WD_EEPROM
constexpr std::uint64_t kAtmegaChipErase_us = 9000;      // t_WD_ERASE
constexpr std::uint64_t kAtmegaFuseLockWrite_us = 4500;  // t_WD_FUSE, lock bits too

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

// A self-timed cycle's length at 5 V and at 2.7 V (the same where the datasheet gives
// one figure).
struct CycleTime {
    std::uint64_t at5V_us;
    std::uint64_t at2V7_us;
};

inline std::uint64_t CycleTime_ns(const CycleTime& t, double volts) {
    return InterpolateDelay_ns(volts, t.at5V_us, t.at2V7_us);
}

// The self-timed cycles of one chip.
struct ChipCycleTimes {
    CycleTime flashWrite; // a byte (AT90S) or a page (ATmega)
    CycleTime eepromWrite;
    CycleTime chipErase;
    CycleTime lockWrite; // lock bits and fuses
};

constexpr ChipCycleTimes kAt90sCycleTimes = {{kWriteDelayAt5V_us, kWriteDelayAt2V7_us},
                                             {kWriteDelayAt5V_us, kWriteDelayAt2V7_us},
                                             {kEraseDelayAt5V_us, kEraseDelayAt2V7_us},
                                             {kLockFuseWriteDelay_us, kLockFuseWriteDelay_us}};
constexpr ChipCycleTimes kAtmegaCycleTimes = {{kAtmegaFlashPageWrite_us, kAtmegaFlashPageWrite_us},
                                              {kAtmegaEepromWrite_us, kAtmegaEepromWrite_us},
                                              {kAtmegaChipErase_us, kAtmegaChipErase_us},
                                              {kAtmegaFuseLockWrite_us, kAtmegaFuseLockWrite_us}};

// The AT90S chips' byte write and chip erase.
inline std::uint64_t WriteDelay_ns(double volts) {
    return InterpolateDelay_ns(volts, kWriteDelayAt5V_us, kWriteDelayAt2V7_us);
}
inline std::uint64_t EraseDelay_ns(double volts) {
    return InterpolateDelay_ns(volts, kEraseDelayAt5V_us, kEraseDelayAt2V7_us);
}

} // namespace sim
