// The system's own words for an error code, for messages that quote Windows.
#pragma once
#include <windows.h>

#include <cstddef>

// Writes the system's text for `error` into buffer (NUL-terminated, truncated to fit), without
// its line break, with `insert` (a file's name) in place of a "%1" in it, followed by
// " (error N)"; returns buffer.
const char* AfxSystemErrorText(DWORD error, const char* insert, char* buffer, std::size_t size);
