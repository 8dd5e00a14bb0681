// The processor's time-stamp counter for the benchmarks: one reading, one instruction and
// no system call, and what a reading costs, so a benchmark can take its own timing out of
// the figures it prints.
#pragma once
#include <cstdint>
#include <x86intrin.h>

inline std::uint64_t Stamp() {
    return __rdtsc();
}

// Ticks one reading costs.
inline double TicksPerStamp() {
    constexpr int kReads = 1'000'000;
    volatile std::uint64_t last = 0;
    const std::uint64_t start = Stamp();
    for (int i = 0; i < kReads; ++i)
        last = Stamp();
    return static_cast<double>(last - start) / kReads;
}
