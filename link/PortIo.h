// The port primitive: one byte-wide access to the processor's I/O space, and what
// stood in the way of the accesses of one device operation.
//
// The accesses go through the InpOut32 port driver when its DLL (inpout32.dll, or
// inpoutx64.dll in the 64-bit build) can be loaded (Windows NT and later need it; the
// simulated board and the Linux bridge are built as such a DLL), else through the x86
// in/out instructions, which only Windows 95, 98 and Me allow a program; elsewhere
// Windows refuses them.
#pragma once
#include <windows.h>

enum class PortProblem {
    None,
    DriverNotRunning, // the driver DLL is there, but its kernel driver is not (or stopped)
    Refused,          // Windows refused an in/out instruction: no driver opened the port
    PortInUse,        // the Linux bridge: another program uses the port through it
};

// Starts the port accesses of a device operation. The first call loads the driver DLL
// by the normal DLL search (the program's own folder first) and keeps it loaded.
// Forgets the problems of earlier operations. DriverNotRunning: the port must not be
// touched in this operation.
PortProblem BeginPortAccess();

// One byte read from the I/O address; 0xFF when the access was refused.
int PortIn(WORD address);
// One byte write of the low 8 bits of `value` to the I/O address.
void PortOut(WORD address, int value);

// The problem met since BeginPortAccess: a refused access (each refused access did
// nothing; the others went through), or the driver no longer running (which stays so
// until the next BeginPortAccess, even if the driver runs again meanwhile).
PortProblem PortAccessProblem();
