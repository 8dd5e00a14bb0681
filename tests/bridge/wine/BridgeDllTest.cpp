// The bridge inpout32.dll under Wine, as a program uses it, against the real helper on
// the fake ppdev device (tests/bridge/with_helper.sh runs each suite in its setting):
// its exports; no helper, and nothing at the block's path that the DLL may take for a
// block; a helper serving the simulated board, down to the chip's answer to Programming
// Enable; the block in its default place; the block's directory swapped for one holding
// a copy of the block while the helper serves; a helper killed in the middle of the
// accesses.
#include "tests/bridge/wine/BridgeDll.h"
#include "tests/driver/DllProgrammer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

constexpr short kData = 0x378, kStatus = 0x379, kControl = 0x37A;
constexpr short kSck = 0x01, kReset = 0x02, kMosiLow = 0x01;
// The chip needs each SCK phase longer than two of its clock cycles, and MOSI steady a
// cycle before SCK rises; the helper spaces the accesses on the port as they were made,
// so the programmer waits between them as the program's own accesses and bit delays do.
constexpr double kHoldSeconds = 5e-6;

TEST(BridgeExports, ThePlainNamesOfTheInterfaceAreExported) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.module(), nullptr) << TAMBERLO_BRIDGE_DLL;
    EXPECT_NE(dll.Inp32, nullptr);
    EXPECT_NE(dll.Out32, nullptr);
    EXPECT_NE(dll.IsInpOutDriverOpen, nullptr);
    EXPECT_NE(::GetProcAddress(dll.module(), "IsPortInUseByAnotherProgram"), nullptr);
    EXPECT_EQ(::GetProcAddress(dll.module(), "_Inp32@4"), nullptr);
    EXPECT_EQ(::GetProcAddress(dll.module(), "Out32@8"), nullptr);
}

TEST(NoHelper, TheDriverIsNotRunningAndThePortReadsLikeNothingIsThere) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.IsInpOutDriverOpen, nullptr);
    EXPECT_FALSE(dll.IsInpOutDriverOpen());
    const double start = NowSeconds();
    dll.Out32(kData, 0x55);
    EXPECT_EQ(dll.Inp32(kData), 0xFF);
    EXPECT_LT(NowSeconds() - start, 0.1) << "nothing to wait for without a helper";
    EXPECT_FALSE(dll.IsInpOutDriverOpen());
}

void SetVariable(const char* name, const std::string& value) {
    ::SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

// with_helper.sh --no-helper: the things in the run's folder "hostile", and paths the
// DLL cannot take, are no block; each is turned down at once.
TEST(NoHelper, NothingButABlockIsTakenForOne) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.IsInpOutDriverOpen, nullptr);
    const std::string hostile = Environment("TAMBERLO_BRIDGE_TEST_DIR") + "/hostile/";
    const std::string runtimeDir = Environment("XDG_RUNTIME_DIR");
    const struct {
        const char* what;
        std::string blockPath;
        std::string runtimeDir;
    } cases[] = {
        {"a FIFO", hostile + "fifo", ""},
        {"a directory", hostile + "directory", ""},
        {"a file shorter than a block", hostile + "short", ""},
        {"a file of the block's size that no helper set up", hostile + "zeros", ""},
        {"no path and no runtime directory", "", ""},
        {"a relative path", "port", ""},
        {"a path longer than the DLL takes", "/tmp/" + std::string(250, 'x'), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetVariable("TAMBERLO_BRIDGE_SHM", c.blockPath);
        SetVariable("XDG_RUNTIME_DIR", c.runtimeDir);
        const double start = NowSeconds();
        EXPECT_FALSE(dll.IsInpOutDriverOpen());
        EXPECT_EQ(dll.Inp32(kData), 0xFF);
        EXPECT_LT(NowSeconds() - start, 0.5);
    }
    SetVariable("XDG_RUNTIME_DIR", runtimeDir);
}

// with_helper.sh --default-place: the helper's block in $XDG_RUNTIME_DIR/tamberlo/port.
// A path the DLL cannot take is no reason to go there instead.
TEST(DefaultPlace, TheDllFindsTheHelperThereAndOnlyWithoutABlockPath) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.IsInpOutDriverOpen, nullptr);
    ASSERT_EQ(Environment("TAMBERLO_BRIDGE_SHM"), "");
    for (const std::string& unusable : {"/tmp/" + std::string(250, 'x'), std::string("port")}) {
        SetVariable("TAMBERLO_BRIDGE_SHM", unusable);
        EXPECT_FALSE(dll.IsInpOutDriverOpen()) << unusable;
    }
    SetVariable("TAMBERLO_BRIDGE_SHM", "");
    ASSERT_TRUE(dll.IsInpOutDriverOpen());
    dll.Out32(kData, 0x3C);
    EXPECT_EQ(dll.Inp32(kData), 0x3C);
}

// Waits (at most 10 s) for the file `name` in the run's folder.
bool WaitForRunFile(const char* name) {
    const std::string path = WindowsPath(Environment("TAMBERLO_BRIDGE_TEST_DIR") + "/" + name);
    for (int i = 0; i < 200; ++i) {
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        ::Sleep(50);
    }
    return false;
}

