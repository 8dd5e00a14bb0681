// Timing the busy wait and what it reaches.
#include "link/ClockReach.h"

#include "link/BitDelay.h"

#include <windows.h>

namespace {
constexpr int kRuns = 5;
constexpr int kPassesPerRun = 200;
} // namespace

double MeasureBitDelayPass_us() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    double best = 0;
    for (int run = 0; run < kRuns; ++run) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        ::QueryPerformanceCounter(&start);
        for (int pass = 0; pass < kPassesPerRun; ++pass) {
            volatile std::uint32_t counter = kBitDelayCountdown;
            while (counter > 0)
                counter = counter - 1;
        }
        ::QueryPerformanceCounter(&end);
        const double us = static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                          static_cast<double>(frequency.QuadPart) / kPassesPerRun;
        if (run == 0 || us < best)
            best = us;
    }
    return best;
}

std::uint32_t LowestReachableClock_Hz(double pass_us, std::uint32_t delayBit) {
    // Two cycles within one phase: f > 2 / (delayBit * pass).
    const double phase_us = pass_us * delayBit;
    const double byPhase_Hz = phase_us > 0 ? 2e6 / phase_us : 0;
    const double byMosi_Hz = 1e6 / kMosiSetup_us;
    return static_cast<std::uint32_t>(byPhase_Hz > byMosi_Hz ? byPhase_Hz : byMosi_Hz);
}
