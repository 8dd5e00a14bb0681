// The shared memory block between the bridge inpout32.dll (inside a Wine program) and the
// native tamberlo-ppdev helper: one small file in a directory only its user can use (see
// BlockPath.h) that both sides map. Wine maps a file of the Unix file system with a
// shared mmap of that same file, so both sides see one piece of memory.
//
// Every field is a 32-bit atomic, lock-free, so the 32-bit and the 64-bit compiler lay
// the block out the same way and each access is one aligned load or store. Fields written
// by the helper, by the helper's serving loop and by the program sit on separate cache
// lines, so the two sides do not steal each other's lines on every access.
//
// The port accesses travel through a ring. The program fills the entries in order, each
// marked with the lap of the ring it belongs to, so the helper watches the next entry
// itself and sees it the moment it is complete (one cache line crosses between the
// cores, not an entry and a separate counter). The helper serves the entries in order
// and advances `tail`; `head` counts the entries queued, for a helper that attaches later
// to start from. A write is queued and not waited for; a read is queued behind the
// writes before it, and the helper answers it in `answer` with the read's ticket, so an
// answer can never be mistaken for the one of an earlier read.
//
// Each entry also carries the program's own time between the previous access and this
// one, in time-stamp counter ticks. The helper never serves two entries closer together than
// that: a helper that fell behind (descheduled, or napping) must not squeeze the
// program's bit delays out of a burst of queued writes, or the chip would see clock
// pulses shorter than the program made them.
//
// And each entry carries the epoch it was queued in. When the program gives up waiting
// (a helper that was stopped or starved for longer than the time-out), it counts `epoch`
// up: the helper serves only entries of the current epoch, so nothing the program
// abandoned reaches the port later, and it acknowledges the new epoch in `epochAck`.
// A program that takes the block over from another one counts the epoch up as well.
//
// One program at a time uses a block: it holds `client` (taken with a compare-and-swap)
// and counts `clientBeat` up while it lives; a claim whose beat stopped has lapsed.
//
// The block also names the file the helper made for it (its owner, device, inode and
// mode): the DLL and the launcher take a block only from that very file, so a copy, or
// a file put in its place, is never mistaken for the helper's.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace bridge {

using Word = std::atomic<std::uint32_t>;
static_assert(Word::is_always_lock_free, "both sides need lock-free 32-bit atomics");
static_assert(sizeof(Word) == 4 && alignof(Word) == 4, "a 32-bit atomic is a plain word");

constexpr std::uint32_t kBlockMagic = 0x54425054; // "TPBT" in memory order
constexpr std::uint32_t kBlockVersion = 3;

// How long a read, a full ring or a silent heartbeat is waited for before the program
// gives up. A live helper answers within microseconds and beats every few milliseconds;
// a helper that was killed never does. No gap between two accesses is kept longer than
// this either: the program has given up on the helper by then.
constexpr std::uint64_t kHelperTimeout_us = 250'000;
constexpr std::uint32_t kRingEntries = 1024; // a power of two
constexpr std::uint32_t kRingMask = kRingEntries - 1;
static_assert((kRingEntries & kRingMask) == 0, "ring indices wrap with a mask");

// A ring entry's access word: bit 31 set for a read; bits 24-30 the lap mark; bits 16-23
// the byte to write; bits 0-15 the I/O address. The mark of entry number `sequence` is
// its lap modulo 127, plus 1: an entry still holding the previous lap's mark (or a
// zeroed block's 0) is not yet filled.
constexpr std::uint32_t kReadFlag = 0x80000000u;
constexpr std::uint32_t kLapMarks = 127;

constexpr std::uint32_t LapMark(std::uint32_t sequence) {
    return ((sequence / kRingEntries) % kLapMarks + 1) << 24;
}
constexpr std::uint32_t EncodeWrite(std::uint16_t address, std::uint8_t value) {
    return (std::uint32_t{value} << 16) | address;
}
constexpr std::uint32_t EncodeRead(std::uint16_t address) {
    return kReadFlag | address;
}
constexpr bool IsFilled(std::uint32_t entry, std::uint32_t sequence) {
    return (entry & 0x7F000000u) == LapMark(sequence);
}
constexpr bool IsRead(std::uint32_t entry) {
    return (entry & kReadFlag) != 0;
}
constexpr std::uint16_t AddressOf(std::uint32_t entry) {
    return static_cast<std::uint16_t>(entry & 0xFFFF);
}
constexpr std::uint8_t ValueOf(std::uint32_t entry) {
    return static_cast<std::uint8_t>((entry >> 16) & 0xFF);
}

