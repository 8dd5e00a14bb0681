// Auto (erase, blank check, program, verify) and the lock bits, clicked in the main
// dialog on a simulated chip, including chips that fail part-way.
#include "tests/ops/OpsFixture.h"

#include "sim/ChipMemory.h"

#include <algorithm>

namespace {

const char kHandshakeError[] = "Error! Please check your CPU, power supply and printer port.";

TEST_F(OpsTest, AutoLeavesTheImageInAChipThatHeldOtherData) {
    board.Chip().flash().fill(0x3C);
    const std::vector<unsigned char> image = TestImage(1000);
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, image);
        ClickButton(dialog, IDC_AUTO);
        EXPECT_EQ(ProgressText(dialog), "Verfify Ok");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), board.Chip().flash().begin()));
    EXPECT_TRUE(std::all_of(board.Chip().flash().begin() + 1000, board.Chip().flash().end(),
                            [](unsigned char b) { return b == 0xFF; }));
    const auto& texts = progress.Texts();
    const char* stages[] = {"Erase Ok", "Blank Ok", "Program Flash Ok", "Verfify Ok"};
    auto at = texts.begin();
    for (const char* stage : stages) {
        at = std::find(at, texts.end(), stage);
        EXPECT_NE(at, texts.end()) << stage << " in order";
    }
    EXPECT_TRUE(Released());
}

class AutoNotBlankTest : public OpsTest {
protected:
    AutoNotBlankTest() : OpsTest(StuckFlashByte(200, 0x00)) {} // low byte of word 100
};

TEST_F(AutoNotBlankTest, StopsAfterTheBlankCheckWithoutProgramming) {
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, TestImage(64));
        ClickButton(dialog, IDC_AUTO);
        EXPECT_EQ(ProgressText(dialog), "Blank Check 2%");
    });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Not Blank"});
    EXPECT_EQ(board.Chip().counters().flashWrites, 0u);
    const auto& texts = progress.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Program Flash"), 0);
    EXPECT_EQ(progress.TextsAtSteps().size(), 1u + 100u) << "the erase step and words 0..99";
    EXPECT_TRUE(Released());
}

class AutoNoChipTest : public OpsTest {
protected:
    AutoNoChipTest() : OpsTest(BoardWith(sim::BoardFault::NoChip)) {}
};

TEST_F(AutoNoChipTest, ShowsExactlyOneErrorBox) {
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, TestImage(64));
        ClickButton(dialog, IDC_AUTO);
    });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kHandshakeError});
    EXPECT_TRUE(progress.Texts().empty());
    EXPECT_TRUE(Released());
}

// A chip that does not answer the handshake: the lines are released first, then the one
// message is shown, with the program's name as caption and no icon.
class HandshakeFaultTest : public OpsTest, public testing::WithParamInterface<sim::BoardFault> {
protected:
    HandshakeFaultTest() : OpsTest(BoardWith(GetParam())) {}
};

TEST_P(HandshakeFaultTest, ReleasesTheLinesThenReportsOnce) {
    bool releasedWhileShown = false;
    boxes.OnShow([&](const CapturedBox&) { releasedWhileShown = Released(); });
    RunDialog([&](CTamberloDlg&, HWND dialog) { ClickButton(dialog, IDC_ERASE); });
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kHandshakeError);
    EXPECT_EQ(boxes.Boxes()[0].caption, "tamberlo");
    EXPECT_EQ(boxes.Boxes()[0].icon, 0u);
    EXPECT_TRUE(releasedWhileShown);
}

INSTANTIATE_TEST_SUITE_P(Faults, HandshakeFaultTest,
                         testing::Values(sim::BoardFault::NoChip, sim::BoardFault::NoPower),
                         [](const testing::TestParamInfo<sim::BoardFault>& info) {
                             return std::string(info.param == sim::BoardFault::NoChip ? "NoChip"
                                                                                      : "NoPower");
                         });

struct LockCase {
    const char* name;
    int checked; // IDC_LOCK1, IDC_LOCK2 or 0
    std::uint8_t lockFuseAfter;
    const char* finalText; // null: the progress bar is left as it was
    std::vector<std::string> boxTexts;
};

class LockBitTest : public OpsTest, public testing::WithParamInterface<LockCase> {};

TEST_P(LockBitTest, WritesTheChosenLockBits) {
    const LockCase& c = GetParam();
    RunDialog([&](CTamberloDlg&, HWND dialog) {
        ::CheckRadioButton(dialog, IDC_LOCK1, IDC_LOCK2, c.checked);
        if (c.checked == 0) {
            ::CheckDlgButton(dialog, IDC_LOCK1, BST_UNCHECKED);
            ::CheckDlgButton(dialog, IDC_LOCK2, BST_UNCHECKED);
        }
        ClickButton(dialog, IDC_LOCKBIT);
        if (c.finalText != nullptr) {
            EXPECT_EQ(ProgressText(dialog), c.finalText);
        }
    });
    EXPECT_EQ(board.Chip().lockFuseByte(), c.lockFuseAfter);
    EXPECT_EQ(boxes.Texts(), c.boxTexts);
    EXPECT_TRUE(Released());
    if (c.checked != 0) {
        const auto& waits = board.Waits().Waits();
        EXPECT_EQ(std::vector<DWORD>(waits.end() - 5, waits.end()),
                  (std::vector<DWORD>{200, 200, 200, 200, 100}));
    }
}

constexpr std::uint8_t kShipped = sim::kShippedLockFuseByte;

INSTANTIATE_TEST_SUITE_P(
    Selection, LockBitTest,
    testing::Values(LockCase{"Neither", 0, kShipped, nullptr, {"No select Lock bit"}},
                    LockCase{"Lock1", IDC_LOCK1, kShipped & ~sim::kLockBit1, "Lock 1 Bit Ok", {}},
                    LockCase{"Lock2",
                             IDC_LOCK2,
                             kShipped & ~(sim::kLockBit1 | sim::kLockBit2),
                             "Lock 2 Bit Ok",
                             {}}),
    [](const testing::TestParamInfo<LockCase>& info) { return std::string(info.param.name); });

// The chip answers the opening (the handshake and its three signature reads), then stops
// answering.
class LockStopsAnsweringTest : public OpsTest {
protected:
    LockStopsAnsweringTest() : OpsTest(BoardWith(sim::BoardFault::StopAnswering, 4)) {}
};

TEST_F(LockStopsAnsweringTest, SecondHandshakeFailsAndNoLockIsWritten) {
    RunDialog([&](CTamberloDlg&, HWND dialog) {
        ::CheckRadioButton(dialog, IDC_LOCK1, IDC_LOCK2, IDC_LOCK1);
        ClickButton(dialog, IDC_LOCKBIT);
        EXPECT_EQ(ProgressText(dialog), "Lock 1 Bit");
    });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kHandshakeError});
    EXPECT_EQ(board.Chip().lockFuseByte(), kShipped);
    EXPECT_EQ(board.Chip().counters().instructionsExecuted, 4u) << "only the first opening";
    EXPECT_TRUE(Released());
}

} // namespace
