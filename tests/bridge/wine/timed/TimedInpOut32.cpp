// A timing port driver DLL for the Auto benchmark: it stands beside tamberlo.exe in the
// bridge's place, loads the real bridge DLL (copied beside it as bridge-driver.dll)
// and passes every call on, counting the time spent inside the bridge. It also puts a
// timed Sleep into the program's import table, so the benchmark knows how long the
// program's waits really lasted, and counts the SCK edges the program writes: each is
// followed by one pass of its busy wait. The time from an edge's return to the program's
// next call is that pass as the program ran it, interruptions included, unless the
// stretch is much longer than the median (a progress-bar update came in it): such a
// stretch counts as one median pass, the rest of it is the program's own work. The
// time-stamp reads of this DLL itself are measured too, so the benchmark can leave them
// out of the program's figures. At process end it writes its figures, one "name value"
// per line, to the file named by TAMBERLO_BRIDGE_STATS_FILE.
#include "tests/harness/TimeStamps.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

using Inp32Fn = short(WINAPI*)(short);
using Out32Fn = void(WINAPI*)(short, short);
using IsOpenFn = BOOL(WINAPI*)();
using SleepFn = VOID(WINAPI*)(DWORD);

constexpr short kSckBit = 0x01;
constexpr short kStatusPort = 0x379;

struct Figures {
    std::uint64_t bridgeTicks = 0;
    std::uint64_t sleepTicks = 0;
    std::uint64_t sleepRequestedMs = 0;
    std::uint64_t sleeps = 0;
    std::uint64_t reads = 0;
    std::uint64_t writes = 0;
    std::uint64_t openChecks = 0;
    std::uint64_t sckEdges = 0;
    std::uint64_t slowAccesses = 0; // took longer than kSlowAccess_us
    std::uint64_t slowTicks = 0;
    std::uint64_t statusReads = 0; // reads of the status register: the helper answers them
    std::uint64_t statusTicks = 0;
};

constexpr double kSlowAccess_us = 100;
std::uint64_t g_slowTicks = ~std::uint64_t{0}; // kSlowAccess_us in ticks, once measured

// Intervals after an SCK edge, in 10 ns steps up to 100 us.
constexpr unsigned kIntervalSteps = 10000;
constexpr double kIntervalStep_ns = 10;
std::uint32_t g_intervals[kIntervalSteps];
bool g_afterEdge = false;
std::uint64_t g_edgeReturnTicks = 0;

// Ends the interval after an SCK edge at the program's next call (or wait).
void ProgramCalls() {
    if (!g_afterEdge)
        return;
    g_afterEdge = false;
    const double ns = static_cast<double>(Stamp() - g_edgeReturnTicks) * kSlowAccess_us * 1000 /
                      static_cast<double>(g_slowTicks);
    const auto step = static_cast<unsigned>(ns / kIntervalStep_ns);
    ++g_intervals[step < kIntervalSteps ? step : kIntervalSteps - 1];
}

double MedianInterval_ns() {
    std::uint64_t total = 0;
    for (std::uint32_t count : g_intervals)
        total += count;
    std::uint64_t seen = 0;
    for (unsigned step = 0; step < kIntervalSteps; ++step) {
        seen += g_intervals[step];
        if (total > 0 && seen * 2 >= total)
            return (step + 0.5) * kIntervalStep_ns;
    }
    return 0;
}

// A stretch after an SCK edge longer than this many median passes held something else.
constexpr double kPlainStretchMedians = 4;

// The busy waits: the plain stretches as they lasted, one median pass for each other.
double BusyWait_ns() {
    const double median = MedianInterval_ns();
    double total = 0;
    for (unsigned step = 0; step < kIntervalSteps; ++step) {
        const double stretch = (step + 0.5) * kIntervalStep_ns;
        const bool plain = stretch <= kPlainStretchMedians * median && step + 1 < kIntervalSteps;
        total += g_intervals[step] * (plain ? stretch : median);
    }
    return total;
}

Figures g_figures;
Inp32Fn g_inp32 = nullptr;
Out32Fn g_out32 = nullptr;
IsOpenFn g_isOpen = nullptr;
SleepFn g_sleep = nullptr;
short g_lastData = -1;
std::uint64_t g_startTicks = 0;
LARGE_INTEGER g_startCounter{};

template <typename Function> Function Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(dll, name)));
}

VOID WINAPI TimedSleep(DWORD milliseconds) {
    ProgramCalls();
    const std::uint64_t start = Stamp();
    g_sleep(milliseconds);
    g_figures.sleepTicks += Stamp() - start;
    g_figures.sleepRequestedMs += milliseconds;
    ++g_figures.sleeps;
}

// Points the program's imported Sleep at TimedSleep.
void HookProgramSleep() {
    auto* image = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(image);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress);
    for (; imports.VirtualAddress != 0 && module->Name != 0; ++module) {
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(image + module->FirstThunk);
        for (; slot->u1.Function != 0; ++slot) {
            if (slot->u1.Function != reinterpret_cast<ULONG_PTR>(g_sleep))
                continue;
            DWORD old = 0;
            ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(&TimedSleep);
            ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
        }
    }
}

