// The texts of the device operations' messages.
#include "app/OutcomeMessages.h"

#include "app/DriverLoadMessage.h"
#include "ops/ChipFacts.h"

#include <cstdio>

namespace {

// %s: the driver DLL of this build.
const char kPortRefused[] =
    "The printer port could not be accessed.\n"
    "Windows did not allow this program to use the printer port. Put %s from InpOut32 beside "
    "tamberlo.exe and run tamberlo once as administrator, so that InpOut32 can install its "
    "port driver (see the README).";
const char kDriverNotRunning[] =
    "The printer port driver is not running.\n%s is there, but its port driver is not "
    "installed or has stopped. On Windows, run tamberlo once as administrator (right-click "
    "tamberlo.exe, Run as administrator), so that InpOut32 can install its driver. On Linux, "
    "start tamberlo with tamberlo-linux, which starts the port helper.";
const char kPortInUse[] =
    "The printer port is busy: another program is using the printer port through the bridge.\n"
    "Only one program at a time can use it. Close the other program (another tamberlo), "
    "then try again.";

const char* Copied(const char* text, char* buffer, std::size_t size) {
    std::snprintf(buffer, size, "%s", text);
    return buffer;
}

// "the AT90S8535, ATmega8535, ... and AT90S4434": the chips of the table this program programs.
void ProgrammedChips(char* list, std::size_t size) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < kChipCount; ++i)
        count += kChips[i].programmed ? 1 : 0;
    std::size_t at = 0;
    list[0] = '\0';
    for (std::size_t i = 0, listed = 0; i < kChipCount && at < size; ++i) {
        if (!kChips[i].programmed)
            continue;
        const char* separator = listed == 0 ? "the " : (listed + 1 == count ? " and " : ", ");
        const int written = std::snprintf(list + at, size - at, "%s%s", separator, kChips[i].name);
        at += written > 0 ? static_cast<std::size_t>(written) : 0;
        ++listed;
    }
}

const char* ChipMessage(const OperationResult& result, char* buffer, std::size_t size) {
    const unsigned char* s = result.signature;
    char chips[256];
    ProgrammedChips(chips, sizeof chips);
    if (result.outcome == Outcome::ChipRefused) {
        std::snprintf(buffer, size,
                      "The chip on the cable is an %s (signature %02X %02X %02X), which this "
                      "program does not program. It programs %s.\nNothing was written or erased.",
                      result.chip->name, s[0], s[1], s[2], chips);
    } else {
        std::snprintf(buffer, size,
                      "The chip on the cable answers with the signature %02X %02X %02X, which "
                      "belongs to no chip this program knows. It programs %s.\nNothing was "
                      "written or erased.",
                      s[0], s[1], s[2], chips);
    }
    return buffer;
}

const char* ImageTooLargeMessage(const OperationResult& result, char* buffer, std::size_t size) {
    const ChipInfo& chip = *result.chip;
    std::snprintf(buffer, size,
                  "The loaded file holds %u bytes of program, more than the %u bytes of flash "
                  "of the %s on the cable.\nNothing was written. Load a program built for the "
                  "%s.",
                  static_cast<unsigned>(result.imageEnd + 1),
                  static_cast<unsigned>(chip.flashBytes), chip.name, chip.name);
    return buffer;
}

const char* PortMessage(const OperationResult& result, char* buffer, std::size_t size) {
    switch (result.port) {
    case PortProblem::Refused:
        std::snprintf(buffer, size, kPortRefused, result.driverDll);
        return buffer;
    case PortProblem::DriverNotRunning:
        std::snprintf(buffer, size, kDriverNotRunning, result.driverDll);
        return buffer;
    case PortProblem::PortInUse:
        return Copied(kPortInUse, buffer, size);
    case PortProblem::DriverNotLoaded:
        return FormatDriverNotLoadedMessage(result.driverLoad, result.driverDll, buffer, size);
    case PortProblem::None:
        break;
    }
    return nullptr;
}

const char* NameOf(const unsigned char signature[3]) {
    const ChipInfo* chip = FindChip(signature);
    return chip != nullptr ? chip->name : "chip";
}

