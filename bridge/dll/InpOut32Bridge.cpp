// The bridge inpout32.dll: the InpOut32 port-driver interface (Inp32, Out32,
// IsInpOutDriverOpen, exported under their plain names) carried to the tamberlo-ppdev
// helper through the shared block. One PortClient serves all threads, one at a time.
//
// One more export tells a program why the driver is not open: IsPortInUseByAnotherProgram
// is TRUE when another program holds the block. A thread of the DLL's own keeps this
// program's claim on the block alive, also while the program is idle; the DLL stays
// loaded while it runs, and the claim is given back when the process ends.
#include "bridge/PortClient.h"
#include "bridge/dll/WinePlatform.h"

#include <windows.h>

#include <atomic>
#include <new>

namespace {

bridge::PortClient* g_client = nullptr; // made at the first call, never destroyed

// Never destroyed: at the process's end the beat thread is gone, maybe holding the
// client's lock, and a destructor would wait for it.
bridge::PortClient& Client() {
    if (g_client == nullptr) {
        alignas(bridge::WinePlatform) static unsigned char platform[sizeof(bridge::WinePlatform)];
        alignas(bridge::PortClient) static unsigned char client[sizeof(bridge::PortClient)];
        auto* made = new (platform) bridge::WinePlatform;
        g_client = new (client) bridge::PortClient(*made);
    }
    return *g_client;
}

DWORD WINAPI BeatClaim(LPVOID) {
    for (;;) {
        ::Sleep(bridge::kClaimBeatInterval_ms);
        g_client->BeatClaim();
    }
}

// The beat thread, started once, with the DLL pinned so that it cannot be unloaded
// under the thread.
void StartClaimBeat() {
    static bool started = false;
    if (started)
        return;
    started = true;
    Client();
    HMODULE self = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCSTR>(&BeatClaim), &self);
    if (HANDLE thread = ::CreateThread(nullptr, 0, &BeatClaim, nullptr, 0, nullptr))
        ::CloseHandle(thread);
}

// One thread at a time uses the client. A flag of its own rather than a critical
// section: leaving a critical section is a locked instruction, and that waits until the
// ring entry just stored owns its cache line again, which the helper keeps reading; a
// plain store to give the flag back lets the program run on meanwhile (about 0.1 us of
// every access). A thread that finds the flag taken gives its processor away, and then
// sleeps between looks: the holder may be waiting for the helper for a quarter second.
std::atomic<bool> g_busy{false};
constexpr unsigned kYieldsBeforeSleeping = 1000;

class Locked {
public:
    Locked() {
        for (unsigned look = 0; g_busy.exchange(true, std::memory_order_acquire); ++look) {
            if (look < kYieldsBeforeSleeping)
                ::SwitchToThread();
            else
                ::Sleep(1);
        }
        StartClaimBeat();
    }
    ~Locked() { g_busy.store(false, std::memory_order_release); }
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

// TRUE when the last IsInpOutDriverOpen was FALSE because another program uses the
// printer port through this bridge.
__declspec(dllexport) BOOL WINAPI IsPortInUseByAnotherProgram() {
    Locked locked;
    return Client().InUseByAnotherProgram() ? TRUE : FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH && g_client != nullptr)
        g_client->GiveClaimAtExit();
    return TRUE;
}

} // extern "C"
