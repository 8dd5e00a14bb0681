// The processor's time-stamp counter, the clock both sides of the bridge use for the
// gaps between port accesses: one instruction, no system call (Wine's
// QueryPerformanceCounter costs a system call per reading). On the x86 machines the
// bridge runs on the counter ticks at a constant rate, the same on every core, so a gap
// measured by the program counts the same ticks in the helper.
#pragma once

#include <cstdint>
#include <x86intrin.h>

namespace bridge {

inline std::uint64_t TimestampTicks() {
    return __rdtsc();
}

} // namespace bridge
