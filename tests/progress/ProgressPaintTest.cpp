// What the text progress bar puts on the screen, read back pixel by pixel: bar and
// background split at the truncated extent, the text in two colours split at the same
// edge, the upright variant, and ranges that paint nothing.
#include "ProgressTestWindow.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <utility>

namespace {

const COLORREF kBar = RGB(200, 30, 30);
const COLORREF kBk = RGB(30, 30, 200);
const COLORREF kText = RGB(0, 160, 0);

// The same picture drawn with plain GDI into a bitmap: what the control should show.
Pixels Reference(int width, int height, int barExtent, const char* text, COLORREF bar, COLORREF bk,
                 COLORREF overBar, COLORREF overBk, HFONT font = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(dc, section);
    if (font != nullptr)
        ::SelectObject(dc, font);
    const RECT client{0, 0, width, height};
    const RECT barRect{0, 0, barExtent, height};
    const RECT bkRect{barExtent, 0, width, height};
    ::SetBkColor(dc, bar);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &barRect, nullptr, 0, nullptr);
    ::SetBkColor(dc, bk);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &bkRect, nullptr, 0, nullptr);
    ::SetBkMode(dc, TRANSPARENT);
    const std::pair<RECT, COLORREF> parts[] = {{barRect, overBar}, {bkRect, overBk}};
    for (const auto& [clip, color] : parts) {
        const HRGN region = ::CreateRectRgnIndirect(&clip);
        ::SelectClipRgn(dc, region);
        ::DeleteObject(region);
        ::SetTextColor(dc, color);
        RECT area = client;
        ::DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    ::GdiFlush();
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    const auto* row = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i)
        pixels.colors.push_back(RGB((row[i] >> 16) & 0xFF, (row[i] >> 8) & 0xFF, row[i] & 0xFF));
    ::SelectObject(dc, previous);
    ::DeleteDC(dc);
    ::DeleteObject(section);
    return pixels;
}

// Counts of the pixels in columns [from, to) that have exactly `color`.
int CountColor(const Pixels& pixels, int from, int to, COLORREF color) {
    int count = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = from; x < to; ++x)
            count += pixels.At(x, y) == color;
    return count;
}

int Area(const Pixels& pixels, int from, int to) {
    return (to - from) * pixels.height;
}

class ProgressPaint : public ::testing::Test {
protected:
    TestableProgress control;

    void Show(const ProgressWindowOptions& options = {}) {
        window = std::make_unique<ProgressWindow>(control, options);
    }
    void Colours(COLORREF bar, COLORREF bk) {
        control.SetBarColor(bar);
        control.SetBkColor(bk);
    }
    Pixels Shown() { return CaptureClient(window->Control()); }

    std::unique_ptr<ProgressWindow> window;
};

TEST_F(ProgressPaint, HalfFullBarSplitsTheTextColoursAtItsEdge) {
    Show();
    Colours(kBar, kBk);
    control.SetPos(50);
    const Pixels shown = Shown();
    ASSERT_EQ(shown.width, 200);

    // The text shows in the other colour on each side (its smoothed edges in between).
    EXPECT_GT(CountColor(shown, 0, 100, kBk), 0) << "text over the bar";
    EXPECT_GT(CountColor(shown, 100, 200, kBar), 0) << "text over the background";
    EXPECT_EQ(CountColor(shown, 0, 70, kBar), Area(shown, 0, 70)) << "no text far left";
    EXPECT_EQ(CountColor(shown, 130, 200, kBk), Area(shown, 130, 200)) << "no text far right";

    EXPECT_EQ(shown.colors, Reference(200, 20, 100, "50%", kBar, kBk, kBk, kBar).colors);
}

