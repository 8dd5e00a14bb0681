// The bridge inpout32.dll: the InpOut32 port-driver interface (Inp32, Out32,
// IsInpOutDriverOpen, exported under their plain names) carried to the tamberlo-ppdev
// helper through the shared block. One PortClient serves all threads, one at a time.
#include "bridge/PortClient.h"
#include "bridge/dll/WinePlatform.h"

#include <windows.h>

namespace {

CRITICAL_SECTION g_lock;

bridge::PortClient& Client() {
    static bridge::WinePlatform platform;
    static bridge::PortClient client(platform);
    return client;
}

class Locked {
public:
    Locked() { ::EnterCriticalSection(&g_lock); }
    ~Locked() { ::LeaveCriticalSection(&g_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

} // namespace

extern "C" {

__declspec(dllexport) short WINAPI Inp32(short port) {
    Locked locked;
    return Client().Read(static_cast<std::uint16_t>(port));
}

__declspec(dllexport) void WINAPI Out32(short port, short data) {
    Locked locked;
    Client().Write(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(data & 0xFF));
}

__declspec(dllexport) BOOL WINAPI IsInpOutDriverOpen() {
    Locked locked;
    return Client().IsOpen() ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        ::InitializeCriticalSection(&g_lock);
    return TRUE;
}

} // extern "C"
