// Prints how long Auto takes for a full 8 KB image at DELAY BIT 1 / DELAY BYTE 1 through
// the simulated board's own port driver DLL, with real waits and real busy waits, and where
// the time goes: on an AT90S8535 (a wait after every byte) and on an ATmega8535 (a wait
// after every page of 32 words). Every part is timed inside the run, with the processor's
// time-stamp counter (a read costs about 10 ns; the performance counter ticks only every 100 ns
// under Wine):
//   port accesses  each Inp32/Out32 call of the DLL, timed around the call
//   busy waits     the stretches between two port accesses in which BitDelay counted;
//                  where a wait or the progress bar came in the same stretch, its passes
//                  at the time per pass of the other stretches
//   sleeps         each wait, as asked for and as long as it lasted
//   progress bar   each message the bar handles, timed in its window procedure, and
//                  apart from that the ones that drew the bar: a step that moved its edge
//                  (drawn at once) or a WM_PAINT
// and the program's own overhead is what is left of the wall time. Figures only; it
// fails only when it cannot measure: no DLL, missing exports, a driver that is not open,
// or a run that ends with a message box or without the image in the chip.
#include "app/tamberlo.h"
#include "app/tamberloDlg.h"
#include "framework/Sleep.h"
#include "link/BitDelay.h"
#include "port/InpOutCalls.h"
#include "progress/ProgressMath.h"
#include "tests/driver/DriverLibrary.h"
#include "tests/harness/DialogDriver.h"
#include "tests/harness/FileBytes.h"
#include "tests/harness/MainDialog.h"
#include "tests/harness/MessageBoxCapture.h"
#include "tests/harness/SettingsFile.h"
#include "tests/harness/Stopwatch.h"
#include "tests/harness/TimeStamps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// What the run spent, in time-stamp ticks.
struct RunTimes {
    std::uint64_t accesses = 0;
    std::uint64_t portTicks = 0;
    std::uint64_t lastAccessEnd = 0;
    std::uint64_t decrementsAtLastAccess = 0;
    std::uint64_t asideSinceLastAccess = 0; // ticks of sleeps and progress messages
    std::uint64_t busyTicks = 0;            // stretches with BitDelay passes and nothing aside
    std::uint64_t busyDecrements = 0;
    std::uint64_t mixedDecrements = 0; // passes in stretches that also held something aside
    unsigned sleeps = 0;
    unsigned long long sleepAskedMs = 0;
    std::uint64_t sleepTicks = 0;
    std::uint64_t progressTicks = 0;
    unsigned progressMessages = 0;
    unsigned progressPaints = 0;
    std::uint64_t paintTicks = 0;
    std::uint64_t quietTicks = 0; // outermost messages during which the bar did not paint
    unsigned quietMessages = 0;
};

RunTimes g_run;
DriverLibrary* g_dll = nullptr;

// Sorts the stretch since the previous access: busy when BitDelay counted in it.
void BeforeAccess(std::uint64_t start) {
    const std::uint64_t decrements = BitDelayDecrements() - g_run.decrementsAtLastAccess;
    if (decrements > 0 && g_run.lastAccessEnd != 0) {
        if (g_run.asideSinceLastAccess == 0) {
            g_run.busyTicks += start - g_run.lastAccessEnd;
            g_run.busyDecrements += decrements;
        } else {
            g_run.mixedDecrements += decrements;
        }
    }
    g_run.decrementsAtLastAccess += decrements;
    g_run.asideSinceLastAccess = 0;
}

void AfterAccess(std::uint64_t start) {
    const std::uint64_t end = Stamp();
    g_run.portTicks += end - start;
    ++g_run.accesses;
    g_run.lastAccessEnd = end;
}

short WINAPI TimedInp32(short port) {
    const std::uint64_t start = Stamp();
    BeforeAccess(start);
    const short value = g_dll->Inp32(port);
    AfterAccess(start);
    return value;
}

void WINAPI TimedOut32(short port, short data) {
    const std::uint64_t start = Stamp();
    BeforeAccess(start);
    g_dll->Out32(port, data);
    AfterAccess(start);
}

BOOL WINAPI DriverOpen() {
    return g_dll->IsInpOutDriverOpen();
}

const InpOutCalls kTimedDriver = {&TimedInp32, &TimedOut32, &DriverOpen};

void TimedSleep(DWORD milliseconds) {
    ++g_run.sleeps;
    g_run.sleepAskedMs += milliseconds;
    const std::uint64_t start = Stamp();
    ::Sleep(milliseconds);
    const std::uint64_t ticks = Stamp() - start;
    g_run.sleepTicks += ticks;
    g_run.asideSinceLastAccess += ticks;
}

// Put in front of the progress bar's own window procedure: times each outermost message
// (captions, steps, the repaints a step causes).
WNDPROC g_progressProc = nullptr;
int g_progressDepth = 0;

