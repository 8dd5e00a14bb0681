// The program's side of the bridge: queues port writes in the shared block's ring,
// waits for read answers, holds the block's claim for this program, and decides whether
// a helper is serving. Portable C++: the DLL gives it the block's mapping and a clock
// through BridgePlatform, and the native tests drive the helper through the same code.
//
// When a wait for the helper ends unanswered (a helper stopped, starved or killed for
// longer than kHelperTimeout_us), the client gives up: it counts the block's epoch up, so
// that nothing queued before reaches the port later, and drops every access until the
// program has been told (IsOpen false). From then on it queues writes again without
// waiting for the helper (the program releases the lines of its cable; they reach the
// port once the helper runs), answers reads with the byte last written to that address
// (what the data and control latches read back), and opens again once the helper is
// alive and has acknowledged the new epoch, or another helper serves the block's path.
#pragma once

#include "bridge/ClientClaim.h"
#include "bridge/SharedBlock.h"

#include <cstdint>
#include <mutex>

namespace bridge {

class BridgePlatform {
public:
    virtual ~BridgePlatform() = default;
    // Maps the block at its path if that holds a block of this layout; null otherwise.
    virtual SharedBlock* MapBlock() = 0;
    virtual void UnmapBlock(SharedBlock* block) = 0;
    virtual std::uint64_t NowUs() = 0;
    // A short pause inside a spin (the processor's pause instruction).
    virtual void Pause() = 0;
    // Lets another thread of this core run (the helper may share the core with us).
    virtual void YieldThread() = 0;
    // How many processors this process may run on.
    virtual unsigned Processors() = 0;
    virtual void SleepMs(unsigned milliseconds) = 0;
};

// Where a read of the data or control register that the program wrote since the bridge
// opened gets its answer: from the byte last written, which is what those registers read
// back (the bridge DLL), or from the port, like every other read (for tests that look
// at the port itself).
enum class ReadBack { FromLatch, FromPort };

class PortClient {
public:
    explicit PortClient(BridgePlatform& platform, ReadBack readBack = ReadBack::FromLatch);
    ~PortClient();
    PortClient(const PortClient&) = delete;
    PortClient& operator=(const PortClient&) = delete;

    // TRUE while a helper serves the block for this program. Maps the block and takes
    // its claim when needed. After accesses were lost (the client gave up, or the helper
    // went away with accesses unserved), the first call is false, whatever the helper
    // does meanwhile.
    bool IsOpen();
    // Why the last IsOpen was false: another program holds the block's claim.
    bool InUseByAnotherProgram() const { return m_inUse; }
    // A byte read from the I/O address: queued behind the earlier writes, answered by the
    // helper, or at once with the byte last written when that is what the register reads
    // back. 0xFF at once while the bridge is not open, or when the helper stops answering.
    std::uint8_t Read(std::uint16_t address);
    // Queues a byte write and returns; dropped while the bridge is not open.
    void Write(std::uint16_t address, std::uint8_t value);

    // Keeps this program's claim alive. Called every kClaimBeatInterval_ms by a thread
    // of its own, also while the program is idle; safe beside the calls above.
    void BeatClaim();
    // Gives the claim back (the program ends).
    void GiveClaim();
    // The same at the process's end, when the beat thread may have been ended while it
    // held its lock: then the claim is left to lapse.
    void GiveClaimAtExit();

private:
    enum class State {
        Disconnected, // no helper seen serving this program's block
        Open,
        GaveUp,    // a wait ended unanswered; the program has not been told yet
        Releasing, // the program has been told; its writes are queued without waiting
    };

    bool TryOpen();
    void Remap();
    void Adopt(SharedBlock* block);
    bool HelperAlive();
    bool HeartbeatFresh();
    bool Healthy();
    bool HelperGone() const;
    bool WaitForAcknowledgement();
    void GiveUp();
    void LoseClaim();
    bool Queue(std::uint32_t access, bool mayWait);
    bool WaitForRoom(std::uint32_t sequence, bool* waited);
    std::uint8_t LatchedValue(std::uint16_t address) const;

    BridgePlatform& m_platform;
    ReadBack m_readBack;
    unsigned m_processors;
    // Guards m_block and m_claim against the claim's beat thread.
    std::mutex m_mapLock;
    SharedBlock* m_block = nullptr;
    ClientClaim m_claim;
    State m_state = State::Disconnected;
    bool m_inUse = false;
    std::uint32_t m_generation = 0; // of the helper opened
    std::uint32_t m_epoch = 0;      // of the entries this program queues
    std::uint32_t m_head = 0;
    std::uint32_t m_tailSeen = 0;
    std::uint64_t m_lastReturnTicks = 0; // when the last access returned; 0: none yet
    // The heartbeat as last seen and when it last moved (0: not yet watched), and the
    // value at which the helper was found silent.
    std::uint32_t m_lastBeat = 0;
    std::uint64_t m_lastBeatUs = 0;
    bool m_silent = false;
    std::uint32_t m_silentBeat = 0;
    // The byte last written to each of four addresses, by the address's low two bits.
    struct Latch {
        std::uint16_t address = 0;
        std::uint8_t value = 0;
        bool written = false;
        bool sinceOpen = false; // written while open, and since the bridge opened
    };
    Latch m_latches[4];
};

} // namespace bridge
