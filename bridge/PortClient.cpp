// The program's side of the ring: see PortClient.h. An entry's access word, with its lap
// mark, is stored last and with release, so the entry is complete when the helper sees
// the mark; the helper's fields are read with acquire, so an answer's byte is there when
// its ticket is.
#include "bridge/PortClient.h"

#include "bridge/Timestamp.h"

namespace bridge {

namespace {

constexpr std::uint8_t kNoAnswer = 0xFF; // what an undriven port reads
// Spins before a waiting side starts to give its core away, and spins between two
// looks at the clock.
constexpr unsigned kSpinsBeforeYield = 2000;
constexpr unsigned kSpinsPerClockLook = 64;
constexpr std::uint64_t kMaxGap = 0xFFFFFFFFu;

// Waits until `done()` or the helper timeout; `gone()` ends the wait early. The clock
// is first read after a few spins: most waits are over by then, and under Wine a clock
// reading is a system call.
template <typename Done, typename Gone>
bool WaitUntil(BridgePlatform& platform, Done done, Gone gone) {
    std::uint64_t start = 0;
    for (unsigned spin = 1;; ++spin) {
        if (done())
            return true;
        if (spin % kSpinsPerClockLook == 0) {
            if (gone())
                return false;
            const std::uint64_t now = platform.NowUs();
            if (start == 0)
                start = now;
            else if (now - start > kHelperTimeout_us)
                return false;
        }
        if (spin < kSpinsBeforeYield)
            platform.Pause();
        else
            platform.YieldThread();
    }
}

} // namespace

PortClient::~PortClient() {
    if (m_block != nullptr)
        m_platform.UnmapBlock(m_block);
}

bool PortClient::IsOpen() {
    if (m_state == State::Open && StillOpen())
        return true;
    return TryOpen();
}

bool PortClient::StillOpen() {
    if (HelperGone()) {
        m_state = State::Disconnected;
        return false;
    }
    if (!HeartbeatFresh()) {
        CloseOnSilentHelper();
        return false;
    }
    return true;
}

bool PortClient::HelperGone() const {
    return m_block->attached.load(std::memory_order_acquire) == 0 ||
           m_block->generation.load(std::memory_order_acquire) != m_generation;
}

void PortClient::CloseOnSilentHelper() {
    m_state = State::Closed;
}

bool PortClient::HeartbeatFresh() {
    const std::uint32_t beat = m_block->heartbeat.load(std::memory_order_acquire);
    const std::uint64_t now = m_platform.NowUs();
    if (beat != m_lastBeat) {
        m_lastBeat = beat;
        m_lastBeatUs = now;
        return true;
    }
    return now - m_lastBeatUs <= kHelperTimeout_us;
}

// A block whose helper detached (or no block at all) is mapped afresh: a helper that
// exits removes its file, and the next one may have made a new one.
bool PortClient::Remap() {
    if (m_block != nullptr && m_block->attached.load(std::memory_order_acquire) != 0)
        return true;
    if (m_block != nullptr)
        m_platform.UnmapBlock(m_block);
    m_block = m_platform.MapBlock();
    return m_block != nullptr;
}

bool PortClient::TryOpen() {
    if (!Remap() || m_block->attached.load(std::memory_order_acquire) == 0) {
        m_state = State::Disconnected; // whoever attaches next is a new helper
        return false;
    }
    const std::uint32_t generation = m_block->generation.load(std::memory_order_acquire);
    if (m_state == State::Closed && generation == m_generation)
        return false; // still the helper that stopped answering
    m_generation = generation;
    if (!WaitForHeartbeat()) {
        CloseOnSilentHelper();
        return false;
    }
    m_head = m_block->head.load(std::memory_order_relaxed);
    m_tailSeen = m_block->tail.load(std::memory_order_acquire);
    m_lastReturnTicks = 0;
    m_state = State::Open;
    return true;
}

// A helper that is alive counts its heartbeat up within milliseconds; one that was
// killed left `attached` set and never will.
bool PortClient::WaitForHeartbeat() {
    const std::uint32_t first = m_block->heartbeat.load(std::memory_order_acquire);
    const std::uint64_t start = m_platform.NowUs();
    do {
        const std::uint32_t beat = m_block->heartbeat.load(std::memory_order_acquire);
        if (beat != first) {
            m_lastBeat = beat;
            m_lastBeatUs = m_platform.NowUs();
            return true;
        }
        if (HelperGone())
            return false;
        m_platform.SleepMs(1);
    } while (m_platform.NowUs() - start <= kHelperTimeout_us);
    return false;
}

// Room for the entry numbered `sequence`. The tail last seen usually shows room
// already: reading the helper's line on every write would pull it to this core each time.
bool PortClient::WaitForRoom(std::uint32_t sequence, bool* waited) {
    if (sequence - m_tailSeen < kRingEntries)
        return true;
    *waited = true;
    return WaitUntil(
        m_platform,
        [&] {
            m_tailSeen = m_block->tail.load(std::memory_order_acquire);
            return sequence - m_tailSeen < kRingEntries;
        },
        [&] { return HelperGone(); });
}

// The entry's gap is the program's own time since the previous access returned: time
// spent here waiting for the helper is not part of the spacing the port should see.
bool PortClient::Queue(std::uint32_t access) {
    const std::uint64_t start = TimestampTicks();
    const std::uint64_t gap = m_lastReturnTicks == 0 ? 0 : start - m_lastReturnTicks;
    const std::uint32_t sequence = m_head;
    bool waited = false;
    if (!WaitForRoom(sequence, &waited)) {
        CloseOnSilentHelper();
        return false;
    }
    RingEntry& entry = m_block->ring[sequence & kRingMask];
    entry.gap.store(gap > kMaxGap ? kMaxGap : static_cast<std::uint32_t>(gap),
                    std::memory_order_relaxed);
    entry.access.store(access | LapMark(sequence), std::memory_order_release);
    m_head = sequence + 1;
    m_block->head.store(m_head, std::memory_order_relaxed);
    m_lastReturnTicks = waited ? TimestampTicks() : start;
    return true;
}

std::uint8_t PortClient::Read(std::uint16_t address) {
    if (m_state != State::Open)
        return kNoAnswer;
    const std::uint32_t sequence = m_head;
    if (!Queue(EncodeRead(address)))
        return kNoAnswer;
    const std::uint32_t ticket = TicketOf(sequence);
    std::uint32_t answer = 0;
    const bool answered = WaitUntil(
        m_platform,
        [&] {
            answer = m_block->answer.load(std::memory_order_acquire);
            return AnswerTicket(answer) == ticket;
        },
        [&] { return HelperGone(); });
    if (!answered) {
        CloseOnSilentHelper();
        return kNoAnswer;
    }
    m_tailSeen = sequence + 1; // the helper has served everything up to this read
    m_lastReturnTicks = TimestampTicks();
    return static_cast<std::uint8_t>(answer & 0xFF);
}

void PortClient::Write(std::uint16_t address, std::uint8_t value) {
    if (m_state == State::Open)
        Queue(EncodeWrite(address, value));
}

} // namespace bridge
