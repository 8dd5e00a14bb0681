// Time source of the simulated board: a virtual clock for tests (time moves only
// when told, plus a fixed cost per port access) and a steady clock for live runs.
#pragma once

#include <cstdint>

namespace sim {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t NowNs() = 0;
    // Called by the board once per printer-port register access.
    virtual void PortAccessed() {}
};

class VirtualClock : public Clock {
public:
    explicit VirtualClock(std::uint64_t accessCostNs = 1000);
    std::uint64_t NowNs() override;
    // Advances by the access cost, like one ISA bus cycle of an inb/outb.
    void PortAccessed() override;
    void Advance(std::uint64_t ns);
    void AdvanceMs(unsigned long ms);

private:
    std::uint64_t nowNs_ = 0;
    std::uint64_t accessCostNs_;
};

// Real time since construction, plus `accessCostNs` for every port access so
// far: a stand-in for the bus cycle a real port access takes, which a port
// simulated in memory would otherwise not spend.
class SteadyClock : public Clock {
public:
    explicit SteadyClock(std::uint64_t accessCostNs = 0);
    std::uint64_t NowNs() override;
    void PortAccessed() override;

private:
    std::int64_t startNs_;
    std::uint64_t accessCostNs_;
    std::uint64_t accessNs_ = 0;
};

} // namespace sim
