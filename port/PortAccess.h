// CPortAccess: one byte-wide access to the processor's I/O space, and what stood in the way
// of the accesses of one device operation. The program makes one where it is assembled and
// hands it to its printer port; tests and tools make one with a driver of their own.
//
// The accesses go through the InpOut32 port driver when its DLL (inpout32.dll, or
// inpoutx64.dll in the 64-bit build) can be loaded (every Windows this program runs on
// needs it; the simulated board and the Linux bridge are built as such a DLL), else
// through the x86 in/out instructions, which Windows refuses to a program.
#pragma once
#include "port/DriverLoadFailure.h"
#include "port/InpOutCalls.h"
#include "port/PortProblem.h"

#include <windows.h>

enum class PortRoute {
    NotChosen, // no operation has touched the port yet
    Driver,    // through the driver DLL, or the driver the object was made with
    Direct,    // x86 in/out
    Unusable,  // a driver DLL is there but could not be used: no access reaches the port
};

class CPortAccess {
public:
    // The program's own: the driver DLL that the DLL search finds, else the instructions.
    CPortAccess() = default;
    // Always `driver` (kept alive by the caller), never the DLL search.
    explicit CPortAccess(const InpOutCalls& driver);
    CPortAccess(const CPortAccess&) = delete;
    CPortAccess& operator=(const CPortAccess&) = delete;

    // Starts the port accesses of a device operation. The first call loads the driver DLL
    // by the normal DLL search (the program's own folder first) and keeps it loaded; a DLL
    // that was there but could not be loaded is tried again at the next operation, so a
    // replaced one is taken without a restart. Forgets the problems of earlier operations.
    // DriverNotRunning, DriverNotLoaded: the port must not be touched in this operation.
    PortProblem Begin();

    // One byte read from the I/O address; 0xFF when the access was refused.
    int In(WORD address);
    // One byte write of the low 8 bits of `value` to the I/O address.
    void Out(WORD address, int value);

    // The problem met since Begin: a refused access (each refused access did nothing; the
    // others went through), or the driver no longer running (which stays so until the next
    // Begin, even if the driver runs again meanwhile).
    PortProblem Problem();

    PortRoute Route() const { return m_route; }
    // The driver DLL that was found but could not be used (PortProblem::DriverNotLoaded).
    const DriverLoadFailure& LoadFailure() const { return m_loadFailure; }

private:
    // The Linux bridge's extra export: TRUE when its driver is not open because another
    // program uses the port through it. Other drivers do not have it.
    using InUseFn = BOOL(WINAPI*)();

    void ChooseRoute();
    bool LoadDriverDll();
    PortProblem DriverProblem();

    const InpOutCalls* m_given = nullptr;
    PortRoute m_route = PortRoute::NotChosen;
    InpOutCalls m_driver = {};
    InUseFn m_inUse = nullptr;
    DriverLoadFailure m_loadFailure = {};
    // A driver found not running during an operation stays so for the operation: a driver
    // that opens again meanwhile (the Linux bridge, once its helper runs again) has lost
    // accesses of the operation.
    PortProblem m_driverProblem = PortProblem::None;
};
