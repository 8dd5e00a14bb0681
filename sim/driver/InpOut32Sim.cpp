// inpout32.dll of the simulated board: the InpOut32 port calls, answered by a
// simulated printer port, cable and chip instead of a kernel driver.
#include <windows.h>

#include <string>

#include "sim/driver/SimulatedDriver.h"

namespace {

// The program file's name without folder and extension, the caption of every
// box the program shows.
std::string ProgramName() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name(path, length < sizeof path ? length : 0);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

void ShowSetupError(const std::string& reason) {
    const std::string text = "The simulated programming board could not be set up:\n" + reason +
                             "\n\nThe printer port is treated as absent until the program is "
                             "restarted.";
    ::MessageBoxA(::GetActiveWindow(), text.c_str(), ProgramName().c_str(), MB_OK);
}

// The DLL's one driver. Built when the DLL loads, which costs nothing: the
// board itself is set up at the first port call, never inside DllMain.
sim::SimulatedDriver g_driver(ShowSetupError);

} // namespace

extern "C" {

__declspec(dllexport) short __stdcall Inp32(short port) {
    return g_driver.In(static_cast<std::uint16_t>(port));
}

__declspec(dllexport) void __stdcall Out32(short port, short data) {
    g_driver.Out(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(data & 0xFF));
}

__declspec(dllexport) BOOL __stdcall IsInpOutDriverOpen(void) {
    return g_driver.DriverOpen() ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    // Unloading, also at process end: the chip file gets what is unsaved.
    if (reason == DLL_PROCESS_DETACH) {
        g_driver.Close();
    }
    return TRUE;
}

} // extern "C"
