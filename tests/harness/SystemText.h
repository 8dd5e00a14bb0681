// What Windows (or Wine) says for an error code, as the program's messages quote it.
#pragma once
#include <windows.h>

#include <string>

// The system's text for `error` without its line break, with `insert` in place of a "%1",
// followed by " (error N)".
std::string SystemText(DWORD error, const std::string& insert);
