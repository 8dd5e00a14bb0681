// The texts of the device operations' messages.
#include "app/OutcomeMessages.h"

#include "app/DriverLoadMessage.h"
#include "port/InpOutCalls.h"
#include "port/PortIo.h"

#include <cstdio>

namespace {

const char kPortRefused[] =
    "The printer port could not be accessed.\n"
    "Windows did not allow this program to use the printer port. Put " TAMBERLO_PORT_DRIVER_DLL
    " from InpOut32 beside tamberlo.exe and run tamberlo once as administrator, so that InpOut32 "
    "can install its port driver (see the README).";
const char kDriverNotRunning[] =
    "The printer port driver is not running.\n" TAMBERLO_PORT_DRIVER_DLL
    " is there, but its port driver is not installed or has stopped. On Windows, "
    "run tamberlo once as administrator (right-click tamberlo.exe, Run as administrator), so "
    "that InpOut32 can install its driver. On Linux, start tamberlo with tamberlo-linux, "
    "which starts the port helper.";

const char* Copied(const char* text, char* buffer, std::size_t size) {
    std::snprintf(buffer, size, "%s", text);
    return buffer;
}

} // namespace

const char* OutcomeMessage(Outcome outcome, char* buffer, std::size_t size) {
    switch (outcome) {
    case Outcome::NotBlank:
        return Copied("Not Blank", buffer, size);
    case Outcome::VerifyError:
        return Copied("Verify Error", buffer, size);
    case Outcome::NoAnswer:
        return Copied("Error! Please check your CPU, power supply and printer port.", buffer, size);
    case Outcome::PortRefused:
        return Copied(kPortRefused, buffer, size);
    case Outcome::DriverNotRunning:
        return Copied(kDriverNotRunning, buffer, size);
    case Outcome::DriverNotLoaded:
        return FormatDriverNotLoadedMessage(LastDriverLoadFailure(), buffer, size);
    case Outcome::NothingLoaded:
        return Copied("Please open a Hex File before writing memory.", buffer, size);
    case Outcome::NoLockChosen:
        return Copied("No select Lock bit", buffer, size);
    case Outcome::Ok:
    case Outcome::NotOpened:
        break;
    }
    return nullptr;
}
