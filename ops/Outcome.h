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
    // The chip window's operations:
    OtherChip,         // not the chip that was read before (expectedSignature)
    NoFuseBytes,       // an AT90S chip: it has no fuse bytes to write
    WriteLocked,       // lock bit 1 is programmed: fuses, FSTRT and EEPROM cannot be written
    ReadLocked,        // lock bit 2 is programmed: the memories cannot be read
    FuseMismatch,      // the fuses read back other than written (fusesWanted, fusesRead)
    EepromTooLarge,    // the EEPROM data reaches past the chip's EEPROM (dataEnd)
    EepromVerifyError, // an EEPROM byte read back other than written (address, wrote, found)
};
