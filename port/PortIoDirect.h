// The x86 in/out instructions on a 16-bit I/O address, guarded: where Windows refuses
// them to the program, the refused access does nothing (a read gives 0xFF) and the
// refusal is recorded instead of ending the program.
#pragma once
#include <windows.h>

int DirectPortIn(WORD address);
void DirectPortOut(WORD address, int value);

// TRUE when an access was refused since ForgetDirectPortRefusal.
BOOL DirectPortRefused();
void ForgetDirectPortRefusal();

// Where the two guarded instructions lie, for the guard itself and for tests that stand
// in for a system that grants some addresses.
extern "C" {
extern const unsigned char TamberloPortInInstruction[];
extern const unsigned char TamberloPortOutInstruction[];
}
