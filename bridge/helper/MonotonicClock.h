// The helper's clock and its processors: the monotonic system clock, and how many
// processors this process may run on (taskset, cgroups and the machine).
#pragma once

#include <sched.h>

#include <cstdint>
#include <ctime>

namespace bridge {

inline std::uint64_t MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

inline std::uint64_t MonotonicUs() {
    return MonotonicNs() / 1000u;
}

inline unsigned AllowedProcessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    return ::sched_getaffinity(0, sizeof allowed, &allowed) == 0
               ? static_cast<unsigned>(CPU_COUNT(&allowed))
               : 2;
}

} // namespace bridge
