// The command line of tamberlo-ppdev: see HelperOptions.h.
#include "bridge/helper/HelperOptions.h"

#include <cerrno>
#include <cstdlib>

namespace bridge {

namespace {
constexpr unsigned long kHighestBase = 0xFFFD; // base+2 is the last I/O address
}

bool ParseBase(const std::string& text, std::uint16_t* base, std::string* error) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    bool wellFormed = !digits.empty();
    for (char c : digits) {
        const bool digit = c >= '0' && c <= '9';
        const bool hexDigit = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        wellFormed = wellFormed && (digit || (hex && hexDigit));
    }
    unsigned long value = 0;
    if (wellFormed) {
        errno = 0;
        value = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
        wellFormed = errno == 0;
    }
    if (!wellFormed || value == 0 || value > kHighestBase) {
        *error = "--base " + text +
                 ": give the printer port's I/O address, hex with 0x or decimal, from 0x1 to "
                 "0xFFFD (LPT1 is 0x378, LPT2 0x278, LPT3 0x3BC)";
        return false;
    }
    *base = static_cast<std::uint16_t>(value);
    return true;
}

namespace {

// A process id: decimal digits, above 1 (init is nobody's launcher).
bool ParseParent(const std::string& text, pid_t* parent, std::string* error) {
    bool digits = !text.empty() && text.size() <= 9;
    for (char c : text)
        digits = digits && c >= '0' && c <= '9';
    const long value = digits ? std::strtol(text.c_str(), nullptr, 10) : 0;
    if (value <= 1) {
        *error = "--parent " + text +
                 ": give the process id of the program that starts "
                 "tamberlo-ppdev";
        return false;
    }
    *parent = static_cast<pid_t>(value);
    return true;
}

} // namespace

bool ParseHelperOptions(int argc, char** argv, HelperOptions* options, std::string* error) {
    bool deviceGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            options->help = true;
        } else if (argument == "--parent") {
            if (i + 1 >= argc) {
                *error = "--parent needs a process id";
                return false;
            }
            if (!ParseParent(argv[++i], &options->parent, error))
                return false;
        } else if (argument == "--base") {
            if (i + 1 >= argc) {
                *error = "--base needs an I/O address, e.g. --base 0x378";
                return false;
            }
            if (!ParseBase(argv[++i], &options->base, error))
                return false;
        } else if (argument.rfind("--base=", 0) == 0) {
            if (!ParseBase(argument.substr(7), &options->base, error))
                return false;
        } else if (!argument.empty() && argument[0] == '-') {
            *error = "unknown option " + argument;
            return false;
        } else if (deviceGiven) {
            *error =
                "one printer port device only (got " + options->device + " and " + argument + ")";
            return false;
        } else {
            options->device = argument;
            deviceGiven = true;
        }
    }
    return true;
}

const char* HelperUsage() {
    return "usage: tamberlo-ppdev [--base ADDRESS] [--parent PID] [DEVICE]\n"
           "Serves the bridge DLL of tamberlo.exe under Wine (inpoutx64.dll, or inpout32.dll\n"
           "for the 32-bit program) with the printer port DEVICE (default /dev/parport0)\n"
           "through Linux's ppdev driver. The program's\n"
           "accesses to ADDRESS (data), ADDRESS+1 (status) and ADDRESS+2 (control) go to\n"
           "the port; ADDRESS is the port the program is set to: 0x378 (Lpt1, the default),\n"
           "0x278 (Lpt2), 0x3BC (Lpt3) or another, hex with 0x or decimal.\n"
           "The shared block is $XDG_RUNTIME_DIR/tamberlo/port (a directory of mode 700\n"
           "that only you can use), or the path in TAMBERLO_BRIDGE_SHM, which must lie in\n"
           "a directory of yours with mode 700 as well.\n"
           "--parent PID: PID started tamberlo-ppdev (tamberlo-linux gives its own); when\n"
           "it ends, tamberlo-ppdev stops too.\n"
           "Stop it with Ctrl-C (or SIGTERM): it releases the port and exits.\n";
}

} // namespace bridge
