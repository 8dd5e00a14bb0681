// The bridge inpout32.dll under Wine, as a program uses it, against the real helper on
// the fake ppdev device (tests/bridge/with_helper.sh runs each suite in its setting):
// its exports; no helper; a helper serving the simulated board, down to the chip's
// answer to Programming Enable; a helper killed in the middle of the accesses.
#include "tests/bridge/wine/BridgeDll.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

constexpr short kData = 0x378, kStatus = 0x379, kControl = 0x37A;
// The cable: SCK data bit 0, RESET data bit 1, MOSI control bit 0 (inverted by the
// port), MISO status bit 6.
constexpr short kSck = 0x01, kReset = 0x02, kMosiLow = 0x01, kMiso = 0x40;

// The chip needs each SCK phase longer than two of its clock cycles, and MOSI steady a
// cycle before SCK rises; the helper spaces the accesses on the port as they were made,
// so the test waits between them as the program's own accesses and bit delays do.
void HoldSck() {
    const double until = NowSeconds() + 5e-6;
    while (NowSeconds() < until) {
    }
}

unsigned char ExchangeByte(const BridgeDll& dll, unsigned char send) {
    unsigned char received = 0;
    for (int bit = 7; bit >= 0; --bit) {
        dll.out32(kControl, ((send >> bit) & 1) ? 0 : kMosiLow);
        received =
            static_cast<unsigned char>((received << 1) | ((dll.inp32(kStatus) & kMiso) ? 1 : 0));
        HoldSck();
        dll.out32(kData, kSck);
        HoldSck();
        dll.out32(kData, 0);
        HoldSck();
    }
    return received;
}

TEST(BridgeExports, ThePlainNamesOfTheInterfaceAreExported) {
    const BridgeDll& dll = Bridge();
    ASSERT_NE(dll.module, nullptr) << TAMBERLO_BRIDGE_DLL;
    EXPECT_NE(dll.inp32, nullptr);
    EXPECT_NE(dll.out32, nullptr);
    EXPECT_NE(dll.isOpen, nullptr);
    EXPECT_EQ(::GetProcAddress(dll.module, "_Inp32@4"), nullptr);
    EXPECT_EQ(::GetProcAddress(dll.module, "Out32@8"), nullptr);
}

TEST(NoHelper, TheDriverIsNotRunningAndThePortReadsLikeNothingIsThere) {
    const BridgeDll& dll = Bridge();
    ASSERT_NE(dll.isOpen, nullptr);
    EXPECT_FALSE(dll.isOpen());
    const double start = NowSeconds();
    dll.out32(kData, 0x55);
    EXPECT_EQ(dll.inp32(kData), 0xFF);
    EXPECT_LT(NowSeconds() - start, 0.1) << "nothing to wait for without a helper";
    EXPECT_FALSE(dll.isOpen());
}

TEST(WithHelper, RegistersRoundTripAndTheChipAnswersProgrammingEnable) {
    const BridgeDll& dll = Bridge();
    ASSERT_NE(dll.isOpen, nullptr);
    ASSERT_TRUE(dll.isOpen());
    dll.out32(kData, 0x5A);
    EXPECT_EQ(dll.inp32(kData), 0x5A);
    dll.out32(kControl, 0x0C | kMosiLow);
    EXPECT_EQ(dll.inp32(kControl), 0x0D);
    EXPECT_EQ(dll.inp32(0x278), 0xFF) << "another port's address is refused";

    // The datasheet's way in: RESET pulsed high with SCK low, 20 ms, Programming Enable.
    dll.out32(kData, 0);
    ::Sleep(25);
    dll.out32(kData, kReset);
    ::Sleep(25);
    dll.out32(kData, 0);
    ::Sleep(25);
    const unsigned char enable[4] = {0xAC, 0x53, 0x00, 0x00};
    unsigned char answer[4];
    for (int k = 0; k < 4; ++k)
        answer[k] = ExchangeByte(dll, enable[k]);
    EXPECT_EQ(answer[2], 0x53) << "the chip echoes the second byte during the third";
    dll.out32(kData, kReset | kSck);
    EXPECT_TRUE(dll.isOpen());
}

// The helper kills itself (SIGKILL) at an access of this loop.
TEST(HelperKilled, AReadGivesUpInBoundedTimeAndTheBridgeStaysClosedUntilANewHelper) {
    const BridgeDll& dll = Bridge();
    ASSERT_NE(dll.isOpen, nullptr);
    ASSERT_TRUE(dll.isOpen());
    double longest = 0;
    bool failed = false;
    for (int i = 0; i < 100000 && !failed; ++i) {
        dll.out32(kData, static_cast<short>(i & 0x7F));
        const double start = NowSeconds();
        failed = dll.inp32(kData) != (i & 0x7F);
        longest = std::max(longest, NowSeconds() - start);
    }
    ASSERT_TRUE(failed) << "the helper was not killed";
    EXPECT_LT(longest, 1.0) << "a read waited on a dead helper";
    EXPECT_FALSE(dll.isOpen());
    const double start = NowSeconds();
    EXPECT_EQ(dll.inp32(kData), 0xFF);
    dll.out32(kData, 0x11);
    EXPECT_LT(NowSeconds() - start, 0.1) << "a closed bridge answers at once";

    std::ofstream(WindowsPathOf(Environment("TAMBERLO_BRIDGE_TEST_DIR") + "/want-helper"));
    const double asked = NowSeconds();
    while (!dll.isOpen() && NowSeconds() - asked < 30)
        ::Sleep(50);
    ASSERT_TRUE(dll.isOpen()) << "the new helper was not taken up";
    dll.out32(kData, 0x22);
    EXPECT_EQ(dll.inp32(kData), 0x22);
}

} // namespace
