// Prints how long Auto takes for a full 8 KB image at DELAY BIT 1 / DELAY BYTE 1 on
// the simulated board with real waits, next to the waits the program asked for and
// its busy waits, the sleeps' overshoot (the system's timer) and the share left to the
// program's own work (port accesses, the simulation, the progress bar). Figures only;
// nothing here fails on timing.
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "framework/Sleep.h"
#include "link/BitDelay.h"
#include "link/SimulatedPort.h"
#include "sim/Board.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

LONGLONG Now() {
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double SecondsBetween(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) / static_cast<double>(frequency.QuadPart);
}

// Real waits, counted: what was asked for and how long the sleeps really took.
unsigned long long g_requestedMs = 0;
double g_sleptSeconds = 0;

void CountedSleep(DWORD milliseconds) {
    g_requestedMs += milliseconds;
    const LONGLONG start = Now();
    ::Sleep(milliseconds);
    g_sleptSeconds += SecondsBetween(start, Now());
}

// Time of one run of `action` on this machine, the best of several rounds.
template <typename Action> double SecondsPerRun(int runs, Action action) {
    double best = 1;
    for (int round = 0; round < 7; ++round) {
        const LONGLONG start = Now();
        for (int i = 0; i < runs; ++i)
            action();
        const double each = SecondsBetween(start, Now()) / runs;
        best = each < best ? each : best;
    }
    return best;
}

struct Calibration {
    double bitDelayPass;    // one BitDelay pass
    double exchangeOutside; // one 4-byte exchange minus its 64 BitDelay passes
};

Calibration Calibrate() {
    CTamberloDlg dlg;
    dlg.m_port.SetPort(1);
    dlg.m_delayBit = 1;
    const unsigned char send[4] = {0x20, 0x00, 0x00, 0x00};
    unsigned char answer[4];
    const double pass = SecondsPerRun(20000, [&] { dlg.BitDelay(); });
    const double exchange = SecondsPerRun(200, [&] { dlg.Exchange(send, answer); });
    dlg.ReleaseTarget();
    return {pass, exchange - 64 * pass};
}

TEST(AutoBenchmark, FullImageWithRealWaits) {
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    sim::SteadyClock clock;
    sim::Board board(sim::BoardSettings{}, clock);
    SimulatedPort::InstallBoard(&board);
    board.chip().flash().fill(0x00);
    MessageBoxCapture boxes;
    DialogDriver driver;
    const Calibration before = Calibrate();
    board.chip().ResetCounters();

    std::uint64_t decrements = 0;
    double wallSeconds = 0;
    CTamberloDlg dlg;
    RunMainDialog(dlg, driver, [&](HWND dialog) {
        for (std::uint32_t i = 0; i < kFlashImageSize; ++i)
            dlg.m_image[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
        dlg.m_imageEnd = kFlashImageSize - 1;
        const AfxSleepHook previous = AfxSetSleepHook(&CountedSleep);
        const std::uint64_t decrementsBefore = BitDelayDecrements();
        const LONGLONG start = Now();
        ClickButton(dialog, IDC_AUTO);
        wallSeconds = SecondsBetween(start, Now());
        decrements = BitDelayDecrements() - decrementsBefore;
        AfxSetSleepHook(previous);
    });

    // The busy loop's speed is measured before and after the run; the faster of the two
    // gives the smaller busy time and so the larger (conservative) overhead.
    const auto& counters = board.chip().counters();
    const std::uint64_t exchanges =
        counters.instructionsExecuted + counters.instructionsLost + counters.instructionsUnknown;
    const Calibration after = Calibrate();
    SimulatedPort::InstallBoard(nullptr);
    const Calibration& calibration = before.bitDelayPass < after.bitDelayPass ? before : after;
    const double passSeconds = calibration.bitDelayPass;
    const double busySeconds = passSeconds * static_cast<double>(decrements) / kBitDelayCountdown;
    const double waitsSeconds = static_cast<double>(g_requestedMs) / 1000.0;
    // The system's timer decides how long a Sleep really lasts; what remains besides the
    // sleeps and the busy waits is the program's own work.
    const double overshoot = g_sleptSeconds - waitsSeconds;
    const double own = wallSeconds - g_sleptSeconds - busySeconds;
    const double portSeconds = calibration.exchangeOutside * static_cast<double>(exchanges);
    std::printf("Auto, 8192 bytes, DELAY BIT 1, DELAY BYTE 1, simulated board, real waits\n");
    std::printf("  wall time                 %8.2f s\n", wallSeconds);
    std::printf("  waits asked for (Sleep)   %8.2f s\n", waitsSeconds);
    std::printf("  busy waits (BitDelay)     %8.2f s   (%llu passes of %.2f us; %.2f us before "
                "the run, %.2f us after)\n",
                busySeconds, static_cast<unsigned long long>(decrements / kBitDelayCountdown),
                passSeconds * 1e6, before.bitDelayPass * 1e6, after.bitDelayPass * 1e6);
    std::printf("  sleep overshoot (system)  %8.2f s   (the sleeps lasted %.2f s)\n", overshoot,
                g_sleptSeconds);
    std::printf(
        "  program's own overhead    %8.2f s   = %.1f %% of the wall time (target < 5 %%)\n", own,
        100.0 * own / wallSeconds);
    std::printf("    of which port accesses  %8.2f s   (%llu exchanges, %.1f us each outside "
                "BitDelay, simulated board included)\n",
                portSeconds, static_cast<unsigned long long>(exchanges),
                calibration.exchangeOutside * 1e6);
    std::printf("    of which the rest       %8.2f s   (progress bar and messages, and the busy "
                "loop running at another speed than measured)\n",
                own - portSeconds);

    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(std::equal(board.chip().flash().begin(), board.chip().flash().end(), dlg.m_image));
}

} // namespace
