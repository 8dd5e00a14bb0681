// The command line of tamberlo-ppdev: see HelperOptions.h.
#include "bridge/helper/HelperOptions.h"

#include "lpt/LptAddress.h"

#include <cstdlib>

namespace bridge {

bool ParseBase(const std::string& text, std::uint16_t* base, std::string* error) {
    if (lpt::ParsePortAddress(text.c_str(), base))
        return true;
    *error = "--base " + text +
             ": give the printer port's I/O address, hex with 0x or decimal, from 0x1 to "
             "0xFFFD (LPT1 is 0x378, LPT2 0x278, LPT3 0x3BC)";
    return false;
}

namespace {

// Lpt1, Lpt2 or Lpt3 by number: the port chosen in the program.
bool ParseLpt(const std::string& text, std::uint16_t* base, std::string* error) {
    const int port = text.size() == 1 ? text[0] - '0' : 0;
    if (lpt::StandardBase(port) == 0) {
        *error = "--lpt " + text + ": give 1, 2 or 3 (the port chosen in the program)";
        return false;
    }
    *base = lpt::StandardBase(port);
    return true;
}

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
        } else if (argument == "--check-block") {
            options->checkBlock = true;
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
        } else if (argument == "--lpt") {
            if (i + 1 >= argc) {
                *error = "--lpt needs 1, 2 or 3";
                return false;
            }
            if (!ParseLpt(argv[++i], &options->base, error))
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
    return "usage: tamberlo-ppdev [--lpt 1|2|3 | --base ADDRESS] [--parent PID] [DEVICE]\n"
           "       tamberlo-ppdev --check-block\n"
           "Serves the bridge DLL of tamberlo.exe under Wine (inpoutx64.dll, or inpout32.dll\n"
           "for the 32-bit program) with the printer port DEVICE (default /dev/parport0)\n"
           "through Linux's ppdev driver. The program's\n"
           "accesses to ADDRESS (data), ADDRESS+1 (status) and ADDRESS+2 (control) go to\n"
           "the port; ADDRESS is the port the program is set to: 0x378 (Lpt1, the default),\n"
           "0x278 (Lpt2), 0x3BC (Lpt3) or another, hex with 0x or decimal; --lpt N\n"
           "gives the address of LptN.\n"
           "The shared block is $XDG_RUNTIME_DIR/tamberlo/port (a directory of mode 700\n"
           "that only you can use), or the path in TAMBERLO_BRIDGE_SHM, which must lie in\n"
           "a directory of yours with mode 700 as well; every directory above it must be\n"
           "yours or root's, and writable by no one else (or sticky, as /tmp).\n"
           "--parent PID: PID started tamberlo-ppdev (tamberlo-linux gives its own); when\n"
           "it ends, tamberlo-ppdev stops too.\n"
           "Stop it with Ctrl-C (or SIGTERM): it releases the port and exits.\n"
           "--check-block: checks the shared block that a tamberlo-ppdev serves as the DLL\n"
           "does, and prints its helper's process id, 1 while it serves, and its heartbeat.\n";
}

} // namespace bridge
