// How a device operation ended: one type for every operation, carried in its result
// (ops/OperationResult.h) and turned into the program's messages by a front end.
#pragma once

enum class Outcome {
    Ok,
    NotBlank,      // a flash word did not read 0xFF (told while the chip was held)
    VerifyError,   // a flash byte differs from the image (told while the chip was held)
    NoAnswer,      // the chip did not echo Programming Enable
    PortUnusable,  // the port could not be reached: the result's port problem says why
    NothingLoaded, // an operation that needs the image, with nothing loaded
    NoLockChosen,  // Lock Bit with neither lock variant chosen
    NotOpened,     // the port choice or the delays stopped the opening (already told)
    ChipRefused,   // the chip on the cable is one this program names but does not program
    UnknownChip,   // the chip answers with a signature of the maker that no chip here has
    ImageTooLarge, // the image reaches past the flash of the chip on the cable
};
