// Test scaffolding for the text progress bar: a visible, topmost parent window on the
// test display with a standard progress bar inside it, bound to a CTextProgressCtrl
// as the dialog binds it, and a read-back of the control's pixels from the screen.
#pragma once
#include "progress/TextProgressCtrl.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

// The control's protected state and handlers, opened up for the tests.
class TestableProgress : public CTextProgressCtrl {
public:
    using CTextProgressCtrl::m_bTextVisible;
    using CTextProgressCtrl::m_nLastExtent;
    using CTextProgressCtrl::OnSetPos;

    int paints = 0;          // drawings of the bar: in WM_PAINT, or at once on a step
    LONGLONG paintTicks = 0; // performance-counter ticks spent drawing

    void Paint(CDC& dc) override {
        ++paints;
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        CTextProgressCtrl::Paint(dc);
        ::QueryPerformanceCounter(&end);
        paintTicks += end.QuadPart - start.QuadPart;
    }
};

struct ProgressWindowOptions {
    POINT origin{40, 40}; // where the parent goes on the screen
    int clientWidth = 200;
    int clientHeight = 20;
    DWORD extraStyle = 0;           // PBS_VERTICAL for an upright bar
    const char* text = "Progress1"; // the dialog template's text
    HFONT parentFont = nullptr;     // what the parent answers to WM_GETFONT
    const char* windowClass = PROGRESS_CLASSA;
};

class ProgressWindow {
public:
    ProgressWindow(CTextProgressCtrl& control, const ProgressWindowOptions& options = {});
    // A window of `options.windowClass` that no control object is bound to.
    explicit ProgressWindow(const ProgressWindowOptions& options);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND Parent() const { return m_parent; }
    HWND Control() const { return m_control; }

private:
    void Create(CTextProgressCtrl* control, const ProgressWindowOptions& options);

    HWND m_parent = nullptr;
    HWND m_control = nullptr;
};

// The control's client area as shown on the screen, row by row (index y * width + x),
// after any pending paint has run.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colors;
    COLORREF At(int x, int y) const { return colors[static_cast<size_t>(y * width + x)]; }
};
Pixels CaptureClient(HWND hWnd);

// Runs every message waiting for this thread, so pending paints happen now.
void PumpMessages();
