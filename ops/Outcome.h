// How a device operation ended: one type for every operation, turned into the program's
// messages by the window.
#pragma once

enum class Outcome {
    Ok,
    NotBlank,         // a flash word did not read 0xFF (told while the chip was held)
    VerifyError,      // a flash byte differs from the image (told while the chip was held)
    NoAnswer,         // the chip did not echo Programming Enable
    PortRefused,      // Windows refused the port instructions: no port driver
    DriverNotRunning, // the port driver DLL is there, its driver is not running (or stopped)
    DriverNotLoaded,  // a port driver DLL is there, but it cannot be used
    PortInUse,        // the Linux bridge: another program uses the port through it
    NothingLoaded,    // an operation that needs the image, with nothing loaded
    NoLockChosen,     // Lock Bit with neither lock variant chosen
    NotOpened,        // the port choice or the delays stopped the opening (already told)
    ChipRefused,      // the chip on the cable is one this program names but does not program
    UnknownChip,      // the chip answers with a signature of the maker that no chip here has
    ImageTooLarge,    // the image reaches past the flash of the chip on the cable
};
