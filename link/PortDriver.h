// The InpOut32 port driver's interface, as inpout32.dll exports it (undecorated
// __stdcall names), and a way to put a driver of one's own in its place.
#pragma once
#include <windows.h>

struct PortDriver {
    short(WINAPI* inp32)(short port);           // "Inp32": a byte read from an I/O port
    void(WINAPI* out32)(short port, short data); // "Out32": writes the low byte of data
    BOOL(WINAPI* isOpen)();                      // "IsInpOutDriverOpen"; may be null
};

enum class PortRoute {
    NotChosen, // no operation has touched the port yet
    Driver,    // through inpout32.dll (or a driver given to UsePortDriver)
    Direct,    // x86 in/out
};

// Uses `driver` (kept by the caller) instead of searching for inpout32.dll; null makes
// the next BeginPortAccess search again. For tests and tools that link the program.
void UsePortDriver(const PortDriver* driver);
PortRoute CurrentPortRoute();
