// Prints how long the shipped tamberlo.exe takes under Wine from the start of its
// process to a visible, idle main window, next to the smallest Win32 dialog program
// built by the same toolchain, and the peak memory of each. A measurement, never a
// pass/fail on time; it fails only when it cannot start a program or show its window.
// The settings file is left as the benchmark found it.
#include "tests/harness/Stopwatch.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
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

constexpr int kRuns = 9;

struct Subject {
    const char* name;
    std::string path;
    const char* caption;
    std::vector<Sample> samples;
};

// One run of each subject in turn, so that a machine that grows busier or quieter
// meanwhile weighs on both alike. FALSE when a run failed.
bool MeasureInTurn(std::vector<Subject>& subjects) {
    for (int run = 0; run < kRuns; ++run) {
        for (Subject& subject : subjects) {
            Sample sample{};
            if (!MeasureOnce(subject.path, subject.caption, sample)) {
                std::printf("FAILED: %s did not start into a visible, idle window \"%s\": %s\n",
                            subject.name, subject.caption, subject.path.c_str());
                return false;
            }
            subject.samples.push_back(sample);
        }
    }
    return true;
}

// Prints the subject's figures and gives its median start-up in seconds.
double Report(Subject& subject) {
    std::vector<Sample>& samples = subject.samples;
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.seconds < b.seconds; });
    const Sample& median = samples[samples.size() / 2];
    std::printf("%-10s start-up to an idle window: median %.0f ms (best %.0f ms, %zu runs); "
                "peak working set %.1f MB, peak private %.1f MB\n",
                subject.name, median.seconds * 1000, samples.front().seconds * 1000,
                samples.size(), median.peakWorkingSet / 1048576.0,
                median.peakPagefile / 1048576.0);
    return median.seconds;
}

// The settings file's bytes as found, put back at the end (or removed if there was none).
class KeptSettingsFile {
public:
    KeptSettingsFile() {
        char folder[MAX_PATH];
        ::GetWindowsDirectoryA(folder, MAX_PATH);
        m_path = std::string(folder) + "\\tamberlo.INI";
        std::ifstream file(m_path, std::ios::binary);
        m_existed = static_cast<bool>(file);
        m_bytes.assign(std::istreambuf_iterator<char>(file), {});
    }
    ~KeptSettingsFile() {
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, "tamberlo.INI"); // flush
        if (m_existed)
            std::ofstream(m_path, std::ios::binary | std::ios::trunc) << m_bytes;
        else
            ::DeleteFileA(m_path.c_str());
    }

private:
    std::string m_path;
    std::string m_bytes;
    bool m_existed = false;
};

} // namespace

int main() {
    std::vector<Subject> subjects = {{"minimal", TAMBERLO_MINIMAL_PATH, "minimal", {}},
                                     {"tamberlo", TAMBERLO_EXE_PATH, "tamberlo", {}}};
    {
        KeptSettingsFile kept;
        // A port is stored, so the program starts straight into its main window.
        ::WritePrivateProfileStringA("TAMBERLO", "LPT PORT", "1", "tamberlo.INI");
        if (!MeasureInTurn(subjects))
            return 1;
    }
    const double minimal = Report(subjects[0]);
    const double tamberlo = Report(subjects[1]);
    std::printf("tamberlo / minimal start-up: %.2f x by the medians, %.2f x by the best runs "
                "(target at most 1.2 x)\n",
                tamberlo / minimal,
                subjects[1].samples.front().seconds / subjects[0].samples.front().seconds);
    return 0;
}
