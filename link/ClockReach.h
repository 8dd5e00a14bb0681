// Which chip clocks the serial link can reach on this PC. Each SCK phase lasts DELAY BIT
// busy-wait passes and must last more than two cycles of the chip's clock; and MOSI is set
// only three port accesses (about 1 us each on a real port) before SCK rises, which must be
// at least one cycle of the chip's clock, whatever DELAY BIT is.
#pragma once
#include <cstdint>

constexpr std::uint32_t kHighestDelayBit = 10;
constexpr double kMosiSetup_us = 3.0;

// The time of one BitDelay pass on this processor, measured now (the fastest of a few runs).
double MeasureBitDelayPass_us();

// The slowest chip clock the link can program with `delayBit` when a pass takes `pass_us`.
std::uint32_t LowestReachableClock_Hz(double pass_us, std::uint32_t delayBit);
