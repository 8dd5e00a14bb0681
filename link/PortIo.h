// The port primitive: one byte-wide access to the processor's I/O space. This is
// the only code that differs between the hardware build (x86 in/out) and the
// simulated build (the simulated board).
#pragma once
#include <windows.h>

// One byte read from the I/O address.
int PortIn(WORD address);
// One byte write of the low 8 bits of `value` to the I/O address.
void PortOut(WORD address, int value);

// TRUE once Windows refused this program a port instruction (no I/O permission
// granted); the refused write did nothing and the refused read gave 0xFF.
BOOL PortAccessRefused();
// Forgets a refusal, so that the next access tries the port again.
void ResetPortAccessRefused();
