// Prints what one port access through the bridge costs under Wine, with tamberlo-ppdev
// on the fake ppdev device (tests/bridge/with_helper.sh): the round trip of one read
// (median and 99th percentile of single reads) and how many writes per second pass,
// queued and done. Figures only; nothing here fails on speed.
#include "tests/bridge/wine/BridgeDll.h"

#include <x86intrin.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr short kData = 0x378, kStatus = 0x379;
constexpr int kReads = 20000;
constexpr int kWrites = 200000;

// Time-stamp counter ticks per second, measured against the performance counter.
double TicksPerSecond() {
    const double start = NowSeconds();
    const std::uint64_t startTicks = __rdtsc();
    ::Sleep(100);
    return static_cast<double>(__rdtsc() - startTicks) / (NowSeconds() - start);
}

int Run() {
    const DriverLibrary& dll = Bridge();
    if (dll.IsInpOutDriverOpen == nullptr || !dll.IsInpOutDriverOpen()) {
        std::printf("the bridge is not open: no helper serves it\n");
        return 1;
    }
    const double ticksPerUs = TicksPerSecond() / 1e6;
    for (int i = 0; i < 1000; ++i) // warm up both sides
        dll.Inp32(kStatus);

    std::vector<double> roundTripsUs(kReads);
    for (double& us : roundTripsUs) {
        const std::uint64_t start = __rdtsc();
        dll.Inp32(kStatus);
        us = static_cast<double>(__rdtsc() - start) / ticksPerUs;
    }
    std::sort(roundTripsUs.begin(), roundTripsUs.end());

    // Data bits 2-7 drive pins the cable leaves free: SCK and RESET stay as they are.
    const double start = NowSeconds();
    for (int i = 0; i < kWrites; ++i)
        dll.Out32(kData, static_cast<short>((i << 2) & 0xFC));
    const double queued = NowSeconds() - start;
    dll.Inp32(kStatus); // answered once every write before it is done
    const double done = NowSeconds() - start;

    std::printf("Bridge under Wine, helper on the fake ppdev device (simulated board)\n");
    std::printf("  read round trip     median %6.2f us   99th percentile %6.2f us   (%d reads)\n",
                roundTripsUs[kReads / 2], roundTripsUs[kReads * 99 / 100], kReads);
    std::printf("  writes              %6.2f million per second queued, %6.2f million per "
                "second done   (%d writes)\n",
                kWrites / queued / 1e6, kWrites / done / 1e6, kWrites);
    return 0;
}

} // namespace

int main() {
    return Run();
}
