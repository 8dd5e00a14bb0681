// The bar's pixels now that the control keeps its off-screen DC between paints, compared
// pixel by pixel with the same pictures painted the way it painted before (a new memory
// DC, bitmap and clip regions for every paint): a table of states shown one after the
// other on one control, with captions and percentages, the edge at 0, through a letter,
// at full and beyond, horizontal and upright, in the dialog's font and in none.
#include "PaintAsBefore.h"
#include "ProgressTestWindow.h"

#include "progress/ProgressMath.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const COLORREF kBar = RGB(200, 30, 30);
const COLORREF kBk = RGB(30, 30, 200);
const COLORREF kText = RGB(0, 160, 0);
const int kWidth = 274; // about the main window's bar
const int kHeight = 24;
const char kCaption[] = "Program Flash 50%";

// The font the dialog manager makes for the main window's "MS Sans Serif", 8 points.
HFONT CreateDialogFont() {
    return ::CreateFontA(-::MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH, "MS Sans Serif");
}

// Columns [left, right) of one character of `text` drawn centred in `width` pixels.
struct Span {
    int left;
    int right;
};

std::vector<Span> CharacterSpans(HFONT font, const char* text, int width) {
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    const int length = lstrlenA(text);
    SIZE whole{};
    ::GetTextExtentPoint32A(dc, text, length, &whole);
    const int start = (width - whole.cx) / 2;
    std::vector<Span> spans;
    int left = 0;
    for (int i = 1; i <= length; ++i) {
        SIZE prefix{};
        ::GetTextExtentPoint32A(dc, text, i, &prefix);
        spans.push_back(Span{start + left, start + prefix.cx});
        left = prefix.cx;
    }
    if (previous != nullptr)
        ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    return spans;
}

// The middle of the widest character of `text`: a bar edge there splits a letter.
Span WidestCharacter(HFONT font, const char* text, int width) {
    Span widest{0, 0};
    for (const Span& span : CharacterSpans(font, text, width))
        if (span.right - span.left > widest.right - widest.left)
            widest = span;
    return widest;
}

// In range 0..width, the first position from `from` on whose percentage text has a
// character that the edge (at x = position) cuts with at least 2 columns on each side.
int PercentSplittingADigit(HFONT font, int width, int from, Span* digit) {
    for (int position = from; position < width; ++position) {
        char text[16];
        progress_math::FormatPercent(text, sizeof text,
                                     progress_math::Fraction(position, 0, width));
        for (const Span& span : CharacterSpans(font, text, width))
            if (position >= span.left + 2 && position <= span.right - 2) {
                *digit = span;
                return position;
            }
    }
    return -1;
}

// Blackens the client area and leaves nothing pending, so a paint must cover it all.
void Blacken(HWND hWnd) {
    ::ValidateRect(hWnd, nullptr);
    RECT client;
    ::GetClientRect(hWnd, &client);
    const HDC dc = ::GetDC(hWnd);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::ReleaseDC(hWnd, dc);
}

// Puts `state` into the control through its messages and reads back what it paints.
Pixels ShownByControl(TestableProgress& control, const BarState& state) {
    const HWND hWnd = control.m_hWnd;
    ::SendMessageA(hWnd, PBM_SETRANGE32, static_cast<WPARAM>(state.lower), state.upper);
    ::SetWindowTextA(hWnd, state.text);
    control.SetBarColor(state.bar);
    control.SetBkColor(state.bk);
    control.SetTextColor(state.textColor);
    control.SetTextVisible(state.textVisible);
    control.SetPos(state.position);
    Blacken(hWnd);
    ::InvalidateRect(hWnd, nullptr, TRUE);
    return CaptureClient(hWnd);
}

// The same state painted the old way onto the control's window.
Pixels PaintedAsBefore(HWND hWnd, const BarState& state) {
    Blacken(hWnd);
    RECT client;
    ::GetClientRect(hWnd, &client);
    const HDC dc = ::GetDC(hWnd);
    PaintAsBefore(dc, client, state);
    ::ReleaseDC(hWnd, dc);
    return CaptureClient(hWnd);
}

// "" when the pictures are equal, else where and how they first differ.
std::string FirstDifference(const Pixels& shown, const Pixels& before) {
    if (shown.width != before.width || shown.height != before.height)
        return "sizes differ";
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            if (shown.At(x, y) != before.At(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "at %d,%d: %06lX now, %06lX before", x, y,
                              shown.At(x, y), before.At(x, y));
                return text;
            }
    return "";
}

// Whether columns [from, to) hold a pixel other than `ground`: a piece of text.
bool HasInk(const Pixels& pixels, int from, int to, COLORREF ground) {
    for (int y = 0; y < pixels.height; ++y)
        for (int x = from; x < to; ++x)
            if (pixels.At(x, y) != ground)
                return true;
    return false;
}

struct Case {
    std::string name;
    int width; // the control's client width
    BarState state;
    Span split{0, 0}; // a character the edge cuts, when there is one: ink on both sides
};