// The bar's edge in pixels, asked of its own procedure past the timing.
int BarEdge(HWND hWnd) {
    PBRANGE range{};
    ::CallWindowProcA(g_progressProc, hWnd, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    const int position =
        static_cast<int>(::CallWindowProcA(g_progressProc, hWnd, PBM_GETPOS, 0, 0));
    RECT client;
    ::GetClientRect(hWnd, &client);
    return progress_math::Extent(client.right,
                                 progress_math::Fraction(position, range.iLow, range.iHigh));
}

bool MovesEdge(UINT message) {
    return message == PBM_SETPOS || message == PBM_STEPIT || message == PBM_DELTAPOS;
}

LRESULT CALLBACK TimedProgressProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool outermost = g_progressDepth == 0;
    const int edgeBefore = outermost && MovesEdge(message) ? BarEdge(hWnd) : 0;
    const std::uint64_t start = Stamp();
    const unsigned paintsBefore = g_run.progressPaints;
    if (g_progressDepth++ == 0)
        ++g_run.progressMessages;
    const LRESULT result = ::CallWindowProcA(g_progressProc, hWnd, message, wParam, lParam);
    const std::uint64_t ticks = Stamp() - start;
    if (message == WM_PAINT || (outermost && MovesEdge(message) && BarEdge(hWnd) != edgeBefore)) {
        ++g_run.progressPaints;
        g_run.paintTicks += ticks;
    }
    if (--g_progressDepth == 0) {
        g_run.progressTicks += ticks;
        g_run.asideSinceLastAccess += ticks;
        if (g_run.progressPaints == paintsBefore) {
            g_run.quietTicks += ticks;
            ++g_run.quietMessages;
        }
    }
    return result;
}

std::string ChipFilePath() {
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "tamberlo-auto-benchmark-" +
           std::to_string(::GetCurrentProcessId()) + ".bin";
}

