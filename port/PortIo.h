// The port primitive: one byte-wide access to the processor's I/O space, and what
// stood in the way of the accesses of one device operation.
//
// The accesses go through the InpOut32 port driver when its DLL (inpout32.dll, or
// inpoutx64.dll in the 64-bit build) can be loaded (every Windows this program runs on
// needs it; the simulated board and the Linux bridge are built as such a DLL), else
// through the x86 in/out instructions, which Windows refuses to a program.
#pragma once
#include <windows.h>

enum class PortProblem {
    None,
    DriverNotRunning, // the driver DLL is there, but its kernel driver is not (or stopped)
    Refused,          // Windows refused an in/out instruction: no driver opened the port
    DriverNotLoaded,  // a driver DLL is there, but it could not be loaded or is no port driver
    PortInUse,        // the Linux bridge: another program uses the port through it
};

// Starts the port accesses of a device operation. The first call loads the driver DLL
// by the normal DLL search (the program's own folder first) and keeps it loaded; a DLL
// that was there but could not be loaded is tried again at the next operation, so a
// replaced one is taken without a restart. Forgets the problems of earlier operations.
// DriverNotRunning, DriverNotLoaded: the port must not be touched in this operation.
PortProblem BeginPortAccess();

// One byte read from the I/O address; 0xFF when the access was refused.
int PortIn(WORD address);
// One byte write of the low 8 bits of `value` to the I/O address.
void PortOut(WORD address, int value);

// The problem met since BeginPortAccess: a refused access (each refused access did
// nothing; the others went through), or the driver no longer running (which stays so
// until the next BeginPortAccess, even if the driver runs again meanwhile).
PortProblem PortAccessProblem();

// The driver DLL that was found but could not be used (PortProblem::DriverNotLoaded).
struct DriverLoadFailure {
    char path[MAX_PATH]; // where the DLL search found it
    DWORD error;         // the system's error from loading it; 0: it loaded, but is no port driver
    WORD machine;        // its PE machine field (IMAGE_FILE_MACHINE_...), 0 when it is no PE file
};
const DriverLoadFailure& LastDriverLoadFailure();
