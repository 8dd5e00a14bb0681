// The progress bar's former paint, step for step, in plain Win32.
#include "PaintAsBefore.h"

#include "progress/ProgressMath.h"

namespace {

int VisibleExtent(int length, double fraction) {
    const int extent = progress_math::Extent(length, fraction);
    return extent < 0 ? 0 : (extent > length ? length : extent);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    const COLORREF previous = ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
}

// A clip region made from `clip` in device coordinates, selected, deleted; then the text.
void DrawClippedText(HDC dc, const RECT& clip, const RECT& client, const char* text, int length,
                     COLORREF color) {
    RECT deviceClip = clip;
    ::LPtoDP(dc, reinterpret_cast<POINT*>(&deviceClip), 2);
    const HRGN region = ::CreateRectRgnIndirect(&deviceClip);
    ::SelectClipRgn(dc, region);
    ::SetTextColor(dc, color);
    RECT area = client;
    ::DrawTextA(dc, text, length, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::DeleteObject(region);
}

} // namespace

void PaintAsBefore(HDC target, const RECT& client, const BarState& state) {
    if (state.lower >= state.upper)
        return;
    const COLORREF bar = state.bar == CLR_DEFAULT ? ::GetSysColor(COLOR_HIGHLIGHT) : state.bar;
    const COLORREF bk = state.bk == CLR_DEFAULT ? ::GetSysColor(COLOR_WINDOW) : state.bk;
    const double fraction = progress_math::Fraction(state.position, state.lower, state.upper);

    RECT clip;
    ::GetClipBox(target, &clip);
    const HDC dc = ::CreateCompatibleDC(target);
    const HBITMAP bitmap =
        ::CreateCompatibleBitmap(target, clip.right - clip.left, clip.bottom - clip.top);
    const HGDIOBJ previousBitmap = ::SelectObject(dc, bitmap);
    ::SetWindowOrgEx(dc, clip.left, clip.top, nullptr);
    const HGDIOBJ previousFont = state.font != nullptr ? ::SelectObject(dc, state.font) : nullptr;

    RECT barRect = client;
    RECT bkRect = client;
    if (state.vertical) {
        barRect.top = barRect.bottom - VisibleExtent(client.bottom - client.top, fraction);
        bkRect.bottom = barRect.top;
    } else {
        barRect.right = barRect.left + VisibleExtent(client.right - client.left, fraction);
        bkRect.left = barRect.right;
    }
    FillSolid(dc, barRect, bar);
    FillSolid(dc, bkRect, bk);

    if (state.textVisible && !state.vertical) {
        char percent[16];
        const char* text = state.text;
        int length = lstrlenA(state.text);
        if (length == 0) {
            length = progress_math::FormatPercent(percent, sizeof percent, fraction);
            text = percent;
        }
        ::SetBkMode(dc, TRANSPARENT);
        const bool twoTone = state.textColor == CLR_DEFAULT;
        DrawClippedText(dc, barRect, client, text, length, twoTone ? bk : state.textColor);
        DrawClippedText(dc, bkRect, client, text, length, twoTone ? bar : state.textColor);
        ::SelectClipRgn(dc, nullptr);
    }
    if (previousFont != nullptr)
        ::SelectObject(dc, previousFont);

    ::BitBlt(target, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, dc,
             clip.left, clip.top, SRCCOPY);
    ::SelectObject(dc, previousBitmap);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
}
