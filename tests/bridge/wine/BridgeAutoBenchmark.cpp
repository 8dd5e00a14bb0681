// Prints how long Auto takes for a full 8 KB image at DELAY BIT 1 / DELAY BYTE 1 when the
// real tamberlo.exe reaches the port through the bridge (tamberlo-ppdev on the fake
// ppdev device, started by tests/bridge/with_helper.sh), and the program's own overhead:
// the wall time less the program's Sleep waits and its busy waits, both measured inside
// the program by the timing inpout32.dll that stands in front of the bridge (the stretch
// after each SCK edge is one BitDelay pass as the program ran it), and less that DLL's
// own time-stamp reads.
// Figures only; nothing here fails on timing.
#include "tests/bridge/wine/BridgeDll.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

enum : int { kAuto = 1004 };
constexpr unsigned kImageBytes = 8192;

std::vector<unsigned char> Image() {
    std::vector<unsigned char> image(kImageBytes);
    for (unsigned i = 0; i < kImageBytes; ++i)
        image[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
    return image;
}

void WriteHex(const std::string& path, const std::vector<unsigned char>& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (unsigned address = 0; address < image.size(); address += 16) {
        unsigned sum = 16 + (address >> 8) + (address & 0xFF);
        std::fprintf(file, ":10%04X00", address);
        for (unsigned i = 0; i < 16; ++i) {
            std::fprintf(file, "%02X", image[address + i]);
            sum += image[address + i];
        }
        std::fprintf(file, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    }
    std::fprintf(file, ":00000001FF\r\n");
    std::fclose(file);
}

std::map<std::string, double> ReadFigures(const std::string& path) {
    std::map<std::string, double> figures;
    std::ifstream file(path);
    std::string name;
    double value = 0;
    while (file >> name >> value)
        figures[name] = value;
    return figures;
}

TEST(BridgeAutoBenchmark, FullImageThroughTheBridge) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    const std::vector<unsigned char> image = Image();
    const std::string hex = TempPath("bridge-benchmark.hex");
    WriteHex(hex, image);
    const std::string figuresPath = TempPath("bridge-benchmark-figures.txt");
    ::DeleteFileA(figuresPath.c_str());
    ::SetEnvironmentVariableA("TAMBERLO_BRIDGE_STATS_FILE", figuresPath.c_str());
    const std::string chipFile = WindowsPath(Environment("TAMBERLO_SIM_CHIP_FILE"));

    double wall = 0;
    {
        Session session(chipFile);
        ASSERT_TRUE(session.OpenHexFile(hex).empty());
        const double start = NowSeconds();
        EXPECT_TRUE(session.Press(kAuto).empty());
        wall = NowSeconds() - start;
        EXPECT_EQ(session.Caption(), "Verfify Ok");
    }
    const std::vector<unsigned char> flash = ReadBytes(chipFile);
    ASSERT_GE(flash.size(), kImageBytes);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));

    std::map<std::string, double> f = ReadFigures(figuresPath);
    ASSERT_FALSE(f.empty()) << "the timing port driver DLL wrote no figures";
    const double passSeconds = f["busy_pass_ns"] / 1e9;
    const double busy = f["busy_seconds"];
    const double sleeps = f["sleep_seconds"];
    const double bridge = f["bridge_seconds"];
    const double timing = f["timing_seconds"];
    const double overhead = wall - sleeps - busy - timing;
    const double accesses = f["reads"] + f["writes"];
    std::printf("Auto, 8192 bytes, DELAY BIT 1, DELAY BYTE 1, tamberlo.exe through the bridge\n"
                "(tamberlo-ppdev on the fake ppdev device, simulated board, real time)\n");
    std::printf("  wall time                  %8.2f s\n", wall);
    std::printf("  Sleep waits                %8.2f s   (%.0f sleeps asking for %.2f s)\n", sleeps,
                f["sleeps"], f["sleep_requested_ms"] / 1000);
    std::printf(
        "  busy waits (BitDelay)      %8.2f s   (%.0f passes, median %.2f us, mean %.2f us)\n",
        busy, f["sck_edges"], passSeconds * 1e6, busy / f["sck_edges"] * 1e6);
    std::printf("  timing these figures       %8.2f s   (time-stamp reads of the timing DLL)\n",
                timing);
    std::printf("  port accesses (the bridge) %7.2f s   (%.0f reads, %.0f writes, %.0f driver "
                "checks; %.3f us per access)\n",
                bridge, f["reads"], f["writes"], f["open_checks"], 1e6 * bridge / accesses);
    std::printf("    status reads             %8.2f s   (%.0f reads waiting for the helper's "
                "answer, %.2f us each)\n",
                f["status_seconds"], f["status_reads"],
                1e6 * f["status_seconds"] / f["status_reads"]);
    std::printf("    slow accesses            %8.2f s   (%.0f accesses over 100 us: the program or "
                "the helper waited for a processor)\n",
                f["slow_seconds"], f["slow_accesses"]);
    // As for the simulated driver, the time the port accesses take is the port's, not
    // Auto's own; the second line counts it in as well.
    const double own = overhead - bridge;
    std::printf("  Auto's own overhead        %8.2f s   = %.2f %% of the wall time (target < 2 %%; "
                "progress bar, logic)\n",
                own, 100 * own / wall);
    std::printf("  with the bridge's time     %8.2f s   = %.2f %% of the wall time\n", overhead,
                100 * overhead / wall);
}

} // namespace
