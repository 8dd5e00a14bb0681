// Prints what a step of the text progress bar costs: one that repaints, one that does
// not, and a whole 4096-step run. Figures only; it never fails on timing. It fails when
// it cannot measure: no application object, no window, or a bar that never paints.
#include "ProgressTestWindow.h"

#include "framework/WinApp.h"
#include "tests/harness/Stopwatch.h"

#include <commctrl.h>

#include <cstdio>

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

} // namespace

int main() {
    if (AfxGetApp() == nullptr ||
        !AfxWinInit(::GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW)) {
        std::fprintf(stderr, "progress benchmark: no application object, nothing measured\n");
        return 1;
    }
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
    return 0;
}
