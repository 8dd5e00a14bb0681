// The bridge inpout32.dll as a program sees it, loaded by path with the tests' driver
// loader, and what the bridge's Wine tests share.
#pragma once
#include "tests/driver/DriverLibrary.h"

#include <string>

// The bridge DLL of this build, loaded once.
const DriverLibrary& Bridge();
// The value of an environment variable, "" when unset.
std::string Environment(const char* name);
// Seconds of a high-resolution clock.
double NowSeconds();
