// The message the program shows for an outcome of a device operation.
#pragma once
#include "ops/DeviceOps.h"
#include "ops/Outcome.h"

#include <cstddef>

// Room for any of the messages, the driver DLL's path included.
constexpr std::size_t kOutcomeMessageSize = 2048;

// Writes the message for `outcome` of an operation of `ops` (which knows the chip it met)
// into buffer and returns it; nullptr for an outcome that shows no message (success, or an
// opening whose reason was told already).
const char* OutcomeMessage(Outcome outcome, const CDeviceOps& ops, char* buffer, std::size_t size);
