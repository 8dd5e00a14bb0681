// The console program's exit status: one number per class of ending, so that a makefile or
// a production script can tell a chip that differs from a cable that does not reach it.
#pragma once
#include "ops/Outcome.h"

enum ExitStatus : int {
    kExitDone = 0,        // every operation succeeded
    kExitDiffers = 1,     // the chip's content differs: Not Blank, Verify Error, EEPROM verify
                          // error, fuses read back other than written
    kExitUsage = 2,       // a bad command line, settings file or file
    kExitPort = 3,        // the printer port or its driver cannot be used
    kExitNoAnswer = 4,    // no chip answers
    kExitChipRefuses = 5, // a chip this program does not program, an image or EEPROM file too
                          // large for it, --fuses on an AT90S, or lock bits that forbid the
                          // operation (the chip refuses; nothing was done)
};

// The status of an operation that ended with `outcome`.
ExitStatus ExitStatusOf(Outcome outcome);
