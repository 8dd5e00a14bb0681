// The C++ runtime's thread library (winpthreads, linked into the program) calls
// GetTickCount64, which Windows XP lacks: as an import it would keep the program from
// starting there at all. This file fills that import's slot itself, with a function that
// looks GetTickCount64 up at run time and falls back to GetTickCount, so the program file
// imports no GetTickCount64 (the import table test holds it to that).
#include <windows.h>

namespace {

// The milliseconds since Windows started. On XP the count is GetTickCount's, which wraps
// after 49.7 days; the runtime only measures short waits with it.
ULONGLONG WINAPI TickCount64() {
    using Function = ULONGLONG(WINAPI*)();
    const auto system = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    return system != nullptr ? system() : ::GetTickCount();
}

} // namespace

// The import slot's name as the runtime's code refers to it (32-bit __stdcall names carry
// a leading underscore and their argument bytes).
#ifdef _WIN64
#define TAMBERLO_TICK_COUNT_64_SLOT "__imp_GetTickCount64"
#else
#define TAMBERLO_TICK_COUNT_64_SLOT "__imp__GetTickCount64@0"
#endif

extern "C" {
extern ULONGLONG(WINAPI* const tamberloTickCount64Slot)() __asm__(TAMBERLO_TICK_COUNT_64_SLOT);
ULONGLONG(WINAPI* const tamberloTickCount64Slot)() = &TickCount64;
}
