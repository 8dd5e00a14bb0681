// Erase, Blank, Program and Verify clicked in the main dialog on a simulated chip:
// what ends up in the flash, what the progress bar says at each step, the waits,
// and the release of the lines.
#include "tests/ops/OpsFixture.h"

#include <algorithm>
#include <cstdio>

namespace {

int PercentOf(const std::string& text) {
    return std::atoi(text.substr(text.rfind(' ') + 1).c_str());
}

PBRANGE RangeOf(HWND dialog) {
    PBRANGE range{};
    ::SendMessageA(::GetDlgItem(dialog, IDC_PROGRESS), PBM_GETRANGE, TRUE,
                   reinterpret_cast<LPARAM>(&range));
    return range;
}

struct ProgramCase {
    std::uint32_t end;    // image end index
    std::uint32_t walked; // bytes written: whole words through the end index
    std::vector<int> firstPercents;
    int lastPercent;
};

class ProgramTest : public OpsTest, public testing::WithParamInterface<ProgramCase> {};

TEST_P(ProgramTest, WritesWholeWordsThroughTheEndIndex) {
    const ProgramCase& c = GetParam();
    const std::vector<unsigned char> image = TestImage(c.end + 1);
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, image);
        ClickButton(dialog, IDC_PROGRAM);
        EXPECT_EQ(ProgressText(dialog), "Program Flash Ok");
        EXPECT_EQ(RangeOf(dialog).iLow, 0);
        EXPECT_EQ(RangeOf(dialog).iHigh, static_cast<int>(c.end));
        const auto& flash = board.Chip().flash();
        for (std::uint32_t i = 0; i < c.walked; ++i)
            ASSERT_EQ(flash[i], dlg.HexFile().Image().bytes[i]) << "byte " << i;
        EXPECT_TRUE(std::all_of(flash.begin() + c.walked, flash.end(),
                                [](unsigned char b) { return b == 0xFF; }));
    });
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(board.Chip().counters().flashWrites, c.walked);
    EXPECT_EQ(board.Chip().counters().instructionsLost, 0u);
    EXPECT_TRUE(Released());

    std::vector<DWORD> waits(4, 200);
    waits.insert(waits.end(), c.walked, 4);
    EXPECT_EQ(board.Waits().Waits(), waits);

    const auto& steps = progress.TextsAtSteps();
    ASSERT_EQ(steps.size(), c.walked);
    for (size_t i = 0; i < c.firstPercents.size(); ++i)
        EXPECT_EQ(steps[i], "Program Flash " + std::to_string(c.firstPercents[i]) + "%");
    EXPECT_EQ(PercentOf(steps.back()), c.lastPercent);
    EXPECT_EQ(progress.Texts().front(), "Program Flash");
}

INSTANTIATE_TEST_SUITE_P(EndIndex, ProgramTest,
                         testing::Values(ProgramCase{3, 4, {0, 33, 66, 100}, 100},
                                         ProgramCase{4, 6, {0, 25, 50, 75, 100, 125}, 125},
                                         ProgramCase{5, 6, {0, 19, 39, 59, 79, 99}, 99},
                                         ProgramCase{8190, 8192, {0, 0, 0}, 100},
                                         ProgramCase{8191, 8192, {0, 0, 0}, 99}));

TEST_F(OpsTest, EraseClearsTheFlashAndWaitsForTheErase) {
    board.Chip().flash().fill(0x5A);
    RunDialog([&](CTamberloDlg&, HWND dialog) {
        ClickButton(dialog, IDC_ERASE);
        EXPECT_EQ(ProgressText(dialog), "Erase Ok");
        EXPECT_EQ(RangeOf(dialog).iHigh, 1);
    });
    EXPECT_TRUE(std::all_of(board.Chip().flash().begin(), board.Chip().flash().end(),
                            [](unsigned char b) { return b == 0xFF; }));
    EXPECT_EQ(board.Chip().counters().chipErases, 1u);
    EXPECT_EQ(board.Waits().Waits(), (std::vector<DWORD>{200, 200, 200, 200, 40}));
    EXPECT_EQ(progress.TextsAtSteps(), std::vector<std::string>{"Erase"});
    EXPECT_TRUE(Released());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(OpsTest, BlankCheckReadsEveryByteOfAnErasedChip) {
    Outcome result = Outcome::NotOpened;
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        result = dlg.OnBlank().outcome;
        EXPECT_EQ(ProgressText(dialog), "Blank Ok");
        EXPECT_EQ(RangeOf(dialog).iHigh, 4096);
    });
    EXPECT_EQ(result, Outcome::Ok);
    EXPECT_EQ(board.Chip().counters().flashReadsTotal, 8192u);
    const auto& steps = progress.TextsAtSteps();
    ASSERT_EQ(steps.size(), 4096u);
    EXPECT_EQ(steps.front(), "Blank Check 0%");
    EXPECT_EQ(steps[41], "Blank Check 1%");
    EXPECT_EQ(steps.back(), "Blank Check 99%");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(Released());
}

struct NotBlankCase {
    const char* name;
    std::uint32_t programmedByte; // the one flash byte that is not 0xFF
    std::uint64_t reads;          // reads up to and including that byte
    const char* caption;          // left in the bar at the "Not Blank" box
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const NotBlankCase& c, std::ostream* out) {
    *out << c.name;
}

