// The InpOut32 port driver's interface, as inpout32.dll (and, for 64-bit programs,
// InpOutx64's inpoutx64.dll) exports it under undecorated __stdcall names.
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
