// Times a Blank check of the whole chip when the real tamberlo.exe reaches the port
// through the bridge (tamberlo-ppdev on the fake ppdev device, started by
// tests/bridge/with_helper.sh), and prints it as "blank_seconds S" for
// one_cpu_benchmark.sh, which runs it on two processors and on one. Figures only.
#include "tests/bridge/wine/BridgeDll.h"
#include "tests/e2e/Session.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

enum : int { kBlank = 1001 };

TEST(BridgeBlankBenchmark, WholeChip) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    Session session(WindowsPath(Environment("TAMBERLO_SIM_CHIP_FILE")));
    session.Main();
    const double start = NowSeconds();
    EXPECT_TRUE(session.Press(kBlank).empty());
    const double seconds = NowSeconds() - start;
    EXPECT_EQ(session.Caption(), "Blank Ok");
    std::printf("blank_seconds %.3f\n", seconds);
}

} // namespace
