// The message the program shows for the result of a device operation, made from that
// result alone.
#pragma once
#include "ops/OperationResult.h"

#include <cstddef>

// Room for any of the messages, the driver DLL's path included.
constexpr std::size_t kOutcomeMessageSize = 2048;

// Writes the message for `result` into buffer and returns it; nullptr for a result that
// shows no message (success, or an opening whose reason was told already).
const char* OutcomeMessage(const OperationResult& result, char* buffer, std::size_t size);
