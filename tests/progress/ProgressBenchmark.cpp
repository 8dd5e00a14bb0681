// Prints what a step of the text progress bar costs: one that repaints, one that does
// not, and a whole 4096-step run; then what one paint costs, beside the same picture
// painted the way the bar painted before (a new memory DC and bitmap every paint) and
// beside a paint that draws nothing, which is what the platform's BeginPaint, EndPaint
// and RedrawWindow cost whatever is drawn. Figures only; it never fails on timing. It
// fails when it cannot measure: no application object, no window, or a bar that never
// paints.
#include "PaintAsBefore.h"
#include "ProgressTestWindow.h"

#include "framework/WinApp.h"
#include "tests/harness/Stopwatch.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Average seconds per StepIt over `steps` steps of `range` on a fresh bar; -1 when the
// bar's window cannot be created.
double TimeSteps(int range, int steps, int* paints) {
    TestableProgress control;
    ProgressWindow window(control);
    if (window.Control() == nullptr)
        return -1;
    control.SendMessage(PBM_SETRANGE32, 0, range);
    control.paints = 0;
    const LONGLONG start = StopwatchNow();
    for (int i = 0; i < steps; ++i)
        control.StepIt();
    const double seconds = SecondsSince(start);
    *paints = control.paints;
    return seconds / steps;
}

// Average seconds per caption change: the same text again, or a new one each time.
double TimeCaptions(bool sameText) {
    TestableProgress control;
    ProgressWindow window(control);
    char text[32];
    const LONGLONG start = StopwatchNow();
    for (int i = 0; i < 4096; ++i) {
        std::snprintf(text, sizeof text, "Program Flash %d%%", sameText ? 50 : i);
        control.SetWindowText(text);
    }
    return SecondsSince(start) / 4096;
}

// The main window's bar, about: its size, a caption, the dialog's font.
const int kBarWidth = 274;
const int kBarHeight = 24;
const char kCaption[] = "Program Flash 50%";
const int kPaintsPerRound = kBarWidth;
const int kRounds = 9;

// A bar window of our own class: each paint draws `state` as the bar did before, or,
// with `draws` false, draws nothing between BeginPaint and EndPaint.
struct PlainBar {
    BarState state;
    bool draws = true;
    int paints = 0;
    LONGLONG paintTicks = 0;
};

LRESULT CALLBACK PlainBarProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* bar = reinterpret_cast<PlainBar*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (message == WM_ERASEBKGND)
        return TRUE;
    if (message != WM_PAINT || bar == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    const LONGLONG start = StopwatchNow();
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(hWnd, &paint);
    if (bar->draws) {
        RECT client;
        ::GetClientRect(hWnd, &client);
        PaintAsBefore(dc, client, bar->state);
    }
    ::EndPaint(hWnd, &paint);
    bar->paintTicks += StopwatchNow() - start;
    ++bar->paints;
    return 0;
}

const char kPlainBarClass[] = "TamberloPlainBar";

void RegisterPlainBarClass() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &PlainBarProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kPlainBarClass;
    ::RegisterClassA(&windowClass);
}

// Seconds per paint (the drawing: inside WM_PAINT for the plain bars, inside the control's
// Paint for the control, which draws a step at once) and per repainting step (the whole
// round trip).
struct PaintCost {
    double paint;
    double step;
};

PaintCost Median(std::vector<PaintCost> rounds) {
    auto middle = [&](double PaintCost::*field) {
        std::sort(rounds.begin(), rounds.end(),
                  [&](const PaintCost& a, const PaintCost& b) { return a.*field < b.*field; });
        return rounds[rounds.size() / 2].*field;
    };
    return PaintCost{middle(&PaintCost::paint), middle(&PaintCost::step)};
}

double Seconds(LONGLONG ticks) {
    return SecondsBetween(0, ticks);
}

// One round of the control: from position 0, one repainting step per pixel.
PaintCost ControlRound(TestableProgress& control) {
    control.SetPos(0);
    control.paints = 0;
    control.paintTicks = 0;
    const LONGLONG start = StopwatchNow();
    for (int i = 0; i < kPaintsPerRound; ++i)
        control.StepIt();
    const double seconds = SecondsSince(start);
    const int paints = control.paints > 0 ? control.paints : 1;
    return PaintCost{Seconds(control.paintTicks) / paints, seconds / kPaintsPerRound};
}

