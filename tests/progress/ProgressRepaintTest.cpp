// Repaint economy: a position change repaints, at once, only when the bar's edge moves
// by a whole pixel, so thousands of small steps cost about one paint per pixel.
#include "ProgressTestWindow.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

struct StepRun {
    int paints;
    int position;
};

// 4096 steps over a range of 4096 on a bar laid out by `options`: its paints and where
// the position ends (read while the window still exists).
StepRun Run4096Steps(TestableProgress& control, const ProgressWindowOptions& options) {
    ProgressWindow window(control, options);
    control.SendMessage(PBM_SETRANGE32, 0, 4096);
    control.paints = 0;
    for (int i = 0; i < 4096; ++i)
        control.StepIt();
    return StepRun{control.paints, control.GetPos()};
}

TEST(ProgressRepaint, ManySmallStepsPaintAtMostOncePerPixel) {
    for (const int width : {200, 37, 1}) {
        TestableProgress control;
        ProgressWindowOptions options;
        options.clientWidth = width;
        const StepRun run = Run4096Steps(control, options);
        EXPECT_LE(run.paints, width + 1) << width;
        EXPECT_GE(run.paints, width) << width << ": every pixel of progress is shown";
        EXPECT_EQ(run.position, 4096);
    }
}

TEST(ProgressRepaint, APositionChangeThatMovesTheEdgeHasPaintedWhenItReturns) {
    TestableProgress control;
    ProgressWindow window(control);
    control.paints = 0;
    control.SetPos(50);
    EXPECT_EQ(control.paints, 1);
    EXPECT_FALSE(::GetUpdateRect(window.Control(), nullptr, FALSE));
    control.SetPos(50);
    EXPECT_EQ(control.paints, 1) << "same edge, no paint";
    EXPECT_EQ(control.SetPos(50), 50);
    EXPECT_EQ(control.paints, 1);
}

TEST(ProgressRepaint, ResizingMakesTheNextPositionChangeRepaint) {
    for (const bool resize : {false, true}) {
        TestableProgress control;
        ProgressWindow window(control);
        control.SetPos(40);
        if (resize) {
            // Taller only: the bar's edge stays at the same pixel.
            RECT frame;
            ::GetWindowRect(window.Control(), &frame);
            ::SetWindowPos(window.Control(), nullptr, 0, 0, frame.right - frame.left,
                           frame.bottom - frame.top + 5, SWP_NOMOVE | SWP_NOZORDER);
            ::UpdateWindow(window.Control());
        }
        control.paints = 0;
        control.SetPos(40);
        EXPECT_EQ(control.paints, resize ? 1 : 0) << (resize ? "resized" : "not resized");
    }
}

TEST(ProgressRepaint, AnUprightBarCountsPixelsOfItsHeight) {
    TestableProgress control;
    ProgressWindowOptions options;
    options.clientWidth = 20;
    options.clientHeight = 50;
    options.extraStyle = PBS_VERTICAL;
    const StepRun run = Run4096Steps(control, options);
    EXPECT_LE(run.paints, 51);
    EXPECT_GE(run.paints, 50);
}

} // namespace