// The answer to the read queued as entry number `sequence`: bits 8-31 its ticket
// (sequence + 1, modulo 2^24, so a fresh block's zero answer matches no read), bits
// 0-7 the byte read.
constexpr std::uint32_t kTicketMask = 0x00FFFFFFu;
constexpr std::uint32_t TicketOf(std::uint32_t sequence) {
    return (sequence + 1) & kTicketMask;
}
constexpr std::uint32_t EncodeAnswer(std::uint32_t sequence, std::uint8_t value) {
    return (TicketOf(sequence) << 8) | value;
}
constexpr std::uint32_t AnswerTicket(std::uint32_t answer) {
    return answer >> 8;
}

struct RingEntry {
    Word access; // EncodeRead / EncodeWrite with the LapMark, stored last
    Word gap;    // ticks the program spent since the access before; 0 = serve at once
    Word epoch;  // the program's epoch when it queued the entry
    std::uint32_t reserved;
};
static_assert(sizeof(RingEntry) == 16, "layout shared by both sides");

struct SharedBlock {
    // Written by the helper when it sets the block up, attaches and detaches, and its
    // heartbeat. `magic` is stored last when the helper sets up a new block, so a reader
    // that sees it sees the rest; `attached` is stored last when it attaches.
    // tamberlo-linux learns that its helper serves from `helperPid`, `attached` and
    // `heartbeat` as tamberlo-ppdev --check-block prints them; the tests' scripts read
    // them at byte offsets 24, 12 and 20 with od.
    Word magic;
    Word version;
    Word ringEntries;
    Word attached;   // 1 while a helper serves the block
    Word generation; // changes every time a helper attaches
    Word heartbeat;  // counted up by the helper every few milliseconds while it runs
    Word helperPid;
    Word base;    // the I/O base the helper serves (data; status and control follow)
    Word refused; // accesses outside the three registers, refused so far
    // The block's file as the helper made it, stored before `magic`.
    Word fileOwner;
    Word fileDeviceMajor;
    Word fileDeviceMinor;
    Word fileInodeLow;
    Word fileInodeHigh;
    Word fileMode; // type and permission bits
    std::uint32_t reserved0[1];
    // Written by the helper while it serves.
    Word tail; // entries served or dropped
    Word answer;
    Word epochAck; // the newest epoch the helper has seen
    std::uint32_t reserved1[13];
    // Written by the program on every access.
    Word head; // entries queued; read by a helper when it attaches
    std::uint32_t reserved2[15];
    // Written by the program now and then.
    Word epoch;       // entries of older epochs are dropped, never served
    Word client;      // the claim of the program using the block; 0 = none
    Word clientBeat;  // counted up by the claiming program while it lives
    Word claimSerial; // counted up by every program that claims, for a token of its own
    std::uint32_t reserved3[12];
    RingEntry ring[kRingEntries];
};

static_assert(std::is_standard_layout<SharedBlock>::value, "mapped as raw memory");
static_assert(offsetof(SharedBlock, magic) == 0, "layout shared by both sides");
static_assert(offsetof(SharedBlock, version) == 4, "layout shared by both sides");
static_assert(offsetof(SharedBlock, ringEntries) == 8, "layout shared by both sides");
static_assert(offsetof(SharedBlock, attached) == 12, "layout shared by both sides");
static_assert(offsetof(SharedBlock, generation) == 16, "layout shared by both sides");
static_assert(offsetof(SharedBlock, heartbeat) == 20, "layout shared by both sides");
static_assert(offsetof(SharedBlock, helperPid) == 24, "layout shared by both sides");
static_assert(offsetof(SharedBlock, base) == 28, "layout shared by both sides");
static_assert(offsetof(SharedBlock, refused) == 32, "layout shared by both sides");
static_assert(offsetof(SharedBlock, fileOwner) == 36, "layout shared by both sides");
static_assert(offsetof(SharedBlock, fileMode) == 56, "layout shared by both sides");
static_assert(offsetof(SharedBlock, tail) == 64, "layout shared by both sides");
static_assert(offsetof(SharedBlock, answer) == 68, "layout shared by both sides");
static_assert(offsetof(SharedBlock, epochAck) == 72, "layout shared by both sides");
static_assert(offsetof(SharedBlock, head) == 128, "layout shared by both sides");
static_assert(offsetof(SharedBlock, epoch) == 192, "layout shared by both sides");
static_assert(offsetof(SharedBlock, client) == 196, "layout shared by both sides");
static_assert(offsetof(SharedBlock, clientBeat) == 200, "layout shared by both sides");
static_assert(offsetof(SharedBlock, claimSerial) == 204, "layout shared by both sides");
static_assert(offsetof(SharedBlock, ring) == 256, "layout shared by both sides");
static_assert(sizeof(SharedBlock) == 256 + 16 * kRingEntries, "layout shared by both sides");

// A mapped block that a helper set up for this layout.
inline bool IsBlockOfThisLayout(const SharedBlock& block) {
    return block.magic.load(std::memory_order_acquire) == kBlockMagic &&
           block.version.load(std::memory_order_relaxed) == kBlockVersion &&
           block.ringEntries.load(std::memory_order_relaxed) == kRingEntries;
}

} // namespace bridge
