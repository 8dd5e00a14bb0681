// Device operations that must not start: no port chosen yet, a delay outside 1..10,
// no HEX file loaded. None of them touches the printer port.
#include "tests/link/PortRecorder.h"
#include "tests/ops/OpsFixture.h"

namespace {

const char kNoImage[] = "Please open a Hex File before writing memory.";
const char kDelayRange[] = "Please enter an integer between 1 and 10.";

struct OpCase {
    const char* name;
    int button;
};

const OpCase kAllOps[] = {{"Erase", IDC_ERASE},   {"Blank", IDC_BLANK}, {"Program", IDC_PROGRAM},
                          {"Verify", IDC_VERIFY}, {"Auto", IDC_AUTO},   {"LockBit", IDC_LOCKBIT}};

std::string OpName(const testing::TestParamInfo<OpCase>& info) {
    return info.param.name;
}

constexpr char kNoPortSettings[] = "[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=0\r\n";

class NoPortTest : public OpsTest, public testing::WithParamInterface<OpCase> {
protected:
    NoPortTest() : OpsTest(sim::BoardSettings{}, kNoPortSettings) {}
};

TEST_P(NoPortTest, EndsAfterTheFirstRunNoticeWithoutTouchingThePort) {
    int notices = 0;
    driver.On(
        "First Run TAMBERLO",
        [&](HWND notice) {
            ++notices;
            ClickButton(notice, IDOK);
        },
        false);
    PortRecorder recorder;
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, TestImage(16));
        notices = 0;
        ClickButton(dialog, GetParam().button);
    });
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(recorder.Accesses().empty());
    EXPECT_TRUE(board.Waits().Waits().empty());
}

INSTANTIATE_TEST_SUITE_P(Ops, NoPortTest, testing::ValuesIn(kAllOps), OpName);

struct DelayCase {
    const char* name;
    std::uint32_t delayBit;
    std::uint32_t delayByte;
    int field; // the field that gets the focus
};

class DelayRangeTest : public OpsTest,
                       public testing::WithParamInterface<std::tuple<OpCase, DelayCase>> {};

TEST_P(DelayRangeTest, ShowsTheRangeMessageAndSelectsTheField) {
    const OpCase& op = std::get<0>(GetParam());
    const DelayCase& delays = std::get<1>(GetParam());
    PortRecorder recorder;
    RunDialog([&](CTamberloDlg& dlg, HWND dialog) {
        LoadImage(dlg, TestImage(16));
        dlg.Settings().DelayBit() = delays.delayBit;
        dlg.Settings().DelayByte() = delays.delayByte;
        ClickButton(dialog, op.button);
        HWND field = ::GetDlgItem(dialog, delays.field);
        EXPECT_EQ(::GetFocus(), field);
        DWORD start = 1;
        DWORD end = 0;
        ::SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                       reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, static_cast<DWORD>(::GetWindowTextLengthA(field)));
        EXPECT_EQ(dlg.Settings().DelayBit(), delays.delayBit);
        EXPECT_EQ(dlg.Settings().DelayByte(), delays.delayByte);
    });
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, kDelayRange);
    EXPECT_EQ(boxes.Boxes()[0].caption, "tamberlo");
    EXPECT_EQ(boxes.Boxes()[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(recorder.Accesses().empty());
    EXPECT_TRUE(board.Waits().Waits().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ops, DelayRangeTest,
    testing::Combine(testing::ValuesIn(kAllOps),
                     testing::Values(DelayCase{"BitZero", 0, 1, IDC_DELAYBIT},
                                     DelayCase{"BitEleven", 11, 1, IDC_DELAYBIT},
                                     DelayCase{"ByteZero", 1, 0, IDC_DELAYBYTE},
                                     DelayCase{"ByteEleven", 10, 11, IDC_DELAYBYTE},
                                     DelayCase{"BothOut", 0, 0, IDC_DELAYBIT})),
    [](const testing::TestParamInfo<std::tuple<OpCase, DelayCase>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

class NoImageTest : public OpsTest, public testing::WithParamInterface<OpCase> {};

TEST_P(NoImageTest, AsksForAHexFileFirst) {
    PortRecorder recorder;
    RunDialog([&](CTamberloDlg&, HWND dialog) { ClickButton(dialog, GetParam().button); });
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kNoImage});
    EXPECT_EQ(boxes.Boxes()[0].icon, 0u);
    EXPECT_TRUE(recorder.Accesses().empty());
}

INSTANTIATE_TEST_SUITE_P(Ops, NoImageTest,
                         testing::Values(OpCase{"Program", IDC_PROGRAM},
                                         OpCase{"Verify", IDC_VERIFY}, OpCase{"Auto", IDC_AUTO}),
                         OpName);

} // namespace
