// The message for a port driver DLL that is there but cannot be used: which file, why
// (Windows' own words, and plain ones for a DLL of the other bitness or no DLL at all),
// and what to do.
#pragma once
#include "ops/OperationResult.h"

#include <cstddef>

// Room for the message, two paths included.
constexpr std::size_t kDriverLoadMessageSize = 2048;

// Writes the message for `failure` of the driver DLL named `driverDll` into buffer
// (NUL-terminated, truncated to fit) and returns buffer.
const char* FormatDriverNotLoadedMessage(const DriverLoadFailure& failure, const char* driverDll,
                                         char* buffer, std::size_t size);