const char* ChipWindowMessage(const OperationResult& result, char* buffer, std::size_t size) {
    const char* name = result.chip != nullptr ? result.chip->name : "chip";
    const unsigned char* s = result.signature;
    const unsigned char* e = result.expectedSignature;
    switch (result.outcome) {
    case Outcome::OtherChip:
        std::snprintf(buffer, size,
                      "The chip on the cable is not the one that was read: it is an %s "
                      "(signature %02X %02X %02X), the chip read was an %s (%02X %02X %02X). "
                      "Read the chip on the cable first.\nNothing was written.",
                      name, s[0], s[1], s[2], NameOf(e), e[0], e[1], e[2]);
        break;
    case Outcome::NoFuseBytes:
        std::snprintf(buffer, size,
                      "The %s has no fuse bytes that the cable can write: of its fuse bits only "
                      "FSTRT (short start-up) can be changed.\nNothing was written.",
                      name);
        break;
    case Outcome::WriteLocked:
        std::snprintf(buffer, size,
                      "Lock bit 1 of the %s is programmed: its fuses and its EEPROM cannot be "
                      "written. Only Erase clears the lock bits (it erases the flash and, unless "
                      "EESAVE is programmed, the EEPROM too).\nNothing was written.",
                      name);
        break;
    case Outcome::ReadLocked:
        std::snprintf(buffer, size,
                      "The lock bits of the %s forbid reading it back. Only an Erase unlocks it, "
                      "and the Erase clears what it holds.\nNothing was read or written.",
                      name);
        break;
    case Outcome::FuseMismatch:
        if (result.chip != nullptr && result.chip->facts != nullptr &&
            result.chip->facts->hasFuseBytes)
            std::snprintf(buffer, size,
                          "The fuses read back other than written: Low %02X (written %02X), High "
                          "%02X (written %02X).",
                          result.fusesRead.low, result.fusesWanted.low, result.fusesRead.high,
                          result.fusesWanted.high);
        else
            std::snprintf(buffer, size,
                          "FSTRT did not take the new value: the lock and fuse byte reads %02X.",
                          result.lockByte);
        break;
    case Outcome::EepromTooLarge:
        std::snprintf(buffer, size,
                      "The EEPROM file holds data up to byte %u, more than the %u bytes of "
                      "EEPROM of the %s on the cable.\nNothing was written.",
                      static_cast<unsigned>(result.dataEnd),
                      static_cast<unsigned>(result.chip != nullptr && result.chip->facts != nullptr
                                                ? result.chip->facts->eepromBytes
                                                : 0),
                      name);
        break;
    default: // EepromVerifyError
        std::snprintf(buffer, size,
                      "EEPROM Verify Error at address 0x%04X: written 0x%02X, read back 0x%02X.",
                      static_cast<unsigned>(result.address), result.wrote, result.found);
        break;
    }
    return buffer;
}

} // namespace

const char* OutcomeMessage(const OperationResult& result, char* buffer, std::size_t size) {
    switch (result.outcome) {
    case Outcome::NotBlank:
        return Copied("Not Blank", buffer, size);
    case Outcome::VerifyError:
        return Copied("Verify Error", buffer, size);
    case Outcome::NoAnswer:
        return Copied("Error! Please check your CPU, power supply and printer port.", buffer, size);
    case Outcome::PortUnusable:
        return PortMessage(result, buffer, size);
    case Outcome::NothingLoaded:
        return Copied("Please open a Hex File before writing memory.", buffer, size);
    case Outcome::NoLockChosen:
        return Copied("No select Lock bit", buffer, size);
    case Outcome::ChipRefused:
    case Outcome::UnknownChip:
        return ChipMessage(result, buffer, size);
    case Outcome::ImageTooLarge:
        return ImageTooLargeMessage(result, buffer, size);
    case Outcome::OtherChip:
    case Outcome::NoFuseBytes:
    case Outcome::WriteLocked:
    case Outcome::ReadLocked:
    case Outcome::FuseMismatch:
    case Outcome::EepromTooLarge:
    case Outcome::EepromVerifyError:
        return ChipWindowMessage(result, buffer, size);
    case Outcome::Ok:
    case Outcome::NotOpened:
        break;
    }
    return nullptr;
}
