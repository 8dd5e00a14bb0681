// Prints what one port access through the simulated inpout32.dll costs: the
// Inp32 and Out32 calls through GetProcAddress pointers, timed with the
// performance counter while the chip shifts bits. Never fails on speed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/driver/DriverLibrary.h"

namespace {

constexpr long kCalls = 200'000;
constexpr short kData = 0x378;
constexpr short kStatus = 0x379;

double NsSince(const LARGE_INTEGER& start, long calls) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    const double seconds = static_cast<double>(now.QuadPart - start.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    return seconds * 1e9 / static_cast<double>(calls);
}

} // namespace

int main() {
    // A chip file that is never written: the chip only shifts zeros, which
    // make no instruction that changes memory.
    char dir[MAX_PATH];
    ::GetTempPathA(sizeof dir, dir);
    const std::string chipFile = std::string(dir) + "tamberlo-driver-benchmark-" +
                                 std::to_string(::GetCurrentProcessId()) + ".bin";
    SetRuntimeEnv("TAMBERLO_SIM_CHIP_FILE", chipFile.c_str());
    DriverLibrary dll;
    if (!dll.loaded() || dll.Inp32 == nullptr || dll.Out32 == nullptr) {
        std::printf("cannot load %s (error %lu)\n", DriverDllPath().c_str(), ::GetLastError());
        return 1;
    }
    // RESET pulse with SCK low and the start-up time, so SCK edges reach the chip.
    dll.Out32(kData, 0x00);
    dll.Out32(kData, 0x02);
    dll.Out32(kData, 0x00);
    ::Sleep(25);

    LARGE_INTEGER start;
    unsigned sink = 0;
    ::QueryPerformanceCounter(&start);
    for (long i = 0; i < kCalls; ++i) {
        sink += static_cast<unsigned>(dll.Inp32(kStatus));
    }
    const double inNs = NsSince(start, kCalls);

    ::QueryPerformanceCounter(&start);
    for (long i = 0; i < kCalls; ++i) {
        dll.Out32(kData, static_cast<short>(i & 1)); // SCK up and down
    }
    const double outNs = NsSince(start, kCalls);

    std::printf("simulated %s, Inp32 (status register): %.1f ns per call\n",
                TAMBERLO_DRIVER_DLL_NAME, inNs);
    std::printf("simulated %s, Out32 (SCK edge to the chip): %.1f ns per call\n",
                TAMBERLO_DRIVER_DLL_NAME, outNs);
    std::printf("(%ld calls each; status sum %u)\n", kCalls, sink);
    dll.Unload();
    ::DeleteFileA(chipFile.c_str());
    return 0;
}
