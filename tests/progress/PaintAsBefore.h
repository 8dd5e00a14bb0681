// The text progress bar's paint as the control did it before it kept its off-screen DC
// from one paint to the next: a memory DC, a bitmap and two clip regions made for each
// paint and deleted after it. Plain Win32, sharing nothing with the control's drawing
// code, it is the reference the control's pixels are compared with and the "before" of
// the paint benchmark.
#pragma once
#include <windows.h>

#include <commctrl.h>

// What a paint reads: the control's fields, its style and its parent's font.
struct BarState {
    int lower = 0;
    int upper = 100;
    int position = 0;
    const char* text = ""; // the window text; empty: the percentage is shown
    COLORREF bar = CLR_DEFAULT;
    COLORREF bk = CLR_DEFAULT;
    COLORREF textColor = CLR_DEFAULT;
    BOOL textVisible = TRUE;
    bool vertical = false;
    HFONT font = nullptr; // the parent's font; null: the DC's default
};

// Draws `state` the old way onto `target`, a DC of a control whose client area is
// `client`: off-screen in the target's clip box, copied out in one BitBlt.
void PaintAsBefore(HDC target, const RECT& client, const BarState& state);