class NotBlankTest : public OpsTest, public testing::WithParamInterface<NotBlankCase> {};

TEST_P(NotBlankTest, StopsAtTheFirstProgrammedByteWhileTheChipIsHeld) {
    const NotBlankCase& c = GetParam();
    board.Chip().flash()[c.programmedByte] = 0x00;
    Outcome result = Outcome::NotOpened;
    bool heldWhileShown = false;
    boxes.OnShow([&](const CapturedBox&) { heldWhileShown = !board.Board().pins().reset; });
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        result = dlg.OnBlank().outcome;
        EXPECT_EQ(ProgressText(dialog), c.caption);
    });
    EXPECT_EQ(result, Outcome::NotBlank);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Not Blank"});
    EXPECT_TRUE(heldWhileShown);
    EXPECT_EQ(board.Chip().counters().flashReadsTotal, c.reads);
    EXPECT_EQ(progress.TextsAtSteps().size(), c.programmedByte / 2) << "one step per blank word";
    EXPECT_TRUE(Released());
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, NotBlankTest,
    // A programmed low byte ends the check before the high byte of its word is read; a
    // programmed high byte behind an erased low byte is found as well.
    testing::Values(NotBlankCase{"LowByteOfWord0", 0, 1, "Blank Check"},
                    NotBlankCase{"HighByteOfWord0", 1, 2, "Blank Check"},
                    NotBlankCase{"HighByteOfWord100", 201, 202, "Blank Check 2%"},
                    NotBlankCase{"HighByteOfTheLastWord", 8191, 8192, "Blank Check 99%"}),
    [](const testing::TestParamInfo<NotBlankCase>& info) { return std::string(info.param.name); });

TEST_F(OpsTest, VerifyAcceptsTheProgrammedImage) {
    const std::vector<unsigned char> image = TestImage(301);
    std::copy(image.begin(), image.end(), board.Chip().flash().begin());
    Outcome result = Outcome::NotOpened;
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, image);
        result = dlg.OnVerify().outcome;
        EXPECT_EQ(ProgressText(dialog), "Verfify Ok");
        EXPECT_EQ(RangeOf(dialog).iHigh, 301);
    });
    EXPECT_EQ(result, Outcome::Ok);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(progress.Texts().front(), "Verfy Flash");
    ASSERT_EQ(progress.TextsAtSteps().size(), 302u);
    EXPECT_EQ(progress.TextsAtSteps()[1], "Verify Flash 0%");
    EXPECT_EQ(progress.TextsAtSteps()[3], "Verify Flash 1%");
    EXPECT_EQ(progress.TextsAtSteps().back(), "Verify Flash 100%");
    EXPECT_TRUE(Released());
}

class StuckCellTest : public OpsTest {
protected:
    StuckCellTest() : OpsTest(StuckFlashByte(7, 0x00)) {}
};

TEST_F(StuckCellTest, VerifyReportsTheMismatchWhileTheChipIsHeld) {
    const std::vector<unsigned char> image = TestImage(16);
    std::copy(image.begin(), image.end(), board.Chip().flash().begin());
    Outcome result = Outcome::NotOpened;
    bool heldWhileShown = false;
    boxes.OnShow([&](const CapturedBox&) { heldWhileShown = !board.Board().pins().reset; });
    RunDialog([&](CTamberloDlg& dlg, HWND) {
        LoadImage(dlg, image);
        result = dlg.OnVerify().outcome;
    });
    EXPECT_EQ(result, Outcome::VerifyError);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Verify Error"});
    EXPECT_TRUE(heldWhileShown);
    EXPECT_TRUE(Released());
    EXPECT_EQ(progress.TextsAtSteps().size(), 7u) << "bytes 0..6 matched";
}

struct SupplyCase {
    const char* delayByte;
    const char* finalText;
    std::vector<std::string> boxTexts;
};

class LowSupplyTest : public OpsTest, public testing::WithParamInterface<SupplyCase> {
protected:
    static sim::BoardSettings AtLowSupply() {
        sim::BoardSettings settings;
        settings.supplyVolts = 2.7; // 9 ms byte writes
        return settings;
    }
    LowSupplyTest() : OpsTest(AtLowSupply(), SettingsText().c_str()) {}
    static std::string SettingsText() {
        return std::string("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=") + GetParam().delayByte +
               "\r\nLPT PORT=1\r\n";
    }
};

TEST_P(LowSupplyTest, WritesNeedALongerDelayByte) {
    const std::vector<unsigned char> image = TestImage(64);
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, image);
        ClickButton(dialog, IDC_PROGRAM);
        ClickButton(dialog, IDC_VERIFY);
        EXPECT_EQ(ProgressText(dialog), GetParam().finalText);
    });
    EXPECT_EQ(boxes.Texts(), GetParam().boxTexts);
}

INSTANTIATE_TEST_SUITE_P(DelayByte, LowSupplyTest,
                         // With 4 ms the second write arrives while the first still runs.
                         testing::Values(SupplyCase{"1", "Verify Flash 0%", {"Verify Error"}},
                                         SupplyCase{"3", "Verfify Ok", {}}));

} // namespace
