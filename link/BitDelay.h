// The serial link's busy wait between SCK edges: each pass of BitDelay counts a
// volatile counter down from kBitDelayCountdown to zero, without any system call,
// so the wait scales with the processor like the timing loops of its era.
#pragma once
#include <cstdint>

constexpr std::uint32_t kBitDelayCountdown = 0x157C; // 5500 decrements per pass

// Decrements made by all BitDelay passes so far, taken from the counter itself
// (start value minus the value the pass ended on).
std::uint64_t BitDelayDecrements();
