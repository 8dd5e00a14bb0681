// The command line of tamberlo-ppdev: [--lpt 1|2|3 | --base ADDRESS] [--parent PID] [DEVICE],
// or --check-block.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace bridge {

constexpr const char* kDefaultDevice = "/dev/parport0";
constexpr std::uint16_t kDefaultBase = 0x378; // LPT1

struct HelperOptions {
    std::string device = kDefaultDevice;
    std::uint16_t base = kDefaultBase;
    pid_t parent = 0; // the launcher the helper ends with; 0: started by hand
    bool help = false;
    bool checkBlock = false; // only look at the block a helper serves
};

// Fills `options` from the arguments; false with a message naming the bad argument.
bool ParseHelperOptions(int argc, char** argv, HelperOptions* options, std::string* error);

// An I/O base, by the printer-port address rule of lpt/LptAddress.h.
bool ParseBase(const std::string& text, std::uint16_t* base, std::string* error);

const char* HelperUsage();

} // namespace bridge