// One round of a plain bar: the same repaints, asked for the way the control asks.
PaintCost PlainRound(HWND hWnd, PlainBar& bar) {
    bar.paints = 0;
    bar.paintTicks = 0;
    const LONGLONG start = StopwatchNow();
    for (int i = 1; i <= kPaintsPerRound; ++i) {
        bar.state.position = i;
        ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    const double seconds = SecondsSince(start);
    const int paints = bar.paints > 0 ? bar.paints : 1;
    return PaintCost{Seconds(bar.paintTicks) / paints, seconds / kPaintsPerRound};
}

// The three bars side by side on the screen, measured in turns, each figure the median
// of its rounds, so that a busy machine weighs on all three alike.
void PrintPaintCosts() {
    const HFONT font = ::CreateFontA(-::MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
    ProgressWindowOptions options;
    options.clientWidth = kBarWidth;
    options.clientHeight = kBarHeight;
    options.parentFont = font;

    TestableProgress control;
    ProgressWindow controlWindow(control, options);
    control.SendMessage(PBM_SETRANGE32, 0, kPaintsPerRound);
    control.SetWindowText(kCaption);

    RegisterPlainBarClass();
    options.windowClass = kPlainBarClass;
    options.origin = POINT{40, 120};
    ProgressWindow beforeWindow(options);
    options.origin = POINT{40, 200};
    ProgressWindow emptyWindow(options);
    PlainBar before;
    before.state.upper = kPaintsPerRound;
    before.state.text = kCaption;
    before.state.font = font;
    PlainBar empty;
    empty.draws = false;
    ::SetWindowLongPtrA(beforeWindow.Control(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&before));
    ::SetWindowLongPtrA(emptyWindow.Control(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&empty));

    std::vector<PaintCost> now, old, nothing;
    for (int round = 0; round < kRounds; ++round) {
        now.push_back(ControlRound(control));
        old.push_back(PlainRound(beforeWindow.Control(), before));
        nothing.push_back(PlainRound(emptyWindow.Control(), empty));
    }
    const PaintCost a = Median(now), b = Median(old), c = Median(nothing);
    std::printf("paint of a %d x %d px bar with a caption, median of %d rounds of %d paints:\n",
                kBarWidth, kBarHeight, kRounds, kPaintsPerRound);
    std::printf("                                          painting   whole repainting step\n");
    std::printf("  now (drawn at once, off-screen DC kept) %8.1f us   %8.1f us\n", a.paint * 1e6,
                a.step * 1e6);
    std::printf("  before (WM_PAINT, new DC and bitmap)    %8.1f us   %8.1f us\n", b.paint * 1e6,
                b.step * 1e6);
    std::printf("  WM_PAINT drawing nothing (its share)    %8.1f us   %8.1f us\n", c.paint * 1e6,
                c.step * 1e6);
    std::printf("  the drawing itself, now: %.1f us (no paint asked for); before: %.1f us\n",
                a.paint * 1e6, (b.paint - c.paint) * 1e6);
    ::DeleteObject(font);
}

} // namespace

int main() {
    if (AfxGetApp() == nullptr ||
        !AfxWinInit(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW)) {
        std::fprintf(stderr, "progress benchmark: no application object, nothing measured\n");
        return 1;
    }
    std::printf("build: %s\n", sizeof(void*) == 8 ? "x86_64" : "i686");
    int paints = 0;
    // 200 pixels over a range of 200: every step moves the edge.
    const double repainting = TimeSteps(200, 200, &paints);
    if (repainting < 0 || paints == 0) {
        std::fprintf(stderr, "progress benchmark: %s, nothing measured\n",
                     repainting < 0 ? "the bar's window could not be created"
                                    : "the bar never painted");
        return 1;
    }
    std::printf("StepIt with repaint:    %9.1f us  (%d paints in 200 steps)\n", repainting * 1e6,
                paints);
    // 200 pixels over a range of 10^6: the edge moves once in 5000 steps.
    const double quiet = TimeSteps(1000000, 4096, &paints);
    std::printf("StepIt without repaint: %9.3f us  (%d paints in 4096 steps)\n", quiet * 1e6,
                paints);
    const double run = TimeSteps(4096, 4096, &paints) * 4096;
    std::printf("4096 steps over 0..4096, 200 px: %7.1f ms  (%d paints)\n", run * 1e3, paints);
    std::printf("caption set again (same text):  %7.2f us\n", TimeCaptions(true) * 1e6);
    std::printf("caption changed (new text):     %7.2f us\n", TimeCaptions(false) * 1e6);
    PrintPaintCosts();
    return 0;
}