// One full Auto of `imageBytes` on a board that carries `chip` (a TAMBERLO_SIM_CHIP
// value), printed with the target for Auto's own overhead.
void MeasureAuto(const char* chip, std::uint32_t imageBytes, const char* target) {
    g_run = RunTimes{};
    SettingsFile::Write("[TAMBERLO]\r\nDELAY BIT=1\r\nDELAY BYTE=1\r\nLPT PORT=1\r\n");
    // A fresh chip in a file of its own; the rest of the board as it comes.
    const std::string chipFile = ChipFilePath();
    ::DeleteFileA(chipFile.c_str());
    SetRuntimeEnv("TAMBERLO_SIM_CHIP_FILE", chipFile.c_str());
    SetRuntimeEnv("TAMBERLO_SIM_CHIP", chip);
    for (const char* name :
         {"TAMBERLO_SIM_LPT", "TAMBERLO_SIM_BASE", "TAMBERLO_SIM_VOLTS", "TAMBERLO_SIM_CLOCK_HZ",
          "TAMBERLO_SIM_FAULT", "TAMBERLO_SIM_STUCK", "TAMBERLO_SIM_VCD", "TAMBERLO_SIM_XTAL"})
        SetRuntimeEnv(name, nullptr);

    DriverLibrary dll;
    ASSERT_TRUE(dll.loaded()) << "cannot load the simulated port driver " << DriverDllPath()
                              << " (error " << ::GetLastError()
                              << "); it is built by the target tamberlo_inpout_sim";
    ASSERT_TRUE(dll.Inp32 != nullptr && dll.Out32 != nullptr && dll.IsInpOutDriverOpen != nullptr)
        << DriverDllPath() << " lacks Inp32, Out32 or IsInpOutDriverOpen";
    ASSERT_TRUE(dll.IsInpOutDriverOpen()) << DriverDllPath() << " says its driver is not open";
    g_dll = &dll;

    MessageBoxCapture boxes;
    DialogDriver driver;
    std::string finalCaption;
    RECT barClient{0, 0, 0, 0};
    std::uint64_t decrements = 0;
    std::uint64_t wallTicks = 0;
    double wallSeconds = 0;
    const char* chipName = "";
    CPortAccess portAccess(kTimedDriver);
    CTamberloDlg dlg(portAccess);
    RunMainDialog(dlg, driver, [&](HWND dialog) {
        for (std::uint32_t i = 0; i < imageBytes; ++i)
            dlg.HexFile().Image().bytes[i] = static_cast<unsigned char>(i * 7 + (i >> 8));
        dlg.HexFile().Image().end = imageBytes - 1;
        HWND progress = ::GetDlgItem(dialog, IDC_PROGRESS);
        ::GetClientRect(progress, &barClient);
        g_progressProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimedProgressProc)));
        const AfxSleepHook previous = AfxSetSleepHook(&TimedSleep);
        const std::uint64_t decrementsBefore = BitDelayDecrements();
        g_run.decrementsAtLastAccess = decrementsBefore;
        const LONGLONG counterStart = StopwatchNow();
        const std::uint64_t start = Stamp();
        chipName = dlg.OnAuto().chip->name; // as the button's click does
        wallTicks = Stamp() - start;
        wallSeconds = SecondsSince(counterStart);
        decrements = BitDelayDecrements() - decrementsBefore;
        AfxSetSleepHook(previous);
        ::SetWindowLongPtrA(progress, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_progressProc));
        char caption[64] = "";
        ::GetWindowTextA(progress, caption, sizeof caption);
        finalCaption = caption;
    });
    g_dll = nullptr;
    dll.Unload(); // the board saves the chip file
    const std::vector<unsigned char> chip = ReadBytes(chipFile);
    ::DeleteFileA(chipFile.c_str());

    ASSERT_TRUE(boxes.Boxes().empty())
        << "Auto ended with the message \"" << boxes.Boxes()[0].text << "\": nothing was measured";
    ASSERT_EQ(finalCaption, "Verfify Ok") << "Auto did not run to its end";
    ASSERT_GE(chip.size(), static_cast<size_t>(imageBytes)) << "no chip file " << chipFile;
    ASSERT_TRUE(std::equal(dlg.HexFile().Image().bytes, dlg.HexFile().Image().bytes + imageBytes,
                           chip.begin()))
        << "the chip does not hold the image after the run";
    ASSERT_GT(g_run.busyDecrements, 0u) << "no busy wait was seen between two port accesses";

    const double secondsPerTick = wallSeconds / static_cast<double>(wallTicks);
    const double stampTicks = TicksPerStamp();
    auto seconds = [&](double ticks) { return ticks * secondsPerTick; };
    const double accesses = static_cast<double>(g_run.accesses);
    // One of the two stamps of each access falls inside its figure, the other outside it.
    const double timing = seconds(2 * stampTicks * accesses);
    const double port = seconds(static_cast<double>(g_run.portTicks) - stampTicks * accesses);
    const double ticksPerDecrement =
        static_cast<double>(g_run.busyTicks) / static_cast<double>(g_run.busyDecrements);
    const double busy = seconds(static_cast<double>(g_run.busyTicks) +
                                ticksPerDecrement * static_cast<double>(g_run.mixedDecrements));
    const double slept = seconds(static_cast<double>(g_run.sleepTicks));
    const double progressBar = seconds(static_cast<double>(g_run.progressTicks));
    const double painting = seconds(static_cast<double>(g_run.paintTicks));
    const double quiet = seconds(static_cast<double>(g_run.quietTicks));
    const unsigned quietMessages = g_run.quietMessages > 0 ? g_run.quietMessages : 1;
    const unsigned paints = g_run.progressPaints > 0 ? g_run.progressPaints : 1;
    const double own = wallSeconds - slept - busy - port - timing;
    const double passes = static_cast<double>(decrements) / kBitDelayCountdown;

    std::printf("Auto on the %s, %u bytes, DELAY BIT 1, DELAY BYTE 1, %s build, through %s\n",
                chipName, static_cast<unsigned>(imageBytes), sizeof(void*) == 8 ? "x86_64" : "i686",
                DriverDllPath().c_str());
    std::printf("  wall time                  %8.2f s\n", wallSeconds);
    std::printf("  waits (Sleep)              %8.2f s   asked for %.2f s in %u waits\n", slept,
                static_cast<double>(g_run.sleepAskedMs) / 1000.0, g_run.sleeps);
    std::printf("  busy waits (BitDelay)      %8.2f s   %.0f passes of %.2f us\n", busy, passes,
                seconds(ticksPerDecrement * kBitDelayCountdown) * 1e6);
    std::printf("  port accesses              %8.2f s   %.0f accesses, %.0f ns each (the DLL and "
                "the simulated board behind it)\n",
                port, accesses, port / accesses * 1e9);
    std::printf("  timing these figures       %8.2f s   two time-stamp reads per access\n", timing);
    std::printf("  Auto's own overhead        %8.2f s   = %.2f %% of wall time (target %s)\n", own,
                100.0 * own / wallSeconds, target);
    std::printf("    of it the progress bar   %8.2f s   %u messages, %u drew the bar\n",
                progressBar, g_run.progressMessages, g_run.progressPaints);
    std::printf("      drawing the bar        %8.2f s   %.1f us per drawing of the %ld x %ld px "
                "bar (a step that moved its edge, or a WM_PAINT)\n",
                painting, painting / paints * 1e6, barClient.right, barClient.bottom);
    std::printf("      other messages         %8.2f s   %u messages that drew nothing, %.2f us "
                "each\n",
                quiet, g_run.quietMessages, quiet / quietMessages * 1e6);
    std::printf("  Sleep's own overshoot      %8.2f s   (the waits lasted %.1f %% longer than "
                "asked)\n",
                slept - static_cast<double>(g_run.sleepAskedMs) / 1000.0,
                100.0 * (slept * 1000.0 / static_cast<double>(g_run.sleepAskedMs) - 1.0));
}

TEST(AutoBenchmark, FullImageOnAnAt90s8535) {
    MeasureAuto("at90s8535", 8192, "for the AT90S8535 < 1 %");
}

TEST(AutoBenchmark, FullImageOnAnAtmega8535WrittenByPages) {
    MeasureAuto("atmega8535", 8192, "for the AT90S8535 < 1 %");
}

// The whole 32 KB flash of the largest chip: 16384 words of blank check, program and verify.
TEST(AutoBenchmark, FullImageOnAnAtmega32WrittenByPages) {
    MeasureAuto("atmega32", 32768, "for the ATmega32 < 2 %");
}

} // namespace