// with_helper.sh --default-place --swap-block --keep-stderr: the helper serves, and the
// block's directory is renamed away and replaced by one holding a copy of the block, as
// another user who could change the runtime directory would. The DLL takes only the
// file the helper made, and says on stderr why it takes none.
TEST(SwappedBlock, ACopyOfTheBlockInAnotherDirectoryIsRefusedAndSaidSo) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.IsInpOutDriverOpen, nullptr);
    const std::string dir = Environment("TAMBERLO_BRIDGE_TEST_DIR");
    std::ofstream(WindowsPath(dir + "/swap-block"));
    ASSERT_TRUE(WaitForRunFile("block-swapped"));
    EXPECT_FALSE(dll.IsInpOutDriverOpen());
    dll.Out32(kData, 0x3C);
    EXPECT_EQ(dll.Inp32(kData), 0xFF);
    EXPECT_FALSE(dll.IsInpOutDriverOpen());
    std::ifstream stderrFile(WindowsPath(dir + "/command.stderr"));
    const std::string said(std::istreambuf_iterator<char>(stderrFile), {});
    const std::string refusal = "tamberlo bridge: " + Environment("XDG_RUNTIME_DIR") +
                                "/tamberlo/port is not the file that tamberlo-ppdev made for "
                                "the shared block";
    EXPECT_NE(said.find(refusal), std::string::npos) << said;
    EXPECT_EQ(said.find(refusal), said.rfind(refusal)) << "said once: " << said;
}

TEST(WithHelper, RegistersRoundTripAndTheChipAnswersProgrammingEnable) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.IsInpOutDriverOpen, nullptr);
    ASSERT_TRUE(dll.IsInpOutDriverOpen());
    dll.Out32(kData, 0x5A);
    EXPECT_EQ(dll.Inp32(kData), 0x5A);
    dll.Out32(kControl, 0x0C | kMosiLow);
    EXPECT_EQ(dll.Inp32(kControl), 0x0D);
    EXPECT_EQ(dll.Inp32(0x278), 0xFF) << "another port's address is refused";

    // The datasheet's way in: RESET pulsed high with SCK low, 20 ms, Programming Enable.
    drivertest::DllProgrammer programmer(dll, 0x378, kHoldSeconds);
    programmer.ResetPulse();
    const std::array<std::uint8_t, 4> answer = programmer.Transfer({0xAC, 0x53, 0x00, 0x00});
    EXPECT_EQ(answer[2], 0x53) << "the chip echoes the second byte during the third";
    dll.Out32(kData, kReset | kSck);
    EXPECT_TRUE(dll.IsInpOutDriverOpen());
}

// The program's threads take turns at the one ring: two threads at full speed lose no
// access. A lost or mixed-up entry leaves a read unanswered, and the bridge closes.
TEST(WithHelper, TwoThreadsAtOnceLoseNoAccess) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.IsInpOutDriverOpen, nullptr);
    ASSERT_TRUE(dll.IsInpOutDriverOpen());
    auto hammer = [&dll](short firstValue) {
        for (int i = 0; i < 20000; ++i) {
            dll.Out32(kData, static_cast<short>((firstValue + i) & 0x7F));
            dll.Inp32(kStatus);
        }
    };
    std::thread other(hammer, 0x40);
    hammer(0x00);
    other.join();
    EXPECT_TRUE(dll.IsInpOutDriverOpen());
}

// The helper kills itself (SIGKILL) at an access of this loop.
TEST(HelperKilled, AReadGivesUpInBoundedTimeAndTheBridgeStaysClosedUntilANewHelper) {
    const DriverLibrary& dll = Bridge();
    ASSERT_NE(dll.IsInpOutDriverOpen, nullptr);
    ASSERT_TRUE(dll.IsInpOutDriverOpen());
    double longest = 0;
    bool failed = false;
    for (int i = 0; i < 100000 && !failed; ++i) {
        dll.Out32(kData, static_cast<short>(i & 0x7F));
        const double start = NowSeconds();
        dll.Inp32(kStatus); // answered by the helper, unlike a read of the data just written
        longest = std::max(longest, NowSeconds() - start);
        failed = !dll.IsInpOutDriverOpen();
    }
    ASSERT_TRUE(failed) << "the helper was not killed";
    EXPECT_LT(longest, 1.0) << "a read waited on a dead helper";
    EXPECT_FALSE(dll.IsInpOutDriverOpen());
    const double start = NowSeconds();
    dll.Out32(kData, 0x11);
    EXPECT_EQ(dll.Inp32(kData), 0x11) << "the data latch reads back the byte last written";
    EXPECT_EQ(dll.Inp32(kStatus), 0xFF) << "the status register has no latch";
    EXPECT_LT(NowSeconds() - start, 0.1) << "a closed bridge answers at once";

    std::ofstream(WindowsPath(Environment("TAMBERLO_BRIDGE_TEST_DIR") + "/want-helper"));
    const double asked = NowSeconds();
    while (!dll.IsInpOutDriverOpen() && NowSeconds() - asked < 30)
        ::Sleep(50);
    ASSERT_TRUE(dll.IsInpOutDriverOpen()) << "the new helper was not taken up";
    dll.Out32(kData, 0x22);
    EXPECT_EQ(dll.Inp32(kData), 0x22);
    EXPECT_EQ(dll.Inp32(kStatus) & 0x07, 0x07);
}

} // namespace
