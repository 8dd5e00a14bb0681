// The program's side of the bridge: queues port writes in the shared block's ring,
// waits for read answers, and decides whether a helper is serving. Portable C++: the
// DLL gives it the block's mapping and a clock through BridgePlatform, and the native
// tests drive the helper through the same code.
#pragma once

#include "bridge/SharedBlock.h"

#include <cstdint>

namespace bridge {

// How long a read, a full ring or a silent heartbeat is waited for before the bridge
// counts as closed. A live helper answers within microseconds and beats every few
// milliseconds; a helper that was killed never does.
constexpr std::uint64_t kHelperTimeout_us = 250'000;

class BridgePlatform {
public:
    virtual ~BridgePlatform() = default;
    // Maps the block if its file exists and holds a block of this version; null otherwise.
    virtual SharedBlock* MapBlock() = 0;
    virtual void UnmapBlock(SharedBlock* block) = 0;
    virtual std::uint64_t NowUs() = 0;
    // A short pause inside a spin (the processor's pause instruction).
    virtual void Pause() = 0;
    // Lets another thread of this core run (the helper may share the core with us).
    virtual void YieldThread() = 0;
    virtual void SleepMs(unsigned milliseconds) = 0;
};

class PortClient {
public:
    explicit PortClient(BridgePlatform& platform) : m_platform(platform) {}
    ~PortClient();
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    // TRUE while a helper serves the block. Maps the block when needed and, after the
    // bridge closed on a helper that stopped answering, opens it again only for a helper
    // that attached since.
    bool IsOpen();
    // A byte read from the I/O address: queued behind the earlier writes, answered by the
    // helper. 0xFF at once while the bridge is not open, or when the helper stops answering.
    std::uint8_t Read(std::uint16_t address);
    // Queues a byte write and returns; dropped while the bridge is not open.
    void Write(std::uint16_t address, std::uint8_t value);

private:
    enum class State { Disconnected, Open, Closed };

    bool StillOpen();
    bool TryOpen();
    bool Remap();
    bool WaitForHeartbeat();
    bool HeartbeatFresh();
    bool WaitForRoom(std::uint32_t sequence, bool* waited);
    bool Queue(std::uint32_t access);
    bool HelperGone() const;
    void CloseOnSilentHelper();

    BridgePlatform& m_platform;
    SharedBlock* m_block = nullptr;
    State m_state = State::Disconnected;
    std::uint32_t m_generation = 0; // of the helper opened, or of the one that went silent
    std::uint32_t m_head = 0;
    std::uint32_t m_tailSeen = 0;
    std::uint64_t m_lastReturnTicks = 0; // when the last access returned; 0: none yet
    std::uint32_t m_lastBeat = 0;
    std::uint64_t m_lastBeatUs = 0;
};

} // namespace bridge
