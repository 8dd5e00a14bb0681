// Prints how long tamberlo.exe takes under Wine from the start of its process to a
// visible, idle main window, next to the smallest Win32 dialog program built by the
// same toolchain, and the peak memory of each. A measurement, never a pass/fail on time.
#include "tests/harness/Stopwatch.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Sample {
    double seconds;
    SIZE_T peakWorkingSet;
    SIZE_T peakPagefile;
};

struct Search {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindCaption(HWND hWnd, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    char text[64];
    if (pid == search->pid && ::IsWindowVisible(hWnd) &&
        ::GetWindowTextA(hWnd, text, sizeof text) > 0 && ::lstrcmpA(text, search->caption) == 0) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

bool MeasureOnce(const std::string& path, const char* caption, Sample& sample) {
    const LONGLONG start = StopwatchNow();
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    Search search{process.dwProcessId, caption, nullptr};
    for (int i = 0; i < 60000 && search.found == nullptr; ++i) {
        ::EnumWindows(&FindCaption, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr)
            ::Sleep(1);
    }
    DWORD_PTR ignored = 0;
    // Idle: the window's thread answers a message from its message loop.
    ::SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
    sample.seconds = SecondsSince(start);

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    sample.peakWorkingSet = memory.PeakWorkingSetSize;
    sample.peakPagefile = memory.PeakPagefileUsage;

    ::PostMessageA(search.found, WM_COMMAND, IDCANCEL, 0);
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return search.found != nullptr;
}

void Report(const char* name, const std::string& path, const char* caption) {
    std::vector<Sample> samples;
    for (int run = 0; run < 5; ++run) {
        Sample sample{};
        if (MeasureOnce(path, caption, sample))
            samples.push_back(sample);
    }
    if (samples.empty()) {
        std::printf("%-10s could not be started: %s\n", name, path.c_str());
        return;
    }
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    const Sample& median = samples[samples.size() / 2];
    std::printf("%-10s start-up to an idle window: median %.0f ms (best %.0f ms, %zu runs); "
                "peak working set %.1f MB, peak private %.1f MB\n",
                name, median.seconds * 1000, samples.front().seconds * 1000, samples.size(),
                median.peakWorkingSet / 1048576.0, median.peakPagefile / 1048576.0);
}

} // namespace

int main() {
    // A port is stored, so the program starts straight into its main window.
    ::WritePrivateProfileStringA("TAMBERLO", "LPT PORT", "1", "tamberlo.INI");
    Report("minimal", TAMBERLO_MINIMAL_PATH, "minimal");
    Report("tamberlo", TAMBERLO_EXE_PATH, "tamberlo");
    return 0;
}