void Resize(HWND hWnd, int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_STYLE)), FALSE, 0);
    ::SetWindowPos(hWnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Shows each case on one control, in order, and compares it with the old paint.
void ExpectSamePixels(const std::vector<Case>& cases, HFONT font, int height, DWORD style) {
    int widest = 0;
    for (const Case& c : cases)
        widest = c.width > widest ? c.width : widest;
    TestableProgress control;
    ProgressWindowOptions options;
    options.clientWidth = widest;
    options.clientHeight = height;
    options.extraStyle = style;
    options.parentFont = font;
    ProgressWindow window(control, options);
    for (const Case& c : cases) {
        Resize(window.Control(), c.width, height);
        BarState state = c.state;
        state.font = font;
        state.vertical = (style & PBS_VERTICAL) != 0;
        const Pixels shown = ShownByControl(control, state);
        const Pixels before = PaintedAsBefore(window.Control(), state);
        ASSERT_EQ(shown.width, c.width) << c.name;
        EXPECT_EQ(FirstDifference(shown, before), "") << c.name;
        if (c.split.right > c.split.left) {
            const int edge = progress_math::Extent(
                c.width, progress_math::Fraction(state.position, state.lower, state.upper));
            EXPECT_TRUE(HasInk(before, c.split.left, edge, kBar)) << c.name << ": left of the edge";
            EXPECT_TRUE(HasInk(before, edge, c.split.right, kBk)) << c.name << ": right of it";
        }
    }
}

BarState State(int lower, int upper, int position, const char* text, COLORREF bar = kBar,
               COLORREF bk = kBk) {
    BarState state;
    state.lower = lower;
    state.upper = upper;
    state.position = position;
    state.text = text;
    state.bar = bar;
    state.bk = bk;
    return state;
}

std::vector<Case> HorizontalCases(HFONT font) {
    const Span letter = WidestCharacter(font, kCaption, kWidth);
    const int throughLetter = (letter.left + letter.right) / 2;
    Span digit{0, 0};
    const int throughDigit = PercentSplittingADigit(font, kWidth, kWidth / 3, &digit);
    if (throughDigit < 0)
        ADD_FAILURE() << "no position whose edge cuts a digit of its percentage";
    BarState colouredText = State(0, 100, 50, "Erase");
    colouredText.textColor = kText;
    BarState hidden = State(0, 100, 50, kCaption);
    hidden.textVisible = FALSE;
    return {
        {"0%", kWidth, State(0, 100, 0, "")},
        {"caption at 0", kWidth, State(0, 100, 0, "Erase")},
        {"caption, the edge through a letter", kWidth, State(0, kWidth, throughLetter, kCaption),
         letter},
        {"percentage, the edge through a digit", kWidth, State(0, kWidth, throughDigit, ""), digit},
        {"50%, system colours", kWidth, State(0, 100, 50, "", CLR_DEFAULT, CLR_DEFAULT)},
        {"caption, system colours", kWidth,
         State(0, 4096, 1500, kCaption, CLR_DEFAULT, CLR_DEFAULT)},
        {"full, caption", kWidth, State(0, 100, 100, "Verfify Ok")},
        {"full, 100%", kWidth, State(0, 100, 100, "")},
        {"beyond full, 150%", kWidth, State(0, 100, 150, "")},
        {"below the range, -20%", kWidth, State(0, 100, -20, "")},
        {"33% (truncated), after a caption", kWidth, State(0, 3, 1, "")},
        {"one text colour", kWidth, colouredText},
        {"text hidden", kWidth, hidden},
        {"caption wider than the bar", 60, State(0, 100, 40, kCaption)},
        {"a wider bar: a larger bitmap", kWidth + 120, State(0, 100, 70, kCaption)},
        {"back to the narrower bar", kWidth, State(0, 100, 70, kCaption)},
    };
}

TEST(ProgressPixels, HorizontalBarInTheDialogsFontIsPaintedAsBefore) {
    const HFONT font = CreateDialogFont();
    ExpectSamePixels(HorizontalCases(font), font, kHeight, 0);
    ::DeleteObject(font);
}

TEST(ProgressPixels, HorizontalBarWithoutAParentFontIsPaintedAsBefore) {
    ExpectSamePixels(HorizontalCases(nullptr), nullptr, kHeight, 0);
}

TEST(ProgressPixels, UprightBarIsPaintedAsBefore) {
    const std::vector<Case> cases = {
        {"empty", 30, State(0, 100, 0, "")},
        {"30%, with a caption that is never drawn", 30, State(0, 100, 30, kCaption)},
        {"full", 30, State(0, 100, 100, "")},
        {"beyond full", 30, State(0, 100, 130, "")},
        {"below the range", 30, State(0, 100, -5, "")},
        {"system colours", 30, State(0, 7, 3, "", CLR_DEFAULT, CLR_DEFAULT)},
    };
    ExpectSamePixels(cases, nullptr, 100, PBS_VERTICAL);
}

// Every place the edge can stand in range 0..width, with the percentage: each digit,
// each percent sign split at every column.
TEST(ProgressPixels, EveryEdgePositionOfThePercentageIsPaintedAsBefore) {
    const HFONT font = CreateDialogFont();
    std::vector<Case> cases;
    for (int position = 0; position <= kWidth + 1; ++position)
        cases.push_back(
            Case{"edge at " + std::to_string(position), kWidth, State(0, kWidth, position, "")});
    ExpectSamePixels(cases, font, kHeight, 0);
    ::DeleteObject(font);
}

} // namespace
