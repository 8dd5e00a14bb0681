// The helper's serving loop: see PortServer.h.
//
// A read in the program waits for this loop's answer, so the loop stays awake while the
// program is at work: its waits between two accesses are microseconds (bit clock) to
// tens of milliseconds (a byte's write time), and a sleeping helper would add a timer's
// wake-up to every one of them. It spins a few hundred rounds, then gives its core
// away (sched_yield) at every round: on a machine with one processor, the program that
// waits for an answer runs on the same core, and a helper that only spun would hold it
// until the scheduler took it away, a few milliseconds later. A helper that may run on
// one processor only yields at once: no spin of its can be answered. Once the program
// has been quiet for a second, the loop naps between looks, so an idle helper costs
// next to no processor time. The heartbeat goes on in every state.
//
// Each entry is served no sooner after the one before it than the program queued it
// (the entry's gap), so a burst of writes that waited in the ring reaches the port with
// the program's own spacing: the chip sees the clock pulses the program made - up to
// the program's own time-out, after which it has given up on the helper anyway. A long
// gap is slept in slices, so that the helper beats and sees a stop while it waits. And only entries
// of the program's current epoch are served; the epoch is looked at right before each port access.
#include "bridge/helper/PortServer.h"

#include "bridge/SpinThenYield.h"
#include "bridge/Timestamp.h"
#include "bridge/helper/MonotonicClock.h"
#include "lpt/PrinterPort.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace bridge {

namespace {

constexpr unsigned kSpinsBeforeYield = 300;
constexpr std::uint64_t kQuietBeforeNap_us = 1'000'000;
constexpr long kNap_ns = 20'000'000;
constexpr std::uint64_t kHeartbeatInterval_us = 2'000;
// What is left of a gap longer than this is slept, not spun, down to this much.
constexpr std::uint64_t kSleptGap_us = 300;
constexpr std::uint64_t kSpunGap_us = 100;
// A gap is slept at most this long at a time, between two beats and looks for a stop:
// far within the program's time-out, and longer than the waits of any operation (a
// chip erase, a byte's write), which are so slept in one piece as ever. A stop signal
// ends a sleep at once anyway.
constexpr std::uint64_t kGapSlice_us = 50'000;
constexpr long kCalibration_ns = 5'000'000;
// What is queued when the helper is told to stop is served for at most this long: the
// program's last accesses (the release of the lines) reach the port, and neither a
// program that goes on queueing nor the gaps of the entries can keep the helper from
// stopping.
constexpr std::uint64_t kDrainLimit_us = 200'000;

void Nap() {
    const timespec nap{0, kNap_ns};
    ::nanosleep(&nap, nullptr); // a signal ends it early, which is what a stop needs
}

void SleepUs(std::uint64_t us) {
    const timespec sleep{static_cast<time_t>(us / 1'000'000),
                         static_cast<long>(us % 1'000'000 * 1000)};
    ::nanosleep(&sleep, nullptr); // as Nap
}

void CpuPause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Time-stamp counter ticks per microsecond.
std::uint64_t TicksPerMicrosecond() {
    const std::uint64_t startNs = MonotonicNs();
    const std::uint64_t startTicks = TimestampTicks();
    const timespec wait{0, kCalibration_ns};
    ::nanosleep(&wait, nullptr);
    const std::uint64_t ns = MonotonicNs() - startNs;
    const std::uint64_t ticks = TimestampTicks() - startTicks;
    return ns > 0 && ticks >= ns / 1000 ? ticks * 1000 / ns : 1;
}

} // namespace

PortServer::PortServer(BlockFile& block, PpdevPort& port, std::uint16_t base)
    : m_block(block), m_port(port), m_base(base), m_ticksPerUs(TicksPerMicrosecond()),
      m_longestGapTicks(kHelperTimeout_us * m_ticksPerUs) {}

ServeEnd PortServer::Serve(const volatile std::sig_atomic_t& stop, pid_t parent) {
    m_stop = &stop;
    m_parent = parent;
    SharedBlock& block = m_block.block();
    std::uint32_t tail = block.tail.load(std::memory_order_relaxed);
    m_epoch = block.epochAck.load(std::memory_order_relaxed);
    std::uint64_t lastActivity = MonotonicUs();
    m_lastBeatTicks = TimestampTicks();
    SpinThenYield wait(AllowedProcessors(), kSpinsBeforeYield, 1);
    bool napping = false;
    while (!Stopping() && !Ended()) {
        if (ServeFilled(block, &tail)) {
            block.tail.store(tail, std::memory_order_release);
            wait.Restart();
        } else if (!wait.Round(CpuPause, [&] {
                       if (!napping)
                           ::sched_yield();
                   })) {
            continue;
        }
        const std::uint64_t now = MonotonicUs();
        if (wait.Fresh())
            lastActivity = now;
        CurrentEpoch(); // acknowledges a new epoch also when nothing follows it
        Tick(TimestampTicks());
        napping = now - lastActivity > kQuietBeforeNap_us;
        if (napping)
            Nap();
    }
    if (m_deviceError != 0)
        return ServeEnd::DeviceError;
    if (BlockTruncated())
        return ServeEnd::Truncated;
    Drain(block, &tail);
    return m_parentGone ? ServeEnd::ParentGone : ServeEnd::Stopped;
}

