// Each outcome of the operations in its class.
#include "cli/ExitStatus.h"

ExitStatus ExitStatusOf(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return kExitDone;
    case Outcome::NotBlank:
    case Outcome::VerifyError:
    case Outcome::FuseMismatch:
    case Outcome::EepromVerifyError:
        return kExitDiffers;
    case Outcome::NothingLoaded:
    case Outcome::NoLockChosen:
    case Outcome::NotOpened:
        return kExitUsage;
    case Outcome::PortUnusable:
        return kExitPort;
    case Outcome::NoAnswer:
        return kExitNoAnswer;
    case Outcome::ChipRefused:
    case Outcome::UnknownChip:
    case Outcome::ImageTooLarge:
    case Outcome::OtherChip:
    case Outcome::NoFuseBytes:
    case Outcome::WriteLocked:
    case Outcome::ReadLocked:
    case Outcome::EepromTooLarge:
        return kExitChipRefuses;
    }
    return kExitUsage;
}
