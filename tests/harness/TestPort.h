// The tests' printer port: the program's port accesses reach a sim::Board through a
// port driver of the tests' own (the same route inpout32.dll takes), and a tap may
// watch or answer each access on the way.
#pragma once
#include "port/InpOutCalls.h"

#include <windows.h>

namespace sim {
class Board;
class VirtualClock;
} // namespace sim

namespace TestPort {

// Sees every access on its way to or from the board; a read may be answered differently.
class PortTap {
public:
    virtual ~PortTap() = default;
    virtual void Wrote(WORD address, BYTE value) = 0;
    virtual BYTE Read(WORD address, BYTE fromBoard) = 0;
};

// The tests' port driver: a CPortAccess made with it reaches the installed board.
const InpOutCalls& Driver();

// Makes the driver reach `board` (kept alive by the caller while it is installed); null
// leaves it reaching nothing (reads 0xFF). With a `clock`, the program's busy waits
// (BitDelay) advance it by the time they would take on this processor.
void Install(sim::Board* board, sim::VirtualClock* clock);

// Installs `tap` (owned by the caller); null removes it.
void SetTap(PortTap* tap);

// Access counts since Install, for "nothing touched the port" checks.
unsigned long Accesses();

// The time one decrement of the busy loop takes here, measured once per process; a test
// may set its own to make the virtual time of a BitDelay pass exact (0 = measured).
double NsPerBusyDecrement();
void SetNsPerBusyDecrement(double ns);

} // namespace TestPort
