// The console program's command line: GNU-style long options ("--opt value" and
// "--opt=value"), the settings they override and the operations in the order given. Reading
// it checks the syntax and the ranges alone; files and the chip come later.
#pragma once
#include "ops/FuseLayout.h"

#include <cstddef>
#include <cstdint>

enum class OperationKind {
    Erase,
    Blank,
    Program,
    Verify,
    Auto,
    Lock,
    ReadChip,
    Fuses,
    EepromWrite,
    EepromRead,
    FlashRead,
};

struct Operation {
    OperationKind kind;
    const char* file; // the FILE of the options that take one (argv's own text)
    int lock;         // --lock: 1 or 2
    FuseBytes fuses;  // --fuses: low and high
};

// The most operations one command line may give.
constexpr std::size_t kMaxOperations = 32;

struct CommandLine {
    int lpt = 0;                // 0: the settings file's port
    std::uint32_t delayBit = 0; // 0: the settings file's delay
    std::uint32_t delayByte = 0;
    bool yes = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    Operation operations[kMaxOperations] = {};
    std::size_t operationCount = 0;
};

// Room for any message of ParseCommandLine.
constexpr std::size_t kCommandLineMessageSize = 512;

// Reads argv[1..argc) into *line. False, with the reason in `message`, for an unknown option,
// a value missing or out of range, a value given to an option that takes none, an argument
// that is no option, or no operation at all (unless --help or --version ask for nothing else).
bool ParseCommandLine(int argc, char** argv, CommandLine* line, char* message, std::size_t size);
