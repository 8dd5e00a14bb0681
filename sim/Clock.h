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

class SteadyClock : public Clock {
public:
    SteadyClock();
    std::uint64_t NowNs() override;

private:
    std::int64_t startNs_;
};

} // namespace sim
