// The text progress bar's answers to the progress-bar messages, its text and colour
// setters, and which of them ask for a repaint.
#include "ProgressTestWindow.h"
#include "progress/ProgressMath.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>

namespace {

// CLR_DEFAULT as a message parameter or result.
const LRESULT kDefault = static_cast<LRESULT>(CLR_DEFAULT);

struct MessageCase {
    const char* what;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT expected;
};

// Run in order on one control: each row sees the state the rows before it left.
const MessageCase kMessageSequence[] = {
    {"initial position", PBM_GETPOS, 0, 0, 0},
    {"initial upper bound", PBM_GETRANGE, FALSE, 0, 100},
    {"initial lower bound", PBM_GETRANGE, TRUE, 0, 0},
    {"range 0..10 (32-bit)", PBM_SETRANGE32, 0, 10, MAKELRESULT(0, 100)},
    {"position beyond the range returns the old one", PBM_SETPOS, 20, 0, 0},
    {"the position is not clamped", PBM_GETPOS, 0, 0, 20},
    {"set step returns the old step", PBM_SETSTEP, 5, 0, 1},
    {"step returns the old position", PBM_STEPIT, 0, 0, 20},
    {"stepping past the top does not wrap", PBM_GETPOS, 0, 0, 25},
    {"delta returns the old position", PBM_DELTAPOS, static_cast<WPARAM>(-30), 0, 25},
    {"a negative delta goes below the range", PBM_GETPOS, 0, 0, -5},
    {"negative position", PBM_SETPOS, static_cast<WPARAM>(-70), 0, -5},
    {"16-bit range (-10, 50)", PBM_SETRANGE, 0, MAKELPARAM(-10, 50), MAKELRESULT(0, 10)},
    {"the lower half is unsigned", PBM_GETRANGE, TRUE, 0, 65526},
    {"the upper half", PBM_GETRANGE, FALSE, 0, 50},
    {"a range does not move the position", PBM_GETPOS, 0, 0, -70},
    {"inverted 32-bit range is kept as given", PBM_SETRANGE32, static_cast<WPARAM>(-5), -9,
     MAKELRESULT(65526, 50)},
    {"inverted lower", PBM_GETRANGE, TRUE, 0, -5},
    {"inverted upper", PBM_GETRANGE, FALSE, 0, -9},
    {"bar colour returns the default", PBM_SETBARCOLOR, 0, RGB(1, 2, 3), kDefault},
    {"bar colour returns the previous", PBM_SETBARCOLOR, 0, RGB(4, 5, 6), RGB(1, 2, 3)},
    {"background colour returns the default", PBM_SETBKCOLOR, 0, RGB(7, 8, 9), kDefault},
    {"background colour returns the previous", PBM_SETBKCOLOR, 0, kDefault, RGB(7, 8, 9)},
    {"text colour returns the default", WM_TPC_SETTEXTCOLOR, 0, RGB(1, 1, 1), kDefault},
    {"text colour returns the previous", WM_TPC_SETTEXTCOLOR, 0, RGB(2, 2, 2), RGB(1, 1, 1)},
};

class ProgressMessages : public ::testing::Test {
protected:
    TestableProgress control;
    ProgressWindow window{control};

    void SetUp() override { control.paints = 0; }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(window.Control(), message, wParam, lParam);
    }
    // Whether `action` left any part of the control marked for repainting.
    template <class Action> bool Invalidates(Action action) {
        ::ValidateRect(window.Control(), nullptr);
        action();
        return ::GetUpdateRect(window.Control(), nullptr, FALSE) != FALSE;
    }
};

TEST_F(ProgressMessages, AnswersFromItsOwnRangePositionAndStep) {
    for (const MessageCase& row : kMessageSequence)
        EXPECT_EQ(Send(row.message, row.wParam, row.lParam), row.expected) << row.what;
}

TEST_F(ProgressMessages, GetRangeFillsTheStructureEitherWay) {
    Send(PBM_SETRANGE32, static_cast<WPARAM>(-100000), 300000);
    for (const BOOL which : {FALSE, TRUE}) {
        PBRANGE range{1, 1};
        EXPECT_EQ(Send(PBM_GETRANGE, which, reinterpret_cast<LPARAM>(&range)),
                  which ? -100000 : 300000);
        EXPECT_EQ(range.iLow, -100000);
        EXPECT_EQ(range.iHigh, 300000);
    }
}

