// Saving a file whole or not at all: the bytes go to a temporary file beside the target,
// which then replaces the target in one step, so that a failed or interrupted save never
// leaves a half-written file (nor harms the file that was there).
#pragma once
#include <windows.h>

#include <cstddef>

// Room for the message of a failed save, a path included.
constexpr std::size_t kFileSaveMessageSize = MAX_PATH * 2 + 512;

// TRUE when `path` holds the `size` bytes of `data`; otherwise FALSE, nothing left behind,
// and `message` says why in the system's words.
BOOL SaveFileWhole(const char* path, const void* data, DWORD size, char* message,
                   std::size_t messageSize);
