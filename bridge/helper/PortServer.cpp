// The helper's serving loop: see PortServer.h.
//
// A read in the program waits for this loop's answer, so the loop spins while the
// program is at work: its waits between two accesses are microseconds (bit clock) to
// tens of milliseconds (a byte's write time), and a sleeping helper would add a timer's
// wake-up to every one of them. Once the program has been quiet for longer than its
// longest such wait, the loop naps between looks, so an idle helper costs next to no
// processor time. The heartbeat goes on in both states.
#include "bridge/helper/PortServer.h"

#include <cerrno>
#include <ctime>

namespace bridge {

namespace {

constexpr std::uint64_t kSpinWindow_us = 50'000; // longer than Delay Byte 10's write wait
constexpr std::uint64_t kHeartbeatInterval_us = 2'000;
constexpr long kNap_ns = 200'000;
constexpr unsigned kSpinsPerClockLook = 64;

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

} // namespace

bool PortServer::Serve(const volatile std::sig_atomic_t& stop) {
    SharedBlock& block = m_block.block();
    std::uint32_t tail = block.tail.load(std::memory_order_relaxed);
    std::uint64_t lastActivity = NowUs();
    std::uint64_t lastBeat = lastActivity;
    unsigned idleSpins = 0;
    while (!stop && m_deviceError == 0) {
        const std::uint32_t head = block.head.load(std::memory_order_acquire);
        if (head - tail > kRingEntries)
            tail = head - kRingEntries; // a program that ran ahead of the ring: keep its last
        const bool served = head != tail;
        if (served) {
            for (; tail != head; ++tail)
                Serve(block, tail);
            block.tail.store(tail, std::memory_order_release);
            idleSpins = 0;
        } else if (++idleSpins % kSpinsPerClockLook != 0) {
            CpuPause();
            continue;
        }
        const std::uint64_t now = NowUs();
        if (served)
            lastActivity = now;
        if (now - lastBeat >= kHeartbeatInterval_us) {
            m_block.Beat();
            lastBeat = now;
        }
        if (now - lastActivity > kSpinWindow_us)
            Nap();
    }
    return m_deviceError == 0;
}

// One ring entry; a read's answer carries the entry's number as its ticket.
void PortServer::Serve(SharedBlock& block, std::uint32_t sequence) {
    const std::uint32_t entry = block.ring[sequence & kRingMask].load(std::memory_order_relaxed);
    if (IsRead(entry)) {
        const std::uint8_t value = Read(AddressOf(entry));
        block.tail.store(sequence + 1, std::memory_order_release);
        block.answer.store(EncodeAnswer(sequence, value), std::memory_order_release);
    } else {
        Write(AddressOf(entry), ValueOf(entry));
    }
}

std::uint8_t PortServer::Read(std::uint16_t address) {
    std::uint8_t value = 0xFF;
    const std::uint16_t offset = static_cast<std::uint16_t>(address - m_base);
    if (offset == 0)
        DeviceFailed(m_port.ReadData(&value));
    else if (offset == 1)
        DeviceFailed(m_port.ReadStatus(&value));
    else if (offset == 2)
        DeviceFailed(m_port.ReadControl(&value));
    else
        Refuse();
    ++m_counts.reads;
    return value;
}

void PortServer::Write(std::uint16_t address, std::uint8_t value) {
    const std::uint16_t offset = static_cast<std::uint16_t>(address - m_base);
    if (offset == 0)
        DeviceFailed(m_port.WriteData(value));
    else if (offset == 2)
        DeviceFailed(m_port.WriteControl(value));
    else if (offset != 1) // status is read-only: a write there changes nothing on a port
        Refuse();
    ++m_counts.writes;
}

void PortServer::Refuse() {
    ++m_counts.refused;
    Word& refused = m_block.block().refused;
    refused.store(refused.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void PortServer::DeviceFailed(bool ok) {
    if (ok)
        return;
    ++m_counts.deviceErrors;
    m_deviceError = errno;
}

} // namespace bridge
