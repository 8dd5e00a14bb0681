// Auto clicked in the main dialog, read back from the port: its own opening, then
// Erase, Blank, Program and Verify, each with an opening of its own, with every wait
// of the run in order; and Auto on a chip that stops answering at the opening of a
// later step: one error box, nothing after it, the caption of the last step done.
#include "tests/ops/ScriptFixture.h"

#include "sim/ChipMemory.h"

namespace {

constexpr std::uint32_t kImageBytes = 4; // two words
constexpr std::uint32_t kFlashBytes = 8192;

Tokens Repeated(const Tokens& tokens, std::uint32_t times) {
    Tokens all;
    for (std::uint32_t i = 0; i < times; ++i)
        all = all + tokens;
    return all;
}

// Auto's steps, as the chip sees them: [0] Auto's own opening, [1] Erase, [2] Blank
// check, [3] Program, [4] Verify.
std::vector<Tokens> AutoSteps(DWORD e) {
    return {
        OpeningTokens(e), OpeningTokens(e) + Tokens{"AC 80 00 00", SleepToken(40 * e), "release"},
        OpeningTokens(e) + Repeated({"read"}, kFlashBytes) + Tokens{"release"},
        OpeningTokens(e) + Repeated({"write", SleepToken(4 * e)}, kImageBytes) + Tokens{"release"},
        OpeningTokens(e) + Repeated({"read"}, kImageBytes) + Tokens{"release"}};
}

Tokens Joined(const std::vector<Tokens>& steps, size_t count) {
    Tokens all;
    for (size_t i = 0; i < count; ++i)
        all = all + steps[i];
    return all;
}

class AutoScriptTest : public ScriptTest, public testing::WithParamInterface<unsigned> {
protected:
    AutoScriptTest() : ScriptTest(sim::BoardSettings{}, GetParam()) {}
};

TEST_P(AutoScriptTest, OpensEveryStepAfreshAndWaitsEachWaitOnce) {
    const DWORD e = GetParam();
    board.Chip().flash().fill(0x3C);
    const std::vector<unsigned char> image = TestImage(kImageBytes);
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, image);
        ClickButton(dialog, IDC_AUTO);
        EXPECT_EQ(ProgressText(dialog), "Verfify Ok");
    });
    const std::vector<Tokens> steps = AutoSteps(e);
    EXPECT_EQ(NamedRuns(transcript.Tokens()), NamedRuns(Joined(steps, steps.size())));

    // The waits alone: five openings of four, the erase, one per byte written.
    std::vector<DWORD> waits(4, 200 * e);
    waits.insert(waits.end(), 4, 200 * e);
    waits.push_back(40 * e);
    waits.insert(waits.end(), 4, 200 * e);
    waits.insert(waits.end(), 4, 200 * e);
    waits.insert(waits.end(), kImageBytes, 4 * e);
    waits.insert(waits.end(), 4, 200 * e);
    EXPECT_EQ(board.Waits().Waits(), waits);

    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), board.Chip().flash().begin()));
    EXPECT_TRUE(Released());
}

INSTANTIATE_TEST_SUITE_P(DelayByte, AutoScriptTest, testing::Values(1u, 3u));

struct StopCase {
    const char* name;
    size_t failingStep;           // index into AutoSteps whose opening gets no echo
    unsigned long answeredBefore; // instructions the chip carries out before it stops
    const char* lastCaption;      // null: no caption was set
    std::uint64_t flashWrites;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const StopCase& c, std::ostream* out) {
    *out << c.name;
}

class AutoStopsTest : public ScriptTest, public testing::WithParamInterface<StopCase> {
protected:
    AutoStopsTest()
        : ScriptTest(BoardWith(sim::BoardFault::StopAnswering, GetParam().answeredBefore)) {}
};

TEST_P(AutoStopsTest, EndsAtTheFirstOpeningWithoutAnEcho) {
    const StopCase& c = GetParam();
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, TestImage(kImageBytes));
        ClickButton(dialog, IDC_AUTO);
        if (c.lastCaption != nullptr) {
            EXPECT_EQ(ProgressText(dialog), c.lastCaption);
        }
    });
    const Tokens expected = Joined(AutoSteps(1), c.failingStep) + HandshakeTokens(1) +
                            Tokens{"release", kHandshakeErrorBox};
    EXPECT_EQ(NamedRuns(transcript.Tokens()), NamedRuns(expected));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    if (c.lastCaption == nullptr) {
        EXPECT_TRUE(progress.Texts().empty());
    }
    EXPECT_EQ(board.Chip().counters().flashWrites, c.flashWrites);
    EXPECT_TRUE(Released());
}

// Instructions each step carries out, its opening being Programming Enable and three
// signature reads: Auto's opening 4; Erase 4 + 1; Blank check 4 + 8192; Program 4 + 4.
constexpr unsigned long kOpening = 4;
INSTANTIATE_TEST_SUITE_P(
    Steps, AutoStopsTest,
    testing::Values(StopCase{"AtErase", 1, kOpening, nullptr, 0},
                    StopCase{"AtBlankCheck", 2, kOpening + kOpening + 1, "Erase Ok", 0},
                    StopCase{"AtProgram", 3, 3 * kOpening + 1 + kFlashBytes, "Blank Ok", 0},
                    StopCase{"AtVerify", 4, 4 * kOpening + 1 + kFlashBytes + kImageBytes,
                             "Program Flash Ok", kImageBytes}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

} // namespace
