// The printer port and the delays of a run: the command line's where it gives them, else the
// window's, read from the settings file where the window finds it (VirtualStore included).
// The console program never writes that file.
#pragma once
#include "cli/CommandLine.h"
#include "cli/ConsoleOutput.h"

#include <windows.h>

#include <cstdint>

struct LinkSettings {
    int port;  // 1 to 3
    WORD base; // that port's LPTn BASE, else its standard base
    std::uint32_t delayBit;
    std::uint32_t delayByte;
};

// The window's settings file as the profile functions take it.
constexpr char kWindowSettingsName[] = "tamberlo.INI";

// False, after telling why, when the settings cannot be used: a stored LPT PORT that is no
// port of the program, an LPTn BASE that is no address, a stored delay outside 1 to 10 that
// the command line does not replace. With no port stored and none given, Lpt1 is used and
// the user told so.
bool ResolveLinkSettings(const CommandLine& line, CConsoleOutput& output, LinkSettings* settings);
