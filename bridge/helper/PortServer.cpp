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
// the program's own spacing: the chip sees the clock pulses the program made. And only
// entries of the program's current epoch are served; the epoch is looked at right
// before each port access.
#include "bridge/helper/PortServer.h"

#include "bridge/Timestamp.h"
#include "bridge/helper/TruncationGuard.h"

#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace bridge {

namespace {

constexpr unsigned kSpinsBeforeYield = 300;
constexpr unsigned kSpinsPerClockLook = 64;
constexpr std::uint64_t kQuietBeforeNap_us = 1'000'000;
constexpr long kNap_ns = 20'000'000;
constexpr std::uint64_t kHeartbeatInterval_us = 2'000;
// What is left of a gap longer than this is slept, not spun, down to this much.
constexpr std::uint64_t kSleptGap_us = 300;
constexpr std::uint64_t kSpunGap_us = 100;
constexpr long kCalibration_ns = 5'000'000;
// What is queued when the helper is told to stop is served for at most this long: the
// program's last accesses (the release of the lines) reach the port, and a program
// that goes on queueing cannot keep the helper from stopping.
constexpr std::uint64_t kDrainLimit_us = 200'000;

std::uint64_t NowUs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

void Nap() {
    const timespec nap{0, kNap_ns};
    ::nanosleep(&nap, nullptr); // a signal ends it early, which is what a stop needs
}

void CpuPause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

std::uint64_t NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

// How many processors this process may run on (taskset, cgroups and the machine).
unsigned Processors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    return ::sched_getaffinity(0, sizeof allowed, &allowed) == 0
               ? static_cast<unsigned>(CPU_COUNT(&allowed))
               : 2;
}

// Time-stamp counter ticks per microsecond.
std::uint64_t TicksPerMicrosecond() {
    const std::uint64_t startNs = NowNs();
    const std::uint64_t startTicks = TimestampTicks();
    const timespec wait{0, kCalibration_ns};
    ::nanosleep(&wait, nullptr);
    const std::uint64_t ns = NowNs() - startNs;
    const std::uint64_t ticks = TimestampTicks() - startTicks;
    return ns > 0 && ticks >= ns / 1000 ? ticks * 1000 / ns : 1;
}

} // namespace

PortServer::PortServer(BlockFile& block, PpdevPort& port, std::uint16_t base)
    : m_block(block), m_port(port), m_base(base),
      m_spinsBeforeYield(Processors() > 1 ? kSpinsBeforeYield : 0),
      m_ticksPerUs(TicksPerMicrosecond()) {}

ServeEnd PortServer::Serve(const volatile std::sig_atomic_t& stop, pid_t parent) {
    SharedBlock& block = m_block.block();
    std::uint32_t tail = block.tail.load(std::memory_order_relaxed);
    m_epoch = block.epochAck.load(std::memory_order_relaxed);
    std::uint64_t lastActivity = NowUs();
    std::uint64_t lastBeat = lastActivity;
    unsigned idleRounds = 0;
    bool napping = false;
    bool parentGone = false;
    while (!stop && !parentGone && m_deviceError == 0 && !BlockTruncated()) {
        if (ServeFilled(block, &tail)) {
            block.tail.store(tail, std::memory_order_release);
            idleRounds = 0;
        } else if (++idleRounds < m_spinsBeforeYield) {
            CpuPause();
            if (idleRounds % kSpinsPerClockLook != 0)
                continue;
        } else if (!napping) {
            ::sched_yield();
        }
        const std::uint64_t now = NowUs();
        if (idleRounds == 0)
            lastActivity = now;
        CurrentEpoch(); // acknowledges a new epoch also when nothing follows it
        if (now - lastBeat >= kHeartbeatInterval_us) {
            m_block.Beat();
            lastBeat = now;
            parentGone = parent != 0 && ::getppid() != parent;
        }
        napping = now - lastActivity > kQuietBeforeNap_us;
        if (napping)
            Nap();
    }
    if (m_deviceError != 0)
        return ServeEnd::DeviceError;
    if (BlockTruncated())
        return ServeEnd::Truncated;
    Drain(block, &tail);
    return parentGone ? ServeEnd::ParentGone : ServeEnd::Stopped;
}

// Serves (or drops) the entries filled from `*tail` on, at most a ring's worth, so a
// program that never pauses still lets the loop beat and look for a stop; false when
// there was none.
bool PortServer::ServeFilled(SharedBlock& block, std::uint32_t* tail) {
    for (std::uint32_t count = 0; count < kRingEntries; ++count) {
        RingEntry& slot = block.ring[*tail & kRingMask];
        const std::uint32_t entry = slot.access.load(std::memory_order_acquire);
        if (!IsFilled(entry, *tail))
            return count > 0;
        ServeEntry(slot, entry, *tail);
        ++*tail;
    }
    return true;
}

void PortServer::Drain(SharedBlock& block, std::uint32_t* tail) {
    const std::uint64_t start = NowUs();
    while (m_deviceError == 0 && !BlockTruncated() && NowUs() - start < kDrainLimit_us &&
           ServeFilled(block, tail))
        block.tail.store(*tail, std::memory_order_release);
}

// One ring entry; a read's answer carries the entry's number as its ticket. An entry
// of an older epoch is dropped, a read of it left unanswered: the program gave up on it.
void PortServer::ServeEntry(const RingEntry& slot, std::uint32_t entry, std::uint32_t sequence) {
    const std::uint32_t epoch = slot.epoch.load(std::memory_order_relaxed);
    if (epoch != CurrentEpoch()) {
        ++m_counts.dropped;
        return;
    }
    KeepGap(slot.gap.load(std::memory_order_relaxed));
    if (epoch != CurrentEpoch()) { // the program gave up while the gap passed
        ++m_counts.dropped;
        return;
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
// chip needs the program's write and erase waits as much as its clock phases.
void PortServer::KeepGap(std::uint32_t gap) {
    if (gap == 0)
        return;
    const std::uint64_t due = m_lastServedTicks + gap;
    for (std::uint64_t now = TimestampTicks(); now < due; now = TimestampTicks()) {
        const std::uint64_t left_us = (due - now) / m_ticksPerUs;
        if (left_us > kSleptGap_us) {
            const std::uint64_t sleep_us = left_us - kSpunGap_us;
            const timespec nap{static_cast<time_t>(sleep_us / 1'000'000),
                               static_cast<long>(sleep_us % 1'000'000 * 1000)};
            ::nanosleep(&nap, nullptr);
        } else {
            CpuPause();
        }
    }
}

std::uint8_t PortServer::Read(std::uint16_t address) {
    std::uint8_t value = 0xFF;
    const std::uint16_t offset = static_cast<std::uint16_t>(address - m_base);
    if (offset == 0)
        RecordDeviceCall(m_port.ReadData(&value));
    else if (offset == 1)
        RecordDeviceCall(m_port.ReadStatus(&value));
    else if (offset == 2)
        RecordDeviceCall(m_port.ReadControl(&value));
    else
        Refuse();
    ++m_counts.reads;
    return value;
}

void PortServer::Write(std::uint16_t address, std::uint8_t value) {
    const std::uint16_t offset = static_cast<std::uint16_t>(address - m_base);
    if (offset == 0)
        RecordDeviceCall(m_port.WriteData(value));
    else if (offset == 2)
        RecordDeviceCall(m_port.WriteControl(value));
    else if (offset != 1) // status is read-only: a write there changes nothing on a port
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
