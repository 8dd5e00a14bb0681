// The InpOut32 port driver's interface, as inpout32.dll (and, for 64-bit programs,
// InpOutx64's inpoutx64.dll) exports it under undecorated __stdcall names, and a way to
// put a driver of one's own in its place.
#pragma once
#include <windows.h>

// The driver DLL this build loads: a program can only load a DLL of its own bitness.
#ifdef _WIN64
#define TAMBERLO_PORT_DRIVER_DLL "inpoutx64.dll"
#else
#define TAMBERLO_PORT_DRIVER_DLL "inpout32.dll"
#endif
constexpr char kPortDriverDll[] = TAMBERLO_PORT_DRIVER_DLL;

struct InpOutCalls {
    short(WINAPI* inp32)(short port);            // "Inp32": a byte read from an I/O port
    void(WINAPI* out32)(short port, short data); // "Out32": writes the low byte of data
    BOOL(WINAPI* isOpen)();                      // "IsInpOutDriverOpen"; may be null
};

enum class PortRoute {
    NotChosen, // no operation has touched the port yet
    Driver,    // through the driver DLL (or a driver given to UsePortDriver)
    Direct,    // x86 in/out
    Unusable,  // a driver DLL is there but could not be used: no access reaches the port
};

// Uses `driver` (kept by the caller) instead of searching for the driver DLL; null makes
// the next BeginPortAccess search again. For tests and tools that link the program.
void UsePortDriver(const InpOutCalls* driver);
PortRoute CurrentPortRoute();
