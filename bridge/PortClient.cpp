// The program's side of the ring: see PortClient.h. An entry's access word, with its lap
// mark, is stored last and with release, so the entry is complete when the helper sees
// the mark; the helper's fields are read with acquire, so an answer's byte is there when
// its ticket is.
#include "bridge/PortClient.h"

#include "bridge/SpinThenYield.h"
#include "bridge/Timestamp.h"
#include "lpt/PrinterPort.h"

namespace bridge {

namespace {

constexpr unsigned kSpinsBeforeYield = 200;
constexpr unsigned kSilentLook_ms = 1;
constexpr std::uint64_t kMaxGap = 0xFFFFFFFFu;

// Waits until `done()` or the helper timeout; `gone()` ends the wait early. The clock
// is first read after a few spins: most waits are over by then.
template <typename Done, typename Gone>
bool WaitUntil(BridgePlatform& platform, unsigned processors, Done done, Gone gone) {
    SpinThenYield wait(processors, kSpinsBeforeYield, kSpinsPerClockLook);
    std::uint64_t start = 0;
    for (;;) {
        if (done())
            return true;
        if (!wait.Round([&] { platform.Pause(); }, [&] { platform.YieldThread(); }))
            continue;
        if (gone())
            return false;
        const std::uint64_t now = platform.NowUs();
        if (start == 0)
            start = now;
        else if (now - start > kHelperTimeout_us)
            return false;
    }
}

} // namespace

PortClient::PortClient(BridgePlatform& platform, ReadBack readBack)
    : m_platform(platform), m_readBack(readBack), m_processors(platform.Processors()) {}

PortClient::~PortClient() {
    GiveClaim();
    if (m_block != nullptr)
        m_platform.UnmapBlock(m_block);
}

bool PortClient::IsOpen() {
    switch (m_state) {
    case State::Open:
        if (Healthy())
            return true;
        if (m_state != State::Open)
            return false; // the claim was lost
        // With every access served, nothing was lost: another helper may take over at once.
        if (m_block->tail.load(std::memory_order_acquire) != m_head) {
            GiveUp();
            m_state = State::Releasing;
            return false;
        }
        m_state = State::Disconnected;
        break;
    case State::GaveUp:
        m_state = State::Releasing; // the program hears of it before anything opens again
        return false;
    case State::Disconnected:
    case State::Releasing:
        break;
    }
    return TryOpen();
}

// The helper still serves this program: attached, the same one, beating, and the claim
// still this program's. A helper gone is looked at first: a block cut short reads as
// zeros, which would show no claim, and the program must hear that the driver is not
// running, not that another program holds the port.
bool PortClient::Healthy() {
    if (HelperGone())
        return false;
    if (!m_claim.Held(*m_block)) {
        LoseClaim();
        return false;
    }
    return HeartbeatFresh();
}

bool PortClient::HelperGone() const {
    return m_block->attached.load(std::memory_order_acquire) == 0 ||
           m_block->generation.load(std::memory_order_acquire) != m_generation;
}

bool PortClient::TryOpen() {
    m_inUse = false;
    Remap();
    if (m_block == nullptr || !HelperAlive())
        return false;
    {
        std::lock_guard<std::mutex> lock(m_mapLock);
        if (!m_claim.Held(*m_block)) {
            if (!m_claim.Take(*m_block, m_platform)) {
                m_inUse = true;
                return false;
            }
            // Entries that an earlier holder of the block left queued are never served.
            m_epoch = m_block->epoch.load(std::memory_order_relaxed) + 1;
            m_block->epoch.store(m_epoch, std::memory_order_release);
        }
    }
    if (!WaitForAcknowledgement())
        return false;
    m_generation = m_block->generation.load(std::memory_order_acquire);
    m_head = m_block->head.load(std::memory_order_relaxed);
    m_tailSeen = m_block->tail.load(std::memory_order_acquire);
    m_lastReturnTicks = 0;
    for (Latch& latch : m_latches)
        latch.sinceOpen = false; // the helper's claim (or another program) may have changed them
    m_state = State::Open;
    return true;
}

// Looks at the block's path again: a helper that exits removes its file, and a helper
// that starts makes a new one, which replaces the block mapped so far.
void PortClient::Remap() {
    SharedBlock* found = m_platform.MapBlock();
    if (found == nullptr) {
        if (m_block != nullptr && m_block->attached.load(std::memory_order_acquire) == 0)
            Adopt(nullptr);
        return;
    }
    // The same file mapped twice shows the same helper's words.
    if (m_block != nullptr &&
        found->generation.load(std::memory_order_acquire) ==
            m_block->generation.load(std::memory_order_acquire) &&
        found->helperPid.load(std::memory_order_relaxed) ==
            m_block->helperPid.load(std::memory_order_relaxed)) {
        m_platform.UnmapBlock(found);
        return;
    }
    Adopt(found);
}

void PortClient::Adopt(SharedBlock* block) {
    SharedBlock* old = m_block;
    {
        std::lock_guard<std::mutex> lock(m_mapLock);
        if (old != nullptr)
            m_claim.Give(*old);
        m_claim.Forget();
        m_block = block;
    }
    if (old != nullptr)
        m_platform.UnmapBlock(old);
    m_state = State::Disconnected;
    m_lastBeatUs = 0;
    m_silent = false;
}

// Attached and beating. A helper that was found silent is taken for dead at once until
// its heartbeat moves again, so that asking costs a wait only once.
bool PortClient::HelperAlive() {
    if (m_block->attached.load(std::memory_order_acquire) == 0)
        return false;
    if (m_silent && m_block->heartbeat.load(std::memory_order_acquire) == m_silentBeat)
        return false;
    if (HeartbeatFresh())
        return true;
    const std::uint64_t start = m_platform.NowUs();
    do {
        m_platform.SleepMs(kSilentLook_ms);
        if (HeartbeatFresh())
            return true;
    } while (m_platform.NowUs() - start <= kHelperTimeout_us);
    m_silent = true;
    m_silentBeat = m_lastBeat;
    return false;
}

// The heartbeat moved since the last look, or within the time-out before it. Not yet
// watched, it must be seen moving.
bool PortClient::HeartbeatFresh() {
    const std::uint32_t beat = m_block->heartbeat.load(std::memory_order_acquire);
    const std::uint64_t now = m_platform.NowUs();
    const bool watched = m_lastBeatUs != 0;
    if (beat != m_lastBeat || !watched) {
        m_lastBeat = beat;
        m_lastBeatUs = now;
        m_silent = false;
        return watched;
    }
    return now - m_lastBeatUs <= kHelperTimeout_us;
}

// A live helper acknowledges a new epoch within one of its naps.
bool PortClient::WaitForAcknowledgement() {
    return WaitUntil(
        m_platform, m_processors,
        [&] { return m_block->epochAck.load(std::memory_order_acquire) == m_epoch; },
        [&] { return m_block->attached.load(std::memory_order_acquire) == 0; });
}

// Nothing queued so far may reach the port any more: a helper that was only stopped
// drops it when it runs again. The access that waited returns now: the gap of the next
// one counts from here, not across the wait (the helper serves that next one, the
// release of the lines, as soon as it runs again, never a time-out later).
void PortClient::GiveUp() {
    if (m_claim.Held(*m_block)) {
        ++m_epoch;
        m_block->epoch.store(m_epoch, std::memory_order_release);
    }
    m_lastReturnTicks = TimestampTicks();
    m_state = State::GaveUp;
}

// Another program took the block over while this one was stopped for longer than the
// claim's lapse: this program must not touch the ring any more.
void PortClient::LoseClaim() {
    m_inUse = true;
    m_state = State::Disconnected;
}

// Room for the entry numbered `sequence`. The tail last seen usually shows room
// already: reading the helper's line on every write would pull it to this core each time.
bool PortClient::WaitForRoom(std::uint32_t sequence, bool* waited) {
    if (sequence - m_tailSeen < kRingEntries)
        return true;
    *waited = true;
    return WaitUntil(
        m_platform, m_processors,
        [&] {
            m_tailSeen = m_block->tail.load(std::memory_order_acquire);
            return sequence - m_tailSeen < kRingEntries;
        },
        [&] { return HelperGone(); });
}

// The entry's gap is the program's own time since the previous access returned: time
// spent here waiting for the helper is not part of the spacing the port should see.
// Without `mayWait`, an entry that finds the ring full is dropped.
bool PortClient::Queue(std::uint32_t access, bool mayWait) {
    if (!m_claim.Held(*m_block)) {
        LoseClaim();
        return false;
    }
    const std::uint64_t start = TimestampTicks();
    const std::uint64_t gap = m_lastReturnTicks == 0 ? 0 : start - m_lastReturnTicks;
    const std::uint32_t sequence = m_head;
    bool waited = false;
    if (!mayWait) {
        m_tailSeen = m_block->tail.load(std::memory_order_acquire);
        if (sequence - m_tailSeen >= kRingEntries) {
            m_lastReturnTicks = start; // dropped: the next gap counts from here
            return false;
        }
    } else if (!WaitForRoom(sequence, &waited)) {
        GiveUp();
        return false;
    }
    RingEntry& entry = m_block->ring[sequence & kRingMask];
    entry.gap.store(gap > kMaxGap ? kMaxGap : static_cast<std::uint32_t>(gap),
                    std::memory_order_relaxed);
    entry.epoch.store(m_epoch, std::memory_order_relaxed);
    entry.access.store(access | LapMark(sequence), std::memory_order_release);
    m_head = sequence + 1;
    m_block->head.store(m_head, std::memory_order_relaxed);
    m_lastReturnTicks = waited ? TimestampTicks() : start;
    return true;
}

// A read of the data or the control register that this program wrote since the bridge
// opened reads back that byte (the control register's lines 0-3: the helper keeps the
// rest): it is answered here, and still queued, so that the port gets the access in its
// place and with its timing. The others (the status register above all, whose lines
// the chip drives) wait for the helper's answer. On one processor every answer costs
// two task switches; the program reads a register before each line change, and the
// chip's answer only once per bit.
std::uint8_t PortClient::Read(std::uint16_t address) {
    if (m_state == State::Releasing)
        return LatchedValue(address);
    if (m_state != State::Open)
        return lpt::kFloatingBus;
    const std::uint16_t base =
        static_cast<std::uint16_t>(m_block->base.load(std::memory_order_relaxed));
    const Latch& latch = m_latches[address & 3];
    const bool data = address == lpt::DataAddress(base);
    if (m_readBack == ReadBack::FromLatch && latch.sinceOpen && latch.address == address &&
        (data || address == lpt::ControlAddress(base))) {
        if (!Queue(EncodeRead(address), true))
            return lpt::kFloatingBus;
        return data ? latch.value : latch.value & lpt::kControlLines;
    }
    const std::uint32_t sequence = m_head;
    if (!Queue(EncodeRead(address), true))
        return lpt::kFloatingBus;
    const std::uint32_t ticket = TicketOf(sequence);
    std::uint32_t answer = 0;
    const bool answered = WaitUntil(
        m_platform, m_processors,
        [&] {
            answer = m_block->answer.load(std::memory_order_acquire);
            return AnswerTicket(answer) == ticket;
        },
        [&] { return HelperGone(); });
    if (!answered) {
        GiveUp();
        return lpt::kFloatingBus;
    }
    m_tailSeen = sequence + 1; // the helper has served everything up to this read
    m_lastReturnTicks = TimestampTicks();
    return static_cast<std::uint8_t>(answer & 0xFF);
}

void PortClient::Write(std::uint16_t address, std::uint8_t value) {
    m_latches[address & 3] = {address, value, true, m_state == State::Open};
    if (m_state == State::Open)
        Queue(EncodeWrite(address, value), true);
    else if (m_state == State::Releasing && !HelperGone())
        Queue(EncodeWrite(address, value), false);
}

std::uint8_t PortClient::LatchedValue(std::uint16_t address) const {
    const Latch& latch = m_latches[address & 3];
    return latch.written && latch.address == address ? latch.value : lpt::kFloatingBus;
}

void PortClient::BeatClaim() {
    std::lock_guard<std::mutex> lock(m_mapLock);
    if (m_block != nullptr)
        m_claim.Beat(*m_block);
}

void PortClient::GiveClaim() {
    std::lock_guard<std::mutex> lock(m_mapLock);
    if (m_block != nullptr)
        m_claim.Give(*m_block);
}

void PortClient::GiveClaimAtExit() {
    std::unique_lock<std::mutex> lock(m_mapLock, std::try_to_lock);
    if (lock.owns_lock() && m_block != nullptr)
        m_claim.Give(*m_block);
}

} // namespace bridge
