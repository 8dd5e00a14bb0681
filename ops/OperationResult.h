// What a device operation hands back: how it ended and the facts its messages need, so a
// front end words them from this value alone.
#pragma once
#include "ops/Chips.h"
#include "ops/FuseLayout.h"
#include "ops/Outcome.h"
#include "port/DriverLoadFailure.h"
#include "port/PortProblem.h"

#include <cstdint>

struct OperationResult {
    Outcome outcome = Outcome::Ok;
    // The chip the last opening found (an AT90S chip that hides its signature counts as the
    // AT90S8535), and the three signature bytes it answered; the AT90S8535 and zeros before
    // any chip answered.
    const ChipInfo* chip = &kChips[0];
    unsigned char signature[3] = {};
    // The image's end index as the operation used it (0: nothing loaded).
    std::uint32_t imageEnd = 0;
    // With Outcome::PortUnusable: what stood in the way; with DriverNotLoaded also why the
    // driver DLL could not be used. The driver DLL this build loads, for the messages.
    PortProblem port = PortProblem::None;
    DriverLoadFailure driverLoad = {};
    const char* driverDll = "";

    // What the chip window's operations read and met, where the outcome says so.
    unsigned char lockByte = 0;       // Read Lock Bits (AT90S: the lock and fuse byte)
    FuseBytes fusesRead = {};         // the fuse bytes as read (after a write: read back)
    FuseBytes fusesWanted = {};       // what Write Fuses wrote
    unsigned char calibration[4] = {}; // the internal RC's calibration bytes, 1 to 8 MHz
    unsigned char expectedSignature[3] = {}; // OtherChip: the chip read before
    std::uint32_t bytes = 0;          // bytes read; for an EEPROM write, bytes written
    std::uint32_t dataEnd = 0;        // EepromTooLarge: one past the data's last byte
    std::uint32_t address = 0;        // EepromVerifyError: the first byte that differs
    unsigned char wrote = 0;          // ... as written
    unsigned char found = 0;          // ... as read back

    bool Succeeded() const { return outcome == Outcome::Ok; }
};