// A paint of part of the control (another window uncovering it) draws that part in
// place: the off-screen bitmap then starts at the part's corner, not at the control's.
TEST_F(ProgressPaint, APartialRepaintDrawsThePartInPlace) {
    Show();
    Colours(kBar, kBk);
    control.SetPos(50);
    const RECT clearAll{0, 0, 200, 20};
    const RECT rightPart{90, 5, 200, 20};
    ::ValidateRect(window->Control(), nullptr);
    const HDC screen = ::GetDC(window->Control());
    ::FillRect(screen, &clearAll, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::ReleaseDC(window->Control(), screen);
    ::InvalidateRect(window->Control(), &rightPart, TRUE);
    const Pixels shown = Shown();
    const Pixels expected = Reference(200, 20, 100, "50%", kBar, kBk, kBk, kBar);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(shown.At(x, y), x >= 90 && y >= 5 ? expected.At(x, y) : RGB(0, 0, 0))
                << x << "," << y;
}

TEST_F(ProgressPaint, AnExplicitTextColourIsTheSameOnBothSides) {
    Show();
    Colours(kBar, kBk);
    control.SetTextColor(kText);
    control.SetPos(50);
    const Pixels shown = Shown();
    EXPECT_GT(CountColor(shown, 0, 100, kText), 0);
    EXPECT_GT(CountColor(shown, 100, 200, kText), 0);
    EXPECT_EQ(CountColor(shown, 0, 100, kBk), 0);
    EXPECT_EQ(CountColor(shown, 100, 200, kBar), 0);
    EXPECT_EQ(shown.colors, Reference(200, 20, 100, "50%", kBar, kBk, kText, kText).colors);
}

TEST_F(ProgressPaint, HiddenTextLeavesOnlyBarAndBackground) {
    Show();
    Colours(kBar, kBk);
    control.SetTextVisible(FALSE);
    control.SetPos(50);
    const Pixels shown = Shown();
    EXPECT_EQ(CountColor(shown, 0, 100, kBar), Area(shown, 0, 100));
    EXPECT_EQ(CountColor(shown, 100, 200, kBk), Area(shown, 100, 200));
}

TEST_F(ProgressPaint, UprightBarGrowsFromTheBottomWithoutText) {
    ProgressWindowOptions upright;
    upright.clientWidth = 30;
    upright.clientHeight = 100;
    upright.extraStyle = PBS_VERTICAL;
    Show(upright);
    Colours(kBar, kBk);
    control.SetPos(30);
    const Pixels shown = Shown();
    ASSERT_EQ(shown.height, 100);
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            ASSERT_EQ(shown.At(x, y), y < 70 ? kBk : kBar) << x << "," << y;
}

TEST_F(ProgressPaint, TruncatedPercentageAndExtentWithSystemColours) {
    Show();
    control.SetRange(0, 3);
    control.SetPos(1);
    const COLORREF bar = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF bk = ::GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(Shown().colors, Reference(200, 20, 66, "33%", bar, bk, bk, bar).colors);
}

TEST_F(ProgressPaint, ShowsItsOwnTextAndNeverTheTemplatesText) {
    Show();
    Colours(kBar, kBk);
    EXPECT_EQ(Shown().colors, Reference(200, 20, 0, "0%", kBar, kBk, kBk, kBar).colors);
    ::SetWindowTextA(window->Control(), "Writing");
    EXPECT_EQ(Shown().colors, Reference(200, 20, 0, "Writing", kBar, kBk, kBk, kBar).colors);
    ::SendMessageA(window->Control(), WM_SETTEXT, 0, 0);
    EXPECT_EQ(Shown().colors, Reference(200, 20, 0, "0%", kBar, kBk, kBk, kBar).colors);
}

TEST_F(ProgressPaint, TextIsSetInTheParentsFont) {
    const HFONT font =
        ::CreateFontA(18, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, "Tahoma");
    ProgressWindowOptions options;
    options.parentFont = font;
    Show(options);
    Colours(kBar, kBk);
    ::SendMessageA(window->Control(), WM_SETFONT,
                   reinterpret_cast<WPARAM>(::GetStockObject(SYSTEM_FIXED_FONT)), FALSE);
    control.SetPos(50);
    const Pixels shown = Shown();
    EXPECT_EQ(shown.colors, Reference(200, 20, 100, "50%", kBar, kBk, kBk, kBar, font).colors);
    EXPECT_NE(shown.colors, Reference(200, 20, 100, "50%", kBar, kBk, kBk, kBar).colors);
    window.reset();
    ::DeleteObject(font);
}

// Ranges with no room for a bar: the paint runs, draws nothing and leaves nothing pending.
TEST(ProgressPaintRange, EmptyOrInvertedRangePaintsNothing) {
    struct {
        int lower, upper;
    } const ranges[] = {{5, 5}, {10, 5}, {0, -100}};
    for (const auto& range : ranges) {
        TestableProgress control;
        ProgressWindow window(control);
        control.SetBarColor(kBar);
        control.SetTextVisible(FALSE);
        control.SetPos(100);
        ASSERT_EQ(CountColor(CaptureClient(window.Control()), 0, 200, kBar), 4000);

        ::SendMessageA(window.Control(), PBM_SETRANGE32, static_cast<WPARAM>(range.lower),
                       range.upper);
        control.SetBarColor(kText);
        control.SetTextVisible(TRUE);
        const int paintsBefore = control.paints;
        const Pixels shown = CaptureClient(window.Control());
        EXPECT_EQ(control.paints, paintsBefore + 1) << range.lower << ".." << range.upper;
        EXPECT_EQ(CountColor(shown, 0, 200, kBar), 4000) << range.lower << ".." << range.upper;
        EXPECT_FALSE(::GetUpdateRect(window.Control(), nullptr, FALSE));
    }
}

} // namespace
