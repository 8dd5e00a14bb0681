// What --help and --version print.
#pragma once
#include <cstdio>

// The options, one line each, and the exit statuses.
void PrintUsage(std::FILE* stream);
// The About box's version line, "tamberlo Version 5.0".
const char* VersionLine();
