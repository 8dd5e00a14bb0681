// Erase and the lock bits clicked in the main dialog, read back from the port as what
// the chip is told: each opening, the instruction bytes as sent on MOSI, each wait
// with its length at DELAY BYTE 1 and 3, the release, and the message boxes. Then what
// the lock bits do to the simulated chip: lock 1 refuses writes, lock 2 hides the flash.
#include "tests/ops/ScriptFixture.h"

#include "sim/ChipMemory.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kShipped = sim::kShippedLockFuseByte;
constexpr std::uint8_t kLock1Set = kShipped & ~sim::kLockBit1;
constexpr std::uint8_t kLock2Set = kShipped & ~(sim::kLockBit1 | sim::kLockBit2);

Tokens EraseScript(DWORD e) {
    return OpeningTokens(e) + Tokens{"AC 80 00 00", SleepToken(40 * e), "release"};
}

// Lock Bit's opening, then the chip taken into programming mode once more.
Tokens Lock1Script(DWORD e) {
    return OpeningTokens(e) + OpeningTokens(e) +
           Tokens{"AC FD 00 00", SleepToken(100 * e), "release"};
}

Tokens Lock2Script(DWORD e) {
    return OpeningTokens(e) + OpeningTokens(e) +
           Tokens{"AC F9 00 00", SleepToken(100 * e), "release"};
}

Tokens NoLockChosenScript(DWORD e) {
    return OpeningTokens(e) + Tokens{"release", "box: No select Lock bit"};
}

struct ScriptCase {
    const char* name;
    int button;
    int lockRadio; // IDC_LOCK1, IDC_LOCK2, or 0 for neither
    unsigned delayByte;
    Tokens (*script)(DWORD delayByte);
    const char* finalText; // null: no caption is set
    std::uint8_t lockFuseAfter;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const ScriptCase& c, std::ostream* out) {
    *out << c.name;
}

class OperationScriptTest : public ScriptTest, public testing::WithParamInterface<ScriptCase> {
protected:
    OperationScriptTest() : ScriptTest(sim::BoardSettings{}, GetParam().delayByte) {}
};

TEST_P(OperationScriptTest, TellsTheChipExactlyThis) {
    const ScriptCase& c = GetParam();
    board.Chip().flash().fill(0x5A);
    RunDialog([&](CTamberloDlg&, HWND dialog) {
        ::CheckDlgButton(dialog, IDC_LOCK1, c.lockRadio == IDC_LOCK1 ? BST_CHECKED : 0);
        ::CheckDlgButton(dialog, IDC_LOCK2, c.lockRadio == IDC_LOCK2 ? BST_CHECKED : 0);
        ClickButton(dialog, c.button);
        if (c.finalText != nullptr) {
            EXPECT_EQ(ProgressText(dialog), c.finalText);
        }
    });
    EXPECT_EQ(transcript.Tokens(), c.script(c.delayByte));
    if (c.finalText == nullptr) {
        EXPECT_TRUE(progress.Texts().empty());
    }
    EXPECT_EQ(board.Chip().lockFuseByte(), c.lockFuseAfter);
    EXPECT_EQ(board.Chip().counters().instructionsLost, 0u);
    EXPECT_EQ(board.Chip().counters().instructionsUnknown, 0u);
    EXPECT_TRUE(Released());
}

INSTANTIATE_TEST_SUITE_P(
    Operations, OperationScriptTest,
    testing::Values(
        ScriptCase{"Erase_DelayByte1", IDC_ERASE, 0, 1, EraseScript, "Erase Ok", kShipped},
        ScriptCase{"Erase_DelayByte3", IDC_ERASE, 0, 3, EraseScript, "Erase Ok", kShipped},
        ScriptCase{"Lock1_DelayByte1", IDC_LOCKBIT, IDC_LOCK1, 1, Lock1Script, "Lock 1 Bit Ok",
                   kLock1Set},
        ScriptCase{"Lock1_DelayByte3", IDC_LOCKBIT, IDC_LOCK1, 3, Lock1Script, "Lock 1 Bit Ok",
                   kLock1Set},
        ScriptCase{"Lock2_DelayByte1", IDC_LOCKBIT, IDC_LOCK2, 1, Lock2Script, "Lock 2 Bit Ok",
                   kLock2Set},
        ScriptCase{"Lock2_DelayByte3", IDC_LOCKBIT, IDC_LOCK2, 3, Lock2Script, "Lock 2 Bit Ok",
                   kLock2Set},
        ScriptCase{"NoLockChosen", IDC_LOCKBIT, 0, 1, NoLockChosenScript, nullptr, kShipped}),
    [](const testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

// A chip that holds an image, then gets a lock bit.
class LockedChipTest : public OpsTest {
protected:
    void LockWith(HWND dialog, int lockRadio) {
        ::CheckRadioButton(dialog, IDC_LOCK1, IDC_LOCK2, lockRadio);
        ClickButton(dialog, IDC_LOCKBIT);
        ASSERT_TRUE(boxes.Boxes().empty());
    }
    const std::vector<unsigned char> image = TestImage(64);
};

TEST_F(LockedChipTest, LockBit1KeepsTheFlashFromBeingWrittenButNotFromBeingRead) {
    std::copy(image.begin(), image.end(), board.Chip().flash().begin());
    std::vector<unsigned char> other(image.size(), 0x00);
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LockWith(dialog, IDC_LOCK1);
        LoadImage(dlg, other);
        ClickButton(dialog, IDC_PROGRAM);
        LoadImage(dlg, image);
        ClickButton(dialog, IDC_VERIFY);
        EXPECT_EQ(ProgressText(dialog), "Verfify Ok");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(board.Chip().lockFuseByte(), kLock1Set);
    EXPECT_GT(board.Chip().counters().writesRefusedByLock, 0u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), board.Chip().flash().begin()));
}

TEST_F(LockedChipTest, LockBit2MakesTheFlashReadAsZeroSoVerifyFails) {
    std::copy(image.begin(), image.end(), board.Chip().flash().begin());
    ASSERT_NE(image[0], 0x00);
    unsigned char answer[4] = {};
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, image);
        ClickButton(dialog, IDC_VERIFY);
        ASSERT_EQ(ProgressText(dialog), "Verfify Ok") << "readable before the lock";
        LockWith(dialog, IDC_LOCK2);
        ClickButton(dialog, IDC_VERIFY);
        EXPECT_EQ(ProgressText(dialog), "Verfy Flash") << "the first byte already differs";
        // What the chip answers now for the low byte of word 0.
        dlg.Link().EnterProgramming();
        ASSERT_EQ(dlg.Link().ProgrammingEnable(), Handshake::InStep);
        const unsigned char readLow0[4] = {0x20, 0x00, 0x00, 0x00};
        dlg.Link().Exchange(readLow0, answer);
        dlg.Link().ReleaseTarget();
    });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Verify Error"});
    EXPECT_EQ(answer[3], 0x00);
    EXPECT_EQ(board.Chip().lockFuseByte(), kLock2Set);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), board.Chip().flash().begin()))
        << "the flash itself is unchanged; only reading it is refused";
}

} // namespace