// At the first call rather than in DllMain, where loading another DLL is not safe. The
// program's first call comes before any of its waits.
void LoadOnce() {
    if (g_inp32 != nullptr)
        return;
    char folder[MAX_PATH];
    HMODULE self = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&LoadOnce), &self);
    const DWORD length = ::GetModuleFileNameA(self, folder, MAX_PATH);
    char path[MAX_PATH + 32];
    std::snprintf(path, sizeof path, "%.*s", static_cast<int>(length), folder);
    if (char* slash = std::strrchr(path, '\\'))
        std::strcpy(slash + 1, "bridge-driver.dll");
    HMODULE bridge = ::LoadLibraryA(path);
    g_inp32 = Export<Inp32Fn>(bridge, "Inp32");
    g_out32 = Export<Out32Fn>(bridge, "Out32");
    g_isOpen = Export<IsOpenFn>(bridge, "IsInpOutDriverOpen");
    g_sleep = Export<SleepFn>(::GetModuleHandleA("kernel32.dll"), "Sleep");
    HookProgramSleep();
    g_startTicks = Stamp();
    ::QueryPerformanceCounter(&g_startCounter);
    LARGE_INTEGER frequency{}, now{};
    ::QueryPerformanceFrequency(&frequency);
    ::Sleep(20);
    ::QueryPerformanceCounter(&now);
    const double seconds = static_cast<double>(now.QuadPart - g_startCounter.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    g_slowTicks = static_cast<std::uint64_t>(static_cast<double>(Stamp() - g_startTicks) / seconds *
                                             kSlowAccess_us / 1e6);
}

void WriteFigures() {
    LARGE_INTEGER end{}, frequency{};
    ::QueryPerformanceCounter(&end);
    ::QueryPerformanceFrequency(&frequency);
    const double seconds = static_cast<double>(end.QuadPart - g_startCounter.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    const double ticksPerSecond = static_cast<double>(Stamp() - g_startTicks) / seconds;
    char path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("TAMBERLO_BRIDGE_STATS_FILE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const Figures& f = g_figures;
    // Two reads around every call, one more after every SCK edge and one at the call
    // that ends its stretch.
    const double stamps = 2.0 * static_cast<double>(f.reads + f.writes + f.openChecks) +
                          2.0 * static_cast<double>(f.sckEdges);
    char text[1024];
    const int size = std::snprintf(
        text, sizeof text,
        "bridge_seconds %.6f\nsleep_seconds %.6f\nsleep_requested_ms %llu\nsleeps %llu\n"
        "reads %llu\nwrites %llu\nopen_checks %llu\nsck_edges %llu\nslow_accesses %llu\n"
        "slow_seconds %.6f\nbusy_pass_ns %.1f\nbusy_seconds %.6f\ntiming_seconds %.6f\n"
        "status_reads %llu\nstatus_seconds %.6f\n",
        static_cast<double>(f.bridgeTicks) / ticksPerSecond,
        static_cast<double>(f.sleepTicks) / ticksPerSecond,
        static_cast<unsigned long long>(f.sleepRequestedMs),
        static_cast<unsigned long long>(f.sleeps), static_cast<unsigned long long>(f.reads),
        static_cast<unsigned long long>(f.writes), static_cast<unsigned long long>(f.openChecks),
        static_cast<unsigned long long>(f.sckEdges),
        static_cast<unsigned long long>(f.slowAccesses),
        static_cast<double>(f.slowTicks) / ticksPerSecond, MedianInterval_ns(), BusyWait_ns() / 1e9,
        stamps * TicksPerStamp() / ticksPerSecond, static_cast<unsigned long long>(f.statusReads),
        static_cast<double>(f.statusTicks) / ticksPerSecond);
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, text, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(file);
}

void CountAccess(std::uint64_t ticks) {
    g_figures.bridgeTicks += ticks;
    if (ticks > g_slowTicks) {
        ++g_figures.slowAccesses;
        g_figures.slowTicks += ticks;
    }
}

} // namespace

extern "C" {

__declspec(dllexport) short WINAPI Inp32(short port) {
    LoadOnce();
    ProgramCalls();
    const std::uint64_t start = Stamp();
    const short value = g_inp32(port);
    const std::uint64_t ticks = Stamp() - start;
    CountAccess(ticks);
    ++g_figures.reads;
    if (port == kStatusPort) {
        ++g_figures.statusReads;
        g_figures.statusTicks += ticks;
    }
    return value;
}

__declspec(dllexport) void WINAPI Out32(short port, short data) {
    LoadOnce();
    ProgramCalls();
    const std::uint64_t start = Stamp();
    g_out32(port, data);
    CountAccess(Stamp() - start);
    ++g_figures.writes;
    if (port == 0x378) {
        if (g_lastData >= 0 && ((g_lastData ^ data) & kSckBit)) {
            ++g_figures.sckEdges;
            g_afterEdge = true;
            g_edgeReturnTicks = Stamp();
        }
        g_lastData = data;
    }
}

__declspec(dllexport) BOOL WINAPI IsInpOutDriverOpen() {
    LoadOnce();
    ProgramCalls();
    const std::uint64_t start = Stamp();
    const BOOL open = g_isOpen();
    g_figures.bridgeTicks += Stamp() - start;
    ++g_figures.openChecks;
    return open;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH && g_inp32 != nullptr)
        WriteFigures();
    return TRUE;
}

} // extern "C"
