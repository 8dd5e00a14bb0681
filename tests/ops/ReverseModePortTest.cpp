// A printer port that a BIOS, a printer driver or a scanner left in reverse mode (control
// bit 5: the data lines are inputs, so neither SCK nor RESET reaches the chip), perhaps with
// its interrupt on (bit 4): the first operation programs the chip all the same.
#include "tests/ops/OpsFixture.h"

#include <algorithm>

namespace {

constexpr WORD kControl = 0x37A;

TEST_F(OpsTest, APortLeftInReverseModeProgramsOnTheFirstOperation) {
    const std::vector<unsigned char> image = TestImage(256);
    for (const BYTE control : {BYTE{0x20}, BYTE{0x30}, BYTE{0xE4}}) {
        SCOPED_TRACE(testing::Message() << "control register 0x" << std::hex << int(control));
        board.Board().Out(kControl, control);
        boxes.Clear();
        std::string caption;
        RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
            LoadImage(dlg, image);
            ClickButton(dialog, IDC_AUTO);
            caption = ProgressText(dialog);
        });
        EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].text;
        EXPECT_EQ(caption, "Verfify Ok");
        EXPECT_TRUE(std::equal(image.begin(), image.end(), board.Chip().flash().begin()));
        EXPECT_TRUE(Released());
        EXPECT_EQ(board.Board().In(kControl) & 0x30, 0) << "data lines driven, no interrupt";
    }
}

} // namespace
