// Prints how long Auto takes for a full 8 KB image at DELAY BIT 1 / DELAY BYTE 1 on
// the simulated board with real waits, next to the waits the program asked for and
// its busy waits, and the program's own work in between (the progress bar, timed in the
// run, and the port accesses). Figures only; nothing here fails on timing.
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "framework/Sleep.h"
#include "link/BitDelay.h"
#include "tests/harness/TestPort.h"
#include "sim/Board.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/Stopwatch.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Real waits, counted: what was asked for and how long the sleeps really took. The
// busy loop's speed drifts on a shared machine, so it is also sampled during the run:
// at every eighth wait a few BitDelay passes are timed (and left out of the figures).
CTamberloDlg* g_running = nullptr;
unsigned long long g_requestedMs = 0;
double g_sleptSeconds = 0;
unsigned g_waits = 0;
std::uint64_t g_sampledPasses = 0;
double g_sampledSeconds = 0;

constexpr unsigned kSampleEveryWaits = 8;
constexpr int kPassesPerSample = 4;

void CountedSleep(DWORD milliseconds) {
    if (g_running != nullptr && ++g_waits % kSampleEveryWaits == 0) {
        const LONGLONG start = StopwatchNow();
        for (int i = 0; i < kPassesPerSample; ++i)
            g_running->BitDelay();
        g_sampledSeconds += SecondsBetween(start, StopwatchNow());
        g_sampledPasses += kPassesPerSample;
    }
    g_requestedMs += milliseconds;
    const LONGLONG start = StopwatchNow();
    ::Sleep(milliseconds);
    g_sleptSeconds += SecondsBetween(start, StopwatchNow());
}

// The progress bar's share, timed in the run: a window procedure put in front of the
// bar's own times each outermost message it receives (captions, steps, the repaints a
// step causes) and counts the paints.
WNDPROC g_progressProc = nullptr;
int g_progressDepth = 0;
LONGLONG g_progressStart = 0;
double g_progressSeconds = 0;
unsigned g_progressMessages = 0;
unsigned g_progressPaints = 0;

LRESULT CALLBACK TimedProgressProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_progressDepth++ == 0) {
        g_progressStart = StopwatchNow();
        ++g_progressMessages;
    }
    if (message == WM_PAINT)
        ++g_progressPaints;
    const LRESULT result = ::CallWindowProcA(g_progressProc, hWnd, message, wParam, lParam);
    if (--g_progressDepth == 0)
        g_progressSeconds += SecondsBetween(g_progressStart, StopwatchNow());
    return result;
}

// Seconds per register access of the simulated port, the best of several rounds.
double SecondsPerPortAccess() {
    CParallelPort port;
    port.SetPort(1);
    double best = 1;
    for (int round = 0; round < 7; ++round) {
        const LONGLONG start = StopwatchNow();
        for (int i = 0; i < 100000; ++i)
            port.ReadStatus();
        const double each = SecondsBetween(start, StopwatchNow()) / 100000;
        best = each < best ? each : best;
    }
    return best;
}

// Register accesses of one 4-byte exchange: per bit, MOSI (read and write control),
// MISO (read status), SCK high and low (read and write data each).
constexpr std::uint64_t kAccessesPerExchange = 32 * 7;

TEST(AutoBenchmark, FullImageWithRealWaits) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    sim::SteadyClock clock;
    sim::Board board(sim::BoardSettings{}, clock);
    TestPort::Install(&board, nullptr);
    board.chip().flash().fill(0x00);
    MessageBoxCapture boxes;
    DialogDriver driver;
    const double accessSeconds = SecondsPerPortAccess();
    board.chip().ResetCounters();

    std::uint64_t decrements = 0;
    double wallSeconds = 0;
    CTamberloDlg dlg;
    RunMainDialog(dlg, driver, [&](HWND dialog) {
        for (std::uint32_t i = 0; i < kFlashImageSize; ++i)
            dlg.m_image[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
        dlg.m_imageEnd = kFlashImageSize - 1;
        g_running = &dlg;
        HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
        g_progressProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimedProgressProc)));
        const AfxSleepHook previous = AfxSetSleepHook(&CountedSleep);
        const std::uint64_t decrementsBefore = BitDelayDecrements();
        const LONGLONG start = StopwatchNow();
        ClickButton(dialog, IDC_AUTO);
        wallSeconds = SecondsBetween(start, StopwatchNow()) - g_sampledSeconds;
        decrements = BitDelayDecrements() - decrementsBefore - g_sampledPasses * kBitDelayCountdown;
        AfxSetSleepHook(previous);
        ::SetWindowLongPtrA(progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_progressProc));
        g_running = nullptr;
    });
    TestPort::Install(nullptr, nullptr);

    const auto& counters = board.chip().counters();
    const std::uint64_t exchanges =
        counters.instructionsExecuted + counters.instructionsLost + counters.instructionsUnknown;
    const double passSeconds = g_sampledSeconds / static_cast<double>(g_sampledPasses);
    const double busySeconds = passSeconds * static_cast<double>(decrements) / kBitDelayCountdown;
    const double waitsSeconds = static_cast<double>(g_requestedMs) / 1000.0;
    const double portSeconds =
        accessSeconds * static_cast<double>(exchanges * kAccessesPerExchange);
    // The program's own work, measured: what the progress bar took in the run and what
    // the port accesses cost. The remainder of the wall time, after the sleeps as the
    // system gave them and the busy waits as estimated from samples of the busy loop's
    // drifting speed, is printed as a cross-check.
    const double own = g_progressSeconds + portSeconds;
    const double remainder = wallSeconds - g_sleptSeconds - busySeconds;
    std::printf("Auto, 8192 bytes, DELAY BIT 1, DELAY BYTE 1, simulated board, real waits\n");
    std::printf("  wall time                 %8.2f s\n", wallSeconds);
    std::printf("  waits asked for (Sleep)   %8.2f s   (the sleeps lasted %.2f s)\n", waitsSeconds,
                g_sleptSeconds);
    std::printf("  busy waits (BitDelay)     %8.2f s   (%llu passes of about %.2f us)\n",
                busySeconds, static_cast<unsigned long long>(decrements / kBitDelayCountdown),
                passSeconds * 1e6);
    std::printf(
        "  program's own overhead    %8.2f s   = %.1f %% of the wall time (target < 5 %%)\n", own,
        100.0 * own / wallSeconds);
    std::printf("    progress bar            %8.2f s   (%u messages, %u paints)\n",
                g_progressSeconds, g_progressMessages, g_progressPaints);
    std::printf("    port accesses           %8.2f s   (%llu exchanges, %.0f ns per access, "
                "simulated board included)\n",
                portSeconds, static_cast<unsigned long long>(exchanges), accessSeconds * 1e9);
    std::printf("  cross-check: wall - sleeps - busy waits = %.2f s = %.1f %%\n", remainder,
                100.0 * remainder / wallSeconds);

    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(std::equal(board.chip().flash().begin(), board.chip().flash().end(), dlg.m_image));
}

} // namespace
