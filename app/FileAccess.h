// Reading a whole file and replacing one whole, with the window's words for what went wrong
// ("... was not found.", "Access to ... was denied."), each file named by its full path as
// the window names it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Room for a message about a file, its full path included.
constexpr std::size_t kFileMessageSize = MAX_PATH + 512;

// The full path of `name` (the name itself where the system gives none).
void FullPath(const char* name, char (&path)[MAX_PATH]);

// The message for the system error `error` met with the file at `path`.
const char* FileErrorMessage(DWORD error, const char* path, char* message, std::size_t size);

enum class FileRead { Ok, Failed, TooLarge };

// Reads the file `name` into buffer[0..capacity): Ok with *length; Failed with the message;
// TooLarge, with nothing read, for a file longer than `capacity`.
FileRead ReadWholeFile(const char* name, unsigned char* buffer, std::size_t capacity,
                       std::uint32_t* length, char* message, std::size_t size);

// Whether `name` can receive a file: its folder exists and it is neither a folder nor
// read-only. Checked before the port is touched; false with the message.
bool OutputFileUsable(const char* name, char* message, std::size_t size);

// Makes text[0..length) the whole content of `name`: written into a new file beside it, then
// renamed over it, so that `name` never holds a part of it. False, with the message and
// `name` as it was, when it cannot.
bool ReplaceWholeFile(const char* name, const char* text, std::size_t length, char* message,
                      std::size_t size);
