// The simulated build's printer port: every port access of the program reaches one
// sim::Board. The program creates its own board at first use from the TAMBERLO_SIM_*
// environment variables (on a steady clock); tests install a board of their own,
// usually on a sim::VirtualClock, and may tap the accesses.
#pragma once
#include <windows.h>

namespace sim {
class Board;
}

namespace SimulatedPort {

// Routes the port accesses to `board`, which the caller owns and keeps alive while
// it is installed; null goes back to the program's own board.
void InstallBoard(sim::Board* board);

// The board the accesses reach now: the installed one, else the program's own (created
// on this call if need be); null when the program's board could not be set up.
sim::Board* CurrentBoard();

// Sees every access on its way to or from the board; a read may be answered differently.
class PortTap {
public:
    virtual ~PortTap() = default;
    virtual void Wrote(WORD address, BYTE value) = 0;
    virtual BYTE Read(WORD address, BYTE fromBoard) = 0;
};

// Installs `tap` (owned by the caller); null removes it.
void SetTap(PortTap* tap);

} // namespace SimulatedPort