// Beats the heartbeat when it is due, and looks for a stop: the first one seen starts
// the drain's time.
void PortServer::Tick(std::uint64_t nowTicks) {
    if (nowTicks - m_lastBeatTicks >= kHeartbeatInterval_us * m_ticksPerUs) {
        m_block.Beat();
        m_lastBeatTicks = nowTicks;
        m_parentGone = m_parentGone || (m_parent != 0 && ::getppid() != m_parent);
    }
    if (!Stopping() && (*m_stop || m_parentGone))
        m_drainEndTicks = nowTicks + kDrainLimit_us * m_ticksPerUs;
}

// Serves (or drops) the entries filled from `*tail` on, at most a ring's worth, so a
// program that never pauses still lets the loop look for a stop; between two entries
// it beats and looks for one too. False when there was none.
bool PortServer::ServeFilled(SharedBlock& block, std::uint32_t* tail) {
    for (std::uint32_t count = 0; count < kRingEntries; ++count) {
        RingEntry& slot = block.ring[*tail & kRingMask];
        const std::uint32_t entry = slot.access.load(std::memory_order_acquire);
        if (!IsFilled(entry, *tail))
            return count > 0;
        if (count > 0) {
            const std::uint64_t now = TimestampTicks();
            Tick(now);
            if (DrainOver(now) || Ended())
                return true;
        }
        if (!ServeEntry(slot, entry, *tail))
            return true; // the drain's time ran out in the entry's gap: left unserved
        ++*tail;
    }
    return true;
}

void PortServer::Drain(SharedBlock& block, std::uint32_t* tail) {
    while (!Ended() && !DrainOver(TimestampTicks()) && ServeFilled(block, tail))
        block.tail.store(*tail, std::memory_order_release);
}

// One ring entry; a read's answer carries the entry's number as its ticket. An entry
// of an older epoch is dropped, a read of it left unanswered: the program gave up on it.
// False when the entry's gap outlasted the drain after a stop: it is not served.
bool PortServer::ServeEntry(const RingEntry& slot, std::uint32_t entry, std::uint32_t sequence) {
    const std::uint32_t epoch = slot.epoch.load(std::memory_order_relaxed);
    if (epoch != CurrentEpoch()) {
        ++m_counts.dropped;
        return true;
    }
    if (!KeepGap(slot.gap.load(std::memory_order_relaxed)))
        return false;
    if (epoch != CurrentEpoch()) { // the program gave up while the gap passed
        ++m_counts.dropped;
        return true;
    }
    SharedBlock& block = m_block.block();
    if (IsRead(entry)) {
        const std::uint8_t value = Read(AddressOf(entry));
        m_lastServedTicks = TimestampTicks();
        block.tail.store(sequence + 1, std::memory_order_release);
        block.answer.store(EncodeAnswer(sequence, value), std::memory_order_release);
    } else {
        Write(AddressOf(entry), ValueOf(entry));
        m_lastServedTicks = TimestampTicks();
    }
    return true;
}

// The program's epoch; a new one is acknowledged the moment it is seen.
std::uint32_t PortServer::CurrentEpoch() {
    SharedBlock& block = m_block.block();
    const std::uint32_t epoch = block.epoch.load(std::memory_order_acquire);
    if (epoch != m_epoch) {
        m_epoch = epoch;
        block.epochAck.store(epoch, std::memory_order_release);
    }
    return epoch;
}

// Waits until the entry's gap has passed since the access before it was done: the
// program measured its gap from the return of that access. A helper that kept up has
// nothing left to wait, also after the program's sleeps; one that fell behind (it
// shares its processor, or was descheduled) waits out the rest, short or long: the
// chip needs the program's write and erase waits as much as its clock phases. No gap is
// kept longer than the program's time-out. False when the drain after a stop ended
// first.
bool PortServer::KeepGap(std::uint32_t gap) {
    if (gap == 0)
        return true;
    const std::uint64_t due = m_lastServedTicks + std::min<std::uint64_t>(gap, m_longestGapTicks);
    for (std::uint64_t now = TimestampTicks(); now < due; now = TimestampTicks()) {
        const std::uint64_t left_us = (due - now) / m_ticksPerUs;
        if (left_us > kSleptGap_us) {
            SleepUs(std::min(left_us - kSpunGap_us, kGapSlice_us));
            const std::uint64_t woke = TimestampTicks();
            Tick(woke);
            if (DrainOver(woke))
                return false;
        } else {
            CpuPause();
        }
    }
    return true;
}

std::uint8_t PortServer::Read(std::uint16_t address) {
    std::uint8_t value = lpt::kFloatingBus;
    if (address == lpt::DataAddress(m_base))
        RecordDeviceCall(m_port.ReadData(&value));
    else if (address == lpt::StatusAddress(m_base))
        RecordDeviceCall(m_port.ReadStatus(&value));
    else if (address == lpt::ControlAddress(m_base))
        RecordDeviceCall(m_port.ReadControl(&value));
    else
        Refuse();
    ++m_counts.reads;
    return value;
}

void PortServer::Write(std::uint16_t address, std::uint8_t value) {
    if (address == lpt::DataAddress(m_base))
        RecordDeviceCall(m_port.WriteData(value));
    else if (address == lpt::ControlAddress(m_base))
        RecordDeviceCall(m_port.WriteControl(value));
    else if (address != lpt::StatusAddress(m_base)) // read-only: a write there changes nothing
        Refuse();
    ++m_counts.writes;
}

void PortServer::Refuse() {
    ++m_counts.refused;
    Word& refused = m_block.block().refused;
    refused.store(refused.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void PortServer::RecordDeviceCall(bool succeeded) {
    if (succeeded)
        return;
    ++m_counts.deviceErrors;
    m_deviceError = errno;
}

} // namespace bridge
