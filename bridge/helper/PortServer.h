// The helper's serving loop: takes the program's port accesses from the shared block's
// ring in order, sends those at the served port's three registers to the printer port
// and answers the reads; accesses at any other address are refused and counted, and
// entries of an epoch the program gave up on are dropped unserved.
#pragma once

#include "bridge/helper/BlockFile.h"
#include "bridge/helper/PpdevPort.h"
#include "bridge/helper/TruncationGuard.h"

#include <sys/types.h>

#include <csignal>
#include <cstdint>

namespace bridge {

struct ServeCounts {
    unsigned long long reads = 0;
    unsigned long long writes = 0;
    unsigned long long refused = 0; // not at base, base+1 or base+2
    unsigned long long dropped = 0; // of an epoch the program gave up on
    unsigned long long deviceErrors = 0;
};

enum class ServeEnd {
    Stopped,     // asked to stop: what was queued has been served
    ParentGone,  // the launcher ended: what was queued has been served
    DeviceError, // the port failed (errno in deviceError())
    Truncated,   // the block file was cut short
};

class PortServer {
public:
    // Measures the time-stamp counter's rate against the system clock (a few ms).
    PortServer(BlockFile& block, PpdevPort& port, std::uint16_t base);

    // Serves until `stop` is set, the process `parent` ends (0: no parent to watch),
    // the port fails or the block is truncated. After a stop, what is queued is served
    // for at most kDrainLimit_us more, gaps included.
    ServeEnd Serve(const volatile std::sig_atomic_t& stop, pid_t parent);

    const ServeCounts& counts() const { return m_counts; }
    int deviceError() const { return m_deviceError; }

private:
    bool ServeFilled(SharedBlock& block, std::uint32_t* tail);
    void Drain(SharedBlock& block, std::uint32_t* tail);
    bool ServeEntry(const RingEntry& slot, std::uint32_t entry, std::uint32_t sequence);
    std::uint32_t CurrentEpoch();
    bool KeepGap(std::uint32_t gap);
    void Tick(std::uint64_t nowTicks);
    bool Stopping() const { return m_drainEndTicks != 0; }
    bool DrainOver(std::uint64_t nowTicks) const {
        return Stopping() && nowTicks >= m_drainEndTicks;
    }
    bool Ended() const { return m_deviceError != 0 || BlockTruncated(); }
    std::uint8_t Read(std::uint16_t address);
    void Write(std::uint16_t address, std::uint8_t value);
    void Refuse();
    // Keeps the error of a ppdev call that failed (errno), which ends the serving.
    void RecordDeviceCall(bool succeeded);

    BlockFile& m_block;
    PpdevPort& m_port;
    std::uint16_t m_base;
    ServeCounts m_counts;
    int m_deviceError = 0;
    std::uint32_t m_epoch = 0; // the newest epoch seen, and acknowledged
    std::uint64_t m_lastServedTicks = 0;
    std::uint64_t m_ticksPerUs = 1;
    std::uint64_t m_longestGapTicks = 0;
    // What Serve watches, and when the heartbeat was last beaten.
    const volatile std::sig_atomic_t* m_stop = nullptr;
    pid_t m_parent = 0;
    bool m_parentGone = false;
    std::uint64_t m_lastBeatTicks = 0;
    std::uint64_t m_drainEndTicks = 0; // 0 until a stop is seen
};

} // namespace bridge
