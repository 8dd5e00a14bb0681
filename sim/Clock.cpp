// Virtual and steady clocks for the simulated board.
#include "sim/Clock.h"

#include <chrono>

namespace sim {

VirtualClock::VirtualClock(std::uint64_t accessCostNs) : accessCostNs_(accessCostNs) {}

std::uint64_t VirtualClock::NowNs() {
    return nowNs_;
}

void VirtualClock::PortAccessed() {
    nowNs_ += accessCostNs_;
}

void VirtualClock::Advance(std::uint64_t ns) {
    nowNs_ += ns;
}

void VirtualClock::AdvanceMs(unsigned long ms) {
    nowNs_ += std::uint64_t{ms} * 1000000u;
}

namespace {
std::int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

SteadyClock::SteadyClock(std::uint64_t accessCostNs)
    : startNs_(SteadyNs()), accessCostNs_(accessCostNs) {}

std::uint64_t SteadyClock::NowNs() {
    return static_cast<std::uint64_t>(SteadyNs() - startNs_) + accessNs_;
}

void SteadyClock::PortAccessed() {
    accessNs_ += accessCostNs_;
}

} // namespace sim