TEST_F(ProgressMessages, TextQueryCopiesWholeCharactersIntoSmallBuffers) {
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Hello"));
    struct {
        WPARAM size;
        const char* expected;
    } const cases[] = {{1, ""}, {2, "H"}, {3, "He"}, {5, "Hell"}, {6, "Hello"}, {64, "Hello"}};
    for (const auto& row : cases) {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(Send(WM_GETTEXT, row.size, reinterpret_cast<LPARAM>(buffer)),
                  static_cast<LRESULT>(std::strlen(row.expected)))
            << row.size;
        EXPECT_STREQ(buffer, row.expected) << row.size;
    }
    char untouched[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(Send(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(untouched)), 0);
    EXPECT_EQ(untouched[0], '#');
}

TEST(ProgressTextCopy, NeverSplitsADoubleByteCharacter) {
    // Shift-JIS: 0x82 leads a two-byte character.
    const char text[] = "A\x82\xa0"
                        "B";
    struct {
        int size;
        int copied;
        const char* expected;
    } const cases[] = {{0, 0, nullptr},     {1, 0, ""},   {2, 1, "A"},  {3, 1, "A"},
                       {4, 3, "A\x82\xa0"}, {5, 4, text}, {40, 4, text}};
    for (const auto& row : cases) {
        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(progress_math::CopyWholeCharacters(text, 4, buffer, row.size, 932), row.copied)
            << row.size;
        if (row.expected != nullptr)
            EXPECT_STREQ(buffer, row.expected) << row.size;
        else
            EXPECT_EQ(buffer[0], '#');
    }
    char buffer[8];
    EXPECT_EQ(progress_math::CopyWholeCharacters("A\x82", 2, buffer, 8, 932), 2)
        << "a lead byte that ends the text is a character of its own";
}

TEST_F(ProgressMessages, TheTemplateTextIsNotTheControlsText) {
    char buffer[32] = "#";
    EXPECT_EQ(Send(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(ProgressMessages, OnlyAChangedTextAsksForARepaint) {
    const auto setText = [this](const char* text) {
        return Invalidates([&] { Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); });
    };
    EXPECT_FALSE(setText(nullptr)) << "no text yet";
    EXPECT_FALSE(setText("")) << "still no text";
    EXPECT_TRUE(setText("Writing"));
    EXPECT_FALSE(setText("Writing")) << "same bytes";
    EXPECT_TRUE(setText("writing")) << "case matters";
    EXPECT_TRUE(setText(nullptr)) << "clears the text";
    char buffer[16] = "#";
    EXPECT_EQ(Send(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer)), 0);
    EXPECT_EQ(control.paints, 0) << "setting text never paints by itself";
}

TEST_F(ProgressMessages, SetTextReturnsThePlatformsAnswerAndKeepsItsCopy) {
    EXPECT_EQ(Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Reading")), TRUE);
    EXPECT_EQ(::GetWindowTextLengthA(window.Control()), 7);
    EXPECT_EQ(Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Reading")), TRUE) << "same text";
    EXPECT_EQ(::GetWindowTextLengthA(window.Control()), 7);
    EXPECT_EQ(Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Read")), TRUE);
    EXPECT_EQ(::GetWindowTextLengthA(window.Control()), 4);
    EXPECT_EQ(Send(WM_SETTEXT, 0, 0), TRUE);
    EXPECT_EQ(::GetWindowTextLengthA(window.Control()), 0);
}

TEST_F(ProgressMessages, ColourSettersAlwaysAskForARepaint) {
    EXPECT_TRUE(Invalidates([&] { control.SetBarColor(RGB(9, 9, 9)); }));
    EXPECT_TRUE(Invalidates([&] { control.SetBarColor(RGB(9, 9, 9)); })) << "unchanged";
    EXPECT_TRUE(Invalidates([&] { control.SetBkColor(CLR_DEFAULT); })) << "unchanged";
    EXPECT_TRUE(Invalidates([&] { control.SetTextColor(CLR_DEFAULT); })) << "unchanged";
    EXPECT_EQ(control.GetBarColor(), RGB(9, 9, 9));
    EXPECT_EQ(control.GetBkColor(), CLR_DEFAULT);
}

TEST_F(ProgressMessages, ShowingTextRepaintsOnlyOnAChangeAndKeepsTheValueGiven) {
    EXPECT_FALSE(Invalidates([&] { control.SetTextVisible(TRUE); }));
    EXPECT_TRUE(Invalidates([&] { Send(WM_TPC_SHOWTEXT, 2); }));
    EXPECT_EQ(control.m_bTextVisible, 2);
    EXPECT_FALSE(Invalidates([&] { control.SetTextVisible(2); }));
    EXPECT_TRUE(Invalidates([&] { control.SetTextVisible(FALSE); }));
}

TEST_F(ProgressMessages, RangeAndStepChangesNeverRepaint) {
    EXPECT_FALSE(Invalidates([&] { Send(PBM_SETRANGE32, 0, 7); }));
    EXPECT_FALSE(Invalidates([&] { Send(PBM_SETRANGE, 0, MAKELPARAM(0, 9)); }));
    EXPECT_FALSE(Invalidates([&] { Send(PBM_SETSTEP, 3); }));
    EXPECT_EQ(control.m_nLastExtent, -1);
    EXPECT_EQ(control.paints, 0);
}

TEST(ProgressWithoutWindow, SettersOnlyStoreAndPositionIsRefused) {
    TestableProgress control;
    EXPECT_EQ(control.GetTextColor(), CLR_DEFAULT);
    EXPECT_EQ(control.SetBarColor(RGB(1, 0, 0)), CLR_DEFAULT);
    EXPECT_EQ(control.SetBkColor(RGB(0, 1, 0)), CLR_DEFAULT);
    EXPECT_EQ(control.SetTextColor(RGB(0, 0, 1)), CLR_DEFAULT);
    EXPECT_EQ(control.GetBarColor(), RGB(1, 0, 0));
    EXPECT_EQ(control.GetBkColor(), RGB(0, 1, 0));
    EXPECT_EQ(control.GetTextColor(), RGB(0, 0, 1));
    control.SetTextVisible(FALSE);
    EXPECT_EQ(control.m_bTextVisible, FALSE);
    EXPECT_EQ(control.OnSetPos(10, 0), -1);
    EXPECT_EQ(control.m_hWnd, nullptr);
}

} // namespace
