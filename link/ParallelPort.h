// CParallelPort: byte access to the data, status and control registers of a PC printer
// port, with the hardware's inversions undone so that every value read or written carries
// the levels of the connector's pins (1 = high). It reaches the port through the
// CPortAccess it is given.
#pragma once
#include "framework/Object.h"
#include "port/PortAccess.h"

#include <windows.h>

class CParallelPort : public CObject {
public:
    explicit CParallelPort(CPortAccess& access) : m_access(access) {}
    ~CParallelPort() override;

    // Port 1, 2 or 3 selects 0x378, 0x278 or 0x3BC; any other number keeps the base.
    void SetPort(int port);
    // A port at an address of its own (a PCI or PCIe card); 0 forgets the port.
    void SetBase(WORD base) { m_wBase = base; }
    // FALSE until a port has been selected: no register may be touched then.
    BOOL HasPort() const { return m_wBase != 0; }
    WORD GetBase() const { return m_wBase; }

    // Each makes exactly one access to the port at `base` (data), base+1 (status) or
    // base+2 (control); only the low 8 bits of a value reach the port, reads give 0..255.
    // Base 0 (no port) is never touched: writes do nothing and reads give the levels
    // of an absent port.
    void OutData(WORD base, int value);
    int InData(WORD base);
    void OutControl(WORD base, int value);
    int InControl(WORD base);
    int InStatus(WORD base);

    void WriteData(int value) { OutData(m_wBase, value); }
    int ReadData() { return InData(m_wBase); }
    void WriteControl(int value) { OutControl(m_wBase, value); }
    int ReadControl() { return InControl(m_wBase); }
    int ReadStatus() { return InStatus(m_wBase); }

    // The port accesses of one device operation begin, and what has stood in their way
    // since: see CPortAccess::Begin and CPortAccess::Problem.
    PortProblem BeginAccess() { return m_access.Begin(); }
    PortProblem AccessProblem() { return m_access.Problem(); }
    // Why the driver DLL could not be used, after PortProblem::DriverNotLoaded.
    const DriverLoadFailure& LoadFailure() const { return m_access.LoadFailure(); }

private:
    CPortAccess& m_access;
    WORD m_wBase = 0; // data register address; 0 = no port selected yet
};
