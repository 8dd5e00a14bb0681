// Texts for a port driver DLL that the program found but could not use. The system's
// own error text is quoted with the DLL's path in place of its "%1".
#include "app/DriverLoadMessage.h"

#include "framework/SystemErrorText.h"

#include <cstdio>

namespace {

// This build, the DLL it needs and where the InpOut32 download keeps that DLL.
#ifdef _WIN64
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
const char kOwnBits[] = "64-bit";
const char kDownloadFolder[] = "x64";
#else
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
const char kOwnBits[] = "32-bit";
const char kDownloadFolder[] = "Win32";
#endif

const char kHeading[] = "The printer port driver could not be loaded.\n";

// What a DLL of the machine field `machine` is, in a user's words.
const char* DllKind(WORD machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_I386:
        return "a 32-bit DLL";
    case IMAGE_FILE_MACHINE_AMD64:
        return "a 64-bit DLL";
    default:
        return "a DLL for another kind of processor";
    }
}

} // namespace

const char* FormatDriverNotLoadedMessage(const DriverLoadFailure& failure, const char* driverDll,
                                         char* buffer, std::size_t size) {
    if (size == 0)
        return "";
    char what[MAX_PATH + 256];
    char why[1024] = "";
    char remedy[512];
    std::snprintf(remedy, sizeof remedy,
                  "Put the %s %s from the folder %s of the InpOut32 download in its place, "
                  "then run tamberlo once as administrator (see the README).",
                  kOwnBits, driverDll, kDownloadFolder);
    if (failure.error != 0)
        AfxSystemErrorText(failure.error, failure.path, why, sizeof why);

    if (failure.error == 0) {
        std::snprintf(what, sizeof what,
                      "%s is not InpOut32's port driver: it has no Inp32 and Out32.", failure.path);
    } else if (failure.machine == 0) {
        std::snprintf(what, sizeof what, "%s is not a DLL at all.", failure.path);
    } else if (failure.machine != kOwnMachine) {
        std::snprintf(what, sizeof what,
                      "%s is %s, but tamberlo.exe is a %s program and can only load a %s "
                      "DLL.",
                      failure.path, DllKind(failure.machine), kOwnBits, kOwnBits);
    } else if (failure.error == ERROR_MOD_NOT_FOUND) {
        std::snprintf(what, sizeof what, "%s is there, but a DLL that it needs is missing.",
                      failure.path);
    } else {
        std::snprintf(what, sizeof what,
                      "%s is there, but Windows did not load it: it may be damaged, or Windows "
                      "or a virus scanner blocked it (if so, allow it: right-click it, "
                      "Properties, Unblock).",
                      failure.path);
    }
    if (why[0] != '\0')
        std::snprintf(buffer, size, "%s%s\nWindows says: %s\n%s", kHeading, what, why, remedy);
    else
        std::snprintf(buffer, size, "%s%s\n%s", kHeading, what, remedy);
    return buffer;
}
