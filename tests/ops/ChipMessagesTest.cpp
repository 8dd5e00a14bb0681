// What the window tells about the chip on the cable, clicked in the main dialog: a chip it
// names and refuses, a signature no chip has, an image too large for the chip. Each
// message comes once, after the chip was released, and nothing was written or erased.
#include "tests/link/PortRecorder.h"
#include "tests/ops/OpsFixture.h"

namespace {

const char kProgrammedChips[] =
    "It programs the AT90S8535, ATmega8535, ATmega16/ATmega16A, ATmega32/ATmega32A and "
    "AT90S4434.";

sim::BoardSettings WithChip(sim::ChipType chip) {
    sim::BoardSettings settings;
    settings.chip = chip;
    return settings;
}

struct MessageCase {
    const char* name;
    sim::ChipType chip;
    int button;
    std::uint32_t imageBytes;
    std::string message;
};

void PrintTo(const MessageCase& c, std::ostream* out) {
    *out << c.name;
}

class ChipMessageTest : public OpsTest, public testing::WithParamInterface<MessageCase> {
protected:
    ChipMessageTest() : OpsTest(WithChip(GetParam().chip)) {}
};

TEST_P(ChipMessageTest, ToldOnceAfterTheReleaseWithNothingWritten) {
    const MessageCase& c = GetParam();
    bool releasedWhileShown = false;
    boxes.OnShow([&](const CapturedBox&) { releasedWhileShown = Released(); });
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, TestImage(c.imageBytes));
        ClickButton(dialog, c.button);
    });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
    EXPECT_TRUE(releasedWhileShown);
    EXPECT_EQ(board.Chip().counters().chipErases, 0u);
    EXPECT_EQ(board.Chip().counters().flashWrites, 0u);
    EXPECT_TRUE(progress.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Chips, ChipMessageTest,
    testing::Values(
        MessageCase{"RefusedOnErase", sim::ChipType::Atmega644, IDC_ERASE, 64,
                    std::string("The chip on the cable is an ATmega644/ATmega644A (signature 1E 96 "
                                "09), which this program does not program. ") +
                        kProgrammedChips + "\nNothing was written or erased."},
        MessageCase{"RefusedOnBlank", sim::ChipType::Atmega644, IDC_BLANK, 64,
                    std::string("The chip on the cable is an ATmega644/ATmega644A (signature 1E 96 "
                                "09), which this program does not program. ") +
                        kProgrammedChips + "\nNothing was written or erased."},
        MessageCase{"TooLargeOnAuto", sim::ChipType::At90s4434, IDC_AUTO, 8192,
                    "The loaded file holds 8192 bytes of program, more than the 4096 bytes of "
                    "flash of the AT90S4434 on the cable.\nNothing was written. Load a program "
                    "built for the AT90S4434."}),
    [](const testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.name); });

// MISO scripted for the opening: the echo of Programming Enable, then 1E 99 99.
TEST_F(OpsTest, AnUnknownSignatureIsNamedByItsBytes) {
    PortRecorder recorder;
    recorder.ScriptMiso({0x00, 0x00, 0x53, 0x00, 0x00, 0x00, 0x00, 0x1E, //
                         0x00, 0x00, 0x00, 0x99, 0x00, 0x00, 0x00, 0x99});
    RunDialog([&](CTamberloDlg&, HWND dialog) { ClickButton(dialog, IDC_ERASE); });
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{std::string("The chip on the cable answers with the "
                                                   "signature 1E 99 99, which belongs to no chip "
                                                   "this program knows. ") +
                                       kProgrammedChips + "\nNothing was written or erased."});
    EXPECT_EQ(board.Chip().counters().chipErases, 0u);
    EXPECT_TRUE(Released());
}

} // namespace
